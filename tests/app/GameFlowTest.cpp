// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/FlowHost.h"
#include "app/Frontend.h"
#include "app/GameFlow.h"
#include "board/StageLayout.h"
#include "record/BestTimeRecord.h"
#include "tests/support/MemoryStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {
const std::string Right = "正解!";
const std::string NewBest = "ハイスコア更新!";
const std::string GameOver = "残念!　間違いです\r\n\r\nゲームオーバー";
const std::string Retry = "また挑戦しますか？";
const std::string NotSaved = "ハイスコアを保存できませんでした";
const std::string NotRead = "記録を読み込めませんでした\r\n\r\n";

bool startsWith(const std::string &text, const std::string &start) { return text.rfind(start, 0) == 0; }

std::string clearBox(const std::string &time) { return "ゲームクリア!\r\n\r\n所要時間 " + time; }

// Stands in for the window: records what the flow asks for, answers the
// boxes from a script and lets ticks arrive while a box is open.
class RecordingHost : public FlowHost
{
public:
    GameState state;
    std::vector<std::string> boxes;
    std::vector<std::string> calls;
    // The disc's picture, its words and the refresh, in their order.
    std::vector<std::string> disc;
    // Each immediate save: the best time then, and how many boxes came before.
    std::vector<std::pair<std::int32_t, std::size_t>> saves;
    std::deque<BoxAnswer> retryAnswers;
    // The record, as another copy of the game may change it.
    MemoryStore store;
    std::vector<std::string> failures;
    std::vector<std::string> captions = std::vector<std::string>(30, "Command1");
    bool timer = false;
    int ticksPerBox = 0;
    std::function<void()> onBox;
    GameFlow *flow = nullptr;

    BoxAnswer ShowBox(const std::string &prompt, BoxStyle style, const std::string &title) override
    {
        const bool aboutRecord = startsWith(prompt, "クリアまでの最短時間") || prompt == NotSaved || startsWith(prompt, NotRead);
        EXPECT_EQ(title, aboutRecord ? "ハイスコア" : "Tamblo") << prompt;
        EXPECT_EQ(style, prompt == Retry ? BoxStyle::YesNo : BoxStyle::OkOnly) << prompt;
        boxes.push_back(prompt);
        if (onBox)
            onBox();
        // Ticks only arrive while the timer runs, as with the real timer.
        for (int i = 0; i < ticksPerBox; ++i)
            if (timer)
                flow->tick();
        if (style != BoxStyle::YesNo)
            return BoxAnswer::Ok;
        if (retryAnswers.empty())
            return BoxAnswer::No;
        const BoxAnswer answer = retryAnswers.front();
        retryAnswers.pop_front();
        return answer;
    }
    RecordingHost()
    {
        store.holds(999);
        store.afterStep = [this](const std::string &step) {
            if (step == "commit")
                saves.emplace_back(*store.value(), boxes.size());
        };
    }
    void Cls() override {}
    void CopyBlock(int, int, int, int, const std::uint32_t *) override
    {
        calls.push_back("draw " + std::to_string(state.answerAge));
        disc.push_back("draw " + std::to_string(state.answerAge));
    }
    void Refresh() override { disc.push_back("refresh"); }
    void DescribeDisc(const std::string &text) override { disc.push_back(text); }
    Size SizeButton(int index, int width, int height) override
    {
        if (index == 0)
            calls.push_back("layout " + std::to_string(state.stage));
        return {width, height};
    }
    void PlaceButton(int, int, int) override {}
    void SetCaption(int index, const std::string &caption) override { captions.at(index) = caption; }
    std::string Caption(int index) const override { return captions.at(index); }
    void HideButton(int) override {}
    void ReportSaveFailure(const std::string &line) override { failures.push_back(line); }
    void SetTimerEnabled(bool enabled) override { timer = enabled; }
    void CreateAnswerButtons() override { calls.push_back("create"); }
    void ShowQuestion(const std::string &question, int promptBottom) override
    {
        calls.push_back(question + " " + std::to_string(promptBottom));
    }
    void HideWindow() override { calls.push_back("hide"); }
    void DismissBox() override
    {
        calls.push_back("dismiss");
        dismissed = true;
    }
    void Unload() override { calls.push_back("unload"); }
    bool dismissed = false;
};

