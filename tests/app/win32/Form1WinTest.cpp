// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// The Windows window driven through its messages, with scripted boxes and
// chance: what the window adds to the rules (its design, the labels' and
// buttons' clicks, the keyboard, the layout on the device, closing and the
// end of a session). Needs a display: under Wine, an X server.
#include "app/win32/ControlArray.h"
#include "app/win32/Form1.h"
#include "app/win32/WideText.h"
#include "app/RandomSource.h"
#include "board/StageLayout.h"
#include "render/DiscText.h"
#include "render/PhaseDisc.h"
#include "tests/render/win32/DeviceCapture.h"

#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {
struct Box
{
    std::wstring prompt;
    BoxStyle style;
    std::wstring title;
};

// A folder of the test's own for the record, removed at the end.
class RecordFolder
{
public:
    RecordFolder()
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"tamblo-form1-" + std::to_wstring(GetCurrentProcessId()) + L"-"
                   + std::to_wstring(++s_count);
        CreateDirectoryW(m_folder.c_str(), nullptr);
    }
    ~RecordFolder()
    {
        DeleteFileW(path().c_str());
        DeleteFileW((path() + L".lock").c_str());
        RemoveDirectoryW(m_folder.c_str());
    }
    std::wstring path() const { return m_folder + L"\\HighScore.mtt"; }
    std::optional<std::string> contents() const
    {
        std::ifstream file(std::filesystem::path(path()), std::ios::binary);
        if (!file)
            return std::nullopt;
        return std::string(std::istreambuf_iterator<char>(file), {});
    }

private:
    static inline int s_count = 0;
    std::wstring m_folder;
};

// Runs what is queued, as the program's loop does.
void pump(Form1 &form)
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            continue; // the loop of a test goes on after the window
        if (form.routeDialogKeys(message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Whether Timer1 runs: a running timer has a WM_TIMER waiting once its
// interval has passed.
bool timerRuns(const Form1 &form)
{
    Sleep(150);
    MSG message;
    return PeekMessageW(&message, form.hwnd(), WM_TIMER, WM_TIMER, PM_NOREMOVE) && message.wParam == Form1::Timer1Id;
}

// The window's client area as it paints itself, read at game pixels.
class Screen
{
public:
    explicit Screen(const Form1 &form)
        : m_scale(form.scale()), m_capture(m_scale.px(Form1::ClientWidth), m_scale.px(Form1::ClientHeight))
    {
        DeviceCapture::printClient(form.hwnd(), m_capture);
    }
    // Game pixel (x, y), read one device pixel inside its block.
    std::uint32_t pixel(int x, int y) const
    {
        return m_capture.at(m_scale.px(x) + (m_scale.px(1) > 1 ? 1 : 0), m_scale.px(y) + (m_scale.px(1) > 1 ? 1 : 0));
    }

private:
    DpiScale m_scale;
    DeviceCapture m_capture;
};

void expectDisc(const Form1 &form)
{
    const Screen screen(form);
    const PhaseDisc::Picture &picture = PhaseDisc::cached(form.state().answerAge, Form1::Background);
    for (int y = 0; y < PhaseDisc::Side; ++y)
        for (int x = 0; x < PhaseDisc::Side; ++x)
            ASSERT_EQ(screen.pixel(PhaseDisc::Left + x, PhaseDisc::Top + y), picture[y * PhaseDisc::Side + x] & 0xFFFFFFu)
                << "game (" << x << ", " << y << ") at " << form.scale().dpi() << " dpi";

    // The disc's label lies over the disc and paints the same pixels.
    const DpiScale scale = form.scale();
    const RECT place = form.Disc().place();
    ASSERT_EQ(place.left, scale.px(PhaseDisc::Left));
    ASSERT_EQ(place.top, scale.px(PhaseDisc::Top));
    ASSERT_EQ(place.right, scale.px(PhaseDisc::Left + PhaseDisc::Side));
    ASSERT_EQ(place.bottom, scale.px(PhaseDisc::Top + PhaseDisc::Side));
    const DeviceCapture label(place.right - place.left, place.bottom - place.top);
    DeviceCapture::printClient(form.Disc().hwnd(), label);
    const int inset = scale.px(1) > 1 ? 1 : 0;
    for (int y = 0; y < PhaseDisc::Side; ++y)
        for (int x = 0; x < PhaseDisc::Side; ++x)
            ASSERT_EQ(label.at(scale.px(PhaseDisc::Left + x) - place.left + inset,
                               scale.px(PhaseDisc::Top + y) - place.top + inset),
                      picture[y * PhaseDisc::Side + x] & 0xFFFFFFu)
                << "the label at game (" << x << ", " << y << ") at " << scale.dpi() << " dpi";
}

// What a screen reader reads as a window's name.
std::wstring accessibleName(HWND window)
{
    IAccessible *accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void **>(&accessible))))
        return L"(no accessible object)";
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    const HRESULT result = accessible->get_accName(self, &name);
    std::wstring text = SUCCEEDED(result) && name ? std::wstring(name, SysStringLen(name)) : L"(no name)";
    SysFreeString(name);
    accessible->Release();
    return text;
}

