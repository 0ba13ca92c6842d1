// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/FlowHost.h"
#include "app/GameFlow.h"
#include "app/GameState.h"
#include "record/web/LocalStorageStore.h"
#include "render/web/CanvasSurface.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The game in a page: the game area with its canvas, labels and answer
// buttons, the menu and the boxes all live in the page; this class carries
// out what the flow asks through calls to it and forwards the page's
// events. It decides no rule.
class Form1 : private FlowHost
{
public:
    static constexpr int ClientWidth = 200;
    static constexpr int ClientHeight = 450;
    static constexpr std::uint32_t Background = 0xFF000040u; // RGB(0, 0, 64)

    // Shows the title screen and runs the window's load.
    explicit Form1(std::function<double()> random);

    // The page's events. Each first counts the ticks that came due since
    // the last event, so the flow sees the time as it is now.
    void clickTitleScreen();
    void answerClicked(int index);
    void showHighScore();

    // The window closed at the end of a game: the page then starts afresh.
    bool closed() const { return m_closed; }

private:
    void deliverTicks();

    // FlowHost
    BoxAnswer ShowBox(const std::string &prompt, BoxStyle style, const std::string &title) override;
    void LoadBestTime() override;
    std::optional<std::int32_t> ReadBestTime() override;
    void SaveBestTime() override;
    void DrawDisc() override;
    void LayoutBoard() override;
    void SetTimerEnabled(bool enabled) override;
    void CreateAnswerButtons() override;
    void ShowQuestion(const std::string &question, int promptBottom) override;
    void Unload() override;

    std::function<double()> m_random;
    GameState m_state;
    LocalStorageStore m_store;
    CanvasSurface m_surface;
    GameFlow m_flow;
    bool m_buttonsCreated = false;
    bool m_closed = false;
};
