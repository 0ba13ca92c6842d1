// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "LocalStorageStore.h"
#include "app/web/Page.h"
#include "record/BestTimeRecord.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {
const char *const Key = BestTimeRecord::FileName;

RecordStore::Reply failed(std::string reason)
{
    return {RecordStore::Status::Failed, std::move(reason)};
}
}

std::string LocalStorageStore::name() const
{
    return std::string("localStorage ") + Key;
}

bool LocalStorageStore::usable()
{
    return find().status == Status::Done;
}

RecordStore::Prefix LocalStorageStore::read(std::size_t limit)
{
    Prefix prefix;
    prefix.bytes.resize(limit);
    const int count = Page::readStorage(Key, prefix.bytes.data(), static_cast<int>(limit));
    if (count < 0) {
        prefix.status = count == Page::ReadMissing ? Status::Missing : Status::Failed;
        prefix.reason = count == Page::ReadMissing ? std::string() : Page::storageError();
        prefix.bytes.clear();
        return prefix;
    }
    prefix.bytes.resize(static_cast<std::size_t>(count));
    return prefix;
}

RecordStore::Reply LocalStorageStore::find()
{
    // The storage is there for every page of the site, unless the browser
    // refuses this page its site data: reading says which.
    if (const Prefix probe = read(0); probe.status == Status::Failed)
        return failed(probe.reason);
    return {};
}

RecordStore::Reply LocalStorageStore::lock()
{
    // Within a page the steps of a save cannot interleave: its script runs
    // on one thread and forwards no event while a save is under way. Other
    // tabs of the site run beside it, and the browser's lock keeps their
    // saves apart.
    if (!Page::takeLock())
        return {Status::Busy, "another tab is saving its record"};
    return {};
}

void LocalStorageStore::unlock()
{
    Page::releaseLock();
}

void LocalStorageStore::pause(std::chrono::milliseconds span)
{
    Page::sleep(static_cast<int>(span.count()));
}

RecordStore::Reply LocalStorageStore::prepare(std::string_view bytes)
{
    m_prepared = std::string(bytes);
    return {};
}

RecordStore::Reply LocalStorageStore::commit()
{
    if (!m_prepared)
        return failed("nothing was written to replace it");
    if (!Page::writeStorage(Key, *m_prepared))
        return failed(Page::storageError());
    m_prepared.reset();
    return {};
}

void LocalStorageStore::discard()
{
    m_prepared.reset();
}