class GameFlowTest : public ::testing::Test
{
protected:
    GameFlowTest()
        : flow(host.state, host, record, [this] { return nextRandom(); })
    {
        host.flow = &flow;
    }

    double nextRandom()
    {
        if (randoms.empty())
            return (++fallback % 30) / 30.0 + 0.01;
        const double r = randoms.front();
        randoms.pop_front();
        return r;
    }

    static double ageAsRandom(int age) { return (age + 0.5) / 30; }

    void startWithAge(int age)
    {
        randoms.push_back(ageAsRandom(age));
        flow.load();
        flow.clickTitleScreen();
    }

    // A click on a shown button whose caption is, or is not, the answer.
    int buttonShowing(bool right) const
    {
        const std::string age = std::to_string(host.state.answerAge);
        for (int i = 0; i < StageLayout::forStage(host.state.stage)->count(); ++i)
            if ((host.captions.at(static_cast<std::size_t>(i)) == age) == right)
                return i;
        ADD_FAILURE() << "no such button";
        return 0;
    }
    void answerRight() { flow.answerClicked(buttonShowing(true)); }
    void answerWrong() { flow.answerClicked(buttonShowing(false)); }
    // A wrong answer with a best time of 42.0 s whose game-over box runs
    // `inBox`; the retry question, if it comes, is answered yes.
    void inTheGameOverBox(std::function<void()> inBox)
    {
        host.retryAnswers = {BoxAnswer::Yes};
        startWithAge(8);
        host.state.bestTenths = 420;
        host.onBox = [this, inBox] {
            if (host.boxes.size() == 1)
                inBox();
        };
        answerWrong();
    }

    // A perfect game in 30.0 s whose save at the clear fails once, so that
    // only memory has that best time; the retry question is answered yes.
    void clearWithAFailedSave()
    {
        host.store.failNext("commit", RecordStore::Status::Failed, 1, "No space left on device");
        host.retryAnswers = {BoxAnswer::Yes};
        startWithAge(8);
        for (int stage = 0; stage < 5; ++stage)
            answerRight();
        ticks(300);
        answerRight();
    }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            flow.tick();
    }

    RecordingHost host;
    BestTimeRecord record{host.store};
    GameFlow flow;
    std::deque<double> randoms;
    int fallback = 0;
};
} // namespace

TEST_F(GameFlowTest, LoadPreparesTheTitleScreen)
{
    host.store.holds(1234);
    randoms = {0.999999};
    flow.load();
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(host.state.bestTenths, 1234);
    EXPECT_EQ(host.state.answerAge, 29);
    EXPECT_EQ(host.state.previousAnswerAge, 29);
    EXPECT_EQ(host.state.board.left, 10);
    EXPECT_EQ(host.state.board.top, 260);
    EXPECT_EQ(host.state.board.right, 190);
    EXPECT_EQ(host.state.board.bottom, 440);
    EXPECT_EQ(host.state.stage, 0);
    EXPECT_FALSE(host.timer);
    EXPECT_FALSE(flow.started());
}

TEST_F(GameFlowTest, StartUsesTheAgeDrawnAtLoadAndHappensOnce)
{
    startWithAge(12);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"create", "draw 12", "layout 0", "この月の月齢は？ 260"}));
    EXPECT_TRUE(host.timer);
    EXPECT_EQ(host.state.elapsedTenths, 0);
    flow.clickTitleScreen();
    EXPECT_EQ(host.calls.size(), 4u);
}

