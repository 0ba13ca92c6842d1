// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "record/RecordStore.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The record as a file on Windows, reached with the system's own calls. A
// link or junction at the record's name is never read or written through:
// it is replaced. The lock is a hidden file beside the record that its
// holder opens to be deleted on close: the system deletes it when the last
// handle to it goes, so no lock file outlives the copies of the game that
// use it, even one that was killed.
class RecordFile : public RecordStore
{
public:
    explicit RecordFile(std::wstring path);
    // A record whose path is worked out only when it is first needed: the
    // roaming folder is asked of the shell, whose libraries a portable copy
    // never has to load.
    explicit RecordFile(std::function<std::wstring()> where);
    ~RecordFile() override;
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // The folder that holds the running program, and the player's roaming
    // folder for the game (%APPDATA%\Tamblo), empty when there is none.
    static std::wstring programFolder();
    static std::wstring roamingFolder();
    // `name` in `folder`, with one separator between them.
    static std::wstring inFolder(const std::wstring &folder, std::wstring_view name);

    const std::wstring &path() const;

    std::string name() const override;
    bool usable() override;
    Prefix read(std::size_t limit) override;
    Reply find() override;
    Reply lock() override;
    bool stillFound() override;
    void removeStaleTemporaries() override;
    Reply prepare(std::string_view bytes) override;
    Reply commit() override;
    void discard() override;
    void unlock() override;
    void pause(std::chrono::milliseconds span) override;

    class Lock;
    class TemporaryFile;
    // What the system calls a file or folder, whatever name leads to it.
    struct Identity
    {
        std::uint32_t volume = 0;
        std::uint64_t index = 0;
        bool operator==(const Identity &) const = default;
    };

private:
    std::function<std::wstring()> m_where;
    mutable std::optional<std::wstring> m_path;
    std::optional<Identity> m_folder; // the folder find() settled
    std::unique_ptr<Lock> m_lock;
    std::unique_ptr<TemporaryFile> m_prepared;
};
