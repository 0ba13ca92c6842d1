// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Tells the Wine test what is on the Windows desktop, one line per visible
// top-level window, in UTF-8 and tab-separated:
//   window <title> <client left> <client top> <client width> <client height>
//   box    <title> <message> <buttons, separated by '|'>
// A box is a dialog of the system's dialog class (what MessageBoxW shows);
// its message has its line breaks written as "\n", and each of its buttons
// is given as caption@x,y with the screen point at its centre. Coordinates
// are screen pixels, so the test can click there with XTEST.
//
// It also stands in for other programs around the game:
//   hold FILE SECONDS   opens FILE without sharing and keeps it open
//   lock RECORD SECONDS [LINE]
//                       holds the record's lock as another copy of the
//                       game does, writes LINE CR LF into the record under
//                       it, then lets go
//   close               asks the game's window to close (WM_CLOSE) and
//                       prints the milliseconds until it is off the screen
//   answers             prints whether the game's window answers a message
//                       within a second and paints what was invalidated
// Each prints "ready" once it holds what it holds.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
std::string utf8(const std::wstring &text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

std::wstring textOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring classOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// Tabs and line breaks would break the line format.
std::wstring oneLine(std::wstring text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\r')
            continue;
        if (c == L'\n')
            out += L"\\n";
        else
            out += c == L'\t' ? L' ' : c;
    }
    return out;
}

struct BoxParts {
    std::wstring message;
    std::vector<std::wstring> buttons;
};

// caption@x,y, the point at the button's centre.
std::wstring buttonOf(HWND button)
{
    RECT frame{};
    GetWindowRect(button, &frame);
    return oneLine(textOf(button)) + L"@" + std::to_wstring((frame.left + frame.right) / 2) + L","
           + std::to_wstring((frame.top + frame.bottom) / 2);
}

BOOL CALLBACK collectPart(HWND child, LPARAM parts)
{
    auto &box = *reinterpret_cast<BoxParts *>(parts);
    const std::wstring kind = classOf(child);
    if (!IsWindowVisible(child))
        return TRUE;
    if (lstrcmpiW(kind.c_str(), L"Button") == 0)
        box.buttons.push_back(buttonOf(child));
    else if (lstrcmpiW(kind.c_str(), L"Static") == 0 && !textOf(child).empty())
        box.message = textOf(child);
    return TRUE;
}

void printBox(HWND box)
{
    BoxParts parts;
    EnumChildWindows(box, collectPart, reinterpret_cast<LPARAM>(&parts));
    std::wstring buttons;
    for (const std::wstring &caption : parts.buttons)
        buttons += (buttons.empty() ? L"" : L"|") + caption;
    std::printf("box\t%s\t%s\t%s\n", utf8(oneLine(textOf(box))).c_str(), utf8(oneLine(parts.message)).c_str(),
                utf8(buttons).c_str());
}

void printWindow(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("window\t%s\t%ld\t%ld\t%ld\t%ld\n", utf8(oneLine(textOf(window))).c_str(), origin.x, origin.y,
                client.right - client.left, client.bottom - client.top);
}

BOOL CALLBACK printTopLevel(HWND window, LPARAM)
{
    if (!IsWindowVisible(window) || textOf(window).empty())
        return TRUE;
    if (classOf(window) == L"#32770")
        printBox(window);
    else
        printWindow(window);
    return TRUE;
}
} // namespace

HWND gameWindow()
{
    return FindWindowW(L"Tamblo.Form1", nullptr);
}

void ready()
{
    std::puts("ready");
    std::fflush(stdout);
}

int hold(const wchar_t *path, int seconds)
{
    HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    ready();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    CloseHandle(file);
    return 0;
}

int lock(const std::wstring &record, int seconds, const wchar_t *line)
{
    HANDLE file = CreateFileW((record + L".lock").c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN, nullptr);
    OVERLAPPED start{};
    if (file == INVALID_HANDLE_VALUE || !LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &start))
        return 1;
    ready();
    Sleep(static_cast<DWORD>(seconds) * 1000);
    if (line) {
        const std::string text = utf8(line) + "\r\n";
        HANDLE out = CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD wrote = 0;
        if (out == INVALID_HANDLE_VALUE || !WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr))
            return 1;
        CloseHandle(out);
    }
    UnlockFileEx(file, 0, 1, 0, &start);
    CloseHandle(file);
    return 0;
}

int closeGameWindow()
{
    HWND window = gameWindow();
    if (!window || !IsWindowVisible(window))
        return 1;
    const ULONGLONG asked = GetTickCount64();
    PostMessageW(window, WM_CLOSE, 0, 0);
    while (IsWindow(window) && IsWindowVisible(window) && GetTickCount64() - asked < 60000)
        Sleep(5);
    std::printf("%llu\n", GetTickCount64() - asked);
    return 0;
}

int answers()
{
    HWND window = gameWindow();
    if (!window)
        return 1;
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 1000, &result) != 0;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE);
    Sleep(500);
    const bool painted = !GetUpdateRect(window, nullptr, FALSE);
    std::printf("%s %s\n", answered ? "answers" : "silent", painted ? "painted" : "unpainted");
    return 0;
}

int probe(int argc, wchar_t **argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"hold" && argc == 4)
        return hold(argv[2], _wtoi(argv[3]));
    if (mode == L"lock" && (argc == 4 || argc == 5))
        return lock(argv[2], _wtoi(argv[3]), argc == 5 ? argv[4] : nullptr);
    if (mode == L"close" && argc == 2)
        return closeGameWindow();
    if (mode == L"answers" && argc == 2)
        return answers();
    return 2;
}

int main()
{
    // Screen pixels as they are, at any display density and on any monitor.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    _setmode(_fileno(stdout), _O_BINARY); // "\n", not "\r\n"
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc > 1)
        return probe(argc, argv);
    EnumWindows(printTopLevel, 0);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