TEST_F(GameFlowTest, ReturnAndSpaceStartOnTheTitleScreenOncePerPress)
{
    using Key = GameFlow::Key;
    flow.load();
    // Other keys, and a key held down from before, start nothing.
    EXPECT_FALSE(flow.pressKey(Key::Other, false));
    EXPECT_TRUE(flow.pressKey(Key::Space, true));
    EXPECT_TRUE(host.calls.empty());
    EXPECT_TRUE(flow.pressKey(Key::Return, false));
    EXPECT_EQ(host.calls.front(), "create");
    // Once playing they are the answer buttons' again.
    EXPECT_FALSE(flow.startsGame(Key::Return));
    EXPECT_FALSE(flow.pressKey(Key::Space, false));
    EXPECT_EQ(host.calls.size(), 4u);
}

TEST(BoxAnswers, OnlyTheFirstButtonOfAQuestionSaysYes)
{
    EXPECT_EQ(boxButtons(BoxStyle::YesNo), (std::vector<std::string>{"はい", "いいえ"}));
    EXPECT_EQ(boxButtons(BoxStyle::OkOnly), std::vector<std::string>{"OK"});
    EXPECT_EQ(boxAnswer(BoxStyle::YesNo, 0), BoxAnswer::Yes);
    for (const int other : {1, -1, 2})
        EXPECT_EQ(boxAnswer(BoxStyle::YesNo, other), BoxAnswer::No) << other;
    for (const int any : {0, -1})
        EXPECT_EQ(boxAnswer(BoxStyle::OkOnly, any), BoxAnswer::Ok) << any;
}

TEST_F(GameFlowTest, PerfectGameBoxesAndStages)
{
    host.store.holds(999);
    startWithAge(3);
    for (int stage = 0; stage < 6; ++stage) {
        EXPECT_EQ(host.state.stage, stage);
        ticks(10);
        answerRight();
    }
    EXPECT_EQ(host.boxes, (std::vector<std::string>{Right, Right, Right, Right, Right, Right,
                                                    clearBox("6.0秒"), NewBest, Retry}));
    EXPECT_EQ(host.state.bestTenths, 60);
    EXPECT_EQ(host.calls.back(), "unload");
    // Each stage drew a fresh disc and board in that order.
    int draws = 0;
    for (std::size_t i = 0; i < host.calls.size(); ++i) {
        if (host.calls[i].rfind("draw", 0) == 0) {
            ++draws;
            EXPECT_EQ(host.calls[i + 1].rfind("layout", 0), 0u);
        }
    }
    EXPECT_EQ(draws, 6);
}

TEST_F(GameFlowTest, EachDiscIsToldInWordsWithItsPicture)
{
    startWithAge(7);
    randoms.push_back(ageAsRandom(23));
    answerRight();
    EXPECT_EQ(host.disc, (std::vector<std::string>{"draw 7", "右側が明るい月 (明るい部分 45%)", "refresh",
                                                   "draw 23", "左側が明るい月 (明るい部分 45%)", "refresh"}));
}

TEST_F(GameFlowTest, WrongAnswerEndsTheGameAtAnyStage)
{
    startWithAge(3);
    host.retryAnswers = {BoxAnswer::Yes};
    for (int stage = 0; stage < 5; ++stage)
        answerRight();
    ASSERT_EQ(host.state.stage, 5);
    answerWrong();
    EXPECT_EQ(host.boxes, (std::vector<std::string>{Right, Right, Right, Right, Right, GameOver,
                                                    Retry}));
    EXPECT_EQ(host.state.stage, 0);
    EXPECT_NE(host.calls.back(), "unload");
    EXPECT_TRUE(host.timer);

    // いいえ closes the window, at the very first stage too.
    host.boxes.clear();
    host.calls.clear();
    answerWrong();
    EXPECT_EQ(host.boxes, (std::vector<std::string>{GameOver, Retry}));
    EXPECT_EQ(host.calls.back(), "unload");
}

