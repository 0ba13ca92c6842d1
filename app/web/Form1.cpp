// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "Form1.h"
#include "Page.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

Form1::Form1(GameFlow::Random random)
    : m_record(m_store)
    , m_surface(FormDesign::ClientWidth, FormDesign::ClientHeight, FormDesign::Background)
    , m_flow(m_state, *this, m_record, std::move(random))
{
    Page::setTimer(false);
    Page::showTitle(GameFlow::titleCaption(), GameFlow::PromptCaption);
    m_surface.Refresh();
    m_flow.load();
}

void Form1::deliverTicks()
{
    for (int due = Page::takeTicks(); due > 0; --due)
        m_flow.tick();
}

void Form1::clickTitleScreen()
{
    deliverTicks();
    m_flow.clickTitleScreen();
}

void Form1::pressKey(GameFlow::Key key, bool repeat)
{
    deliverTicks();
    m_flow.pressKey(key, repeat);
}

void Form1::answerClicked(int index)
{
    deliverTicks();
    m_flow.answerClicked(index);
}

void Form1::showHighScore()
{
    deliverTicks();
    m_flow.showHighScore();
}

void Form1::loadRecordFile(const std::string &head)
{
    deliverTicks();
    if (!m_flow.takeRecordFile(head))
        Page::logError("tamblo: the loaded file holds no time; the record is unchanged");
}

void Form1::rejectRecordFile()
{
    deliverTicks();
    m_flow.rejectRecordFile();
}

std::string Form1::recordFileText()
{
    return m_flow.recordFileText();
}

BoxAnswer Form1::ShowBox(const std::string &prompt, BoxStyle style, const std::string &title)
{
    const int pressed = Page::showBox(prompt, boxButtons(style), title);
    // The ticks that fell due while the box was open belong before
    // anything the flow does next (a new game resets the count).
    deliverTicks();
    return boxAnswer(style, pressed);
}

void Form1::Cls()
{
    m_surface.Cls();
}

void Form1::CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels)
{
    m_surface.CopyBlock(left, top, width, height, pixels);
}

void Form1::DescribeDisc(const std::string &text)
{
    Page::describeDisc(text);
}

void Form1::Refresh()
{
    m_surface.Refresh();
}

FlowHost::Size Form1::SizeButton(int index, int width, int height)
{
    const std::uint32_t size = Page::sizeButton(index, width, height);
    return {static_cast<int>(size >> 16), static_cast<int>(size & 0xFFFFu)};
}

void Form1::PlaceButton(int index, int left, int top)
{
    Page::placeButton(index, left, top);
}

void Form1::SetCaption(int index, const std::string &caption)
{
    Page::setCaption(index, caption);
}

std::string Form1::Caption(int index) const
{
    return Page::buttonCaption(index);
}

void Form1::HideButton(int index)
{
    Page::hideButton(index);
}

void Form1::CreateAnswerButtons()
{
    Page::createAnswerButtons();
}

void Form1::SetTimerEnabled(bool enabled)
{
    // Switched off, the timer first hands over the ticks it still owes.
    deliverTicks();
    Page::setTimer(enabled);
}

void Form1::ShowQuestion(const std::string &question, int promptBottom)
{
    // The page's prompt has the design's height, which its style takes
    // from the same table.
    Page::showQuestion(question, promptBottom - FormDesign::PromptLabel.height);
}

// A page cannot close its tab, and the game area stays in the page: after
// the save, the page shows a fresh title screen.
void Form1::HideWindow() {}

void Form1::DismissBox() {}

void Form1::Unload()
{
    m_closed = true;
}

void Form1::ReportSaveFailure(const std::string &line)
{
    Page::logError(line);
}
