// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The page's side of the game: every call here is one call into the page's
// script (main.js), which owns the elements, the canvas, the clock and the
// page's storage. No rule of the game is decided there.
namespace Page {

// Shows the modal box with `buttons`, first to last, and suspends the game
// until it closes; gives back the index of the button pressed, or -1.
int showBox(const std::string &prompt, const std::vector<std::string> &buttons, const std::string &title);

// The tenth-second timer. Its ticks are counted by the page from a
// monotonic clock; takeTicks() hands over the ones not yet counted.
void setTimer(bool enabled);
int takeTicks();

// Paints the canvas from a width x height picture of RGBA bytes.
void paint(const std::uint8_t *rgba, int width, int height);
// The drawn disc in words: the canvas's accessible name, announced to a
// screen reader as the stage shows.
void describeDisc(const std::string &text);

// The title screen as a fresh start shows it: the title label and the
// prompt label with these texts, no answer button but element 0, hidden.
void showTitle(const std::string &title, const std::string &prompt);
void showQuestion(const std::string &question, int promptTop);

// The answer buttons, element 0 to 29.
void createAnswerButtons();
// Shows button `index` at this size and gives back the size it took,
// width in the high 16 bits and height in the low ones.
std::uint32_t sizeButton(int index, int width, int height);
void placeButton(int index, int left, int top);
void setCaption(int index, const std::string &caption);
void hideButton(int index);
std::string buttonCaption(int index);

// The page's storage, by key. read() copies at most `limit` bytes of the
// value's UTF-8 text into `buffer` and gives their count, or ReadMissing,
// or ReadFailed with the reason in storageError(). write() gives false on
// failure, again with the reason in storageError().
constexpr int ReadMissing = -1;
constexpr int ReadFailed = -2;
int readStorage(const char *key, char *buffer, int limit);
bool writeStorage(const char *key, const std::string &text);
std::string storageError();

// The record's lock among the site's tabs, through the browser's Web Locks
// where it has them: false while another tab holds it. A browser without
// them has nothing to take, and the lock is the page's alone. Suspends the
// game until the browser answers, as sleep() does for its span.
bool takeLock();
void releaseLock();
void sleep(int milliseconds);

// A line on the page's console, as an error.
void logError(const std::string &line);

} // namespace Page
