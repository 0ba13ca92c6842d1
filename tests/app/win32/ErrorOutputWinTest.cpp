// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/win32/ErrorOutput.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {
std::wstring temporaryFile()
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder) + L"tamblo-stderr-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
}

std::string bytesOf(const std::wstring &path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<unreadable>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}
} // namespace

TEST(ErrorOutputWin, AFailedSaveIsOneUtf8LineOnStandardError)
{
    const std::string line = "tamblo: the best time could not be saved to C:\\\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0"
                             "\\HighScore.mtt: a folder stands at its place";
    const std::wstring errors = temporaryFile();
    const HANDLE before = GetStdHandle(STD_ERROR_HANDLE);
    const HANDLE file = CreateFileW(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetStdHandle(STD_ERROR_HANDLE, file);
    writeErrorLine(line);
    SetStdHandle(STD_ERROR_HANDLE, before);
    CloseHandle(file);
    EXPECT_EQ(bytesOf(errors), line + "\n");
    DeleteFileW(errors.c_str());

    // Without a standard error (a window program started from Explorer)
    // the line goes to the debugger only, and nothing fails.
    SetStdHandle(STD_ERROR_HANDLE, nullptr);
    writeErrorLine(line);
    SetStdHandle(STD_ERROR_HANDLE, before);
}
