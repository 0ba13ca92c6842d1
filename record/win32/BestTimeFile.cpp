// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/win32/BestTimeFile.h"

#include <memory>
#include <string>
#include <utility>

namespace {
const std::wstring FileName = L"HighScore.mtt";

std::unique_ptr<RecordFile> inDataFolder(std::function<std::wstring()> dataFolder)
{
    if (!dataFolder)
        return nullptr;
    return std::make_unique<RecordFile>(std::function<std::wstring()>([folder = std::move(dataFolder)] {
        const std::wstring path = folder();
        return path.empty() ? std::wstring() : RecordFile::inFolder(path, FileName);
    }));
}
} // namespace

BestTimeFile::BestTimeFile(std::wstring besideProgram, std::function<std::wstring()> dataFolder)
    : m_beside(std::make_unique<RecordFile>(std::move(besideProgram)))
    , m_data(inDataFolder(std::move(dataFolder)))
    , m_record(BestTimeRecord::choose(*m_beside, m_data.get()))
{
}

BestTimeFile BestTimeFile::forThisProgram()
{
    return BestTimeFile(RecordFile::inFolder(RecordFile::programFolder(), FileName), RecordFile::roamingFolder);
}

const std::wstring &BestTimeFile::path() const
{
    return &m_record.store() == m_beside.get() ? m_beside->path() : m_data->path();
}
