// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/win32/RecordFile.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <memory>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {
// A kernel handle that is closed however its owner is left.
class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (valid())
            ::CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle;
};

using Identity = RecordFile::Identity;
using Status = RecordStore::Status;

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr std::wstring_view LockSuffix = L".lock";
constexpr std::wstring_view TemporarySuffix = L".tmp";
constexpr int NameAttempts = 100;

bool startsWith(std::wstring_view text, std::wstring_view start)
{
    return text.substr(0, start.size()) == start;
}

// The name the system calls get. Paths longer than the old MAX_PATH limit
// (a program unpacked deep in a folder tree) are given in the extended
// form, which every call below accepts whatever the system's settings.
std::wstring systemName(const std::wstring &path)
{
    constexpr std::size_t ShortEnough = MAX_PATH - 12; // room left for an 8.3 name
    if (path.size() < ShortEnough || startsWith(path, L"\\\\?\\") || startsWith(path, L"\\\\.\\"))
        return path;
    const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD got = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (got == 0 || got >= size)
        return path;
    full.resize(got);
    if (startsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// The folder that holds `path`, with its separator kept when it is a root
// ("C:\", "\"); "." for a bare name.
std::wstring folderOf(const std::wstring &path)
{
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos)
        return L".";
    std::wstring folder = path.substr(0, last);
    if (folder.empty() || (folder.size() == 2 && folder[1] == L':'))
        folder = path.substr(0, last + 1);
    return folder;
}

std::wstring nameOf(const std::wstring &path)
{
    const std::size_t last = path.find_last_of(L"\\/");
    return last == std::wstring::npos ? path : path.substr(last + 1);
}

DWORD attributesOf(const std::wstring &path)
{
    return ::GetFileAttributesW(systemName(path).c_str());
}

bool isPlainFile(DWORD attributes)
{
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

// A plain file stands at the name, or nothing does. A move refused over
// anything else (a pipe, a device) is refused for good.
bool holdsFileOrNothing(const std::wstring &path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    return isPlainFile(attributes);
}

std::string utf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// The system's own words for an error, in the player's language.
std::string systemMessage(DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD size = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring message = size && text ? std::wstring(text, size) : L"error " + std::to_wstring(error);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '
                                || message.back() == L'.'))
        message.pop_back();
    return utf8(message);
}

RecordStore::Reply reply(Status status, const std::string &what, DWORD error)
{
    return {status, what + " (" + systemMessage(error) + ")"};
}

// Another program (a virus scanner, a backup, an editor) has the file open
// and lets nobody else at it for the moment.
bool heldByAnother(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool nameTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// A part of names that no other save, in this copy or another, uses at the
// same moment. CREATE_NEW still refuses a name that a file left behind
// already has, and the caller then takes the next one.
std::wstring uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    return std::to_wstring(::GetCurrentProcessId()) + L'-' + std::to_wstring(::GetTickCount64()) + L'-'
        + std::to_wstring(counter++);
}

// A temporary file of this game beside the record `name`: name.N-N-N.tmp.
bool isTemporaryName(std::wstring_view entry, std::wstring_view name)
{
    const std::size_t first = name.size() + 1;
    if (entry.size() <= first + TemporarySuffix.size() || !startsWith(entry, name) || entry[name.size()] != L'.'
        || entry.substr(entry.size() - TemporarySuffix.size()) != TemporarySuffix)
        return false;
    const std::wstring_view middle = entry.substr(first, entry.size() - first - TemporarySuffix.size());
    return std::all_of(middle.begin(), middle.end(), [](wchar_t c) { return (c >= L'0' && c <= L'9') || c == L'-'; });
}

// Whether this user can create files in `folder`. The read-only attribute
// says nothing about that on a folder, and only the system knows the
// rights, so a file is really created there, and goes when it is closed.
bool canCreateFilesIn(const std::wstring &folder)
{
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const std::wstring probe = RecordFile::inFolder(folder, L"tamblo-" + uniqueSuffix() + L".probe");
        const Handle file(::CreateFileW(systemName(probe).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                        nullptr));
        if (file.valid())
            return true;
        if (!nameTaken(::GetLastError()))
            return false;
    }
    return false;
}

