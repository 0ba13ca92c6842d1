// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "GameFlow.h"
#include "FlowHost.h"
#include "FormDesign.h"
#include "../board/StageLayout.h"
#include "../record/BestTimeFormat.h"
#include "../record/BestTimeRecord.h"
#include "../record/RecordStore.h"
#include "../record/TimeText.h"
#include "../render/DiscText.h"
#include "../render/PhaseDisc.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {
const char *const RightPrompt = "正解!";
const char *const ClearPrompt = "ゲームクリア!\r\n\r\n所要時間 ";
const char *const NewBestPrompt = "ハイスコア更新!";
const char *const NotSavedPrompt = "ハイスコアを保存できませんでした";
const char *const NotReadPrompt = "記録を読み込めませんでした";
const char *const GameOverPrompt = "残念!　間違いです\r\n\r\nゲームオーバー";
const char *const RetryPrompt = "また挑戦しますか？";
const char *const Question = "この月の月齢は？";

int rounded(float value)
{
    return static_cast<int>(std::lround(value));
}
}

std::vector<std::string> boxButtons(BoxStyle style)
{
    if (style == BoxStyle::YesNo)
        return {"はい", "いいえ"};
    return {"OK"};
}

BoxAnswer boxAnswer(BoxStyle style, int pressed)
{
    // Only Yes counts as yes: a box closed without an answer says No.
    if (style == BoxStyle::OkOnly)
        return BoxAnswer::Ok;
    return pressed == 0 ? BoxAnswer::Yes : BoxAnswer::No;
}

