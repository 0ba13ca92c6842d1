// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "record/BestTimeRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Records whose number ends at, just before or just past the bytes that
// are parsed, and the time each must give. Every store reads them alike:
// the rules, not the store, tell a whole record from the start of a longer
// one.
struct RecordBoundary
{
    std::string bytes;
    std::optional<std::int32_t> time;
};

inline std::vector<RecordBoundary> recordBoundaries()
{
    constexpr std::size_t size = BestTimeRecord::PrefixSize;
    const auto blanks = [](std::size_t count) { return std::string(count, ' '); };
    return {
        {blanks(size - 4) + "1234", 1234},          // whole, exactly the size parsed
        {blanks(size - 3) + "1234", std::nullopt},  // one digit past it
        {blanks(size - 4) + "1234 ", std::nullopt}, // the number may run on past it
        {blanks(size - 5) + "1234\n" + std::string(100, '9'), 1234},
    };
}