// Makes the system refuse the answer buttons from the `first`-th one this
// thread creates on, through the hook that may veto any window's creation.
class RefusedButtons
{
public:
    explicit RefusedButtons(int first)
    {
        s_left = first;
        m_hook = SetWindowsHookExW(WH_CBT, refuse, nullptr, GetCurrentThreadId());
    }
    ~RefusedButtons() { UnhookWindowsHookEx(m_hook); }
    RefusedButtons(const RefusedButtons &) = delete;
    RefusedButtons &operator=(const RefusedButtons &) = delete;
    bool active() const { return m_hook != nullptr; }

private:
    static LRESULT CALLBACK refuse(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            const CREATESTRUCTW *created = reinterpret_cast<CBT_CREATEWNDW *>(lParam)->lpcs;
            const auto name = reinterpret_cast<ULONG_PTR>(created->lpszClass);
            if (name > 0xFFFF && _wcsicmp(created->lpszClass, L"BUTTON") == 0 && --s_left <= 0)
                return 1;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline int s_left = 0;
    HHOOK m_hook;
};

class Form1Win : public ::testing::Test
{
protected:
    // Answers every box with `answer` unless the test says otherwise.
    Form1::Seams seams()
    {
        Form1::Seams seams;
        seams.random = RandomSource(20260);
        seams.recordPath = record.path();
        seams.messageBox = [this](const std::wstring &prompt, BoxStyle style, const std::wstring &title) {
            boxes.push_back({prompt, style, title});
            if (onBox)
                onBox();
            return style == BoxStyle::YesNo ? retryAnswer : BoxAnswer::Ok;
        };
        return seams;
    }

    static POINT device(const Form1 &form, int x, int y) { return {form.scale().px(x), form.scale().px(y)}; }

    static void click(Form1 &form, POINT at, std::optional<POINT> releaseAt = std::nullopt)
    {
        const POINT up = releaseAt.value_or(at);
        SendMessageW(form.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageW(form.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
    }

    static std::vector<int> shownIndices(const Form1 &form)
    {
        std::vector<int> shown;
        // Shown, even while the window itself is not on screen.
        for (int i = 0; i < form.Command1().count(); ++i)
            if (GetWindowLongW(form.Command1().item(i), GWL_STYLE) & WS_VISIBLE)
                shown.push_back(i);
        return shown;
    }

    static int rightIndex(const Form1 &form)
    {
        for (int i : shownIndices(form))
            if (form.Command1().caption(i) == std::to_wstring(form.state().answerAge))
                return i;
        ADD_FAILURE() << "no shown button carries the age " << form.state().answerAge;
        return 0;
    }

    static void keyDown(Form1 &form, WPARAM key, bool repeat = false)
    {
        HWND focus = GetFocus();
        MSG message{focus ? focus : form.hwnd(), WM_KEYDOWN, key, repeat ? (1 << 30) | 1 : 1, 0, {}};
        if (!form.routeDialogKeys(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        pump(form);
    }

    RecordFolder record;
    std::vector<Box> boxes;
    std::function<void()> onBox;
    BoxAnswer retryAnswer = BoxAnswer::No;
};
} // namespace

TEST_F(Form1Win, TitleScreenIsTheDesignedWindow)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    form.Show(SW_SHOWNOACTIVATE);
    pump(form);

    RECT client;
    GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, form.scale().px(200));
    EXPECT_EQ(client.bottom, form.scale().px(450));
    const LONG style = GetWindowLongW(form.hwnd(), GWL_STYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX));
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    wchar_t text[64] = {};
    GetWindowTextW(form.hwnd(), text, 64);
    EXPECT_STREQ(text, L"Tamblo");

