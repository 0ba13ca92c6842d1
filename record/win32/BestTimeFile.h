// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The one-line file that keeps the best clear time from run to run, on
// Windows. Its bytes are the same as everywhere ("999" CR LF).
class BestTimeFile
{
public:
    static constexpr const wchar_t *FileName = L"HighScore.mtt";
    // The value when nothing can be read; also an ordinary time (99.9 s).
    static constexpr std::int32_t Missing = 999;
    // Only this much of the file is ever read: the number stands at its start.
    static constexpr std::uint32_t PrefixSize = 4096;
    // How long a save waits for another copy of the game to finish its own.
    static constexpr std::uint32_t LockWaitMs = 5000;

    // `carryOver`, when given, is read in place of `path` as long as nothing
    // stands at `path` yet; it is never written.
    explicit BestTimeFile(std::wstring path, std::wstring carryOver = {});

    // Beside the program, where portable copies keep their record, when this
    // user can create files in that folder. Otherwise (an installed copy
    // under Program Files) the player's own folder, which starts from the
    // record beside the program, if one lies there, until it has its own.
    static BestTimeFile inWritableFolder(const std::wstring &programFolder, const std::wstring &userFolder);
    // The file this run of the program uses: beside the .exe, or else in
    // %APPDATA%\Tamblo. Decided once at load.
    static BestTimeFile forThisProgram();

    const std::wstring &path() const { return m_path; }

    // The stored value, or nothing when the file is missing, is no plain
    // file (a folder, a device, a pipe, a link or junction, which is never
    // read through), cannot be read or holds no number. Never blocks and
    // never reads more than PrefixSize bytes.
    std::optional<std::int32_t> read() const;
    // The value the game starts with: read(), the carried-over record while
    // nothing stands at the path, or Missing.
    std::int32_t load() const;

    // Stores the smaller of `tenths` and the value the file holds now, so
    // that a copy of the game closing late never undoes a better time that
    // another copy saved. Another copy's save waits on a lock beside the
    // record. The old file stays as it was until the new one is complete and
    // flushed, so neither a kill nor a full disk can lose the record; a link
    // at the name is replaced, never written through. Returns the time the
    // record keeps now, or nothing, with the reason in `reason` when given,
    // when nothing could be written.
    std::optional<std::int32_t> save(std::int32_t tenths, std::wstring *reason = nullptr) const;

private:
    std::wstring m_path;
    std::wstring m_carryOver;
};

// Tells that a save failed, in one line, to the debugger's output and, when
// the program has a standard error, there as UTF-8:
// "tamblo: the best time could not be saved to PATH: REASON".
void reportSaveFailure(const BestTimeFile &file, const std::wstring &reason);

// The line reportSaveFailure() writes, without its line end.
std::wstring saveFailureMessage(const BestTimeFile &file, const std::wstring &reason);
