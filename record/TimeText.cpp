// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "TimeText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

std::string TimeText::format(std::int32_t tenths)
{
    // Work on the magnitude in 64 bits: the lowest 32-bit value has no
    // positive counterpart.
    const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(tenths));
    std::string text = tenths < 0 ? "-" : "";
    text += std::to_string(magnitude / 10);
    text += '.';
    text += std::to_string(magnitude % 10);
    text += "秒";
    return text;
}

std::string TimeText::bestTimePrompt(std::int32_t bestTenths)
{
    return "クリアまでの最短時間 " + format(bestTenths);
}
