// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/qt/Form1.h"

#include <memory>

// A window driven without a person: every box answered at once (Yes to
// another try), chance scripted so a benchmark can pick the ages.
class BenchGame
{
public:
    // `firstAge` is the age drawn when the window loads.
    explicit BenchGame(int firstAge = 0);

    Form1 &form() { return *m_form; }
    void start();
    // Answers right until the game reaches `stage`.
    void advanceTo(int stage);
    // Plays one whole game: right answers to the clear, or a wrong one at a
    // stage chosen by `seed`.
    void playOne(unsigned seed);

private:
    void clickAnswer(bool right);

    std::unique_ptr<Form1> m_form;
    unsigned m_state = 12345;
    int m_firstAge;
    bool m_loaded = false;
};
