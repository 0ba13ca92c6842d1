// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/BestTimeRecord.h"
#include "tests/support/MemoryStore.h"
#include "tests/support/RecordBoundaries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {
using Status = RecordStore::Status;
using namespace std::chrono_literals;

// The outcome of a save and what it left behind, checked together.
void expectKept(const BestTimeRecord::Saved &saved, std::int32_t kept, const MemoryStore &store)
{
    EXPECT_EQ(saved.kept, kept) << saved.reason;
    EXPECT_EQ(store.bytes, std::to_string(kept) + "\r\n");
    EXPECT_FALSE(store.locked);
}

void expectRefused(const BestTimeRecord::Saved &saved, const std::string &reasonPart, const MemoryStore &store,
                   const std::optional<std::string> &bytesBefore)
{
    EXPECT_FALSE(saved.kept);
    EXPECT_NE(saved.reason.find(reasonPart), std::string::npos) << saved.reason;
    EXPECT_EQ(store.bytes, bytesBefore);
    EXPECT_FALSE(store.locked);
}
} // namespace

TEST(BestTimeRecord, KeepsTheBetterOfTheStoredAndTheNewTime)
{
    MemoryStore store;
    const BestTimeRecord record(store);
    EXPECT_EQ(record.load(), 999);
    EXPECT_EQ(record.read(), std::nullopt);
    expectKept(record.save(800), 800, store);
    expectKept(record.save(900), 800, store);
    expectKept(record.save(123), 123, store);
    EXPECT_EQ(record.load(), 123);
    // A record with no number in it counts as none and is replaced.
    store.bytes = "\xEF\xBB\xBF" "42\r\n";
    EXPECT_EQ(record.load(), 999);
    expectKept(record.save(500), 500, store);
    // Only the start is read: digits running past it are no number.
    store.bytes = std::string(BestTimeRecord::PrefixSize + 10, '7');
    EXPECT_EQ(record.read(), std::nullopt);
    for (const RecordBoundary &boundary : recordBoundaries()) {
        store.bytes = boundary.bytes;
        EXPECT_EQ(record.read(), boundary.time) << boundary.bytes.size();
    }
}

TEST(BestTimeRecord, ARecordThatCannotBeReadIsNeverWrittenOver)
{
    MemoryStore store;
    store.holds(300);
    const BestTimeRecord record(store);

    // Held by another program for a moment (a sharing violation): the
    // save waits, reads 300 and keeps it.
    store.failNext("read", Status::Busy, 10);
    expectKept(record.save(800), 300, store);

    // Held for longer than the save waits: it fails and says so.
    const int pastTheWait = static_cast<int>(BestTimeRecord::BusyWait / BestTimeRecord::Poll) + 5;
    store.failNext("read", Status::Busy, pastTheWait, "in use by another program");
    expectRefused(record.save(800), "cannot be read: in use by another program", store, "300\r\n");
    store.faults.clear();

    // There but unreadable for good (another user's file).
    store.failNext("read", Status::Failed, 1, "Permission denied");
    expectRefused(record.save(100), "cannot be read: Permission denied", store, "300\r\n");
}

TEST(BestTimeRecord, ASaveWaitsWhileOtherCopiesHoldTheLock)
{
    MemoryStore store;
    store.holds(700);
    const BestTimeRecord record(store);

    // Twenty copies saving one after another on slow storage hold the lock
    // for many seconds: this save waits, and keeps what they stored.
    const int copiesSaving = static_cast<int>(20s / BestTimeRecord::Poll);
    store.failNext("lock", Status::Busy, copiesSaving, "another running copy holds its lock");
    store.afterStep = [&](const std::string &step) {
        if (step == "lock")
            store.holds(591); // the best of the others, stored while waiting
    };
    expectKept(record.save(650), 591, store);
    EXPECT_GE(store.clock, 20s);

    // A lock held past the bound fails the save and names the holder.
    store.afterStep = nullptr;
    store.clock = 0ms;
    const int forever = static_cast<int>(BestTimeRecord::LockWait / BestTimeRecord::Poll) + 5;
    store.failNext("lock", Status::Busy, forever, "another running copy (process 42) holds its lock");
    expectRefused(record.save(100), "process 42", store, "591\r\n");
    EXPECT_LE(store.clock, BestTimeRecord::LockWait + 1s);

    // The bound holds for the whole save, also when the place changed
    // under the first lock and is locked again.
    store.faults.clear();
    store.clock = 0ms;
    store.moves = {false};
    store.failNext("lock", Status::Busy, forever / 2);
    store.afterStep = [&](const std::string &step) {
        if (step == "stillFound")
            store.failNext("lock", Status::Busy, forever, "another running copy (process 43) holds its lock");
    };
    expectRefused(record.save(100), "process 43", store, "591\r\n");
    EXPECT_LE(store.clock, BestTimeRecord::LockWait + 1s);
}