// Creates `folder` and the folders above it that are missing.
bool makeFolder(const std::wstring &folder)
{
    const DWORD attributes = attributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring parent = folderOf(folder);
    if (parent != folder && parent != L"." && !makeFolder(parent))
        return false;
    return ::CreateDirectoryW(systemName(folder).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

std::optional<Identity> identityOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        return std::nullopt;
    return Identity{info.dwVolumeSerialNumber,
                    (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// The folder or file that `path` leads to now; `flags` say whether a link
// there is followed.
std::optional<Identity> identityAt(const std::wstring &path, DWORD flags)
{
    const Handle opened(::CreateFileW(systemName(path).c_str(), FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                      OPEN_EXISTING, flags | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return opened.valid() ? identityOf(opened.get()) : std::nullopt;
}

// The lock file beside the record, opened as a plain file and never through
// a link; `disposition` says whether it is made when missing (else a
// missing one is Missing). A copy that
// lets go of the lock leaves it waiting for deletion for a moment, in which
// nobody can open it: that is Busy, as a held lock is. A third copy may
// make the file anew before its attributes are asked, so a refusal with a
// file there is asked again before it counts as this player's lack of
// rights.
Status openLockFile(const std::wstring &path, DWORD disposition, Handle &file, std::string &reason)
{
    constexpr int Attempts = 3;
    for (int attempt = 1;; ++attempt) {
        file.reset(::CreateFileW(systemName(path).c_str(), GENERIC_READ | GENERIC_WRITE, ShareAll, nullptr,
                                 disposition, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        const DWORD error = ::GetLastError();
        const DWORD attributes = attributesOf(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && !isPlainFile(attributes)) {
            file.reset();
            reason = "a folder or a link stands at its lock file's name";
            return Status::Failed;
        }
        if (file.valid())
            return Status::Done;
        if (error == ERROR_FILE_NOT_FOUND)
            return Status::Missing;
        if (error == ERROR_ACCESS_DENIED && attributes == INVALID_FILE_ATTRIBUTES) {
            reason = "another copy of the game is letting go of its lock";
            return Status::Busy;
        }
        if (error == ERROR_ACCESS_DENIED && attempt < Attempts)
            continue;
        reason = reply(Status::Failed, "its lock file cannot be opened", error).reason;
        return heldByAnother(error) ? Status::Busy : Status::Failed;
    }
}

// Takes away a link to a folder or a junction at the record's name, the
// link itself and never what it names, since a move cannot replace a
// folder entry. The object removed is the one opened and checked, so a
// folder put in its place meanwhile is never touched.
RecordStore::Reply removeFolderLink(const std::wstring &path)
{
    const Handle link(::CreateFileW(systemName(path).c_str(), DELETE | FILE_READ_ATTRIBUTES, ShareAll, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                    nullptr));
    if (!link.valid())
        return reply(Status::Failed, "the link at its place cannot be opened", ::GetLastError());
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(link.get(), FileBasicInfo, &info, sizeof info))
        return reply(Status::Failed, "the link at its place cannot be examined", ::GetLastError());
    if (!(info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return {Status::Failed, "a folder stands at its place"};
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(link.get(), FileDispositionInfo, &disposition, sizeof disposition))
        return reply(Status::Failed, "the link at its place cannot be removed", ::GetLastError());
    return {};
}

// Makes the name free for a move to replace: a plain file or a link to a
// file is replaced by the move itself; a folder stays and fails the save.
RecordStore::Reply clearForPlainFile(const std::wstring &path)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return {Status::Failed, "a folder stands at its place"};
    return removeFolderLink(path);
}

} // namespace

// A file beside the record that holds the new bytes until it takes the
// record's name. It is deleted unless it was moved.
class RecordFile::TemporaryFile
{
public:
    ~TemporaryFile()
    {
        m_file.reset();
        if (!m_name.empty())
            ::DeleteFileW(systemName(m_name).c_str());
    }

    RecordStore::Reply create(const std::wstring &beside)
    {
        for (int attempt = 0; attempt < NameAttempts; ++attempt) {
            const std::wstring name = beside + L'.' + uniqueSuffix() + std::wstring(TemporarySuffix);
            m_file.reset(::CreateFileW(systemName(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            if (m_file.valid()) {
                m_name = name;
                return {};
            }
            if (!nameTaken(::GetLastError()))
                break;
        }
        return reply(Status::Failed, "its temporary file cannot be created", ::GetLastError());
    }

    // Every byte, then flushed to the disk before it can take the name.
    RecordStore::Reply write(std::string_view bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD wrote = 0;
            if (!::WriteFile(m_file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote,
                             nullptr)
                || wrote == 0)
                return reply(Status::Failed, "its temporary file cannot be written", ::GetLastError());
            done += wrote;
        }
        if (!::FlushFileBuffers(m_file.get()))
            return reply(Status::Failed, "its temporary file cannot be flushed", ::GetLastError());
        m_file.reset();
        return {};
    }

    // One replacing move: the name holds either the old record or the new
    // one at every instant. A link at the name is replaced, not followed.
    // Written through, the move is on the disk when it returns, so the new
    // name survives a power cut. A program that has the old record open
    // for a moment refuses the move: Busy.
    RecordStore::Reply moveOver(const std::wstring &path)
    {
        if (!::MoveFileExW(systemName(m_name).c_str(), systemName(path).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            const DWORD error = ::GetLastError();
            const bool refused = heldByAnother(error) || (error == ERROR_ACCESS_DENIED && holdsFileOrNothing(path));
            return reply(refused ? Status::Busy : Status::Failed, "its new file cannot take its name", error);
        }
        m_name.clear();
        return {};
    }

private:
    std::wstring m_name;
    Handle m_file;
};

namespace {
// A function of a system library, loaded when it is first needed.
template <typename Function>
Function systemFunction(const wchar_t *library, const char *name)
{
    const HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const FARPROC found = module ? ::GetProcAddress(module, name) : nullptr;
    // A plain function pointer is the one type any function's address may
    // pass through on its way to its own type.
    return found ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found)) : nullptr;
}

// The start of the plain file that `file` is; anything else is no record.
RecordStore::Prefix readOpened(const Handle &file, std::size_t limit)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK)
        return {Status::Missing, {}, {}};
    if (!::GetFileInformationByHandle(file.get(), &info))
        return {Status::Failed, reply(Status::Failed, "it cannot be examined", ::GetLastError()).reason, {}};
    if (!isPlainFile(info.dwFileAttributes))
        return {Status::Missing, {}, {}};

    std::string bytes(limit, '\0');
    std::size_t size = 0;
    while (size < limit) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data() + size, static_cast<DWORD>(limit - size), &got, nullptr)) {
            const DWORD error = ::GetLastError();
            const Status status = heldByAnother(error) ? Status::Busy : Status::Failed;
            return {status, reply(status, "it cannot be read", error).reason, {}};
        }
        if (got == 0)
            break;
        size += got;
    }
    bytes.resize(size);
    return {Status::Done, {}, std::move(bytes)};
}
} // namespace

// The lock of one save: the locked handle, and a second one that the
// holder alone opens to delete the file on close. Copies that wait never
// hold such a handle, so the file cannot go from its name while its lock
// is held; a copy that finds its locked file gone from the name tries
// again.
class RecordFile::Lock
{
public:
    Handle file;
    Handle deletion;
};

RecordFile::RecordFile(std::wstring path) : m_path(std::move(path)) {}

RecordFile::RecordFile(std::function<std::wstring()> where) : m_where(std::move(where)) {}

RecordFile::~RecordFile() = default;

std::wstring RecordFile::inFolder(const std::wstring &folder, std::wstring_view name)
{
    if (folder.empty())
        return std::wstring(name);
    if (folder.back() == L'\\' || folder.back() == L'/')
        return folder + std::wstring(name);
    return folder + L'\\' + std::wstring(name);
}

std::wstring RecordFile::programFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (got == 0)
            return {};
        if (got < path.size()) {
            path.resize(got);
            return folderOf(path);
        }
        if (path.size() >= 0x10000)
            return {};
        path.resize(path.size() * 2);
    }
}

