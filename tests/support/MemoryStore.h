// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "record/BestTimeFormat.h"
#include "record/RecordStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A record kept in memory, for the tests of the record's rules: any step
// can be made to answer Busy, Missing or Failed, as often as a test asks,
// and a test can act between two steps (another copy saving, a program
// holding the file). Time is its own: pauses advance it at once.
class MemoryStore : public RecordStore
{
public:
    std::optional<std::string> bytes;   // the record; nothing when absent
    std::optional<std::string> prepared; // the new file, not yet committed
    bool usableHere = true;
    bool locked = false;
    int staleTemporaries = 0;
    std::vector<std::string> steps;     // every step asked for, in order
    std::map<std::string, std::deque<Reply>> faults; // step -> replies given instead
    std::deque<bool> moves;             // stillFound() answers, true when empty
    std::function<void(const std::string &step)> afterStep;
    std::function<void()> duringPause; // what the window does while a wait runs
    std::chrono::milliseconds clock{0};

    void holds(std::int32_t tenths) { bytes = BestTimeFormat::line(tenths); }
    std::optional<std::int32_t> value() const
    {
        return bytes ? BestTimeFormat::parse(*bytes) : std::nullopt;
    }
    void failNext(const std::string &step, Status status, int times = 1, std::string reason = "held")
    {
        for (int i = 0; i < times; ++i)
            faults[step].push_back({status, reason});
    }

    std::string name() const override { return "memory/HighScore.mtt"; }
    bool usable() override { return usableHere; }

    Prefix read(std::size_t limit) override
    {
        if (std::optional<Reply> fault = takeFault("read"))
            return {fault->status, fault->reason, {}};
        done("read");
        if (!bytes)
            return {Status::Missing, {}, {}};
        return {Status::Done, {}, bytes->substr(0, limit)};
    }
    Reply find() override { return step("find"); }
    Reply lock() override
    {
        Reply reply = step("lock");
        if (reply.status == Status::Done) {
            EXPECT_FALSE(locked) << "a lock taken twice";
            locked = true;
        }
        return reply;
    }
    bool stillFound() override
    {
        done("stillFound");
        if (moves.empty())
            return true;
        const bool still = moves.front();
        moves.pop_front();
        return still;
    }
    void removeStaleTemporaries() override
    {
        EXPECT_TRUE(locked) << "temporaries removed without the lock";
        staleTemporaries = 0;
        done("removeStaleTemporaries");
    }
    Reply prepare(std::string_view newBytes) override
    {
        EXPECT_TRUE(locked) << "written without the lock";
        EXPECT_FALSE(prepared) << "a prepared file written again";
        if (std::optional<Reply> fault = takeFault("prepare"))
            return *fault;
        prepared = std::string(newBytes);
        done("prepare");
        return {};
    }
    Reply commit() override
    {
        EXPECT_TRUE(locked) << "committed without the lock";
        EXPECT_TRUE(prepared) << "committed with nothing prepared";
        if (std::optional<Reply> fault = takeFault("commit"))
            return *fault;
        bytes = std::exchange(prepared, std::nullopt);
        done("commit");
        return {};
    }
    void discard() override
    {
        prepared.reset();
        done("discard");
    }
    void unlock() override
    {
        EXPECT_TRUE(locked) << "a lock given back that was not taken";
        EXPECT_FALSE(prepared) << "a prepared file left behind";
        locked = false;
        done("unlock");
    }

    std::chrono::steady_clock::time_point now() const override
    {
        return std::chrono::steady_clock::time_point(clock);
    }
    void pause(std::chrono::milliseconds span) override
    {
        clock += span;
        if (duringPause)
            duringPause();
    }

private:
    std::optional<Reply> takeFault(const std::string &name)
    {
        steps.push_back(name);
        auto found = faults.find(name);
        if (found == faults.end() || found->second.empty())
            return std::nullopt;
        Reply reply = found->second.front();
        found->second.pop_front();
        return reply;
    }
    void done(const std::string &name)
    {
        if (steps.empty() || steps.back() != name)
            steps.push_back(name);
        if (afterStep)
            afterStep(name);
    }
    Reply step(const std::string &name)
    {
        if (std::optional<Reply> fault = takeFault(name))
            return *fault;
        done(name);
        return {};
    }
};
