// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/win32/ErrorOutput.h"
#include "app/win32/Form1.h"

#include <windows.h>

#include <exception>
#include <string>

namespace {
int run(HINSTANCE instance, int show)
{
    Form1 window(instance);
    window.Show(show);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.routeDialogKeys(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    // The window's own events never throw out of it; what can still fail
    // here is making the window, and the program then ends saying why.
    try {
        return run(instance, show);
    } catch (const std::exception &error) {
        writeErrorLine(std::string("tamblo: the game could not start: ") + error.what());
    }
    return 1;
}
