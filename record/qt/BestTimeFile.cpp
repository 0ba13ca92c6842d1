// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "BestTimeFile.h"

#include <QFile>

#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace {
std::unique_ptr<RecordFile> fileAt(const std::string &path)
{
    return path.empty() ? nullptr : std::make_unique<RecordFile>(path);
}

std::string inFolder(const std::string &folder, const char *name)
{
    return (folder.empty() || folder.back() != '/' ? folder + "/" : folder) + name;
}
}

BestTimeFile::BestTimeFile(std::string path, std::string other)
    : m_home(fileAt(path)), m_other(fileAt(other)), m_record(*m_home, m_other.get())
{
}

BestTimeFile::BestTimeFile(const QString &path, const QString &other)
    : BestTimeFile(QFile::encodeName(path).toStdString(),
                   other.isEmpty() ? std::string() : QFile::encodeName(other).toStdString())
{
}

BestTimeFile BestTimeFile::inWritableFolder(const std::string &programFolder, const std::string &userFolder)
{
    const std::string besideProgram = inFolder(programFolder, FileName);
    if (userFolder.empty())
        return BestTimeFile(besideProgram);
    const std::string inUserFolder = inFolder(userFolder, FileName);
    RecordFile beside(besideProgram);
    RecordFile data(inUserFolder);
    // The place not chosen is still read: a record left there while the
    // other could not be written keeps counting.
    if (&BestTimeRecord::choose(beside, &data).store() == &beside)
        return BestTimeFile(besideProgram, inUserFolder);
    return BestTimeFile(inUserFolder, besideProgram);
}

BestTimeFile BestTimeFile::forThisProgram()
{
    return inWritableFolder(RecordFile::programFolder(), RecordFile::dataFolder());
}

QString BestTimeFile::path() const
{
    return QFile::decodeName(m_home->path().c_str());
}