int parseCaption(std::string_view caption)
{
    // Nine digits at most: the value always fits, and no age is that long.
    if (caption.empty() || caption.size() > 9)
        return -1;
    int value = 0;
    for (const char c : caption) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string GameFlow::titleCaption()
{
    return "\u3000" + std::string(24, ' ') + "Tamblo";
}

GameFlow::GameFlow(GameState &state, FlowHost &host, BestTimeRecord &record, Random random)
    : m_state(state)
    , m_host(host)
    , m_record(record)
    , m_random(std::move(random))
{
}

template <typename Body>
void GameFlow::asEvent(Body body)
{
    // An event that comes while the record waits was given while the game
    // could not answer: the platform holds the player's input back during
    // a wait, and what still comes through is dropped rather than deferred,
    // since it would answer a screen the player no longer sees by then.
    if (waiting())
        return;
    runEvent(body);
}

template <typename Body>
void GameFlow::runEvent(Body body)
{
    ++m_events;
    try {
        body();
    } catch (...) {
        if (--m_events == 0 && m_closing)
            finishClose();
        throw;
    }
    if (--m_events == 0 && m_closing)
        finishClose();
}

template <typename Step>
auto GameFlow::onRecord(Step step)
{
    // The game's clock runs on during a wait as it does while a box is
    // open, but its ticks are counted once the record's step is done, so
    // that nothing changes under it.
    ++m_recordWaits;
    struct Done
    {
        GameFlow &flow;
        ~Done()
        {
            if (--flow.m_recordWaits == 0)
                for (; flow.m_deferredTicks > 0; --flow.m_deferredTicks)
                    flow.tick();
        }
    } done{*this};
    return step();
}

template <typename Step>
auto GameFlow::onSave(Step step)
{
    ++m_savesUnderWay;
    struct Done
    {
        int &saves;
        ~Done() { --saves; }
    } done{m_savesUnderWay};
    return onRecord(step);
}

void GameFlow::load()
{
    asEvent([&] {
        LoadBestTime();
        m_state.board = GameBoard;
        // The first age is drawn here and used by the first stage: starting
        // draws none.
        m_state.answerAge = randomAge();
        m_state.previousAnswerAge = m_state.answerAge;
    });
}

void GameFlow::clickTitleScreen()
{
    // The title never comes back, so this starts one game per run; later
    // clicks on the prompt change nothing.
    if (m_started || m_closing || waiting())
        return;
    // Buttons that the window cannot make (it throws) leave the title
    // screen as it was, and the next start tries again.
    m_host.CreateAnswerButtons();
    m_started = true;
    showStage();
    m_host.SetTimerEnabled(true);
    m_host.ShowQuestion(Question, m_state.board.top);
}

bool GameFlow::startsGame(Key key) const
{
    return !m_started && !m_closing && (key == Key::Return || key == Key::Space);
}

bool GameFlow::pressKey(Key key, bool repeat)
{
    // One start per press: a held key that repeats starts nothing more.
    if (!startsGame(key))
        return false;
    if (!repeat)
        clickTitleScreen();
    return true;
}

void GameFlow::tick()
{
    if (waiting()) {
        ++m_deferredTicks;
        return;
    }
    // More than six years of ticks would overflow; the count then simply
    // stays at its largest value instead of ending the program.
    if (m_state.elapsedTenths < std::numeric_limits<std::int32_t>::max())
        ++m_state.elapsedTenths;
}

void GameFlow::answerClicked(int index)
{
    if (!m_started || index < 0 || index >= StageLayout::ButtonCount)
        return;
    asEvent([&] { answer(parseCaption(m_host.Caption(index))); });
}

void GameFlow::answer(int captionValue)
{
    if (captionValue == m_state.answerAge)
        rightAnswer();
    else
        wrongAnswer();
}

void GameFlow::rightAnswer()
{
    // Time spent reading the box does not count.
    m_host.SetTimerEnabled(false);
    if (m_state.stage >= LastStage) {
        // The clear is judged, and a new best stored, before any box shows:
        // a kill or a power cut while a box is open cannot take it.
        const Clear cleared = recordClear();
        box(RightPrompt, BoxStyle::OkOnly);
        clear(cleared);
        return;
    }
    box(RightPrompt, BoxStyle::OkOnly);
    if (m_closing)
        return;
    m_host.SetTimerEnabled(true);
    newAnswerAge();
    ++m_state.stage;
    showStage();
}

GameFlow::Clear GameFlow::recordClear()
{
    // Judged against the freshest best, so that no copy of the game calls a
    // time new that another copy has already beaten.
    const std::int32_t time = m_state.elapsedTenths;
    takeStoredBestTime();
    if (time >= m_state.bestTenths)
        return {};
    m_state.bestTenths = time;
    const bool saved = SaveBestTime();
    // Another copy may have stored a better time in the meantime: then the
    // record keeps that one, and this clear is no new best. A save that
    // failed leaves the time the best of this run, saved again at the close.
    return {m_state.bestTenths == time, saved};
}

void GameFlow::clear(Clear cleared)
{
    box(ClearPrompt + TimeText::format(m_state.elapsedTenths), BoxStyle::OkOnly);
    if (cleared.newBest)
        box(NewBestPrompt, BoxStyle::OkOnly);
    // The player learns before the next game that the new best is not kept
    // yet; the reason went to the platform's log with the save.
    if (!cleared.saved)
        box(NotSavedPrompt, BoxStyle::OkOnly, HighScoreTitle);
    if (!m_closing)
        m_host.SetTimerEnabled(true);
    askRetry();
}

void GameFlow::wrongAnswer()
{
    // The timer runs on; a new game wipes what it counts here.
    box(GameOverPrompt, BoxStyle::OkOnly);
    askRetry();
}

void GameFlow::takeStoredBestTime()
{
    if (const std::optional<std::int32_t> stored = onRecord([&] { return m_record.read(); });
        stored && *stored < m_state.bestTenths)
        m_state.bestTenths = *stored;
}

void GameFlow::showHighScore()
{
    // The timer keeps running and nothing but the best time changes.
    asEvent([&] {
        takeStoredBestTime();
        box(TimeText::bestTimePrompt(m_state.bestTenths), BoxStyle::OkOnly, HighScoreTitle);
    });
}

void GameFlow::askRetry()
{
    if (box(RetryPrompt, BoxStyle::YesNo) != BoxAnswer::Yes) {
        requestClose();
        return;
    }
    m_state.stage = 0;
    m_state.elapsedTenths = 0;
    newAnswerAge();
    showStage();
}

void GameFlow::newAnswerAge()
{
    do
        m_state.answerAge = randomAge();
    while (m_state.answerAge == m_state.previousAnswerAge);
    m_state.previousAnswerAge = m_state.answerAge;
}

std::int32_t GameFlow::randomAge()
{
    return static_cast<std::int32_t>(std::floor(m_random() * 30));
}

void GameFlow::showStage()
{
    DrawDisc();
    LayoutBoard();
}

void GameFlow::DrawDisc()
{
    // The picture is composed off-screen and shown with one refresh; its
    // words go to the window just before, so both change together.
    m_host.Cls();
    const PhaseDisc::Picture &picture = PhaseDisc::cached(m_state.answerAge, FormDesign::Background);
    m_host.CopyBlock(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side, picture.data());
    m_host.DescribeDisc(DiscText::cached(m_state.answerAge, FormDesign::Background));
    m_host.Refresh();
}

void GameFlow::LayoutBoard()
{
    placeButtons(true);
}

void GameFlow::PlaceBoard()
{
    placeButtons(false);
}

void GameFlow::placeButtons(bool caption)
{
    // Before the first start only button 0 exists, and it stays hidden.
    const std::optional<StageLayout> layout = StageLayout::forStage(m_state.stage);
    if (!m_started || !layout)
        return;
    const BoardRect board = m_host.DeviceBoard(m_state.board);
    for (int i = 0; i < layout->count(); ++i) {
        // Placed from the size the button took, so the grid stays edge to
        // edge whatever the window system made of the size.
        const FlowHost::Size size = m_host.SizeButton(i, rounded(layout->buttonWidth(board)),
                                                      rounded(layout->buttonHeight(board)));
        m_host.PlaceButton(i, rounded(layout->buttonLeft(board, i, static_cast<float>(size.width))),
                           rounded(layout->buttonTop(board, i, static_cast<float>(size.height))));
        if (caption)
            m_host.SetCaption(i, std::to_string(layout->caption(i, m_state.answerAge, m_random)));
    }
    for (int j = layout->count(); j < StageLayout::ButtonCount; ++j)
        m_host.HideButton(j);
}

void GameFlow::LoadBestTime()
{
    m_state.bestTenths = onRecord([&] { return m_record.load(); });
}

bool GameFlow::SaveBestTime()
{
    return keep(onSave([&] { return m_record.save(m_state.bestTenths); }));
}

bool GameFlow::keep(const BestTimeRecord::Saved &saved)
{
    if (!saved.kept) {
        m_host.ReportSaveFailure(m_record.failureLine(saved.reason));
        return false;
    }
    m_state.bestTenths = *saved.kept;
    return true;
}

bool GameFlow::takeRecordFile(std::string_view head)
{
    // The box shows the best time afterwards either way, so the player
    // sees what the record keeps.
    const std::optional<std::int32_t> brought = BestTimeRecord::timeIn(head);
    if (waiting())
        return false;
    if (!brought) {
        rejectRecordFile();
        return false;
    }
    asEvent([&] {
        if (*brought < m_state.bestTenths)
            m_state.bestTenths = *brought;
        SaveBestTime();
        showHighScore();
    });
    return true;
}

void GameFlow::rejectRecordFile()
{
    // The record stays as it was; the box tells the file's fault and the
    // time the record keeps, in one box.
    asEvent([&] {
        takeStoredBestTime();
        box(std::string(NotReadPrompt) + "\r\n\r\n" + TimeText::bestTimePrompt(m_state.bestTenths),
            BoxStyle::OkOnly, HighScoreTitle);
    });
}

std::string GameFlow::recordFileText() const
{
    const RecordStore::Prefix stored = m_record.store().read(BestTimeRecord::ReadSize);
    if (stored.status == RecordStore::Status::Done && BestTimeRecord::whole(stored.bytes))
        return stored.bytes;
    return BestTimeFormat::line(m_state.bestTenths);
}

void GameFlow::requestClose()
{
    // The window goes first, so that a close never waits on the record.
    // Inside an event (a box open, a wait under way) the save comes once
    // that event is over; a close asked for again changes nothing.
    if (m_closing)
        return;
    m_closing = true;
    m_host.SetTimerEnabled(false);
    m_host.HideWindow();
    if (m_openBoxes > 0)
        m_host.DismissBox();
    if (m_events == 0)
        finishClose();
}

void GameFlow::finishClose()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    keep(saveForClose());
    m_host.Unload();
}