TEST_F(GameFlowTest, ClearTimesAndNewBests)
{
    const struct
    {
        int ticks;
        std::int32_t best;
        std::string time;
        bool newBest;
    } cases[] = {
        {1234, 999, "123.4秒", false},
        {600, 999, "60.0秒", true},
        {7, 999, "0.7秒", true},
        {999, 999, "99.9秒", false},
        {998, 999, "99.8秒", true},
        {500, 500, "50.0秒", false},
    };
    for (const auto &c : cases) {
        host.boxes.clear();
        host.saves.clear();
        host.state.bestTenths = c.best;
        host.store.holds(c.best);
        host.retryAnswers = {BoxAnswer::Yes};
        if (!flow.started())
            startWithAge(4);
        for (int stage = 0; stage < 5; ++stage)
            answerRight();
        ticks(c.ticks);
        answerRight();
        std::vector<std::string> expected(6, Right);
        expected.push_back(clearBox(c.time));
        if (c.newBest)
            expected.push_back(NewBest);
        expected.push_back(Retry);
        EXPECT_EQ(host.boxes, expected) << c.ticks;
        EXPECT_EQ(host.state.bestTenths, c.newBest ? c.ticks : c.best) << c.ticks;
        // A new best is saved as the last answer is judged, before the
        // sixth "right" box; any other clear saves nothing.
        using Save = std::pair<std::int32_t, std::size_t>;
        const std::vector<Save> expectedSaves =
            c.newBest ? std::vector<Save>{{c.ticks, 5}} : std::vector<Save>{};
        EXPECT_EQ(host.saves, expectedSaves) << c.ticks;
        EXPECT_EQ(host.state.elapsedTenths, 0);
    }
}

TEST_F(GameFlowTest, TicksInRightAnswerAndClearBoxesDoNotCount)
{
    host.ticksPerBox = 5;
    host.retryAnswers = {BoxAnswer::Yes};
    startWithAge(20);
    for (int stage = 0; stage < 6; ++stage) {
        ticks(3);
        answerRight();
    }
    // 18 ticks of play; none in the six right-answer boxes, the clear box
    // or the new-best box. The retry question (timer on) counts 5 more,
    // which the new game wipes.
    EXPECT_EQ(host.boxes[6], clearBox("1.8秒"));
    EXPECT_EQ(host.state.bestTenths, 18);
    EXPECT_EQ(host.state.elapsedTenths, 0);
    EXPECT_TRUE(host.timer);
}

TEST_F(GameFlowTest, TicksInGameOverBoxesCountUntilANewGame)
{
    host.ticksPerBox = 5;
    host.retryAnswers = {BoxAnswer::No};
    startWithAge(20);
    ticks(3);
    answerWrong();
    EXPECT_EQ(host.state.elapsedTenths, 13);
    // The close that いいえ asks for stops the clock.
    EXPECT_FALSE(host.timer);
    EXPECT_EQ(host.calls.back(), "unload");
}

TEST_F(GameFlowTest, AnswerAgeNeverRepeats)
{
    randoms = {ageAsRandom(7)};
    flow.load();
    flow.clickTitleScreen();
    // The next draw repeats 7 twice before giving 8.
    randoms = {ageAsRandom(7), ageAsRandom(7), ageAsRandom(8)};
    answerRight();
    EXPECT_EQ(host.state.answerAge, 8);
    EXPECT_EQ(host.state.previousAnswerAge, 8);
    // Across a retry as well, after a wrong answer.
    host.retryAnswers = {BoxAnswer::Yes};
    randoms = {ageAsRandom(8), ageAsRandom(0)};
    answerWrong();
    EXPECT_EQ(host.state.answerAge, 0);
    EXPECT_EQ(host.state.stage, 0);
}

