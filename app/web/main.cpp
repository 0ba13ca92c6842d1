// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "Form1.h"
#include "app/RandomSource.h"
#include "record/BestTimeRecord.h"

#include <emscripten.h>

#include <array>
#include <memory>
#include <string>

// The entry points the page calls. An event that reaches a box returns to
// the page while the box is open and finishes when it closes; the page
// forwards no other event in between.
namespace {
std::unique_ptr<Form1> form;
RandomSource randomSource;
// Where the page puts the first bytes of a record file that the player
// loads, as many as the record's rules read.
std::array<char, BestTimeRecord::ReadSize> loadedBytes;
std::string fileText;

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

EMSCRIPTEN_KEEPALIVE void tamblo_key(int key, int repeat)
{
    forward([key, repeat](Form1 &f) { f.pressKey(static_cast<GameFlow::Key>(key), repeat != 0); });
}

EMSCRIPTEN_KEEPALIVE void tamblo_answer(int index)
{
    forward([index](Form1 &f) { f.answerClicked(index); });
}

EMSCRIPTEN_KEEPALIVE void tamblo_high_score()
{
    forward([](Form1 &f) { f.showHighScore(); });
}

EMSCRIPTEN_KEEPALIVE char *tamblo_record_buffer()
{
    return loadedBytes.data();
}

EMSCRIPTEN_KEEPALIVE int tamblo_record_buffer_size()
{
    return static_cast<int>(loadedBytes.size());
}

// A negative length: the page could not read the file at all.
EMSCRIPTEN_KEEPALIVE void tamblo_load_record(int length)
{
    if (length < 0) {
        forward([](Form1 &f) { f.rejectRecordFile(); });
        return;
    }
    const std::string bytes(loadedBytes.data(), static_cast<std::size_t>(length));
    forward([&bytes](Form1 &f) { f.loadRecordFile(bytes); });
}

EMSCRIPTEN_KEEPALIVE const char *tamblo_record_file()
{
    fileText = form->recordFileText();
    return fileText.c_str();
}
}

int main()
{
    startAfresh();
    return 0;
}
