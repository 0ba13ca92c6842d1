// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "GameFlow.h"
#include "FlowHost.h"
#include "../record/TimeText.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace {
const char *const RightPrompt = "正解!";
const char *const ClearPrompt = "ゲームクリア!\r\n\r\n所要時間 ";
const char *const NewBestPrompt = "ハイスコア更新!";
const char *const GameOverPrompt = "残念!　間違いです\r\n\r\nゲームオーバー";
const char *const RetryPrompt = "また挑戦しますか？";
const char *const Question = "この月の月齢は？";
}

GameFlow::GameFlow(GameState &state, FlowHost &host, Random random)
    : m_state(state)
    , m_host(host)
    , m_random(std::move(random))
{
}

void GameFlow::load()
{
    m_host.LoadBestTime();
    m_state.board = GameBoard;
    // The first age is drawn here and used by the first stage: starting
    // draws none.
    m_state.answerAge = randomAge();
    m_state.previousAnswerAge = m_state.answerAge;
}

void GameFlow::clickTitleScreen()
{
    // The title never comes back, so this starts one game per run; later
    // clicks on the prompt change nothing.
    if (m_started)
        return;
    m_started = true;
    m_host.CreateAnswerButtons();
    showStage();
    m_host.SetTimerEnabled(true);
    m_host.ShowQuestion(Question, m_state.board.top);
}

void GameFlow::tick()
{
    // More than six years of ticks would overflow; the count then simply
    // stays at its largest value instead of ending the program.
    if (m_state.elapsedTenths < std::numeric_limits<std::int32_t>::max())
        ++m_state.elapsedTenths;
}

void GameFlow::answer(int captionValue)
{
    if (captionValue == m_state.answerAge)
        rightAnswer();
    else
        wrongAnswer();
}

void GameFlow::rightAnswer()
{
    // Time spent reading the box does not count.
    m_host.SetTimerEnabled(false);
    if (m_state.stage >= LastStage) {
        // The clear is judged, and a new best stored, before any box shows:
        // a kill or a power cut while a box is open cannot take it.
        const bool newBest = recordClear();
        box(RightPrompt, BoxStyle::OkOnly);
        clear(newBest);
        return;
    }
    box(RightPrompt, BoxStyle::OkOnly);
    m_host.SetTimerEnabled(true);
    newAnswerAge();
    ++m_state.stage;
    showStage();
}

bool GameFlow::recordClear()
{
    // Judged against the freshest best, so that no copy of the game calls a
    // time new that another copy has already beaten.
    const std::int32_t time = m_state.elapsedTenths;
    takeStoredBestTime();
    if (time >= m_state.bestTenths)
        return false;
    m_state.bestTenths = time;
    m_host.SaveBestTime();
    // Another copy may have stored a better time in the meantime: then the
    // record keeps that one, and this clear is no new best.
    return m_state.bestTenths == time;
}

void GameFlow::clear(bool newBest)
{
    box(ClearPrompt + TimeText::format(m_state.elapsedTenths), BoxStyle::OkOnly);
    if (newBest)
        box(NewBestPrompt, BoxStyle::OkOnly);
    m_host.SetTimerEnabled(true);
    askRetry();
}

void GameFlow::wrongAnswer()
{
    // The timer runs on; a new game wipes what it counts here.
    box(GameOverPrompt, BoxStyle::OkOnly);
    askRetry();
}

void GameFlow::takeStoredBestTime()
{
    if (const std::optional<std::int32_t> stored = m_host.ReadBestTime(); stored && *stored < m_state.bestTenths)
        m_state.bestTenths = *stored;
}

void GameFlow::showHighScore()
{
    // The timer keeps running and nothing but the best time changes.
    takeStoredBestTime();
    box(TimeText::bestTimePrompt(m_state.bestTenths), BoxStyle::OkOnly, HighScoreTitle);
}

void GameFlow::askRetry()
{
    if (box(RetryPrompt, BoxStyle::YesNo) != BoxAnswer::Yes) {
        m_host.Unload();
        return;
    }
    m_state.stage = 0;
    m_state.elapsedTenths = 0;
    newAnswerAge();
    showStage();
}

void GameFlow::newAnswerAge()
{
    do
        m_state.answerAge = randomAge();
    while (m_state.answerAge == m_state.previousAnswerAge);
    m_state.previousAnswerAge = m_state.answerAge;
}

std::int32_t GameFlow::randomAge()
{
    return static_cast<std::int32_t>(std::floor(m_random() * 30));
}

void GameFlow::showStage()
{
    m_host.DrawDisc();
    m_host.LayoutBoard();
}

BoxAnswer GameFlow::box(const std::string &prompt, BoxStyle style, const std::string &title)
{
    return m_host.ShowBox(prompt, style, title);
}