std::wstring RecordFile::roamingFolder()
{
    using KnownFolderPath = HRESULT(WINAPI *)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR *);
    using TaskMemFree = void(WINAPI *)(LPVOID);
    const auto knownFolderPath = systemFunction<KnownFolderPath>(L"shell32.dll", "SHGetKnownFolderPath");
    const auto taskMemFree = systemFunction<TaskMemFree>(L"ole32.dll", "CoTaskMemFree");
    if (!knownFolderPath || !taskMemFree)
        return {};
    wchar_t *roaming = nullptr;
    std::wstring folder;
    if (SUCCEEDED(knownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &roaming)) && roaming)
        folder = inFolder(roaming, L"Tamblo");
    taskMemFree(roaming);
    return folder;
}

const std::wstring &RecordFile::path() const
{
    if (!m_path)
        m_path = m_where();
    return *m_path;
}

std::string RecordFile::name() const
{
    return utf8(path());
}

bool RecordFile::usable()
{
    // The folder must take new files, and what already stands there must be
    // this player's to use: a record that this player cannot read or
    // replace (another user's in a folder where only its maker may change
    // a file, or one marked read-only), or a lock file that this player
    // cannot open (another user's, a folder or a link at its name), would
    // fail every save. A program holding the record for a moment is no
    // reason to move it.
    if (path().empty() || !canCreateFilesIn(folderOf(path())))
        return false;
    const DWORD record = attributesOf(path());
    if (record != INVALID_FILE_ATTRIBUTES && isPlainFile(record)) {
        if (record & FILE_ATTRIBUTE_READONLY)
            return false;
        const Handle file(::CreateFileW(systemName(path()).c_str(), GENERIC_READ | DELETE, ShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!file.valid() && !heldByAnother(::GetLastError()))
            return false;
    }
    // Only a lock file that is there is tried, and never made: the test
    // leaves nothing behind.
    const std::wstring lockPath = path() + std::wstring(LockSuffix);
    if (attributesOf(lockPath) == INVALID_FILE_ATTRIBUTES)
        return true;
    Handle lockFile;
    std::string reason;
    return openLockFile(lockPath, OPEN_EXISTING, lockFile, reason) != Status::Failed;
}

RecordStore::Prefix RecordFile::read(std::size_t limit)
{
    // What stands at the name is opened as it is: a link or junction is not
    // followed (it is then seen as what it is and refused), and a folder
    // does not open at all. Only a file on a disk is read, never a pipe or
    // a device, so nothing can block.
    if (path().empty())
        return {Status::Missing, {}, {}};
    const Handle file(::CreateFileW(systemName(path()).c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.valid())
        return readOpened(file, limit);
    const DWORD error = ::GetLastError();
    const DWORD attributes = attributesOf(path());
    if (heldByAnother(error))
        return {Status::Busy, reply(Status::Busy, "it is in use by another program", error).reason, {}};
    if (attributes == INVALID_FILE_ATTRIBUTES || !isPlainFile(attributes) || error == ERROR_PIPE_BUSY)
        return {Status::Missing, {}, {}};
    return {Status::Failed, reply(Status::Failed, "it cannot be opened", error).reason, {}};
}

RecordStore::Reply RecordFile::find()
{
    m_folder.reset();
    if (path().empty())
        return {Status::Failed, "the player's folder is unknown"};
    const std::wstring folder = folderOf(path());
    if (!makeFolder(folder))
        return reply(Status::Failed, "its folder cannot be created", ::GetLastError());
    m_folder = identityAt(folder, 0);
    if (!m_folder)
        return reply(Status::Failed, "its folder cannot be opened", ::GetLastError());
    return {};
}

RecordStore::Reply RecordFile::lock()
{
    const std::wstring lockPath = path() + std::wstring(LockSuffix);
    auto held = std::make_unique<Lock>();
    std::string reason;
    if (const Status opened = openLockFile(lockPath, OPEN_ALWAYS, held->file, reason); opened != Status::Done)
        return {opened, reason};
    OVERLAPPED start{};
    if (!::LockFileEx(held->file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_LOCK_VIOLATION)
            return {Status::Busy, "another running copy of the game holds its lock"};
        return reply(Status::Failed, "its lock file cannot be locked", error);
    }
    // The copy that held the lock before may have let go of a file that is
    // now gone from its name: a lock on it binds nobody.
    if (identityAt(lockPath, FILE_FLAG_OPEN_REPARSE_POINT) != identityOf(held->file.get()))
        return {Status::Busy, "its lock file was just given back"};
    held->deletion.reset(::CreateFileW(systemName(lockPath).c_str(), DELETE, ShareAll, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    m_lock = std::move(held);
    return {};
}

bool RecordFile::stillFound()
{
    // The folder may have been replaced, or a junction on the way to it
    // may lead elsewhere now: only the folder that find() settled is
    // written to.
    return m_folder && identityAt(folderOf(path()), 0) == m_folder;
}

void RecordFile::removeStaleTemporaries()
{
    const std::wstring recordName = nameOf(path());
    const std::wstring folder = folderOf(path());
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileExW(
        systemName(inFolder(folder, recordName + L".*" + std::wstring(TemporarySuffix))).c_str(),
        FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (isPlainFile(entry.dwFileAttributes) && isTemporaryName(entry.cFileName, recordName))
            ::DeleteFileW(systemName(inFolder(folder, entry.cFileName)).c_str());
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

RecordStore::Reply RecordFile::prepare(std::string_view bytes)
{
    if (const Reply cleared = clearForPlainFile(path()); cleared.status != Status::Done)
        return cleared;
    auto file = std::make_unique<TemporaryFile>();
    if (const Reply created = file->create(path()); created.status != Status::Done)
        return created;
    if (const Reply written = file->write(bytes); written.status != Status::Done)
        return written;
    m_prepared = std::move(file);
    return {};
}

RecordStore::Reply RecordFile::commit()
{
    if (!m_prepared)
        return {Status::Failed, "nothing was written to replace it"};
    const Reply moved = m_prepared->moveOver(path());
    if (moved.status == Status::Done)
        m_prepared.reset();
    return moved;
}

void RecordFile::discard()
{
    m_prepared.reset();
}

void RecordFile::pause(std::chrono::milliseconds span)
{
    // The window's thread waits here. Painting, timers, sent and posted
    // messages and the frame's own clicks (its close button, its menu) are
    // handled; the player's keys and clicks in the game stay queued until
    // the wait is over. A quit asked for meanwhile is asked again for the
    // main loop, and the rest of the pause is slept: the loop would only
    // find the quit again.
    constexpr std::pair<UINT, UINT> systemMessages[] = {
        {0, WM_INPUT - 1},
        {WM_KEYLAST + 1, WM_MOUSEFIRST - 1},
        {WM_MOUSELAST + 1, WM_TOUCH - 1},
        {WM_POINTERROUTEDRELEASED + 1, UINT_MAX},
    };
    const auto until = std::chrono::steady_clock::now() + span;
    const auto left = [&] {
        const auto rest = std::chrono::ceil<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        return static_cast<DWORD>(std::max<std::chrono::milliseconds::rep>(rest.count(), 0));
    };
    for (;;) {
        MSG message;
        for (bool handled = true; handled;) {
            handled = false;
            for (const auto &[first, last] : systemMessages) {
                if (!::PeekMessageW(&message, nullptr, first, last, PM_REMOVE))
                    continue;
                handled = true;
                if (message.message == WM_QUIT) {
                    ::PostQuitMessage(static_cast<int>(message.wParam));
                    ::Sleep(left());
                    return;
                }
                ::DispatchMessageW(&message);
            }
        }
        if (left() == 0)
            return;
        ::MsgWaitForMultipleObjectsEx(0, nullptr, left(), QS_ALLINPUT, 0);
    }
}

void RecordFile::unlock()
{
    // Closing the handles releases the lock and deletes the lock file, once
    // no copy that is trying to take it has it open.
    m_lock.reset();
    m_folder.reset();
}
