// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

// The one-line file that keeps the best clear time from run to run.
class BestTimeFile
{
public:
    static constexpr const char *FileName = "HighScore.mtt";
    // The value when nothing can be read; also an ordinary time (99.9 s).
    static constexpr std::int32_t Missing = 999;
    // Only this much of the file is ever read: the number stands at its start.
    static constexpr int PrefixSize = 4096;
    // How long a save waits for another copy of the game to finish its own.
    static constexpr int LockWaitMs = 5000;

    // Runs between the steps of a save, with the name of the step just done
    // ("found", "locked", "read", "written", "moved"): lets a test act
    // as a hostile neighbour or as another copy at any instant.
    using StepHook = std::function<void(std::string_view step)>;

    // `carryOver`, when given, is read in place of `path` as long as `path`
    // does not exist yet; it is never written.
    explicit BestTimeFile(QString path, QString carryOver = {})
        : m_path(std::move(path)), m_carryOver(std::move(carryOver)) {}

    // Beside the program, where portable copies keep their record, when this
    // user can write that folder. Otherwise (an installed copy under /usr)
    // the player's own data folder, which starts from the record beside the
    // program, if one lies there, until it has one of its own.
    static BestTimeFile inWritableFolder(const QString &programFolder, const QString &userFolder);
    // The file this run of the program uses, decided once at load.
    static BestTimeFile forThisProgram();

    const QString &path() const { return m_path; }
    void setStepHook(StepHook hook) { m_stepHook = std::move(hook); }

    // The stored value, or nothing when the file is missing, is not a plain
    // file (a pipe, a device, a folder), is a link that the player would
    // not have made, cannot be read or holds no number. Never blocks and
    // never reads more than PrefixSize bytes.
    std::optional<std::int32_t> read() const;
    // The value the game starts with: read(), the carried-over record while
    // the file does not exist, or Missing.
    std::int32_t load() const;

    // Stores the smaller of `tenths` and the value the file holds now, so
    // that a copy of the game closing late never undoes a better time that
    // another copy saved. Another copy's save waits on a lock beside the
    // file. The new line goes to a temporary file that replaces the old one
    // only when it is complete and on disk, so neither a kill, a power cut
    // nor a full disk can lose the record; and nothing is ever written
    // through a link at the record's name, except the player's own link to
    // the player's own file. Returns the time the record keeps now, or
    // nothing, with the reason in `reason` when given.
    std::optional<std::int32_t> save(std::int32_t tenths, QString *reason = nullptr) const;

private:
    void step(std::string_view name) const
    {
        if (m_stepHook)
            m_stepHook(name);
    }

    QString m_path;
    QString m_carryOver;
    StepHook m_stepHook;
};