TEST(BestTimeRecord, APlaceThatChangedIsFoundAndLockedAgain)
{
    MemoryStore store;
    const BestTimeRecord record(store);

    store.moves = {false};
    expectKept(record.save(400), 400, store);
    EXPECT_EQ(store.steps, (std::vector<std::string>{"find", "lock", "stillFound", "unlock", "find", "lock",
                                                     "stillFound", "removeStaleTemporaries", "read", "prepare", "commit",
                                                     "unlock"}));

    // A place that keeps changing is never written.
    store.moves = {false, false};
    expectRefused(record.save(100), "its place changed", store, "400\r\n");
}

TEST(BestTimeRecord, FailuresAtEveryStepKeepTheOldRecordAndGiveTheLockBack)
{
    for (const std::string step : {"find", "lock", "prepare", "commit"}) {
        MemoryStore store;
        store.holds(250);
        const BestTimeRecord record(store);
        store.failNext(step, Status::Failed, 1, "No space left on device");
        expectRefused(record.save(100), "No space left on device", store, "250\r\n");
        EXPECT_TRUE(record.failureLine("disk full") == "tamblo: the best time could not be saved to "
                                                        "memory/HighScore.mtt: disk full");
    }

    // A replace refused for a moment (a virus scanner looking at the new
    // file) is tried again.
    MemoryStore store;
    store.holds(250);
    store.staleTemporaries = 3;
    const BestTimeRecord record(store);
    store.failNext("commit", Status::Busy, 10);
    expectKept(record.save(100), 100, store);
    EXPECT_EQ(store.staleTemporaries, 0);
}

TEST(BestTimeRecord, TheDataFolderStartsFromTheRecordBesideTheProgram)
{
    MemoryStore beside;
    MemoryStore data;
    beside.holds(321);

    // A folder this player can keep the record in keeps it.
    EXPECT_EQ(&BestTimeRecord::choose(beside, &data).store(), &beside);
    EXPECT_EQ(&BestTimeRecord::choose(beside, nullptr).store(), &beside);

    // Otherwise the data folder, read from beside the program until it has
    // a record of its own; beside the program nothing is ever written.
    beside.usableHere = false;
    // Without a data folder it stays there all the same.
    EXPECT_EQ(&BestTimeRecord::choose(beside, nullptr).store(), &beside);
    EXPECT_FALSE(BestTimeRecord::choose(beside, nullptr).hasOther());
    const BestTimeRecord record = BestTimeRecord::choose(beside, &data);
    EXPECT_EQ(&record.store(), &data);
    EXPECT_EQ(record.load(), 321);
    EXPECT_EQ(record.read(), 321);
    expectKept(record.save(200), 200, data);
    EXPECT_EQ(record.load(), 200);
    EXPECT_EQ(beside.bytes, "321\r\n");
    EXPECT_EQ(std::count(beside.steps.begin(), beside.steps.end(), "commit"), 0);

    // A record of its own that holds no number is not made up for.
    data.bytes = "garbage";
    EXPECT_EQ(record.load(), 999);
}