    // One command on the menu bar, no submenu.
    HMENU menu = GetMenu(form.hwnd());
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    EXPECT_EQ(GetSubMenu(menu, 0), nullptr);
    EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(Form1::HighScoreId));
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"ハイスコア");

    // Centred on the work area of its monitor.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(form.hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT window;
    GetWindowRect(form.hwnd(), &window);
    EXPECT_NEAR(window.left + window.right, monitor.rcWork.left + monitor.rcWork.right, 1);
    EXPECT_NEAR(window.top + window.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);

    // Element 0 alone, hidden at its design place; no disc; timer off.
    ASSERT_EQ(form.Command1().count(), 1);
    EXPECT_FALSE(GetWindowLongW(form.Command1().item(0), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(form.Command1().caption(0), L"Command1");
    const RECT element0 = form.Command1().place(0);
    EXPECT_EQ(element0.left, form.scale().px(176));
    EXPECT_EQ(element0.top, form.scale().px(424));
    EXPECT_EQ(element0.right, form.scale().px(209));
    EXPECT_EQ(element0.bottom, form.scale().px(457));
    EXPECT_EQ(GetDlgCtrlID(form.Command1().item(0)), ControlArray::FirstId);
    const Screen screen(form);
    EXPECT_EQ(screen.pixel(1, 1), 0x000040u);
    EXPECT_EQ(screen.pixel(198, 1), 0x000040u);
    EXPECT_FALSE(timerRuns(form));
    EXPECT_TRUE(form.Label1().visible);
    EXPECT_EQ(form.Label1().caption, L"\u3000" + std::wstring(24, L' ') + L"Tamblo");
    EXPECT_EQ(form.Label2().caption, L"クリックしてください");
    EXPECT_EQ(form.state().bestTenths, 999);
}

TEST_F(Form1Win, AClickIsAPressAndAReleaseOnOneLabel)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    // Pressed on the title label, released on the bottom row, which is the
    // prompt label's alone: no click.
    click(form, device(form, 100, 448), device(form, 100, 449));
    EXPECT_TRUE(form.Label1().visible);
    EXPECT_EQ(form.Command1().count(), 1);
    // Released outside the window: no click either.
    click(form, device(form, 100, 100), POINT{-10, -10});
    EXPECT_TRUE(form.Label1().visible);
    // On the bottom row alone: the prompt label starts the game.
    click(form, device(form, 100, 449));
    EXPECT_FALSE(form.Label1().visible);
    EXPECT_EQ(form.Command1().count(), StageLayout::ButtonCount);
}

TEST_F(Form1Win, StartShowsTheDiscTheQuestionAndStageZero)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    const int age = form.state().answerAge;
    click(form, device(form, 100, 200));

    EXPECT_TRUE(timerRuns(form));
    EXPECT_EQ(form.Label2().top, 227);
    EXPECT_EQ(form.Label2().caption, L"この月の月齢は？");
    expectDisc(form);

    ASSERT_EQ(shownIndices(form), (std::vector<int>{0, 1}));
    const RECT first = form.Command1().place(0);
    const RECT second = form.Command1().place(1);
    const auto px = [&form](int v) { return form.scale().px(v); };
    EXPECT_EQ(first.left, px(10));
    EXPECT_EQ(first.top, px(260));
    EXPECT_EQ(first.right, px(100));
    EXPECT_EQ(first.bottom, px(350));
    EXPECT_EQ(second.left, px(100));
    EXPECT_EQ(second.right, px(190));
    EXPECT_EQ(form.Command1().caption(age / 15), std::to_wstring(age));
}