TEST_F(GameFlowTest, RetryRestartsWithoutCreatingButtonsAgain)
{
    host.retryAnswers = {BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::Yes};
    startWithAge(1);
    for (int game = 0; game < 3; ++game) {
        ticks(4);
        answerWrong();
        EXPECT_EQ(host.state.stage, 0);
        EXPECT_EQ(host.state.elapsedTenths, 0);
    }
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "create"), 1);
    EXPECT_NE(host.calls.back(), "unload");
}

TEST_F(GameFlowTest, ElapsedTimeStopsAtItsLargestValue)
{
    startWithAge(1);
    host.state.elapsedTenths = std::numeric_limits<std::int32_t>::max() - 1;
    ticks(3);
    EXPECT_EQ(host.state.elapsedTenths, std::numeric_limits<std::int32_t>::max());
}

TEST_F(GameFlowTest, ClearsAndTheHighScoreBoxUseABetterTimeStoredByAnotherCopy)
{
    const struct
    {
        std::int32_t stored; // what the record holds when the clear is judged
        std::int32_t kept;   // best tenths afterwards
        bool newBest;
    } cases[] = {
        {999, 300, true},  // nothing better stored: a new best
        {250, 250, false}, // another copy did better meanwhile
        {300, 300, false}, // as good is no new best
        {301, 300, true},
    };
    for (const auto &c : cases) {
        host.boxes.clear();
        host.saves.clear();
        host.state.bestTenths = 999;
        host.retryAnswers = {BoxAnswer::Yes};
        if (!flow.started())
            startWithAge(8);
        for (int stage = 0; stage < 5; ++stage)
            answerRight();
        ticks(300);
        host.store.holds(c.stored);
        answerRight();
        EXPECT_EQ(host.state.bestTenths, c.kept) << c.stored;
        EXPECT_EQ(std::count(host.boxes.begin(), host.boxes.end(), NewBest), c.newBest ? 1 : 0) << c.stored;
        EXPECT_EQ(host.saves.size(), c.newBest ? 1u : 0u) << c.stored;
    }

    // The menu's box rereads the record before it shows the time.
    host.boxes.clear();
    host.store.holds(42);
    flow.showHighScore();
    EXPECT_EQ(host.boxes, std::vector<std::string>{"クリアまでの最短時間 4.2秒"});
    EXPECT_EQ(host.state.bestTenths, 42);
}

TEST_F(GameFlowTest, AClearThatAnotherCopyBeatDuringItsSaveIsNoNewBest)
{
    // The record reads 999 when the clear is judged; while this copy waits
    // for the lock, another one stores 250.
    host.store.afterStep = [this](const std::string &step) {
        if (step == "lock")
            host.store.holds(250);
    };
    startWithAge(8);
    for (int stage = 0; stage < 5; ++stage)
        answerRight();
    ticks(300);
    answerRight();
    EXPECT_EQ(host.state.bestTenths, 250);
    EXPECT_EQ(std::count(host.boxes.begin(), host.boxes.end(), NewBest), 0);
    EXPECT_EQ(host.store.bytes, "250\r\n");
}

TEST_F(GameFlowTest, AFailedSaveIsToldAndTriedAgainWhenTheWindowCloses)
{
    using Status = RecordStore::Status;
    clearWithAFailedSave();
    // The time is the best this game knows, kept in memory and told as
    // such, and then that it is not kept, before the retry question; the
    // failure is logged once, with the record's name.
    EXPECT_EQ(host.boxes, (std::vector<std::string>{Right, Right, Right, Right, Right, Right, clearBox("30.0秒"),
                                                    NewBest, NotSaved, Retry}));
    EXPECT_EQ(host.state.bestTenths, 300);
    EXPECT_EQ(host.failures, (std::vector<std::string>{"tamblo: the best time could not be saved to "
                                                        "memory/HighScore.mtt: No space left on device"}));
    EXPECT_EQ(host.store.bytes, "999\r\n");

    // At the close the save fails once more and is tried again.
    host.store.failNext("commit", Status::Failed, 1, "No space left on device");
    flow.requestClose();
    EXPECT_EQ(host.store.bytes, "300\r\n");
    EXPECT_EQ(host.failures.size(), 1u);
    // Closing twice saves once.
    host.store.steps.clear();
    flow.requestClose();
    EXPECT_TRUE(host.store.steps.empty());
}

