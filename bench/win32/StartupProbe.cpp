// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Times how long a Windows program takes from its start until its window
// is on the screen and painted: the moment the top-left pixel of its client
// area shows the background colour RGB(0, 0, 64), read back from the
// screen. Started from inside the same desktop session, the clock counts
// what the player waits for, not the set-up of the session itself.
//   startup_probe.exe <runs> <program.exe>...
// starts the programs in turn, so that a busy machine weighs on all alike,
// and prints one line per start: "<program's place in the list> <ms>". It
// fails when a window does not come within 20 seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {
struct Search {
    DWORD process;
    HWND window;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM search)
{
    auto &wanted = *reinterpret_cast<Search *>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != wanted.process || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr)
        return TRUE;
    wanted.window = window;
    return FALSE;
}

HWND visibleWindowOf(DWORD process)
{
    Search search{process, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.window;
}

bool painted(HWND window)
{
    POINT origin{0, 0};
    if (!ClientToScreen(window, &origin))
        return false;
    HDC screen = GetDC(nullptr);
    const COLORREF pixel = GetPixel(screen, origin.x, origin.y);
    ReleaseDC(nullptr, screen);
    return pixel == RGB(0, 0, 64);
}

double millisecondsSince(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One start: the time until the first paint shows, or a negative number.
double timeOneStart(const std::wstring &program)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &child))
        return -1;
    double elapsed = -1;
    while (millisecondsSince(start) < 20000) {
        HWND window = visibleWindowOf(child.dwProcessId);
        if (window && painted(window)) {
            elapsed = millisecondsSince(start);
            break;
        }
        Sleep(1);
    }
    // Ended at once: a record or any other state stays as it was.
    TerminateProcess(child.hProcess, 0);
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return elapsed;
}
} // namespace

int main()
{
    int count = 0;
    wchar_t **args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count < 3) {
        std::fprintf(stderr, "usage: startup_probe.exe <runs> <program.exe>...\n");
        return 2;
    }
    const int runs = static_cast<int>(std::wcstol(args[1], nullptr, 10));
    for (int run = 0; run < runs; ++run) {
        for (int program = 2; program < count; ++program) {
            const double elapsed = timeOneStart(args[program]);
            if (elapsed < 0) {
                std::fprintf(stderr, "startup_probe: no painted window of program %d within 20 s\n", program - 1);
                return 1;
            }
            std::printf("%d %.1f\n", program - 1, elapsed);
            std::fflush(stdout);
        }
    }
    return 0;
}
