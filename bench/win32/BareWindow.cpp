// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// The start-up baseline of the Windows game: the least any Win32 program
// with the game's window costs. A window of the same class (fixed single
// border, system menu, minimise and close), the same 200 x 450 client area
// in the same colour, centred, with the one-command menu bar; nothing else.
// startup_probe.exe times it against the game.
#include <windows.h>

namespace {
constexpr DWORD Style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HMENU oneCommandMenu()
{
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 1, L"ハイスコア");
    return menu;
}

// The outer size that gives the client area its 200 x 450 pixels below the
// menu bar, placed in the middle of the work area.
RECT centredFrame(HMENU menu)
{
    RECT frame{0, 0, 200, 450};
    AdjustWindowRectEx(&frame, Style, menu != nullptr, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + (work.right - work.left - width) / 2;
    const int top = work.top + (work.bottom - work.top - height) / 2;
    return {left, top, left + width, top + height};
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 0, 64));
    windowClass.lpszClassName = L"BareWindow";
    if (!RegisterClassExW(&windowClass))
        return 1;

    HMENU menu = oneCommandMenu();
    const RECT frame = centredFrame(menu);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Tamblo", Style, frame.left, frame.top,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, menu, instance,
                                  nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
