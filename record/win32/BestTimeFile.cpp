// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/win32/BestTimeFile.h"
#include "record/BestTimeFormat.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
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
    ~Handle() { close(); }
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
    void close() { reset(); }

private:
    HANDLE m_handle;
};

bool isSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

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

std::wstring joinPath(const std::wstring &folder, std::wstring_view name)
{
    if (folder.empty())
        return std::wstring(name);
    if (isSeparator(folder.back()))
        return folder + std::wstring(name);
    return folder + L'\\' + std::wstring(name);
}

// The folder that holds `path`, with its separator kept when it is a root
// ("C:\", "\").
std::wstring folderOf(const std::wstring &path)
{
    const std::size_t last = path.find_last_of(L"\\/");
    if (last == std::wstring::npos)
        return {};
    std::wstring folder = path.substr(0, last);
    if (folder.empty() || (folder.size() == 2 && folder[1] == L':'))
        folder = path.substr(0, last + 1);
    return folder;
}

DWORD attributesOf(const std::wstring &path)
{
    return ::GetFileAttributesW(systemName(path).c_str());
}

// The system's own words for an error, in the user's language.
std::wstring systemMessage(DWORD error)
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
    return message;
}

bool fail(std::wstring *reason, const std::wstring &why)
{
    if (reason)
        *reason = why;
    return false;
}

bool failWithSystemError(std::wstring *reason, const std::wstring &what)
{
    return fail(reason, what + L" (" + systemMessage(::GetLastError()) + L")");
}

// A number to make names that no other save, in this copy or another, uses
// at the same moment. CREATE_NEW still refuses a name that a file left
// behind already has, and the caller then takes the next one.
std::wstring uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    return std::to_wstring(::GetCurrentProcessId()) + L'-' + std::to_wstring(::GetTickCount64()) + L'-'
        + std::to_wstring(counter++);
}

bool nameTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

constexpr int NameAttempts = 100;

// Whether this user can create files in `folder`. The read-only attribute
// says nothing about that on a folder, and only the system knows the
// rights, so a file is really created there and deleted again.
bool canCreateFilesIn(const std::wstring &folder)
{
    for (int attempt = 0; attempt < NameAttempts; ++attempt) {
        const std::wstring probe = joinPath(folder, L"tamblo-" + uniqueSuffix() + L".probe");
        Handle file(::CreateFileW(systemName(probe).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr));
        if (file.valid())
            return true;
        if (!nameTaken(::GetLastError()))
            return false;
    }
    return false;
}

// The number at the start of a plain file. What stands at the path is
// opened as it is: a link or junction is not followed (it is then seen as
// what it is and refused), and a folder does not open at all. Only a file
// on a disk is read, never a pipe or a device, so nothing can block.
std::optional<std::int32_t> readPlainFile(const std::wstring &path)
{
    Handle file(::CreateFileW(systemName(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info)
        || (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return std::nullopt;

    char prefix[BestTimeFile::PrefixSize];
    DWORD size = 0;
    while (size < sizeof prefix) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), prefix + size, static_cast<DWORD>(sizeof prefix) - size, &got, nullptr))
            return std::nullopt;
        if (got == 0)
            break;
        size += got;
    }
    return BestTimeFormat::parse({prefix, size}, size < sizeof prefix);
}

