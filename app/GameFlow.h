// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "BoxKinds.h"
#include "GameState.h"

#include <cstdint>
#include <functional>
#include <string>

class FlowHost;

// The rules of play: starting, counting time, judging answers, moving from
// stage to stage, the clear, the game over and the question of another try.
// No widgets here; the window forwards its events and carries out what the
// flow asks through FlowHost.
class GameFlow
{
public:
    static constexpr int LastStage = 5;
    static constexpr const char *Title = "Tamblo";
    static constexpr const char *HighScoreTitle = "ハイスコア";

    // Uniform numbers in [0, 1).
    using Random = std::function<double()>;

    GameFlow(GameState &state, FlowHost &host, Random random);

    // The window's load: best time, board rectangle, the first answer age.
    void load();
    // A click on the title label, or on the prompt label while the title
    // shows, starts the game.
    void clickTitleScreen();
    void tick();
    // A click on an answer button, judged by the number on its caption.
    void answer(int captionValue);
    // The menu command: the best time in a box, at any moment.
    void showHighScore();

    bool started() const { return m_started; }

private:
    void rightAnswer();
    void wrongAnswer();
    // Takes the stored best time when it is better than the one in memory.
    void takeStoredBestTime();
    bool recordClear();
    void clear(bool newBest);
    void askRetry();
    void newAnswerAge();
    void showStage();
    std::int32_t randomAge();
    BoxAnswer box(const std::string &prompt, BoxStyle style, const std::string &title = Title);

    GameState &m_state;
    FlowHost &m_host;
    Random m_random;
    bool m_started = false;
};
