// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "BestTimeRecord.h"
#include "BestTimeFormat.h"
#include "RecordStore.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {
using Status = RecordStore::Status;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::optional<std::int32_t> valueOf(const RecordStore::Prefix &prefix)
{
    if (prefix.status != Status::Done)
        return std::nullopt;
    return BestTimeRecord::timeIn(prefix.bytes);
}

// The lock of one save, given back however the save ends.
class HeldLock
{
public:
    explicit HeldLock(RecordStore &store) : m_store(&store) {}
    HeldLock(const HeldLock &) = delete;
    HeldLock &operator=(const HeldLock &) = delete;
    ~HeldLock() { release(); }
    void release()
    {
        if (m_store)
            std::exchange(m_store, nullptr)->unlock();
    }

private:
    RecordStore *m_store;
};

// A prepared file that is removed unless it took the record's name.
class Prepared
{
public:
    explicit Prepared(RecordStore &store) : m_store(store) {}
    Prepared(const Prepared &) = delete;
    Prepared &operator=(const Prepared &) = delete;
    ~Prepared()
    {
        if (!m_committed)
            m_store.discard();
    }
    void committed() { m_committed = true; }

private:
    RecordStore &m_store;
    bool m_committed = false;
};

BestTimeRecord::Saved failed(std::string reason, bool waitedOut = false)
{
    return {std::nullopt, std::move(reason), waitedOut};
}
} // namespace

std::optional<std::int32_t> BestTimeRecord::timeIn(std::string_view head)
{
    return BestTimeFormat::parse(head.substr(0, PrefixSize), whole(head));
}

// The wait for steps that answer Busy: it begins at the first Busy, lasts
// up to its bound however many steps share it, and pauses from Poll,
// doubling up to `cap`, between two tries of a step.
class BestTimeRecord::Patience
{
public:
    Patience(RecordStore &store, milliseconds bound, milliseconds cap) : m_store(store), m_bound(bound), m_cap(cap) {}

    // Asks `step` until it answers other than Busy or the wait runs out.
    template <typename Step>
    auto untilSettled(Step step)
    {
        milliseconds pause = Poll;
        for (;;) {
            auto reply = step();
            if (reply.status != Status::Busy || !waited(pause))
                return reply;
            pause = std::min(pause * 2, m_cap);
        }
    }
    bool ranOut() const { return m_ranOut; }

private:
    bool waited(milliseconds pause)
    {
        const Clock::time_point now = m_store.now();
        if (!m_started) {
            m_started = true;
            m_deadline = now + m_bound;
        }
        if (now >= m_deadline) {
            m_ranOut = true;
            return false;
        }
        m_store.pause(std::min(pause, std::chrono::ceil<milliseconds>(m_deadline - now)));
        return true;
    }

    RecordStore &m_store;
    milliseconds m_bound;
    milliseconds m_cap;
    bool m_started = false;
    Clock::time_point m_deadline;
    bool m_ranOut = false;
};

BestTimeRecord BestTimeRecord::choose(RecordStore &besideProgram, RecordStore *dataFolder)
{
    if (!dataFolder || besideProgram.usable())
        return BestTimeRecord(besideProgram, dataFolder);
    return BestTimeRecord(*dataFolder, &besideProgram);
}

RecordStore::Prefix BestTimeRecord::readStored(Patience &held) const
{
    RecordStore::Prefix stored = held.untilSettled([&] { return m_home->read(ReadSize); });
    if (!m_other)
        return stored;
    if (stored.status == Status::Missing) {
        // A record in the other place that this player cannot read has
        // nothing to carry; one held by another program past the wait
        // stays Busy, so a save fails rather than start home's record
        // without it.
        RecordStore::Prefix carried = held.untilSettled([&] { return m_other->read(ReadSize); });
        return carried.status == Status::Failed ? stored : carried;
    }
    // Both places may hold a time (the folder beside the program was
    // read-only for a while): the better one counts. The other place is
    // asked once, without waiting: home's time stands on its own, and the
    // other's is seen at a later read.
    const std::optional<std::int32_t> own = valueOf(stored);
    if (!own)
        return stored;
    RecordStore::Prefix there = m_other->read(ReadSize);
    const std::optional<std::int32_t> theirs = valueOf(there);
    return theirs && *theirs < *own ? there : stored;
}

std::optional<std::int32_t> BestTimeRecord::read() const
{
    Patience held(*m_home, BusyWait, PollCap);
    return valueOf(readStored(held));
}

std::int32_t BestTimeRecord::load() const
{
    return read().value_or(Missing);
}

BestTimeRecord::Saved BestTimeRecord::save(std::int32_t tenths) const
{
    RecordStore &store = *m_home;
    std::optional<HeldLock> lock;
    // Other copies of the game may be saving one after another: the wait
    // lasts while they do, up to its bound, however often the place has to
    // be found again. Each copy holds the lock briefly, so it is asked
    // again at a steady pace.
    Patience lockWait(store, LockWait, Poll);
    // The place may change while the save waits for the lock (the player's
    // link now leads elsewhere): it is then found and locked once more, and
    // only a place that holds still under its lock is written.
    for (int attempt = 0; !lock; ++attempt) {
        if (attempt == 2)
            return failed("its place changed while it was being saved");
        if (const RecordStore::Reply found = store.find(); found.status != Status::Done)
            return failed(found.reason);
        const RecordStore::Reply taken = lockWait.untilSettled([&] { return store.lock(); });
        if (taken.status != Status::Done)
            return failed(taken.reason, lockWait.ranOut());
        lock.emplace(store);
        if (!store.stillFound())
            lock.reset();
    }

    // Only the holder of the lock writes temporary files, so any that lie
    // here now were left by a save that was killed.
    store.removeStaleTemporaries();
    // A record that another program holds is waited for once in the save,
    // whether its read or its replacement finds it held.
    Patience held(store, BusyWait, PollCap);
    // Until home has a record of its own, the one carried over counts as
    // stored: the first save keeps the better of the two even when the game
    // started without it (held by another program at load).
    const RecordStore::Prefix stored = readStored(held);
    if (stored.status == Status::Busy || stored.status == Status::Failed)
        return failed("the time it holds cannot be read: " + stored.reason, held.ranOut());
    const std::optional<std::int32_t> storedTime = valueOf(stored);
    const std::int32_t best = storedTime ? std::min(*storedTime, tenths) : tenths;

    // The new file is written once; only the move that a program holding
    // the record refuses is asked again.
    Prepared prepared(store);
    if (const RecordStore::Reply written = store.prepare(BestTimeFormat::line(best));
        written.status != Status::Done)
        return failed(written.reason);
    const RecordStore::Reply committed = held.untilSettled([&] { return store.commit(); });
    if (committed.status != Status::Done)
        return failed(committed.reason, held.ranOut());
    prepared.committed();
    return {best, {}};
}

std::string BestTimeRecord::failureLine(const std::string &reason) const
{
    return "tamblo: the best time could not be saved to " + m_home->name() + ": " + reason;
}
