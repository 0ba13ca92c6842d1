// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/qt/AnswerButton.h"
#include "app/qt/ClickLabel.h"
#include "app/qt/ControlArray.h"
#include "app/qt/Form1.h"
#include "app/RandomSource.h"
#include "board/StageLayout.h"
#include "tests/support/AnswerButtons.h"

#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <set>

namespace {
// Games to play: a few hundred in the normal suite, TAMBLO_SOAK_GAMES (for
// instance 10000, see scripts/soak) for the long run.
int gameCount()
{
    bool ok = false;
    const int count = qEnvironmentVariableIntValue("TAMBLO_SOAK_GAMES", &ok);
    return ok && count > 0 ? count : 300;
}

class Soak
{
public:
    Soak()
        : m_choices(20261207)
        , m_gameRandom(99)
    {
        open();
    }

    void play(int games)
    {
        while (m_games < games) {
            const int roll = pick(100);
            if (roll < 3)
                highScore();
            else if (roll < 30)
                ticks(pick(20));
            else
                answer(roll < 85);
            if (::testing::Test::HasFatalFailure())
                return;
        }
    }

    int games() const { return m_games; }
    int clears() const { return m_clears; }

private:
    int pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(m_choices); }

    void open()
    {
        Form1::Seams seams;
        seams.recordPath = m_dir.filePath(QStringLiteral("HighScore.mtt"));
        seams.random = [this] { return m_gameRandom(); };
        seams.messageBox = [this](const QString &prompt, BoxStyle style, const QString &title) {
            return box(prompt, style, title);
        };
        m_form = std::make_unique<Form1>(seams);
        // The best time carries over through the file from window to window.
        EXPECT_EQ(m_form->state().bestTenths, m_best);
        QTest::mouseClick(m_form->Label1(), Qt::LeftButton, {}, QPoint(100, 100));
        m_lastAge = m_form->state().answerAge;
        check();
    }

    BoxAnswer box(const QString &prompt, BoxStyle style, const QString &title)
    {
        // Time stands still in the right-answer, clear and new-best boxes
        // and runs on in the others (the high-score box included). Ticks
        // may arrive inside any box; they count only while Timer1 runs.
        const bool stopped = prompt.startsWith(QStringLiteral("正解"))
                             || prompt.startsWith(QStringLiteral("ゲームクリア"))
                             || prompt.startsWith(QStringLiteral("ハイスコア更新"));
        EXPECT_EQ(m_form->Timer1()->isActive(), !stopped) << prompt.toStdString();
        EXPECT_EQ(title, prompt.startsWith(QStringLiteral("クリアまで")) ? QStringLiteral("ハイスコア")
                                                                        : QStringLiteral("Tamblo"));
        if (prompt.startsWith(QStringLiteral("ゲームクリア")))
            ++m_clears;
        ticks(pick(4));
        if (style != BoxStyle::YesNo)
            return BoxAnswer::Ok;
        m_inRetry = true;
        m_closing = pick(10) >= 8;
        return m_closing ? BoxAnswer::No : BoxAnswer::Yes;
    }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            if (m_form->Timer1()->isActive())
                m_form->Timer1Tick();
    }

    void highScore()
    {
        const GameState before = m_form->state();
        m_form->HighScore()->trigger();
        // Only ticks inside the box may change the state: it counts on.
        EXPECT_GE(m_form->state().elapsedTenths, before.elapsedTenths);
        EXPECT_EQ(m_form->state().stage, before.stage);
        EXPECT_EQ(m_form->state().answerAge, before.answerAge);
        EXPECT_EQ(m_form->state().bestTenths, before.bestTenths);
        check();
    }

    void answer(bool right)
    {
        const int stageBefore = m_form->state().stage;
        QPushButton *chosen = nullptr;
        const ControlArray &buttons = *m_form->Command1();
        const QPushButton *rightOne = &rightAnswerButton(*m_form);
        for (int i = 0; i < StageLayout::forStage(stageBefore)->count(); ++i) {
            QPushButton *b = buttons.item(i);
            if ((b == rightOne) == right) {
                chosen = b;
                if (pick(2) == 0)
                    break;
            }
        }
        ASSERT_NE(chosen, nullptr);
        m_inRetry = false;
        chosen->click();
        if (m_inRetry)
            ++m_games;
        if (m_inRetry && m_closing) {
            m_best = m_form->state().bestTenths;
            m_form.reset();
            open();
            return;
        }
        const int age = m_form->state().answerAge;
        if (m_form->state().stage != stageBefore || m_inRetry) {
            EXPECT_NE(age, m_lastAge);
            m_lastAge = age;
        }
        check();
    }

    void check()
    {
        const GameState &state = m_form->state();
        ASSERT_GE(state.stage, 0);
        ASSERT_LE(state.stage, 5);
        ASSERT_LE(state.bestTenths, m_best);
        m_best = state.bestTenths;
        EXPECT_TRUE(m_form->Timer1()->isActive());
        std::set<int> captions;
        int right = 0;
        int shown = 0;
        for (int i = 0; i < StageLayout::ButtonCount; ++i) {
            const QPushButton *b = m_form->Command1()->item(i);
            if (b->isHidden())
                continue;
            ++shown;
            const int value = b->text().toInt();
            ASSERT_GE(value, 0);
            ASSERT_LE(value, 29);
            captions.insert(value);
            right += value == state.answerAge;
        }
        ASSERT_EQ(shown, StageLayout::forStage(state.stage)->count());
        ASSERT_EQ(static_cast<int>(captions.size()), shown);
        ASSERT_EQ(right, 1);
    }


    QTemporaryDir m_dir;
    std::mt19937 m_choices;
    RandomSource m_gameRandom;
    std::unique_ptr<Form1> m_form;
    std::int32_t m_best = 999;
    int m_lastAge = -1;
    int m_games = 0;
    int m_clears = 0;
    bool m_inRetry = false;
    bool m_closing = false;
};
} // namespace

TEST(Soak, ManyScriptedGamesKeepEveryRule)
{
    Soak soak;
    soak.play(gameCount());
    EXPECT_EQ(soak.games(), gameCount());
    EXPECT_GT(soak.clears(), gameCount() / 10);
}
