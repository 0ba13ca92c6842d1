// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <string>

// The record in the page's storage: one entry under the record file's name,
// whose value is the file's text. What the bytes mean is the core's
// business; this class only moves them.
class LocalStorageStore
{
public:
    static constexpr const char *Key = "HighScore.mtt";

    enum class Status { Done, Missing, Failed };
    struct Read
    {
        Status status = Status::Missing;
        std::string bytes;     // the start of the value's UTF-8 text
        bool complete = false; // whether `bytes` is all of it
        std::string reason;    // why it failed
    };

    std::string name() const { return std::string("localStorage ") + Key; }
    // At most `limit` bytes of the value: the number stands at its start,
    // and a value of megabytes is never copied whole into the module.
    Read read(std::size_t limit) const;
    // Replaces the value; gives the reason when the storage refuses (site
    // data blocked, the quota full), else an empty string.
    std::string replace(const std::string &bytes) const;
};
