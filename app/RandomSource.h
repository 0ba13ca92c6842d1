// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <random>

// Uniform numbers in [0, 1), seeded once from the clock.
class RandomSource
{
public:
    RandomSource();
    explicit RandomSource(std::uint64_t seed) : m_engine(seed) {}

    // 53 random bits scaled into [0, 1): never 1.0, which
    // std::generate_canonical can return through rounding.
    double operator()() { return static_cast<double>(m_engine() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 m_engine;
};