TEST_F(Form1Win, EachDiscIsAStaticControlNamedByItsWords)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Form1 form(GetModuleHandleW(nullptr), seams());
    form.Show(SW_SHOWNOACTIVATE);
    pump(form);
    HWND disc = form.Disc().hwnd();
    EXPECT_FALSE(IsWindowVisible(disc)) << "the title screen has no disc";
    click(form, device(form, 100, 200));
    for (int stage = 0; stage < 2; ++stage) {
        pump(form);
        const std::wstring words = widen(DiscText::cached(form.state().answerAge, Form1::Background));
        EXPECT_TRUE(IsWindowVisible(disc));
        wchar_t text[64] = {};
        GetWindowTextW(disc, text, 64);
        EXPECT_EQ(text, words) << "stage " << stage;
        EXPECT_EQ(accessibleName(disc), words) << "stage " << stage;
        wchar_t name[16] = {};
        GetClassNameW(disc, name, 16);
        EXPECT_EQ(_wcsicmp(name, L"Static"), 0);
        // Clicks on it reach the window, and the keyboard passes it by.
        EXPECT_EQ(SendMessageW(disc, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
        EXPECT_FALSE(GetWindowLongW(disc, GWL_STYLE) & WS_TABSTOP);
        SendMessageW(form.Command1().item(rightIndex(form)), BM_CLICK, 0, 0);
    }
    CoUninitialize();
}

TEST_F(Form1Win, AWholeGameOfClicksTilesEveryBoardAndEndsSaved)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    click(form, device(form, 100, 200));
    const int counts[] = {2, 3, 6, 10, 15, 30};
    for (int stage = 0; stage <= 5; ++stage) {
        ASSERT_EQ(form.state().stage, stage);
        const std::vector<int> shown = shownIndices(form);
        ASSERT_EQ(static_cast<int>(shown.size()), counts[stage]);
        // From stage 2 on the buttons tile the whole board, edge to edge.
        if (stage >= 2) {
            long area = 0;
            std::set<std::wstring> captions;
            for (int i : shown) {
                const RECT place = form.Command1().place(i);
                EXPECT_GE(place.left, form.scale().px(10));
                EXPECT_LE(place.right, form.scale().px(190));
                EXPECT_GE(place.top, form.scale().px(260));
                EXPECT_LE(place.bottom, form.scale().px(440));
                area += (place.right - place.left) * (place.bottom - place.top);
                captions.insert(form.Command1().caption(i));
            }
            const DpiScale scale = form.scale();
            EXPECT_EQ(area, (scale.px(190) - scale.px(10)) * (scale.px(440) - scale.px(260)));
            EXPECT_EQ(captions.size(), shown.size());
        }
        SendMessageW(form.Command1().item(rightIndex(form)), BM_CLICK, 0, 0);
    }
    // Six right answers, the clear, a new best, the retry question; No
    // closes the window, which saves.
    ASSERT_EQ(boxes.size(), 9u);
    EXPECT_EQ(boxes[5].prompt, L"正解!");
    EXPECT_EQ(boxes[6].prompt.rfind(L"ゲームクリア!\r\n\r\n所要時間 ", 0), 0u);
    EXPECT_EQ(boxes[7].prompt, L"ハイスコア更新!");
    EXPECT_EQ(boxes[8].prompt, L"また挑戦しますか？");
    EXPECT_EQ(boxes[8].style, BoxStyle::YesNo);
    EXPECT_EQ(boxes[8].title, L"Tamblo");
    EXPECT_EQ(form.hwnd(), nullptr);
    const std::int32_t best = form.state().bestTenths;
    EXPECT_LT(best, 999);
    EXPECT_EQ(record.contents(), std::to_string(best) + "\r\n");
}

TEST_F(Form1Win, TabMovesInIndexOrderAndReturnAnswersTheFocusedButton)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    form.Show(SW_SHOWNORMAL);
    SetForegroundWindow(form.hwnd());
    SetFocus(form.hwnd());
    pump(form);
    click(form, device(form, 100, 200));
    retryAnswer = BoxAnswer::Yes;

    keyDown(form, VK_TAB);
    EXPECT_EQ(GetFocus(), form.Command1().item(0));
    keyDown(form, VK_TAB);
    EXPECT_EQ(GetFocus(), form.Command1().item(1));
    keyDown(form, VK_TAB); // hidden buttons are passed over
    EXPECT_EQ(GetFocus(), form.Command1().item(0));

    const int right = rightIndex(form);
    SetFocus(form.Command1().item(right));
    keyDown(form, VK_RETURN, true); // a held key answers once, at its press
    EXPECT_TRUE(boxes.empty());
    keyDown(form, VK_RETURN);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].prompt, L"正解!");
    EXPECT_EQ(form.state().stage, 1);

    // Return on a wrong button: the game is over.
    const int wrong = rightIndex(form) == 0 ? 1 : 0;
    SetFocus(form.Command1().item(wrong));
    keyDown(form, VK_RETURN);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].prompt, L"残念!\u3000間違いです\r\n\r\nゲームオーバー");
}

