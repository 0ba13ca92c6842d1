// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "record/RecordStore.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The record as a file on Linux, reached with plain system calls. Paths
// are the system's own bytes: a folder whose name is no valid UTF-8 is
// still the folder it names.
class RecordFile : public RecordStore
{
public:
    explicit RecordFile(std::string path);
    ~RecordFile() override;
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // The folder that holds the running program, and the player's data
    // folder for the game ($XDG_DATA_HOME/tamblo, or ~/.local/share/tamblo).
    static std::string programFolder();
    static std::string dataFolder();

    const std::string &path() const { return m_path; }

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

    struct Place;
    class Lock;

private:
    std::string m_path;
    std::unique_ptr<Place> m_found;
    std::unique_ptr<Lock> m_lock;
    std::string m_temporary; // prepared beside the record, not yet committed
};