void GameFlow::endSession()
{
    // A save under way at this moment (its wait let the message through)
    // writes the same best time; a second one under it would wait for its
    // own lock. A read under way saves nothing: the save comes under it.
    if (m_unloaded || m_savesUnderWay > 0)
        return;
    runEvent([&] { keep(saveForClose()); });
}

BestTimeRecord::Saved GameFlow::saveForClose()
{
    // Whatever ends the run saves the best time, changed or not. A save
    // that fails leaves the old record as it was; it is tried once more
    // when the failure may pass, but not after a wait that ran out, which
    // would only run out again.
    return onSave([&] {
        BestTimeRecord::Saved saved = m_record.save(m_state.bestTenths);
        if (!saved.kept && !saved.waitedOut)
            saved = m_record.save(m_state.bestTenths);
        return saved;
    });
}

BoxAnswer GameFlow::box(const std::string &prompt, BoxStyle style, const std::string &title)
{
    // On the way out every box answers itself without being shown, and a
    // box that the closing dismissed gave no answer.
    const BoxAnswer unasked = style == BoxStyle::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    if (m_closing)
        return unasked;
    ++m_openBoxes;
    const BoxAnswer answer = m_host.ShowBox(prompt, style, title);
    --m_openBoxes;
    return m_closing ? unasked : answer;
}
