// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "record/BestTimeRecord.h"
#include "record/win32/RecordFile.h"

#include <functional>
#include <memory>
#include <string>

// The record of this program on Windows: the file beside the program, the
// one in the player's roaming folder, and the game's rules over the place
// that they choose.
class BestTimeFile
{
public:
    // `dataFolder`, asked when the record is first read, gives the player's
    // folder, the other place a record may stand in; none keeps the record
    // beside the program. An empty answer (the player's folder is unknown) leaves the
    // record read from beside the program and its saves failing with that
    // reason, since beside the program they would fail too.
    explicit BestTimeFile(std::wstring besideProgram, std::function<std::wstring()> dataFolder = {});
    BestTimeFile(const BestTimeFile &) = delete;
    BestTimeFile &operator=(const BestTimeFile &) = delete;
    // The stores stay where they are, and so the rules' view of them.
    BestTimeFile(BestTimeFile &&) noexcept = default;
    BestTimeFile &operator=(BestTimeFile &&) = delete;

    // Beside tamblo.exe, or else in %APPDATA%\Tamblo. Decided once at load.
    static BestTimeFile forThisProgram();

    // Where the record lives.
    const std::wstring &path() const;
    // The rules over it; valid as long as this object lives.
    BestTimeRecord &record() { return m_record; }

private:
    std::unique_ptr<RecordFile> m_beside;
    std::unique_ptr<RecordFile> m_data;
    BestTimeRecord m_record;
};
