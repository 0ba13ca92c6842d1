// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "Page.h"
#include "app/FormDesign.h"

#include <emscripten.h>

#include <cstdint>
#include <string>
#include <vector>

// Each function hands its arguments to the page's script as they are; the
// script object is `TambloPage`, set up by main.js before the module runs.

// The calls that suspend the game: the module's stack is put aside until
// the page's <dialog> closes (the build lists these as its asynchronous
// imports, with the record's lock and its waits below), so the flow of
// play stays straight-line code here as it is on the desktop.
EM_ASYNC_JS(int, tambloShowBox, (const char *prompt, const char *buttons, const char *title), {
    return await TambloPage.showBox(UTF8ToString(prompt), UTF8ToString(buttons).split('\n'), UTF8ToString(title));
});

EM_JS(void, tambloSetTimer, (int enabled, int interval), { TambloPage.setTimer(enabled !== 0, interval); });
EM_JS(int, tambloTakeTicks, (), { return TambloPage.takeTicks(); });
EM_JS(void, tambloPaint, (const std::uint8_t *rgba, int width, int height), {
    TambloPage.paint(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height);
});
EM_JS(void, tambloDescribeDisc, (const char *text), { TambloPage.describeDisc(UTF8ToString(text)); });
EM_JS(void, tambloShowTitle, (const char *title, const char *prompt), {
    TambloPage.showTitle(UTF8ToString(title), UTF8ToString(prompt));
});
EM_JS(void, tambloShowQuestion, (const char *question, int top), {
    TambloPage.showQuestion(UTF8ToString(question), top);
});
EM_JS(void, tambloCreateAnswerButtons, (), { TambloPage.createAnswerButtons(); });
EM_JS(std::uint32_t, tambloSizeButton, (int index, int width, int height), {
    return TambloPage.sizeButton(index, width, height) >>> 0;
});
EM_JS(void, tambloPlaceButton, (int index, int left, int top), { TambloPage.placeButton(index, left, top); });
EM_JS(void, tambloSetCaption, (int index, const char *caption), {
    TambloPage.setCaption(index, UTF8ToString(caption));
});
EM_JS(void, tambloHideButton, (int index), { TambloPage.hideButton(index); });
EM_JS(int, tambloCaptionLength, (int index), { return lengthBytesUTF8(TambloPage.buttonCaption(index)); });
EM_JS(void, tambloCaption, (int index, char *buffer, int size), {
    stringToUTF8(TambloPage.buttonCaption(index), buffer, size);
});
EM_JS(int, tambloReadStorage, (const char *key, char *buffer, int limit), {
    const read = TambloPage.readStorage(UTF8ToString(key), limit);
    if (read.bytes === undefined)
        return read.missing ? -1 : -2;
    HEAPU8.set(read.bytes, buffer);
    return read.bytes.length;
});
EM_JS(int, tambloWriteStorage, (const char *key, const char *text), {
    return TambloPage.writeStorage(UTF8ToString(key), UTF8ToString(text)) ? 1 : 0;
});
EM_JS(int, tambloStorageErrorLength, (), { return lengthBytesUTF8(TambloPage.storageError()); });
EM_JS(void, tambloStorageError, (char *buffer, int size), {
    stringToUTF8(TambloPage.storageError(), buffer, size);
});
EM_ASYNC_JS(int, tambloTakeLock, (), { return await TambloPage.takeLock() ? 1 : 0; });
EM_JS(void, tambloReleaseLock, (), { TambloPage.releaseLock(); });
EM_ASYNC_JS(void, tambloSleep, (int milliseconds), {
    await new Promise(resolve => setTimeout(resolve, milliseconds));
});
EM_JS(void, tambloLogError, (const char *line), { console.error(UTF8ToString(line)); });

namespace {
// A string the page keeps, copied with its length asked first.
template <typename Length, typename Copy>
std::string pageText(Length length, Copy copy)
{
    std::string text(static_cast<std::size_t>(length()) + 1, '\0');
    copy(text.data(), static_cast<int>(text.size()));
    text.pop_back();
    return text;
}
} // namespace

namespace Page {

int showBox(const std::string &prompt, const std::vector<std::string> &buttons, const std::string &title)
{
    std::string captions;
    for (const std::string &caption : buttons)
        captions += (captions.empty() ? "" : "\n") + caption;
    return tambloShowBox(prompt.c_str(), captions.c_str(), title.c_str());
}

void setTimer(bool enabled) { tambloSetTimer(enabled ? 1 : 0, FormDesign::TickMilliseconds); }
int takeTicks() { return tambloTakeTicks(); }
void paint(const std::uint8_t *rgba, int width, int height) { tambloPaint(rgba, width, height); }
void describeDisc(const std::string &text) { tambloDescribeDisc(text.c_str()); }
void showTitle(const std::string &title, const std::string &prompt) { tambloShowTitle(title.c_str(), prompt.c_str()); }
void showQuestion(const std::string &question, int promptTop) { tambloShowQuestion(question.c_str(), promptTop); }
void createAnswerButtons() { tambloCreateAnswerButtons(); }
std::uint32_t sizeButton(int index, int width, int height) { return tambloSizeButton(index, width, height); }

void placeButton(int index, int left, int top) { tambloPlaceButton(index, left, top); }
void setCaption(int index, const std::string &caption) { tambloSetCaption(index, caption.c_str()); }

void hideButton(int index) { tambloHideButton(index); }

std::string buttonCaption(int index)
{
    return pageText([index] { return tambloCaptionLength(index); },
                    [index](char *buffer, int size) { tambloCaption(index, buffer, size); });
}

int readStorage(const char *key, char *buffer, int limit)
{
    return tambloReadStorage(key, buffer, limit);
}

bool writeStorage(const char *key, const std::string &text) { return tambloWriteStorage(key, text.c_str()) != 0; }

std::string storageError()
{
    return pageText([] { return tambloStorageErrorLength(); },
                    [](char *buffer, int size) { tambloStorageError(buffer, size); });
}

bool takeLock() { return tambloTakeLock() != 0; }
void releaseLock() { tambloReleaseLock(); }
void sleep(int milliseconds) { tambloSleep(milliseconds); }

void logError(const std::string &line) { tambloLogError(line.c_str()); }

} // namespace Page
