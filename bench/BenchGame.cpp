// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "BenchGame.h"

#include "app/AnswerButton.h"
#include "app/ClickLabel.h"
#include "app/ControlArray.h"

#include <QPushButton>
#include <QTemporaryDir>

#include <memory>

BenchGame::BenchGame(int firstAge)
    : m_firstAge(firstAge)
{
    static QTemporaryDir dir;
    Form1::Seams seams;
    seams.recordPath = dir.filePath(QStringLiteral("HighScore.mtt"));
    seams.messageBox = [](const QString &, int style, const QString &) { return style == 4 ? 6 : 1; };
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
    const int age = m_form->state().answerAge;
    for (int i = 0; i < 30; ++i) {
        QPushButton *button = m_form->Command1()->item(i);
        if (!button->isHidden() && (button->text().toInt() == age) == right) {
            button->click();
            return;
        }
    }
}
