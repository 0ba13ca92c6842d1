// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "BoxKinds.h"
#include "GameState.h"
#include "../record/BestTimeRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class FlowHost;

// The rules of play: starting, counting time, judging answers, moving from
// stage to stage, the clear, the game over and the question of another try,
// the disc and the board of every stage, and the best time kept in the
// record. No widgets here; the window forwards its events and carries out
// what the flow asks through FlowHost.
class GameFlow
{
public:
    static constexpr int LastStage = 5;
    static constexpr const char *Title = "Tamblo";
    static constexpr const char *HighScoreTitle = "ハイスコア";
    static constexpr const char *PromptCaption = "クリックしてください";
    // The title label's text: an ideographic space and 24 blanks, which
    // wrap into the lines above the title word, then the word.
    static std::string titleCaption();

    // The keys that the game reads itself; a front-end maps its platform's
    // keys onto these.
    enum class Key { Return, Space, Other };

    // Uniform numbers in [0, 1).
    using Random = std::function<double()>;

    GameFlow(GameState &state, FlowHost &host, BestTimeRecord &record, Random random);
    // It acts on the window and the record it was given: a copy would be a
    // second game on the same ones.
    GameFlow(const GameFlow &) = delete;
    GameFlow &operator=(const GameFlow &) = delete;

    // The window's load: best time, board rectangle, the first answer age.
    void load();
    // A click on the title label, or on the prompt label while the title
    // shows, starts the game; so do Return and Space on the title screen.
    void clickTitleScreen();
    // A key pressed in the window, and whether the platform repeats it
    // because it is held down. True when the key is the game's here and the
    // window must not handle it further.
    bool pressKey(Key key, bool repeat);
    // Whether `key` would start the game now: Return or Space on the title
    // screen.
    bool startsGame(Key key) const;
    void tick();
    // A click on answer button `index`, judged by the number on its caption.
    void answerClicked(int index);
    // The menu command: the best time in a box, at any moment.
    void showHighScore();

    // The window's operations on the disc and the board: the disc for the
    // answer age, and the answer buttons of the stage, sized, placed and
    // captioned. PlaceBoard() places the buttons of the stage again, their
    // captions kept (after a change of the screen's density).
    void DrawDisc();
    void LayoutBoard();
    void PlaceBoard();

    // The record: read at load; written at once, keeping the better of the
    // time in memory and the stored one, and told to the player when it
    // fails. True when the record keeps a time.
    void LoadBestTime();
    bool SaveBestTime();
    // A record file that the player brings from elsewhere (its first
    // BestTimeRecord::ReadSize bytes, or all of it when shorter): its time
    // is taken as another copy's would be, the record keeping the better
    // one, and the best-time box shows the result. False, the record
    // unchanged, when it holds no time: the box then says so first.
    bool takeRecordFile(std::string_view head);
    // A record file that the window could not read at all (a folder, a file
    // it may not open): told as one that holds no time.
    void rejectRecordFile();
    // The record as a file carries it: the stored bytes as they are, or
    // the line of the best time when nothing whole can be read.
    std::string recordFileText() const;

    // The two ways a run ends, the only ones a front-end reports:
    // requestClose() when the player asks to close (the close button, the
    // system's close command, a termination signal; いいえ in the retry box
    // goes the same way), endSession() when a logout or shutdown is about to
    // end the program. The window leaves the screen at once and an open box
    // is dismissed; every later box answers itself (No to a question); once
    // the event under way is over, the best time is saved, the save's waits
    // bounded as a whole, and the host ends the window. Asking twice changes
    // nothing.
    void requestClose();
    // endSession() saves the best time at once, inside a box too, since the
    // program may be ended as soon as it returns; the game goes on if the
    // platform lets it (a logout that is cancelled).
    void endSession();

    bool started() const { return m_started; }
    bool inBox() const { return m_openBoxes > 0; }

private:
    // An answer judged by its number.
    void answer(int captionValue);
    // Runs one event of the window; a close asked for during it is carried
    // out when the outermost event is over.
    template <typename Body>
    void asEvent(Body body);
    // The same, under a record's wait too.
    template <typename Body>
    void runEvent(Body body);
    // Runs a step of the record, whose waits let the window's system
    // messages through: ticks that come meanwhile are counted after it, and
    // the player's events are dropped (see waiting()).
    template <typename Step>
    auto onRecord(Step step);
    bool waiting() const { return m_recordWaits > 0; }
    // A save of the record, run as a step of it (see onRecord()).
    template <typename Step>
    auto onSave(Step step);
    void finishClose();
    BestTimeRecord::Saved saveForClose();
    void rightAnswer();
    void wrongAnswer();
    // Takes the stored best time when it is better than the one in memory.
    void takeStoredBestTime();
    // Takes the time a save left in the record, or tells why there is none.
    bool keep(const BestTimeRecord::Saved &saved);
    struct Clear
    {
        bool newBest = false;
        bool saved = true;
    };
    Clear recordClear();
    void clear(Clear cleared);
    void askRetry();
    void newAnswerAge();
    void showStage();
    void placeButtons(bool caption);
    std::int32_t randomAge();
    BoxAnswer box(const std::string &prompt, BoxStyle style, const std::string &title = Title);

    GameState &m_state;
    FlowHost &m_host;
    BestTimeRecord &m_record;
    Random m_random;
    bool m_started = false;
    bool m_closing = false;
    bool m_unloaded = false;
    int m_openBoxes = 0;
    int m_events = 0;
    int m_recordWaits = 0;
    int m_savesUnderWay = 0;
    std::int32_t m_deferredTicks = 0;
};

// The number on an answer button's caption: its plain decimal digits, or -1
// for a caption that is none (a sign, a blank, anything but digits), which
// no answer age equals.
int parseCaption(std::string_view caption);
