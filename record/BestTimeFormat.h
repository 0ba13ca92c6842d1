// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The text inside the best-time file: one line, the decimal tenths and CR LF.
class BestTimeFormat
{
public:
    // Reads the number at the start of the file. Accepted: optional blanks
    // (space or tab), an optional sign, decimal digits, then CR, LF, a
    // blank, a comma or the end of the text, and the value must fit in 32
    // bits. Anything else (letters, a fraction, quotes, a byte-order mark,
    // nothing at all) is no number. `complete` says whether `text` is the
    // whole file or only its start; digits that run to the end of an
    // incomplete start are no number either, since more may follow.
    static std::optional<std::int32_t> parse(std::string_view text, bool complete = true);

    // "999\r\n": the same bytes on every platform.
    static std::string line(std::int32_t tenths);
};
