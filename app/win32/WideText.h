// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// The game's texts are UTF-8; the window speaks UTF-16.
std::wstring widen(const std::string &utf8);
std::string narrow(const std::wstring &utf16);
