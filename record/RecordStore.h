// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

// One place where the best time may be kept, as a platform reaches it: a
// file beside the program, a file in the player's data folder, a browser's
// storage. A store offers primitives and decides none of the record's
// rules: what is read, whether it is whole, what is kept, waited for or
// refused is BestTimeRecord's to say. A step may still wait on its
// platform's terms: the browser's lock, once another tab held it, waits up
// to a tenth of a second more for that tab's write to reach this page.
class RecordStore
{
public:
    enum class Status {
        Done,    // the step did what it was asked
        Missing, // nothing that counts as a record stands there
        Busy,    // held for a moment by someone else: another copy's
                 // lock, or a program that opened the file without sharing
        Failed,  // cannot be done; the reason says why
    };

    struct Reply
    {
        Status status = Status::Done;
        std::string reason; // for Busy and Failed, in a few words
    };

    struct Prefix
    {
        Status status = Status::Done;
        std::string reason;
        std::string bytes; // the record's first bytes, at most the limit
    };

    virtual ~RecordStore() = default;

    // Where the record lives, as a player would be told it (UTF-8).
    virtual std::string name() const = 0;
    // Whether this player can keep the record here: the place takes new
    // files, and a record or a lock already there is this player's to
    // replace and to take.
    virtual bool usable() = 0;
    // At most `limit` bytes from the record's start. Missing when nothing
    // stands there or what stands there is no record (a pipe, a folder, a
    // link that is never followed). Never blocks.
    virtual Prefix read(std::size_t limit) = 0;

    // The steps of a save, called in this order. find() settles where the
    // record is really written (its folder made, the player's own link
    // followed once); read() then reads that place. lock() never waits:
    // Busy while another copy holds the lock. Every lock that was Done is
    // given back with unlock().
    virtual Reply find() = 0;
    virtual Reply lock() = 0;
    // Under the lock: the place is still the one find() settled.
    virtual bool stillFound() = 0;
    // Under the lock: temporary files that an earlier save of this game
    // left when it was killed.
    virtual void removeStaleTemporaries() = 0;
    // A replacement in two steps, so that a refused move is asked again
    // without writing anything anew. prepare() puts the new bytes in a new
    // file beside the record, flushed; commit() puts that file over the
    // name in one step, Busy when the step is refused for a moment;
    // discard() removes a prepared file that was never committed (nothing
    // when there is none). Every prepare() is followed by commit() or
    // discard() before unlock().
    virtual Reply prepare(std::string_view bytes) = 0;
    virtual Reply commit() = 0;
    virtual void discard() = 0;
    virtual void unlock() = 0;

    // The clock of the waits; a test's store runs them on a clock of its
    // own. A pause on a window's thread lets the window paint and answer
    // the system meanwhile, while the player's input stays queued: the
    // game's state must not change under a wait.
    virtual std::chrono::steady_clock::time_point now() const;
    virtual void pause(std::chrono::milliseconds span);
};