TEST_F(Form1Win, ButtonsAreOrangeWithAnEdgeThatThickensWhilePressed)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    form.Show(SW_SHOWNOACTIVATE);
    click(form, device(form, 100, 200));
    HWND button = form.Command1().item(0);
    const RECT place = form.Command1().place(0);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    const int pixel = form.scale().px(1);

    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    const auto paint = [&] {
        SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    };
    paint();
    EXPECT_EQ(GetPixel(dc, 0, 0), ControlArray::Edge);
    EXPECT_EQ(GetPixel(dc, width - 1, height - 1), ControlArray::Edge);
    EXPECT_EQ(GetPixel(dc, pixel, pixel), ControlArray::Face);
    EXPECT_EQ(GetPixel(dc, width / 5, height / 2), ControlArray::Face);
    SendMessageW(button, BM_SETSTATE, TRUE, 0);
    paint();
    EXPECT_EQ(GetPixel(dc, pixel, pixel), ControlArray::Edge);
    EXPECT_EQ(GetPixel(dc, 2 * pixel, 2 * pixel), ControlArray::Face);
    SendMessageW(button, BM_SETSTATE, FALSE, 0);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

// What a wait for the record let through, seen from a thread timer that
// the wait itself dispatches.
struct DuringTheWait
{
    HWND window = nullptr;
    HANDLE held = INVALID_HANDLE_VALUE;
    int ticks = 0;
    bool painted = false;
    bool inputQueued = false;
    static inline DuringTheWait *current = nullptr;

    static void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD)
    {
        DuringTheWait &seen = *current;
        if (++seen.ticks == 1) {
            // A repaint is asked for, a click and a second menu command
            // arrive while the record is held.
            InvalidateRect(seen.window, nullptr, FALSE);
            PostMessageW(seen.window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 200));
            PostMessageW(seen.window, WM_COMMAND, MAKEWPARAM(Form1::HighScoreId, 0), 0);
            return;
        }
        MSG message;
        seen.painted = !GetUpdateRect(seen.window, nullptr, FALSE);
        seen.inputQueued = PeekMessageW(&message, seen.window, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_NOREMOVE);
        KillTimer(nullptr, timer);
        CloseHandle(std::exchange(seen.held, INVALID_HANDLE_VALUE));
    }
};

TEST_F(Form1Win, AWaitForTheRecordPaintsTheWindowAndLeavesTheInputQueued)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    form.Show(SW_SHOWNOACTIVATE);
    pump(form);
    std::ofstream(std::filesystem::path(record.path()), std::ios::binary) << "500\r\n";
    DuringTheWait seen;
    seen.window = form.hwnd();
    seen.held = CreateFileW(record.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(seen.held, INVALID_HANDLE_VALUE);
    DuringTheWait::current = &seen;
    SetTimer(nullptr, 0, 400, DuringTheWait::tick);

    SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(Form1::HighScoreId, 0), 0);
    EXPECT_EQ(seen.ticks, 2);
    EXPECT_TRUE(seen.painted);
    EXPECT_TRUE(seen.inputQueued);
    // The menu command that came during the wait was dropped; the first
    // one shows the time once the record could be read.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].prompt, L"クリアまでの最短時間 50.0秒");
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, form.hwnd(), WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
    if (seen.held != INVALID_HANDLE_VALUE)
        CloseHandle(seen.held);
}

