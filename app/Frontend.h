// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

// What a front-end is: everything a new one supplies, and everything it
// calls, in one place. The core decides every rule; a front-end is a list of
// platform calls around it.
//
// It supplies:
// - the window's calls, FlowHost (app/FlowHost.h): the modal box, the
//   drawing surface (Cls, CopyBlock, Refresh, in game pixels), the answer
//   buttons (CreateAnswerButtons, SizeButton, PlaceButton, SetCaption,
//   Caption, HideButton), the timer, the question, the closing (HideWindow,
//   DismissBox, Unload), the line that tells a failed save, and the disc's
//   words for a screen reader (DescribeDisc);
// - the store, RecordStore (record/RecordStore.h): one place where the
//   record may be kept, as primitives that only read, lock and write, and
//   a pause() that keeps the window painting while the player's input
//   waits; BestTimeRecord makes every decision over it;
// - the window, built from the design (app/FormDesign.h): its size, the
//   labels' and the first button's rectangles, the colours, the fonts and
//   the tick; the captions, the title and the menu's text are GameFlow's.
//   A box shows the buttons of boxButtons() (app/BoxKinds.h), or the
//   platform's own Yes, No and OK.
//
// It calls, on GameFlow (app/GameFlow.h), one event at a time:
// - load()                 once, when the window is made, before it shows;
// - clickTitleScreen()     a click on the title or the prompt label;
// - pressKey(key, repeat)  a key, mapped to GameFlow::Key (Return, Space);
// - answerClicked(index)   a click on answer button `index`;
// - showHighScore()        the menu's command;
// - tick()                 every FormDesign::TickMilliseconds while the
//                          timer runs (a late timer may deliver several);
// - requestClose()         the player asks to close (the close button, the
//                          system's close command, a termination signal);
// - endSession()           the session ends: the record is saved at once;
// - takeRecordFile(head), rejectRecordFile(), recordFileText()
//                          a record file carried in (or one that could not
//                          be read) and out, where the platform has no
//                          file of its own.
// A box's answer comes back as boxAnswer(style, pressed): the index of the
// button pressed, or -1 when the box was closed without one.
//
// The platform maps its own keys, answers and colours onto these; anything
// it would have to decide beyond that belongs in the core.
#include "BoxKinds.h"
#include "FlowHost.h"
#include "FormDesign.h"
#include "GameFlow.h"
#include "../record/RecordStore.h"
