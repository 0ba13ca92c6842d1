// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>

// Tenths of a second as the player reads them: "123.4秒".
class TimeText
{
public:
    // Whole seconds, ".", the tenths digit, "秒". A negative count, which
    // only an edited record file can bring, keeps its sign in front of the
    // time of its magnitude: -5 reads "-0.5秒".
    static std::string format(std::int32_t tenths);

    // The text of the high-score box.
    static std::string bestTimePrompt(std::int32_t bestTenths);
};
