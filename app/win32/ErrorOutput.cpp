// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/win32/ErrorOutput.h"
#include "app/win32/WideText.h"

#include <windows.h>

#include <string>

void writeErrorLine(const std::string &line)
{
    const std::wstring wide = widen(line) + L"\n";
    ::OutputDebugStringW(wide.c_str());

    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(error, &mode)) {
        // A console shows wide text as it is, whatever its code page.
        ::WriteConsoleW(error, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::string bytes = line + "\n";
    ::WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