TEST_F(Form1Win, ClosingSavesOnceAndTheEndOfASessionAnswersNo)
{
    {
        // The question is answered at once, with no wait on the record; a
        // session that goes on keeps the game, and the close saves.
        Form1 form(GetModuleHandleW(nullptr), seams());
        EXPECT_EQ(SendMessageW(form.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
        SendMessageW(form.hwnd(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
        EXPECT_NE(form.hwnd(), nullptr);
        EXPECT_FALSE(record.contents());
        SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
        EXPECT_EQ(form.hwnd(), nullptr);
        EXPECT_EQ(record.contents(), "999\r\n");
    }

    // Inside the game-over box the session ends: the record is on disk
    // before the box is gone, no question follows, and the window closes.
    DeleteFileW(record.path().c_str());
    Form1 form(GetModuleHandleW(nullptr), seams());
    click(form, device(form, 100, 200));
    std::optional<std::string> savedInsideTheBox;
    onBox = [&] {
        if (savedInsideTheBox)
            return;
        SendMessageW(form.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        savedInsideTheBox = record.contents().value_or("nothing");
    };
    const int wrong = rightIndex(form) == 0 ? 1 : 0;
    SendMessageW(form.Command1().item(wrong), BM_CLICK, 0, 0);
    pump(form);
    EXPECT_EQ(savedInsideTheBox, "999\r\n");
    ASSERT_EQ(boxes.size(), 1u); // the game-over box; the retry question was never asked
    EXPECT_EQ(form.hwnd(), nullptr);
}

TEST_F(Form1Win, ANewDensityDoublesTheWindowAndKeepsTheGame)
{
    Form1 form(GetModuleHandleW(nullptr), seams());
    form.Show(SW_SHOWNOACTIVATE);
    click(form, device(form, 100, 200));
    const int dpi = form.scale().dpi() * 2;
    const std::vector<std::wstring> captions{form.Command1().caption(0), form.Command1().caption(1)};

    SIZE asked{};
    ASSERT_TRUE(SendMessageW(form.hwnd(), WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&asked)));
    RECT suggested{10, 20, 10 + asked.cx, 20 + asked.cy};
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    pump(form);

    const DpiScale scale(dpi);
    EXPECT_EQ(form.scale(), scale);
    RECT client;
    GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, scale.px(200));
    EXPECT_EQ(client.bottom, scale.px(450));
    RECT window;
    GetWindowRect(form.hwnd(), &window);
    EXPECT_EQ(window.left, 10);
    EXPECT_EQ(window.top, 20);

    // The same stage, laid out anew: same buttons, same captions, no new
    // random numbers drawn.
    ASSERT_EQ(shownIndices(form), (std::vector<int>{0, 1}));
    const RECT second = form.Command1().place(1);
    EXPECT_EQ(second.left, scale.px(100));
    EXPECT_EQ(second.top, scale.px(260));
    EXPECT_EQ(second.right, scale.px(190));
    EXPECT_EQ(second.bottom, scale.px(350));
    EXPECT_EQ(form.Command1().caption(0), captions[0]);
    EXPECT_EQ(form.Command1().caption(1), captions[1]);
    // The disc is still there, every game pixel a block of the new size.
    expectDisc(form);

    // A density far beyond what this screen could show the window at: the
    // game area takes the largest scale that fits, down to 100 %, and no
    // font or bitmap of the absurd density is ever asked for. Nothing
    // leaves the window procedure, and the game stays as it was.
    RECT huge{0, 0, 60000, 60000};
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(65535, 65535), reinterpret_cast<LPARAM>(&huge));
    pump(form);
    EXPECT_EQ(form.scale(), DpiScale(96));
    EXPECT_EQ(form.Command1().caption(1), captions[1]);
    EXPECT_EQ(form.Command1().place(1).right, 190);
    expectDisc(form);
}

TEST_F(Form1Win, ReturnOrSpaceOnTheTitleScreenStartsTheGame)
{
    for (const WPARAM key : {VK_RETURN, VK_SPACE}) {
        Form1 form(GetModuleHandleW(nullptr), seams());
        form.Show(SW_SHOWNORMAL);
        SetForegroundWindow(form.hwnd());
        SetFocus(form.hwnd());
        pump(form);
        // A key held down since before the window came does not start it.
        keyDown(form, key, true);
        EXPECT_TRUE(form.Label1().visible);
        EXPECT_FALSE(timerRuns(form));

        keyDown(form, key);
        EXPECT_FALSE(form.Label1().visible);
        EXPECT_EQ(form.Label2().caption, L"この月の月齢は？");
        EXPECT_EQ(shownIndices(form), (std::vector<int>{0, 1}));
        EXPECT_TRUE(timerRuns(form));
        expectDisc(form);
        EXPECT_TRUE(boxes.empty());
    }
}

TEST_F(Form1Win, ButtonsTheSystemRefusesLeaveAConsistentWindow)
{
    {
        // Element 0 comes with the window: without it there is no window.
        const RefusedButtons refused(1);
        ASSERT_TRUE(refused.active());
        EXPECT_THROW(Form1(GetModuleHandleW(nullptr), seams()), std::runtime_error);
        EXPECT_EQ(FindWindowW(Form1::ClassName, nullptr), nullptr);
    }

    // The others come at the start: the title stays while one is refused,
    // and the next start makes the ones still missing.
    Form1 form(GetModuleHandleW(nullptr), seams());
    {
        const RefusedButtons refused(10);
        click(form, device(form, 100, 200));
    }
    EXPECT_TRUE(form.Label1().visible);
    EXPECT_EQ(shownIndices(form), std::vector<int>{});
    EXPECT_FALSE(timerRuns(form));
    click(form, device(form, 100, 200));
    EXPECT_FALSE(form.Label1().visible);
    EXPECT_EQ(form.Command1().count(), StageLayout::ButtonCount);
    EXPECT_EQ(shownIndices(form), (std::vector<int>{0, 1}));
    EXPECT_TRUE(timerRuns(form));
}