TEST_F(GameFlowTest, OnceTheWindowClosesBoxesAnswerThemselves)
{
    host.retryAnswers = {BoxAnswer::Yes};
    startWithAge(8);
    // The window starts closing while the game-over box is open: that box
    // gives no answer, the retry question is never shown, and the flow does
    // not close the window a second time.
    host.ticksPerBox = 0;
    const auto showBox = [this] {
        if (host.boxes.size() == 1)
            flow.requestClose();
    };
    host.store.afterStep = nullptr;
    host.onBox = showBox;
    answerWrong();
    EXPECT_EQ(host.boxes, (std::vector<std::string>{GameOver}));
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), "unload"), 1);
    EXPECT_EQ(host.retryAnswers.size(), 1u);
    EXPECT_FALSE(flow.inBox());
    // The record is saved once.
    EXPECT_EQ(host.store.bytes, "999\r\n");
}

TEST_F(GameFlowTest, ClosingDuringABoxEndsTheGameWhereItStands)
{
    // Closing while a mid-game right answer's box is open: no next stage is
    // drawn and the clock stays stopped.
    startWithAge(8);
    host.onBox = [this] { flow.requestClose(); };
    host.calls.clear();
    answerRight();
    EXPECT_EQ(host.state.stage, 0);
    EXPECT_FALSE(host.timer);
    // The window went, and nothing was drawn or laid out on the way.
    EXPECT_EQ(host.calls, (std::vector<std::string>{"hide", "dismiss", "unload"}));

    // A retry box that the closing dismissed gives no answer, whatever its
    // window reports: no new game starts on the way out.
    RecordingHost other;
    GameFlow closing(other.state, other, record, [this] { return nextRandom(); });
    other.flow = &closing;
    other.retryAnswers = {BoxAnswer::Yes};
    other.onBox = [&] {
        if (other.boxes.back() == Retry)
            closing.requestClose();
    };
    closing.load();
    closing.clickTitleScreen();
    other.captions[0] = "99";
    closing.answerClicked(0);
    EXPECT_EQ(other.boxes.back(), Retry);
    EXPECT_EQ(std::count(other.boxes.begin(), other.boxes.end(), Retry), 1);
    EXPECT_TRUE(other.retryAnswers.empty());
    EXPECT_EQ(std::count(other.calls.begin(), other.calls.end(), "layout 0"), 1);
}

TEST_F(GameFlowTest, AnAnswerIsJudgedByTheNumberOnItsButton)
{
    EXPECT_EQ(parseCaption("7"), 7);
    EXPECT_EQ(parseCaption("29"), 29);
    EXPECT_EQ(parseCaption("07"), 7);
    for (const char *none : {"", " 7", "7 ", "+7", "-7", "7.0", "Command1", "1234567890", "\xEF\xBC\x97"})
        EXPECT_EQ(parseCaption(none), -1) << none;

    // A click before the game starts, or on no button, changes nothing.
    flow.answerClicked(0);
    EXPECT_TRUE(host.boxes.empty());
    startWithAge(12);
    flow.answerClicked(30);
    EXPECT_TRUE(host.boxes.empty());
    // The button whose caption is the answer age is right; another is wrong.
    const auto right = std::find(host.captions.begin(), host.captions.end(), "12") - host.captions.begin();
    flow.answerClicked(static_cast<int>(right));
    EXPECT_EQ(host.boxes, std::vector<std::string>{Right});
    // Appended, not prefixed: MinGW's GCC 12 warns falsely on " " + string.
    const std::string blankFirst = std::string(" ").append(std::to_string(host.state.answerAge));
    host.captions[0] = blankFirst;
    host.captions[1] = blankFirst;
    flow.answerClicked(0);
    EXPECT_EQ(host.boxes.back(), Retry);
}

