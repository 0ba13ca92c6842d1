// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/FlowHost.h"
#include "app/FormDesign.h"
#include "app/GameFlow.h"
#include "app/GameState.h"
#include "record/BestTimeRecord.h"
#include "record/web/LocalStorageStore.h"
#include "render/web/CanvasSurface.h"

#include <cstdint>
#include <string>

// The game in a page: the game area with its canvas, labels and answer
// buttons, the menu and the boxes all live in the page; this class carries
// out what the flow asks through calls to it and forwards the page's
// events. It decides no rule.
class Form1 : private FlowHost
{
public:
    // Shows the title screen and runs the window's load.
    explicit Form1(GameFlow::Random random);

    // The page's events. Each first counts the ticks that came due since
    // the last event, so the flow sees the time as it is now.
    void clickTitleScreen();
    void pressKey(GameFlow::Key key, bool repeat);
    void answerClicked(int index);
    void showHighScore();
    // A record file that the player loads: its first bytes, as many as the
    // record's own rules read.
    void loadRecordFile(const std::string &head);
    // A record file that the page could not read.
    void rejectRecordFile();
    // The record's text as a file carries it.
    std::string recordFileText();

    // The window closed at the end of a game: the page then starts afresh.
    bool closed() const { return m_closed; }

private:
    void deliverTicks();

    // FlowHost
    BoxAnswer ShowBox(const std::string &prompt, BoxStyle style, const std::string &title) override;
    void Cls() override;
    void CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels) override;
    void Refresh() override;
    Size SizeButton(int index, int width, int height) override;
    void PlaceButton(int index, int left, int top) override;
    void SetCaption(int index, const std::string &caption) override;
    std::string Caption(int index) const override;
    void HideButton(int index) override;
    void CreateAnswerButtons() override;
    void SetTimerEnabled(bool enabled) override;
    void ShowQuestion(const std::string &question, int promptBottom) override;
    void HideWindow() override;
    void DismissBox() override;
    void Unload() override;
    void ReportSaveFailure(const std::string &line) override;
    void DescribeDisc(const std::string &text) override;

    GameState m_state;
    LocalStorageStore m_store;
    BestTimeRecord m_record;
    CanvasSurface m_surface;
    GameFlow m_flow;
    bool m_closed = false;
};