TEST(BestTimeRecord, TheFirstSaveInTheDataFolderKeepsABetterTimeFromBesideTheProgram)
{
    MemoryStore beside;
    MemoryStore data;
    beside.usableHere = false;
    beside.holds(321);
    const BestTimeRecord record = BestTimeRecord::choose(beside, &data);

    // The record beside the program was held by another program when the
    // game started, so the game began from 999; its first clear is worse.
    const int pastTheWait = static_cast<int>(BestTimeRecord::BusyWait / BestTimeRecord::Poll) + 5;
    beside.failNext("read", Status::Busy, pastTheWait);
    EXPECT_EQ(record.load(), 999);
    beside.faults.clear();
    expectKept(record.save(400), 321, data);

    // Still held when the save comes: nothing is written, and the save
    // says why, so that the data folder never starts without it.
    MemoryStore later;
    const BestTimeRecord again = BestTimeRecord::choose(beside, &later);
    beside.failNext("read", Status::Busy, pastTheWait, "in use by another program");
    expectRefused(again.save(400), "in use by another program", later, std::nullopt);

    // Gone or unreadable for good, it has nothing to carry.
    beside.faults.clear();
    beside.failNext("read", Status::Failed, 1, "Permission denied");
    expectKept(again.save(400), 400, later);
}

TEST(BestTimeRecord, AHeldRecordIsWaitedForOnceAndItsNewFileWrittenOnce)
{
    MemoryStore store;
    store.holds(250);
    const BestTimeRecord record(store);
    const auto count = [&](const std::string &step) {
        return std::count(store.steps.begin(), store.steps.end(), step);
    };

    // Held for good: the move alone is asked again, ever more slowly, and
    // the new file is written once and removed when the wait runs out.
    store.failNext("commit", Status::Busy, 100000, "in use by another program");
    const BestTimeRecord::Saved held = record.save(100);
    expectRefused(held, "in use by another program", store, "250\r\n");
    EXPECT_TRUE(held.waitedOut);
    EXPECT_EQ(count("prepare"), 1);
    EXPECT_EQ(count("discard"), 1);
    EXPECT_LE(count("commit"), 25);
    EXPECT_LE(store.clock, BestTimeRecord::BusyWait + BestTimeRecord::PollCap);

    // Its read and its move both find it held: one wait for the two.
    store.faults.clear();
    store.steps.clear();
    store.clock = 0ms;
    store.failNext("read", Status::Busy, 12);
    store.failNext("commit", Status::Busy, 100000);
    EXPECT_TRUE(record.save(100).waitedOut);
    EXPECT_LE(store.clock, BestTimeRecord::BusyWait + BestTimeRecord::PollCap);

    // A failure that is no wait says so: trying again may help.
    store.faults.clear();
    store.failNext("prepare", Status::Failed, 1, "No space left on device");
    EXPECT_FALSE(record.save(100).waitedOut);
    expectKept(record.save(100), 100, store);
}

TEST(BestTimeRecord, WhileBothPlacesHoldATimeTheBetterOneCountsAndIsKeptAtHome)
{
    // The folder beside the program was read-only for a while and the
    // data folder got a better time; beside the program is home again.
    MemoryStore beside;
    MemoryStore data;
    beside.holds(300);
    data.holds(174);
    const BestTimeRecord record = BestTimeRecord::choose(beside, &data);
    ASSERT_EQ(&record.store(), &beside);
    EXPECT_EQ(record.load(), 174);
    expectKept(record.save(500), 174, beside);
    EXPECT_EQ(data.bytes, "174\r\n");
    EXPECT_EQ(std::count(data.steps.begin(), data.steps.end(), "commit"), 0);

    // The other way round, home's better time stands.
    beside.holds(90);
    EXPECT_EQ(record.load(), 90);

    // The other place held by a program is not waited for while home has
    // a time of its own.
    data.holds(50);
    data.failNext("read", Status::Busy, 1000);
    EXPECT_EQ(record.load(), 90);
    EXPECT_EQ(data.clock, 0ms);
    EXPECT_EQ(beside.clock, 0ms);
}
