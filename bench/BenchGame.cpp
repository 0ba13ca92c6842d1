// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "BenchGame.h"

#include "app/qt/AnswerButton.h"
#include "app/qt/ClickLabel.h"
#include "app/qt/ControlArray.h"
#include "tests/support/AnswerButtons.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

BenchGame::BenchGame(int firstAge)
    : m_firstAge(firstAge)
{
    static QTemporaryDir dir;
    Form1::Seams seams;
    seams.recordPath = dir.filePath(QStringLiteral("HighScore.mtt"));
    seams.messageBox = [](const QString &, BoxStyle style, const QString &) {
        return style == BoxStyle::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    };
    seams.random = [this] {
        if (!m_loaded) {
            m_loaded = true;
            return (m_firstAge + 0.5) / 30;
        }
        m_state = m_state * 1103515245u + 12345u;
        return static_cast<double>((m_state >> 8) & 0xFFFFFF) / 16777216.0;
    };
    m_form = std::make_unique<Form1>(seams);
}

void BenchGame::start()
{
    emit m_form->Label1()->clicked();
}

void BenchGame::advanceTo(int stage)
{
    while (m_form->state().stage != stage)
        clickAnswer(true);
}

void BenchGame::playOne(unsigned seed)
{
    const int wrongAt = static_cast<int>(seed % 8); // 6 and 7: a clear
    for (int stage = 0; stage < 6; ++stage) {
        for (unsigned t = 0; t < seed % 13; ++t)
            m_form->Timer1Tick();
        const bool right = stage != wrongAt;
        clickAnswer(right);
        if (!right)
            return;
    }
}

void BenchGame::clickAnswer(bool right)
{
    const ControlArray &buttons = *m_form->Command1();
    AnswerButton *rightOne = &rightAnswerButton(*m_form);
    if (right) {
        rightOne->click();
        return;
    }
    for (int i = 0; i < buttons.count(); ++i) {
        if (AnswerButton *button = buttons.item(i); !button->isHidden() && button != rightOne) {
            button->click();
            return;
        }
    }
}
