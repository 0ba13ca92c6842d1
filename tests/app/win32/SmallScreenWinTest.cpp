// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// The Windows window on a small screen at a large scale: 1024 x 600 at
// 144 dpi (150 %), where the window at the screen's density would be taller
// than the screen. Runs under Wine on an X server of that size, in a prefix
// set to that density (tests/app/win32/CMakeLists.txt).
#include "app/RandomSource.h"
#include "app/win32/ControlArray.h"
#include "app/win32/Form1.h"
#include "board/StageLayout.h"
#include "render/PhaseDisc.h"
#include "tests/render/win32/DeviceCapture.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {
// The program is per-monitor aware through its manifest; this test, which
// has none, says so before its first window, so that it sees the screen's
// own density as the program does rather than one scaled for it. (A
// system that treats every program so already refuses the call.)
[[maybe_unused]] const BOOL perMonitorAware =
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

Form1::Seams seams()
{
    Form1::Seams seams;
    seams.random = RandomSource(20261);
    seams.recordPath = L"C:\\tamblo-no-such-folder\\HighScore.mtt";
    seams.messageBox = [](const std::wstring &, BoxStyle style, const std::wstring &) {
        return style == BoxStyle::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    };
    return seams;
}

void pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

RECT workArea(HWND window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

RECT onScreen(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

RECT clientOnScreen(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&client), 2);
    return client;
}

bool within(const RECT &inner, const RECT &outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right
           && inner.bottom <= outer.bottom;
}

// The screen is what the test is about: without it nothing here would fail.
testing::AssertionResult smallDenseScreen(const Form1 &form)
{
    const RECT work = workArea(form.hwnd());
    const UINT dpi = GetDpiForWindow(form.hwnd());
    if (dpi == 144 && work.bottom - work.top <= 600)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "not a 600 pixels high screen at 150 %: " << dpi << " dpi, a work area "
                                       << work.bottom - work.top << " pixels high";
}

void answerRightly(Form1 &form)
{
    const int age = form.state().answerAge;
    for (int i = 0; i < form.Command1().count(); ++i) {
        if (form.Command1().caption(i) != std::to_wstring(age))
            continue;
        HWND button = form.Command1().item(i);
        SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        pump();
        return;
    }
    FAIL() << "no button carries the age " << age;
}
} // namespace

TEST(SmallScreenWin, TheWholeWindowAndTheLastStageFitAtTheLargestScaleThatFits)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    form.Show(SW_SHOWNOACTIVATE);
    pump();
    ASSERT_TRUE(smallDenseScreen(form));

    // At 150 % the window would be some 750 pixels high: the game area
    // takes 100 %, while the caption and menu bar stay at 150 %.
    EXPECT_EQ(form.scale().dpi(), 96);
    const RECT work = workArea(form.hwnd());
    EXPECT_TRUE(within(onScreen(form.hwnd()), work));
    const RECT client = clientOnScreen(form.hwnd());
    EXPECT_EQ(client.right - client.left, 200);
    EXPECT_EQ(client.bottom - client.top, 450);

    SendMessageW(form.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 200));
    SendMessageW(form.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(100, 200));
    pump();
    for (int stage = 0; stage < 5; ++stage) {
        ASSERT_EQ(form.state().stage, stage);
        answerRightly(form);
    }
    ASSERT_EQ(form.state().stage, 5);
    for (int i = 0; i < StageLayout::ButtonCount; ++i) {
        HWND button = form.Command1().item(i);
        EXPECT_TRUE(IsWindowVisible(button)) << "button " << i;
        EXPECT_TRUE(within(onScreen(button), client)) << "button " << i;
    }

    // The disc at 100 %: every game pixel one device pixel of its colour.
    DeviceCapture capture(200, 450);
    DeviceCapture::printClient(form.hwnd(), capture);
    const PhaseDisc::Picture &picture = PhaseDisc::cached(form.state().answerAge, Form1::Background);
    for (int y = 0; y < PhaseDisc::Side; ++y)
        for (int x = 0; x < PhaseDisc::Side; ++x)
            ASSERT_EQ(capture.at(PhaseDisc::Left + x, PhaseDisc::Top + y), picture[y * PhaseDisc::Side + x] & 0xFFFFFFu)
                << "game (" << x << ", " << y << ")";
}

TEST(SmallScreenWin, AMoveToADenserScreenOrAChangedScreenKeepsTheWindowOnItsWorkArea)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    form.Show(SW_SHOWNOACTIVATE);
    pump();
    ASSERT_TRUE(smallDenseScreen(form));

    // The system suggests a place half off the screen's lower right corner.
    const RECT work = workArea(form.hwnd());
    RECT suggested{work.right - 100, work.bottom - 100, work.right + 500, work.bottom + 1000};
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    pump();

    EXPECT_EQ(form.scale().dpi(), 96);
    EXPECT_TRUE(within(onScreen(form.hwnd()), work));
    RECT client;
    GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 450);

    // A new resolution, or a work area that changed, finds the window half
    // off the screen, where it was left: it comes back whole.
    const std::pair<UINT, WPARAM> changes[] = {{WM_DISPLAYCHANGE, 24}, {WM_SETTINGCHANGE, SPI_SETWORKAREA}};
    for (const auto &[message, wParam] : changes) {
        SetWindowPos(form.hwnd(), nullptr, work.right - 100, work.bottom - 100, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(form.hwnd(), message, wParam, message == WM_DISPLAYCHANGE ? MAKELPARAM(1024, 600) : 0);
        pump();
        EXPECT_TRUE(within(onScreen(form.hwnd()), work)) << "after message " << message;
        EXPECT_EQ(form.scale().dpi(), 96) << "after message " << message;
    }
}
