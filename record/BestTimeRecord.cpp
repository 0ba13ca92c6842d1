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

// Asks again while the store answers Busy, until `deadline`.
template <typename Step>
auto untilSettled(RecordStore &store, Clock::time_point deadline, Step step)
{
    for (;;) {
        auto reply = step();
        if (reply.status != Status::Busy || store.now() >= deadline)
            return reply;
        store.pause(BestTimeRecord::Poll);
    }
}

RecordStore::Prefix readSettled(RecordStore &store)
{
    return untilSettled(store, store.now() + BestTimeRecord::BusyWait,
                        [&] { return store.read(BestTimeRecord::ReadSize); });
}

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

BestTimeRecord::Saved failed(std::string reason)
{
    return {std::nullopt, std::move(reason)};
}
} // namespace

std::optional<std::int32_t> BestTimeRecord::timeIn(std::string_view head)
{
    return BestTimeFormat::parse(head.substr(0, PrefixSize), whole(head));
}

BestTimeRecord BestTimeRecord::choose(RecordStore &besideProgram, RecordStore *dataFolder)
{
    if (!dataFolder || besideProgram.usable())
        return BestTimeRecord(besideProgram);
    return BestTimeRecord(*dataFolder, &besideProgram);
}

RecordStore::Prefix BestTimeRecord::readStored() const
{
    RecordStore::Prefix stored = readSettled(*m_home);
    if (stored.status != Status::Missing || !m_carryOver)
        return stored;
    // A record beside the program that this player cannot read has nothing
    // to carry; one held by another program past the wait stays Busy, so a
    // save fails rather than start the player's record without it.
    RecordStore::Prefix carried = readSettled(*m_carryOver);
    return carried.status == Status::Failed ? stored : carried;
}

std::optional<std::int32_t> BestTimeRecord::read() const
{
    return valueOf(readStored());
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
    // be found again.
    const Clock::time_point lockDeadline = store.now() + LockWait;
    // The place may change while the save waits for the lock (the player's
    // link now leads elsewhere): it is then found and locked once more, and
    // only a place that holds still under its lock is written.
    for (int attempt = 0; !lock; ++attempt) {
        if (attempt == 2)
            return failed("its place changed while it was being saved");
        if (const RecordStore::Reply found = store.find(); found.status != Status::Done)
            return failed(found.reason);
        const RecordStore::Reply taken = untilSettled(store, lockDeadline, [&] { return store.lock(); });
        if (taken.status != Status::Done)
            return failed(taken.reason);
        lock.emplace(store);
        if (!store.stillFound())
            lock.reset();
    }

    // Only the holder of the lock writes temporary files, so any that lie
    // here now were left by a save that was killed.
    store.removeStaleTemporaries();
    // Until home has a record of its own, the one carried over counts as
    // stored: the first save keeps the better of the two even when the game
    // started without it (held by another program at load).
    const RecordStore::Prefix stored = readStored();
    if (stored.status == Status::Busy || stored.status == Status::Failed)
        return failed("the time it holds cannot be read: " + stored.reason);
    const std::optional<std::int32_t> storedTime = valueOf(stored);
    const std::int32_t best = storedTime ? std::min(*storedTime, tenths) : tenths;

    const std::string line = BestTimeFormat::line(best);
    const RecordStore::Reply replaced =
        untilSettled(store, store.now() + BusyWait, [&] { return store.replace(line); });
    if (replaced.status != Status::Done)
        return failed(replaced.reason);
    return {best, {}};
}

std::string BestTimeRecord::failureLine(const std::string &reason) const
{
    return "tamblo: the best time could not be saved to " + m_home->name() + ": " + reason;
}
