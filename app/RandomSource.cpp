// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "RandomSource.h"

#include <chrono>
#include <cstdint>

RandomSource::RandomSource()
    : m_engine(static_cast<std::uint64_t>(
          std::chrono::high_resolution_clock::now().time_since_epoch().count()))
{
}
