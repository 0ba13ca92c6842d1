// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "record/BestTimeRecord.h"
#include "record/qt/RecordFile.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The record of this program on Linux: the file it lives in, the file it is
// carried over from, and the game's rules over both.
class BestTimeFile
{
public:
    static constexpr const char *FileName = BestTimeRecord::FileName;
    static constexpr std::int32_t Missing = BestTimeRecord::Missing;
    static constexpr std::size_t PrefixSize = BestTimeRecord::PrefixSize;

    // `other`, when given, is the second place a record may stand in, read
    // as BestTimeRecord says and never written. Paths in the system's
    // bytes.
    explicit BestTimeFile(std::string path, std::string other = {});
    explicit BestTimeFile(const QString &path, const QString &other = {});
    BestTimeFile(const BestTimeFile &) = delete;
    BestTimeFile &operator=(const BestTimeFile &) = delete;
    // The stores stay where they are, and so the rules' view of them.
    BestTimeFile(BestTimeFile &&) noexcept = default;
    BestTimeFile &operator=(BestTimeFile &&) = delete;

    // The record beside the program or in the player's data folder, as the
    // game's rules choose between the two.
    static BestTimeFile inWritableFolder(const std::string &programFolder, const std::string &userFolder);
    // The file this run of the program uses, decided once at load.
    static BestTimeFile forThisProgram();

    QString path() const;
    RecordFile &store() const { return *m_home; }
    // The rules over these files; valid as long as this object lives.
    BestTimeRecord &record() { return m_record; }
    const BestTimeRecord &record() const { return m_record; }

private:
    std::unique_ptr<RecordFile> m_home;
    std::unique_ptr<RecordFile> m_other;
    BestTimeRecord m_record;
};
