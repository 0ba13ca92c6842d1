// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "BestTimeFormat.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace {
bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool endsField(char c) { return c == '\r' || c == '\n' || c == ',' || isBlank(c); }
}

std::optional<std::int32_t> BestTimeFormat::parse(std::string_view text, bool complete)
{
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t digitsStart = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    if (pos == digitsStart)
        return std::nullopt;
    if (pos == text.size() ? !complete : !endsField(text[pos]))
        return std::nullopt;

    std::int64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data() + digitsStart, text.data() + pos, magnitude);
    if (error != std::errc() || end != text.data() + pos)
        return std::nullopt; // more digits than 64 bits hold
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<std::int32_t>::min()
        || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string BestTimeFormat::line(std::int32_t tenths)
{
    return std::to_string(tenths) + "\r\n";
}
