// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "Form1.h"
#include "app/RandomSource.h"

#include <emscripten.h>

#include <memory>

// The entry points the page calls. An event that reaches a box returns to
// the page while the box is open and finishes when it closes; the page
// forwards no other event in between.
namespace {
std::unique_ptr<Form1> form;
RandomSource randomSource;

void startAfresh()
{
    form = std::make_unique<Form1>([] { return randomSource(); });
}

// Runs one event; a game that ended closes the window, and the page then
// shows the title screen of a fresh start.
template <typename Event>
void forward(Event event)
{
    event(*form);
    if (form->closed())
        startAfresh();
}
} // namespace

extern "C" {
EMSCRIPTEN_KEEPALIVE void tamblo_click_title()
{
    forward([](Form1 &f) { f.clickTitleScreen(); });
}

EMSCRIPTEN_KEEPALIVE void tamblo_answer(int index)
{
    forward([index](Form1 &f) { f.answerClicked(index); });
}

EMSCRIPTEN_KEEPALIVE void tamblo_high_score()
{
    forward([](Form1 &f) { f.showHighScore(); });
}
}

int main()
{
    startAfresh();
    return 0;
}
