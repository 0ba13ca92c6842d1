// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "RecordStore.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The best clear time as it is kept from run to run, with every rule of
// its keeping: the bytes, the better of two times, the record that cannot
// be read and is never written over, the waits for another copy of the
// game, the place found again under the lock, and the record carried over
// from beside the program. The platform only gives the store.
class BestTimeRecord
{
public:
    static constexpr const char *FileName = "HighScore.mtt";
    // The value when nothing can be read; also an ordinary time (99.9 s).
    static constexpr std::int32_t Missing = 999;
    // Only this much of the record is ever parsed: the number stands at its
    // start. One byte more is read, to tell a record of exactly this size,
    // which is whole, from a longer one, whose number may run on; so every
    // store reads the same bytes the same way.
    static constexpr std::size_t PrefixSize = 4096;
    static constexpr std::size_t ReadSize = PrefixSize + 1;
    // How long a save waits while other copies of the game hold the lock
    // and save, one after another: twenty copies closing at once on slow
    // storage are done well within it.
    static constexpr std::chrono::milliseconds LockWait{60000};
    // How long a record held by another program (a backup, a virus
    // scanner, an editor) is waited for before the save gives up.
    // It is waited for once in a save, however many of its steps find it
    // held.
    static constexpr std::chrono::milliseconds BusyWait{5000};
    // The pause between two tries: the lock is asked again at Poll; a held
    // record at Poll, then twice as long each time up to PollCap, so that a
    // long hold costs a few dozen tries, not hundreds.
    static constexpr std::chrono::milliseconds Poll{10};
    static constexpr std::chrono::milliseconds PollCap{320};

    struct Saved
    {
        std::optional<std::int32_t> kept; // the time the record keeps now
        std::string reason;               // why nothing was written
        // Nothing was written because a wait ran out (the lock, or a
        // record held by another program): trying again at once would
        // only wait as long again.
        bool waitedOut = false;
    };

    // The time that a record's first bytes (read with ReadSize, or fewer)
    // hold, or nothing when they hold none.
    static std::optional<std::int32_t> timeIn(std::string_view head);
    // Whether bytes read with ReadSize are the whole record.
    static bool whole(std::string_view head) { return head.size() <= PrefixSize; }

    // The record kept at `home`. `other`, the second place a record of
    // this player may stand in, is read and never written: while home
    // holds no record, in home's place; while both hold a time, the better
    // one counts, and the next save keeps it at home.
    explicit BestTimeRecord(RecordStore &home, RecordStore *other = nullptr)
        : m_home(&home), m_other(other) {}
    // A view of stores that live elsewhere: never copied, so that no second
    // view outlives them unnoticed; moved only with the object that owns
    // them.
    BestTimeRecord(const BestTimeRecord &) = delete;
    BestTimeRecord &operator=(const BestTimeRecord &) = delete;
    BestTimeRecord(BestTimeRecord &&) noexcept = default;
    BestTimeRecord &operator=(BestTimeRecord &&) = delete;

    // Beside the program, where a portable copy keeps its record, when this
    // player can keep it there. Otherwise (an installed copy, a folder
    // shared with other users whose record or lock this player cannot use)
    // the player's data folder, which starts from the record beside the
    // program until it has one of its own. The place not chosen is the
    // other place. Without a data folder the record stays beside the
    // program.
    static BestTimeRecord choose(RecordStore &besideProgram, RecordStore *dataFolder);

    RecordStore &store() const { return *m_home; }
    // Whether a second place is read beside home.
    bool hasOther() const { return m_other != nullptr; }

    // The stored time, or nothing when none can be read: home's record,
    // the other place's while home holds none, the better of the two while
    // both hold one.
    std::optional<std::int32_t> read() const;
    // The time the game starts with: read(), or Missing.
    std::int32_t load() const;
    // Stores the smaller of `tenths` and the time stored now (as read()
    // finds it), so that a copy closing late never undoes a better time
    // that another copy saved. A record that is there but cannot be read is
    // never written over.
    Saved save(std::int32_t tenths) const;

    // "tamblo: the best time could not be saved to NAME: REASON"
    std::string failureLine(const std::string &reason) const;

private:
    class Patience;
    RecordStore::Prefix readStored(Patience &held) const;

    RecordStore *m_home;
    RecordStore *m_other;
};
