#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The one-line file that keeps the best clear time from run to run.
class BestTimeFile
{
public:
    static constexpr const char *FileName = "HighScore.mtt";
    // The value when nothing can be read; also an ordinary time (99.9 s).
    static constexpr std::int32_t Missing = 999;
    // Only this much of the file is ever read: the number stands at its start.
    static constexpr int PrefixSize = 4096;

    explicit BestTimeFile(QString path) : m_path(std::move(path)) {}

    // Beside the program, where portable copies keep their record, when this
    // user can write that folder; otherwise (an installed copy under /usr)
    // the player's own data folder, so that no best time is forgotten.
    static BestTimeFile inWritableFolder(const QString &programFolder, const QString &userFolder);
    // The file this run of the program uses, decided once at load.
    static BestTimeFile forThisProgram();

    const QString &path() const { return m_path; }

    // The stored value, or nothing when the file is missing, is not a plain
    // file (a pipe, a device, a folder), cannot be read or holds no number.
    // Never blocks and never reads more than PrefixSize bytes.
    std::optional<std::int32_t> read() const;
    std::int32_t load() const { return read().value_or(Missing); }

    // Replaces the file with the value's line. The old file stays as it was
    // until the new one is complete, so neither a kill nor a full disk can
    // lose the record. Returns false when nothing could be written.
    bool save(std::int32_t tenths) const;

private:
    bool clearNonFile() const;

    QString m_path;
};