// Creates `folder` and the folders above it that are missing.
bool makeFolder(const std::wstring &folder)
{
    const DWORD attributes = attributesOf(folder);
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::wstring parent = folderOf(folder);
    if (!parent.empty() && parent != folder && !makeFolder(parent))
        return false;
    return ::CreateDirectoryW(systemName(folder).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// The exclusive lock that one save at a time holds, on a file of its own
// beside the record. The record itself is never locked: locks on Windows
// bind every reader, and a player's editor or backup must still read it.
// A copy of the game that crashes or is killed while holding the lock
// loses it with its handles, released by the system, so a lock is never
// left stale; the lock file itself stays and means nothing while unlocked.
class SaveLock
{
public:
    bool take(const std::wstring &path, std::wstring *reason)
    {
        // A link at the lock's name is opened as the link: a lock taken
        // through it would bind whatever file it names. The lock file is
        // hidden, as it holds nothing the player needs to see.
        m_file.reset(::CreateFileW(systemName(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (!m_file.valid())
            return failWithSystemError(reason, L"its lock file cannot be opened");

        // Polled rather than waited on, so that the wait ends on time
        // whatever the file system does with a pending lock.
        const ULONGLONG deadline = ::GetTickCount64() + BestTimeFile::LockWaitMs;
        for (;;) {
            OVERLAPPED start{};
            if (::LockFileEx(m_file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start))
                return true;
            if (::GetLastError() != ERROR_LOCK_VIOLATION)
                return failWithSystemError(reason, L"its lock file cannot be locked");
            if (::GetTickCount64() >= deadline)
                return fail(reason, L"another copy of the game kept its lock too long");
            ::Sleep(PollMs);
        }
    }

private:
    static constexpr DWORD PollMs = 10;
    // Closing the handle releases the lock.
    Handle m_file;
};

// Takes away a link to a folder or a junction at the record's name, the
// link itself and never what it names, since a move cannot replace a
// folder entry. The object removed is the one opened and checked, so a
// folder put in its place meanwhile is never touched.
bool removeFolderLink(const std::wstring &path, std::wstring *reason)
{
    Handle link(::CreateFileW(systemName(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!link.valid())
        return failWithSystemError(reason, L"the link at its place cannot be opened");
    FILE_BASIC_INFO info{};
    if (!::GetFileInformationByHandleEx(link.get(), FileBasicInfo, &info, sizeof info))
        return failWithSystemError(reason, L"the link at its place cannot be examined");
    if (!(info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return fail(reason, L"a folder stands at its place");
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(link.get(), FileDispositionInfo, &disposition, sizeof disposition))
        return failWithSystemError(reason, L"the link at its place cannot be removed");
    return true;
}

// Makes the name free for a move to replace: a plain file or a link to a
// file is replaced by the move itself; a folder stays and fails the save.
bool clearForPlainFile(const std::wstring &path, std::wstring *reason)
{
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return fail(reason, L"a folder stands at its place");
    return removeFolderLink(path, reason);
}

// A file beside the record that holds the new bytes until it takes the
// record's name. It is deleted unless it was moved.
class TemporaryFile
{
public:
    ~TemporaryFile()
    {
        m_file.close();
        if (!m_name.empty())
            ::DeleteFileW(systemName(m_name).c_str());
    }

    bool create(const std::wstring &besides, std::wstring *reason)
    {
        for (int attempt = 0; attempt < NameAttempts; ++attempt) {
            const std::wstring name = besides + L'.' + uniqueSuffix() + L".tmp";
            m_file.reset(::CreateFileW(systemName(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            if (m_file.valid()) {
                m_name = name;
                return true;
            }
            if (!nameTaken(::GetLastError()))
                break;
        }
        return failWithSystemError(reason, L"its temporary file cannot be created");
    }

    // Every byte, then flushed to the disk before it can take the name.
    bool write(const std::string &bytes, std::wstring *reason)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD wrote = 0;
            if (!::WriteFile(m_file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote,
                             nullptr)
                || wrote == 0)
                return failWithSystemError(reason, L"its temporary file cannot be written");
            done += wrote;
        }
        if (!::FlushFileBuffers(m_file.get()))
            return failWithSystemError(reason, L"its temporary file cannot be flushed");
        m_file.close();
        return true;
    }

    // One replacing move: the name holds either the old record or the new
    // one at every instant. A link at the name is replaced, not followed.
    // Written through, the move is on the disk when it returns, so the
    // new name survives a power cut.
    bool moveOver(const std::wstring &path, std::wstring *reason)
    {
        const ULONGLONG deadline = ::GetTickCount64() + MoveRetryMs;
        while (!::MoveFileExW(systemName(m_name).c_str(), systemName(path).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            if (!mayPass(::GetLastError()) || ::GetTickCount64() >= deadline)
                return failWithSystemError(reason, L"its new file cannot take its name");
            ::Sleep(MoveRetryPollMs);
        }
        m_name.clear();
        return true;
    }

private:
    // A virus scanner or a search indexer often opens a file that was just
    // written, or the old record, for a moment, and the move is refused
    // while it looks. Such a refusal is tried again for a short while.
    static bool mayPass(DWORD error)
    {
        return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    }
    static constexpr ULONGLONG MoveRetryMs = 1000;
    static constexpr DWORD MoveRetryPollMs = 20;

    std::wstring m_name;
    Handle m_file;
};

std::wstring programFolder()
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

// The player's roaming folder, asked of the shell only when the program's
// own folder cannot take the record: loading the shell's libraries is the
// larger part of the program's start, and a portable copy never needs them.
std::wstring userFolder()
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
        folder = joinPath(roaming, L"Tamblo");
    taskMemFree(roaming);
    return folder;
}

std::string utf8(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}
} // namespace

BestTimeFile::BestTimeFile(std::wstring path, std::wstring carryOver)
    : m_path(std::move(path)), m_carryOver(std::move(carryOver))
{
}

BestTimeFile BestTimeFile::inWritableFolder(const std::wstring &programFolder, const std::wstring &userFolder)
{
    std::wstring besideProgram = joinPath(programFolder, FileName);
    if (userFolder.empty() || canCreateFilesIn(programFolder))
        return BestTimeFile(std::move(besideProgram));
    return BestTimeFile(joinPath(userFolder, FileName), std::move(besideProgram));
}

BestTimeFile BestTimeFile::forThisProgram()
{
    const std::wstring folder = programFolder();
    if (canCreateFilesIn(folder))
        return BestTimeFile(joinPath(folder, FileName));
    return inWritableFolder(folder, userFolder());
}

std::optional<std::int32_t> BestTimeFile::read() const
{
    return readPlainFile(m_path);
}

std::int32_t BestTimeFile::load() const
{
    if (!m_carryOver.empty() && attributesOf(m_path) == INVALID_FILE_ATTRIBUTES)
        return BestTimeFile(m_carryOver).read().value_or(Missing);
    return read().value_or(Missing);
}

std::optional<std::int32_t> BestTimeFile::save(std::int32_t tenths, std::wstring *reason) const
{
    const std::wstring folder = folderOf(m_path);
    if (!folder.empty() && !makeFolder(folder))
        return failWithSystemError(reason, L"its folder cannot be created"), std::nullopt;

    // Two copies of the game may close at the same moment: each reads and
    // writes under the lock, so the better time of the two is what stays.
    SaveLock lock;
    if (!lock.take(m_path + L".lock", reason))
        return std::nullopt;

    const std::optional<std::int32_t> stored = readPlainFile(m_path);
    const std::int32_t best = stored ? std::min(*stored, tenths) : tenths;
    if (!clearForPlainFile(m_path, reason))
        return std::nullopt;

    TemporaryFile file;
    if (!file.create(m_path, reason) || !file.write(BestTimeFormat::line(best), reason)
        || !file.moveOver(m_path, reason))
        return std::nullopt;
    return best;
}

std::wstring saveFailureMessage(const BestTimeFile &file, const std::wstring &reason)
{
    return L"tamblo: the best time could not be saved to " + file.path() + L": " + reason;
}

void reportSaveFailure(const BestTimeFile &file, const std::wstring &reason)
{
    const std::wstring line = saveFailureMessage(file, reason) + L"\n";
    ::OutputDebugStringW(line.c_str());

    // A window program has no standard error unless it was started with
    // one: from a console, or with its output sent to a file or a pipe.
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(error, &mode)) {
        // A console shows wide text as it is, whatever its code page.
        ::WriteConsoleW(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = utf8(line);
    ::WriteFile(error, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
