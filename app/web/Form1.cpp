// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "Form1.h"
#include "Page.h"
#include "board/StageLayout.h"
#include "record/BestTimeFormat.h"
#include "render/PhaseDisc.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace {
constexpr int PromptHeight = 33;
constexpr std::size_t RecordPrefix = 4096;
constexpr std::int32_t NoRecord = 999;
}

Form1::Form1(std::function<double()> random)
    : m_random(std::move(random))
    , m_surface(ClientWidth, ClientHeight, Background)
    , m_flow(m_state, *this, [this] { return m_random(); })
{
    Page::setTimer(false);
    Page::showTitle();
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

void Form1::answerClicked(int index)
{
    deliverTicks();
    const std::string caption = Page::buttonCaption(index);
    int value = -1;
    const auto [end, error] = std::from_chars(caption.data(), caption.data() + caption.size(), value);
    m_flow.answer(error == std::errc() && end == caption.data() + caption.size() ? value : -1);
}

void Form1::showHighScore()
{
    deliverTicks();
    m_flow.showHighScore();
}

BoxAnswer Form1::ShowBox(const std::string &prompt, BoxStyle style, const std::string &title)
{
    const int answer = Page::showBox(prompt, static_cast<int>(style), title);
    // The ticks that fell due while the box was open belong before
    // anything the flow does next (a new game resets the count).
    deliverTicks();
    if (style == BoxStyle::OkOnly)
        return BoxAnswer::Ok;
    return answer == static_cast<int>(BoxAnswer::Yes) ? BoxAnswer::Yes : BoxAnswer::No;
}

void Form1::LoadBestTime()
{
    m_state.bestTenths = ReadBestTime().value_or(NoRecord);
}

std::optional<std::int32_t> Form1::ReadBestTime()
{
    const LocalStorageStore::Read read = m_store.read(RecordPrefix);
    if (read.status != LocalStorageStore::Status::Done)
        return std::nullopt;
    return BestTimeFormat::parse(read.bytes, read.complete);
}

void Form1::SaveBestTime()
{
    const LocalStorageStore::Read read = m_store.read(RecordPrefix);
    std::string reason;
    if (read.status == LocalStorageStore::Status::Failed) {
        reason = read.reason;
    } else if (read.status == LocalStorageStore::Status::Done) {
        const std::optional<std::int32_t> stored = BestTimeFormat::parse(read.bytes, read.complete);
        if (!stored)
            reason = "the stored record cannot be read, and is kept as it is";
        else if (*stored <= m_state.bestTenths)
            m_state.bestTenths = *stored;
    }
    if (reason.empty() && (read.status == LocalStorageStore::Status::Missing
                           || BestTimeFormat::parse(read.bytes, read.complete) != m_state.bestTenths))
        reason = m_store.replace(BestTimeFormat::line(m_state.bestTenths));
    if (!reason.empty())
        Page::logError("tamblo: the best time could not be saved to " + m_store.name() + ": " + reason);
}

void Form1::DrawDisc()
{
    // The picture is composed in the module and shown with one refresh.
    m_surface.Cls();
    const PhaseDisc::Picture &picture = PhaseDisc::cached(m_state.answerAge, m_surface.background());
    m_surface.CopyBlock(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side, picture.data());
    m_surface.Refresh();
}

void Form1::LayoutBoard()
{
    const std::optional<StageLayout> layout = StageLayout::forStage(m_state.stage);
    if (!layout || !m_buttonsCreated)
        return;
    const BoardRect &board = m_state.board;
    for (int i = 0; i < layout->count(); ++i) {
        const std::uint32_t size = Page::sizeButton(i, static_cast<int>(std::lround(layout->buttonWidth(board))),
                                                    static_cast<int>(std::lround(layout->buttonHeight(board))));
        // Placed from the size the button took, so the grid stays edge to
        // edge whatever the page made of the size.
        const auto width = static_cast<float>(size >> 16);
        const auto height = static_cast<float>(size & 0xFFFFu);
        Page::placeButton(i, static_cast<int>(std::lround(layout->buttonLeft(board, i, width))),
                          static_cast<int>(std::lround(layout->buttonTop(board, i, height))),
                          std::to_string(layout->caption(i, m_state.answerAge, m_random)));
    }
    for (int j = layout->count(); j < StageLayout::ButtonCount; ++j)
        Page::hideButton(j);
}

void Form1::SetTimerEnabled(bool enabled)
{
    deliverTicks();
    Page::setTimer(enabled);
}

void Form1::CreateAnswerButtons()
{
    Page::createAnswerButtons();
    m_buttonsCreated = true;
}

void Form1::ShowQuestion(const std::string &question, int promptBottom)
{
    Page::showQuestion(question, promptBottom - PromptHeight);
}

void Form1::Unload()
{
    // A page cannot close its tab: the window's close saves the best time
    // as on the desktop, and the page then shows a fresh title screen.
    SetTimerEnabled(false);
    SaveBestTime();
    m_closed = true;
}
