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
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
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

int main()
{
    // Screen pixels as they are, at any display density and on any monitor.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    _setmode(_fileno(stdout), _O_BINARY); // "\n", not "\r\n"
    EnumWindows(printTopLevel, 0);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
