// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "LocalStorageStore.h"
#include "app/web/Page.h"

#include <cstddef>
#include <string>

LocalStorageStore::Read LocalStorageStore::read(std::size_t limit) const
{
    Read result;
    result.bytes.resize(limit);
    bool complete = false;
    const int count = Page::readStorage(Key, result.bytes.data(), static_cast<int>(limit), complete);
    if (count == Page::ReadMissing) {
        result.bytes.clear();
        return result;
    }
    if (count < 0) {
        result.status = Status::Failed;
        result.bytes.clear();
        result.reason = Page::storageError();
        return result;
    }
    result.status = Status::Done;
    result.bytes.resize(static_cast<std::size_t>(count));
    result.complete = complete;
    return result;
}

std::string LocalStorageStore::replace(const std::string &bytes) const
{
    if (Page::writeStorage(Key, bytes))
        return {};
    return Page::storageError();
}
