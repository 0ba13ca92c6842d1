// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "LocalStorageStore.h"
#include "app/web/Page.h"
#include "record/BestTimeRecord.h"

#include <cstddef>
#include <string>
#include <string_view>

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

bool LocalStorageStore::exists()
{
    return read(0).status == Status::Done;
}

RecordStore::Prefix LocalStorageStore::read(std::size_t limit)
{
    Prefix prefix;
    prefix.bytes.resize(limit);
    bool complete = false;
    const int count = Page::readStorage(Key, prefix.bytes.data(), static_cast<int>(limit), complete);
    if (count < 0) {
        prefix.status = count == Page::ReadMissing ? Status::Missing : Status::Failed;
        prefix.reason = count == Page::ReadMissing ? std::string() : Page::storageError();
        prefix.bytes.clear();
        prefix.complete = false;
        return prefix;
    }
    prefix.bytes.resize(static_cast<std::size_t>(count));
    prefix.complete = complete;
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
    // A page runs its script on one thread, and a save's read and replace
    // follow each other with nothing in between that could let another
    // event of this page in: within the page the steps cannot interleave.
    return {};
}

RecordStore::Reply LocalStorageStore::replace(std::string_view bytes)
{
    if (Page::writeStorage(Key, std::string(bytes)))
        return {};
    return failed(Page::storageError());
}
