// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "RecordStore.h"

#include <chrono>
#include <thread>

std::chrono::steady_clock::time_point RecordStore::now() const
{
    return std::chrono::steady_clock::now();
}

void RecordStore::pause(std::chrono::milliseconds span)
{
    std::this_thread::sleep_for(span);
}
