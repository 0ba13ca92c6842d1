// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/FlowHost.h"
#include "app/FormDesign.h"
#include "app/GameFlow.h"
#include "app/GameState.h"
#include "app/win32/ControlArray.h"
#include "app/win32/DiscLabel.h"
#include "app/win32/FontSet.h"
#include "app/win32/TextLabel.h"
#include "record/win32/BestTimeFile.h"
#include "render/win32/DpiScale.h"
#include "render/win32/DrawingSurface.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// The game's one window: a client area of the design's fixed size under a menu bar
// with the high-score command, the title and prompt labels, the answer
// buttons and the tenth-second timer. It shows state and forwards input;
// the rules live in GameFlow.
//
// Everything is laid out in game pixels and shown at the screen's density:
// at 192 dpi the client area is twice the design's size and every game
// pixel a 2 x 2 block. Where the whole window would not fit the monitor's
// work area at that density, the game area takes a lower one (GameScale),
// while the frame and menu bar keep the monitor's. A move to a screen of
// another density lays the window out anew.
class Form1 : private FlowHost
{
public:
    // What a test can put in place of a person and of chance. Empty members
    // mean the real thing: the system's message boxes, a clock-seeded
    // generator and the best-time file of this program.
    struct Seams
    {
        std::function<BoxAnswer(const std::wstring &prompt, BoxStyle style, const std::wstring &title)> messageBox;
        std::function<double()> random;
        std::optional<std::wstring> recordPath;
    };

    static constexpr int ClientWidth = FormDesign::ClientWidth;
    static constexpr int ClientHeight = FormDesign::ClientHeight;
    static constexpr std::uint32_t Background = FormDesign::Background;
    static constexpr const wchar_t *ClassName = L"Tamblo.Form1";
    static constexpr UINT_PTR Timer1Id = 1;
    // Not 1 or 2: the dialog keys send IDOK and IDCANCEL to the window.
    static constexpr int HighScoreId = 100;

    // Creates the window, hidden, and runs its load; Show() puts it on
    // screen, centred on the work area of its monitor and wholly inside it
    // as far as it fits. Throws when the window or its controls cannot be
    // made.
    explicit Form1(HINSTANCE instance, Seams seams = {});
    ~Form1() override;
    Form1(const Form1 &) = delete;
    Form1 &operator=(const Form1 &) = delete;

    void Show(int how = SW_SHOWNORMAL);

    // The keyboard between the message queue and the window: the keys that
    // start the game on the title screen go to the window; then Tab moves from answer
    // button to answer button, Space answers the focused one (the button
    // itself does that) and so does Return. True when the message was
    // handled and must not be dispatched.
    bool routeDialogKeys(MSG &message);

    // One tenth of a second of play; Timer1 calls it while it runs.
    void Timer1Tick();

    HWND hwnd() const { return m_hwnd; }
    const TextLabel &Label1() const { return m_label1; }
    const TextLabel &Label2() const { return m_label2; }
    const ControlArray &Command1() const { return *m_command1; }
    const DiscLabel &Disc() const { return *m_disc; }
    const GameState &state() const { return m_state; }
    DpiScale scale() const { return m_scale; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void registerClass(HINSTANCE instance);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void buildControls();
    SIZE windowSize(DpiScale scale, int frameDpi) const;
    // The game area's density on the monitor `monitor` whose density is
    // `dpi`: the monitor's own, or lower where the window would not fit.
    DpiScale fittingScale(int dpi, HMONITOR monitor) const;
    // Sizes the window to its client area, moving it to `corner` if given.
    void fitClientArea(const POINT *corner = nullptr);
    // Moves the window inside its monitor's work area: to `corner` as far
    // as it fits there, or centred.
    void keepOnWorkArea(const POINT *corner = nullptr);
    void changeDpi(int dpi, const RECT &suggested);
    // The same choice on the screen as it is now, where the window stands.
    void fitAgain();
    void placeButtons();
    void paint(HDC dc, const RECT &area);
    void paintDisc(HDC dc);
    void pressLabel(POINT device);
    void releaseLabel(POINT device);
    const TextLabel *labelAt(POINT device) const;
    void command(int id, HWND control);
    void rememberFocus(bool active);

    // FlowHost
    BoxAnswer ShowBox(const std::string &prompt, BoxStyle style, const std::string &title) override;
    void Cls() override;
    void CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels) override;
    void Refresh() override;
    BoardRect DeviceBoard(const BoardRect &board) const override;
    Size SizeButton(int index, int width, int height) override;
    void PlaceButton(int index, int left, int top) override;
    void SetCaption(int index, const std::string &caption) override;
    std::string Caption(int index) const override;
    void HideButton(int index) override;
    void SetTimerEnabled(bool enabled) override;
    void CreateAnswerButtons() override;
    void ShowQuestion(const std::string &question, int promptBottom) override;
    void HideWindow() override;
    void DismissBox() override;
    void Unload() override;
    void ReportSaveFailure(const std::string &line) override;
    void DescribeDisc(const std::string &text) override;

    Seams m_seams;
    GameState m_state;
    std::unique_ptr<BestTimeFile> m_file;
    HWND m_hwnd = nullptr;
    DpiScale m_scale;   // the game area's
    int m_frameDpi = 0; // the monitor's, which the frame and menu bar follow
    std::unique_ptr<FontSet> m_fonts;
    std::unique_ptr<DrawingSurface> m_surface;
    TextLabel m_label2;
    TextLabel m_label1;
    std::unique_ptr<ControlArray> m_command1;
    std::unique_ptr<DiscLabel> m_disc;
    GameFlow m_flow;
    const TextLabel *m_pressedLabel = nullptr;
    HWND m_lastFocus = nullptr;
    bool m_focusCue = false; // the keyboard moved the focus: show where
};
