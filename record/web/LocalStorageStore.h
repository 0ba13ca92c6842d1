// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "record/RecordStore.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The record in the page's storage: one entry under the record file's name,
// whose value is the file's text, so a record moves between the desktop and
// the browser unchanged. What the bytes mean is BestTimeRecord's business;
// this store only moves them. Storage that throws (site data blocked, the
// quota full) fails the step with the browser's reason.
class LocalStorageStore : public RecordStore
{
public:
    std::string name() const override;
    bool usable() override;
    // The first `limit` bytes of the value's UTF-8 text: a value of
    // megabytes is never copied whole into the module.
    Prefix read(std::size_t limit) override;

    Reply find() override;
    Reply lock() override;
    bool stillFound() override { return true; }
    // A value is replaced in one step: no save leaves temporaries here.
    void removeStaleTemporaries() override {}
    // The new value is kept in memory until it replaces the old one in one
    // step.
    Reply prepare(std::string_view bytes) override;
    Reply commit() override;
    void discard() override;
    void unlock() override;
    // The waits for another tab's save let the page run meanwhile.
    void pause(std::chrono::milliseconds span) override;

private:
    std::optional<std::string> m_prepared;
};