TEST_F(GameFlowTest, ARecordFileBroughtFromElsewhereIsTakenAsAnotherCopysTime)
{
    host.store.holds(500);
    flow.load();
    // A better time is stored and shown; a worse one, or a file with no
    // time, changes nothing, and the box shows the time kept.
    EXPECT_TRUE(flow.takeRecordFile("321\r\n"));
    EXPECT_EQ(host.store.bytes, "321\r\n");
    EXPECT_EQ(host.state.bestTenths, 321);
    EXPECT_TRUE(flow.takeRecordFile("800\r\n"));
    EXPECT_EQ(host.store.bytes, "321\r\n");
    EXPECT_EQ(host.boxes, (std::vector<std::string>{"クリアまでの最短時間 32.1秒", "クリアまでの最短時間 32.1秒"}));
    host.store.steps.clear();
    // Digits that run past the bytes parsed are no time.
    EXPECT_FALSE(flow.takeRecordFile(std::string(BestTimeRecord::PrefixSize - 1, ' ') + "12"));
    EXPECT_FALSE(flow.takeRecordFile("abc"));
    EXPECT_FALSE(flow.takeRecordFile(""));
    EXPECT_FALSE(flow.takeRecordFile(std::string("\0\x01\xff" "7", 4)));
    flow.rejectRecordFile();
    // Each says that the file held no record, and the time kept.
    EXPECT_EQ(host.boxes.size(), 7u);
    for (std::size_t i = 2; i < host.boxes.size(); ++i)
        EXPECT_EQ(host.boxes[i], NotRead + "クリアまでの最短時間 32.1秒");
    EXPECT_EQ(std::count(host.store.steps.begin(), host.store.steps.end(), "commit"), 0);
    EXPECT_EQ(host.state.bestTenths, 321);
    EXPECT_EQ(host.store.bytes, "321\r\n");

    // The file handed out is the stored text, byte for byte.
    host.store.bytes = "  42,\r\n";
    EXPECT_EQ(flow.recordFileText(), "  42,\r\n");
    host.store.bytes.reset();
    EXPECT_EQ(flow.recordFileText(), "321\r\n");
    // A record longer than what is read is never handed out cut short.
    host.store.bytes = "321\r\n" + std::string(BestTimeRecord::PrefixSize, 'x');
    EXPECT_EQ(flow.recordFileText(), "321\r\n");

    // A worse file whose save fails leaves the better time in memory, even
    // when the store no longer holds it.
    host.store.holds(999);
    host.store.failNext("prepare", RecordStore::Status::Failed, 1, "No space left on device");
    EXPECT_TRUE(flow.takeRecordFile("800\r\n"));
    EXPECT_EQ(host.state.bestTenths, 321);
    EXPECT_EQ(host.boxes.back(), "クリアまでの最短時間 32.1秒");
}

TEST_F(GameFlowTest, ACloseInsideABoxHidesTheWindowAtOnceAndSavesAfterTheEvent)
{
    std::vector<std::string> callsInBox;
    inTheGameOverBox([&] {
        flow.requestClose();
        flow.requestClose();
        callsInBox = host.calls;
    });
    // In the box: the window went and the box was dismissed, once; no save
    // yet, since the event was still under way.
    EXPECT_EQ(std::count(callsInBox.begin(), callsInBox.end(), "hide"), 1);
    EXPECT_EQ(std::count(callsInBox.begin(), callsInBox.end(), "dismiss"), 1);
    EXPECT_EQ(std::count(callsInBox.begin(), callsInBox.end(), "unload"), 0);
    EXPECT_FALSE(host.timer);
    // After it: no question asked, the record saved once, the window ended.
    EXPECT_EQ(host.boxes, (std::vector<std::string>{GameOver}));
    EXPECT_EQ(host.saves.size(), 1u);
    EXPECT_EQ(host.store.bytes, "420\r\n");
    EXPECT_EQ(host.calls.back(), "unload");
    EXPECT_EQ(host.retryAnswers.size(), 1u);
}

