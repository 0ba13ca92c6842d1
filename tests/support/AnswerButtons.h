// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

class AnswerButton;
class ControlArray;
class Form1;

// The shown answer button whose caption is `age`. There must be one: when
// none carries it, the program stops at once with a message naming the
// age, rather than handing its caller a button to click that is not there.
AnswerButton &buttonCarrying(const ControlArray &buttons, int age);

// The right answer of the stage on screen: the button carrying the age of
// the disc.
AnswerButton &rightAnswerButton(const Form1 &form);
