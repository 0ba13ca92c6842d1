// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <string>

// Tells `line` (UTF-8, without its line end) to the debugger's output and,
// when the program has a standard error, there too: a window program has
// none unless it was started from a console or with its output sent to a
// file or a pipe.
void writeErrorLine(const std::string &line);