TEST_F(GameFlowTest, TheEndOfASessionSavesAtOnceInsideABoxAndTheGameGoesOn)
{
    std::optional<std::string> savedInBox;
    inTheGameOverBox([&] {
        flow.endSession();
        savedInBox = host.store.bytes;
    });
    EXPECT_EQ(savedInBox, "420\r\n");
    // A logout that was cancelled: the game asked its question and goes on.
    EXPECT_EQ(host.boxes, (std::vector<std::string>{GameOver, Retry}));
    EXPECT_TRUE(std::find(host.calls.begin(), host.calls.end(), "hide") == host.calls.end());
}

TEST_F(GameFlowTest, TheEndOfASessionDuringARecordWaitSavesUnlessASaveIsUnderWay)
{
    using Status = RecordStore::Status;
    clearWithAFailedSave();
    ASSERT_EQ(host.store.bytes, "999\r\n");
    // The session ends while the high-score menu waits to read the record.
    host.store.failNext("read", Status::Busy, 2);
    int pauses = 0;
    host.store.duringPause = [&] {
        if (++pauses == 1)
            flow.endSession();
    };
    flow.showHighScore();
    EXPECT_EQ(host.store.bytes, "300\r\n");

    // One that ends while the close's save waits adds no save under it.
    host.store.duringPause = [&] { flow.endSession(); };
    host.store.failNext("commit", Status::Busy, 2, "in use by another program");
    host.store.steps.clear();
    flow.requestClose();
    EXPECT_EQ(std::count(host.store.steps.begin(), host.store.steps.end(), "prepare"), 1);
}

TEST_F(GameFlowTest, TheClosesSaveWaitsForAHeldRecordOnceNotOncePerTry)
{
    using Status = RecordStore::Status;
    startWithAge(8);
    host.store.failNext("commit", Status::Busy, 100000, "in use by another program");
    flow.requestClose();
    EXPECT_EQ(std::count(host.store.steps.begin(), host.store.steps.end(), "prepare"), 1);
    EXPECT_LE(host.store.clock, BestTimeRecord::BusyWait + BestTimeRecord::PollCap);
    EXPECT_EQ(host.failures.size(), 1u);
    EXPECT_EQ(host.calls.back(), "unload");
}

TEST_F(GameFlowTest, NothingChangesUnderARecordWait)
{
    using Status = RecordStore::Status;
    host.store.holds(500);
    startWithAge(8);
    ticks(10);
    // The high-score menu finds the record held for a moment; meanwhile
    // the clock ticks, an answer and a second menu command come through,
    // and the player asks to close.
    host.store.failNext("read", Status::Busy, 3);
    GameState during;
    int pauses = 0;
    host.store.duringPause = [&] {
        ++pauses;
        flow.tick();
        answerRight();
        flow.showHighScore();
        if (pauses == 2)
            flow.requestClose();
        during = host.state;
    };
    flow.showHighScore();
    host.store.duringPause = nullptr;
    ASSERT_EQ(pauses, 3);
    // Under the wait: no tick counted, no answer judged, no second box.
    EXPECT_EQ(during.elapsedTenths, 10);
    EXPECT_EQ(during.stage, 0);
    // After it, the ticks count, and the close saved and ended the window;
    // the menu's box answered itself without showing.
    EXPECT_EQ(host.state.elapsedTenths, 13);
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(host.calls.back(), "unload");
    EXPECT_EQ(host.saves.size(), 1u);
}
