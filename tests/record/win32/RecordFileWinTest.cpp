// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/BestTimeRecord.h"
#include "record/win32/BestTimeFile.h"
#include "record/win32/RecordFile.h"
#include "tests/support/RecordBoundaries.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <limits>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::wstring Name = L"HighScore.mtt";
const std::wstring LockName = Name + L".lock";

bool underWine()
{
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool exists(const std::wstring &path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool isFolder(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes a folder and all it holds, however deep; a link to a folder is
// removed itself, never what it names.
void removeTree(const std::wstring &path)
{
    WIN32_FIND_DATAW entry{};
    const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring inside = path + L'\\' + name;
            const DWORD attributes = ::GetFileAttributesW(inside.c_str());
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ::DeleteFileW(inside.c_str());
            } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                ::RemoveDirectoryW(inside.c_str());
            } else {
                removeTree(inside);
            }
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
}

// A folder of the test's own under the temporary folder, removed at the end.
class Folder
{
public:
    Folder()
    {
        // Wine gives out the same process numbers run after run, so the
        // name is tried until it is one that no earlier run left.
        static int count = 0;
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        do {
            m_path = std::wstring(temp) + L"tamblo-test-" + std::to_wstring(::GetCurrentProcessId()) + L'-'
                + std::to_wstring(::GetTickCount64()) + L'-' + std::to_wstring(++count);
        } while (!::CreateDirectoryW(m_path.c_str(), nullptr) && ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    ~Folder() { removeTree(L"\\\\?\\" + m_path); }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;

    const std::wstring &path() const { return m_path; }
    std::wstring operator/(const std::wstring &name) const { return m_path + L'\\' + name; }

    // What the folder holds, by name, in order.
    std::vector<std::wstring> names() const
    {
        std::vector<std::wstring> found;
        for (const fs::directory_entry &entry : fs::directory_iterator(m_path))
            found.push_back(entry.path().filename().wstring());
        std::sort(found.begin(), found.end());
        return found;
    }

private:
    std::wstring m_path;
};

class Handle
{
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() { close(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    void close()
    {
        if (valid())
            ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

void writeBytes(const std::wstring &path, const std::string &bytes)
{
    const Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    ASSERT_TRUE(file.valid()) << ::GetLastError();
    DWORD wrote = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr));
    ASSERT_EQ(wrote, bytes.size());
}

std::string bytesOf(const std::wstring &path)
{
    const Handle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return "<unreadable>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
        bytes.append(chunk, got);
    return bytes;
}

// The kinds of link a test can put at a name. Wine 8 only pretends to make
// a symbolic link and makes no junction, but shows the Unix links of the
// file system it runs on: a link to a file as that file, a link to a folder
// as a folder that is also a reparse point.
enum class Link { None, Windows, Unix };

// Wine's name for a file in the Unix file system it runs on, quoted.
std::optional<std::wstring> quotedUnixName(const std::wstring &path)
{
    using UnixName = char *(CDECL *)(const wchar_t *);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char *name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name)
        return std::nullopt;
    const std::wstring quoted = L'"' + fs::path(name).wstring() + L'"';
    ::HeapFree(::GetProcessHeap(), 0, name);
    return quoted;
}

// Runs a Unix program under Wine. Wine starts it without a handle to wait
// on, so its effect is awaited within a bound.
bool runUnix(std::wstring command, const std::function<bool()> &done)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hProcess)
        ::CloseHandle(process.hProcess);
    if (process.hThread)
        ::CloseHandle(process.hThread);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        ::Sleep(10);
    return done();
}

bool runUnix(const std::wstring &command, const std::wstring &path, bool exists)
{
    return runUnix(command, [&] { return ::exists(path) == exists; });
}

// Takes every right on a file away from everyone, as another user's file
// is to this player, or gives the owner's back; under Wine only.
bool setUsable(const std::wstring &path, bool usable)
{
    const std::optional<std::wstring> name = quotedUnixName(path);
    return name && runUnix(L"Z:\\bin\\chmod " + std::wstring(usable ? L"600 " : L"000 ") + *name, [&] {
        const Handle opened(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return opened.valid() == usable;
    });
}

// A Unix link made with ln, under Wine only.
bool unixLink(const std::wstring &target, const std::wstring &link)
{
    const std::optional<std::wstring> from = quotedUnixName(target);
    const std::optional<std::wstring> to = quotedUnixName(link);
    return from && to && !exists(link) && runUnix(L"Z:\\bin\\ln -s " + *from + L' ' + *to, link, true);
}

// Removes a Unix link to a folder, which Wine's own calls cannot.
bool removeUnixLink(const std::wstring &link)
{
    const std::optional<std::wstring> name = quotedUnixName(link);
    return name && runUnix(L"Z:\\bin\\rm " + *name, link, false);
}

bool isReparsePoint(const std::wstring &path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A link from `link` to `target`, of the kind the system shows once it is
// open: a reparse point, or a Unix link that Wine shows as what it names.
Link makeLink(const std::wstring &target, const std::wstring &link, DWORD flags)
{
    const bool made = ::CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                            flags | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)
        && exists(link);
    if (!made && !(underWine() && unixLink(target, link)))
        return Link::None;
    const Handle opened(::CreateFileW(link.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (opened.valid() && ::GetFileInformationByHandleEx(opened.get(), FileAttributeTagInfo, &tag, sizeof tag)
        && (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return Link::Windows;
    return underWine() ? Link::Unix : Link::None;
}

// The record's rules over a file at `path`, through a store of its own, as
// one run of the game has.
std::optional<std::int32_t> saveAt(const std::wstring &path, std::int32_t tenths, std::string *reason = nullptr)
{
    RecordFile store(path);
    const BestTimeRecord::Saved saved = BestTimeRecord(store).save(tenths);
    if (reason)
        *reason = saved.reason;
    return saved.kept;
}

std::optional<std::int32_t> readAt(const std::wstring &path)
{
    RecordFile store(path);
    return BestTimeRecord(store).read();
}

std::int32_t loadAt(const std::wstring &path)
{
    RecordFile store(path);
    return BestTimeRecord(store).load();
}

class RecordFileWin : public ::testing::Test
{
protected:
    std::wstring path() const { return m_dir / Name; }
    std::optional<std::int32_t> save(std::int32_t tenths, std::string *reason = nullptr) const
    {
        return saveAt(path(), tenths, reason);
    }
    std::optional<std::int32_t> read() const { return readAt(path()); }
    std::int32_t load() const { return loadAt(path()); }
    std::string contents() const { return bytesOf(path()); }

    // A save leaves the record alone: no lock file, no temporary file.
    void expectOnlyTheRecord() const { EXPECT_EQ(m_dir.names(), std::vector<std::wstring>{Name}); }

    Folder m_dir;
};

bool contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}
} // namespace

TEST_F(RecordFileWin, MissingFileGives999AndSaveCreatesFiveBytes)
{
    EXPECT_EQ(read(), std::nullopt);
    EXPECT_EQ(load(), 999);
    EXPECT_EQ(save(999), 999);
    EXPECT_EQ(contents(), "999\r\n");
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, SaveThenReadAcrossTheWholeRange)
{
    for (std::int64_t v = std::numeric_limits<std::int32_t>::min(); v <= std::numeric_limits<std::int32_t>::max();
         v += 858993459) {
        ::DeleteFileW(path().c_str()); // a save keeps a better stored time
        const auto tenths = static_cast<std::int32_t>(v);
        ASSERT_EQ(save(tenths), tenths);
        EXPECT_EQ(read(), tenths);
    }
    ::DeleteFileW(path().c_str());
    ASSERT_EQ(save(std::numeric_limits<std::int32_t>::max()), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(contents(), "2147483647\r\n");
    EXPECT_EQ(load(), std::numeric_limits<std::int32_t>::max());

    ASSERT_EQ(save(-42), -42);
    EXPECT_EQ(contents(), "-42\r\n");
    ASSERT_EQ(save(1234), -42);
    EXPECT_EQ(contents(), "-42\r\n");
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, ReadsTheFirstNumberAndRewritesOneLine)
{
    writeBytes(path(), "123\r\n456\r\n");
    EXPECT_EQ(load(), 123);
    ASSERT_EQ(save(123), 123);
    EXPECT_EQ(contents(), "123\r\n");

    writeBytes(path(), "1234\r\n");
    EXPECT_EQ(load(), 1234);
    writeBytes(path(), "77"); // the whole file, so the number is complete
    EXPECT_EQ(load(), 77);
}

TEST_F(RecordFileWin, HostileContentsGive999AndAreReplacedAtTheNextSave)
{
    const std::string hostile[] = {
        "",                          // empty
        "abc\r\n",                   // no number
        "\xEF\xBB\xBF" "5\r\n",      // a byte-order mark first
        "12.5\r\n",                  // a fraction
        "99999999999\r\n",           // beyond 32 bits
        std::string(1 << 20, '7'),   // digits beyond the part that is read
        std::string(300, '\0'),
    };
    for (const std::string &bytes : hostile) {
        SCOPED_TRACE(bytes.substr(0, 16));
        writeBytes(path(), bytes);
        EXPECT_EQ(read(), std::nullopt);
        EXPECT_EQ(load(), 999);
        ASSERT_EQ(save(640), 640);
        EXPECT_EQ(contents(), "640\r\n");
    }
    // A huge file whose number stands at the start of the part that is read.
    writeBytes(path(), std::string(BestTimeRecord::PrefixSize - 6, ' ') + "1234\r\n" + std::string(1 << 20, 'x'));
    EXPECT_EQ(read(), 1234);
    // One whose number runs past that part is no number, not its start.
    writeBytes(path(), std::string(BestTimeRecord::PrefixSize - 3, ' ') + "1234567\r\n");
    EXPECT_EQ(read(), std::nullopt);
    for (const RecordBoundary &boundary : recordBoundaries()) {
        writeBytes(path(), boundary.bytes);
        EXPECT_EQ(read(), boundary.time) << boundary.bytes.size();
    }
}

TEST_F(RecordFileWin, PipesAndDevicesAreNeitherReadNorWaitedOn)
{
    // A pipe whose server never writes: reading it would never end.
    const std::wstring pipeName = L"\\\\.\\pipe\\tamblo-test-" + std::to_wstring(::GetCurrentProcessId());
    const Handle server(::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                           4096, 0, nullptr));
    ASSERT_TRUE(server.valid()) << ::GetLastError();
    EXPECT_EQ(readAt(pipeName), std::nullopt);
    EXPECT_EQ(loadAt(L"\\\\.\\NUL"), 999);
}

TEST_F(RecordFileWin, AFolderAtTheNameIsNoNumberAndStays)
{
    ASSERT_TRUE(::CreateDirectoryW(path().c_str(), nullptr));
    writeBytes(path() + L"\\inside.txt", "5\r\n");
    EXPECT_EQ(load(), 999);
    std::string reason;
    EXPECT_EQ(save(5, &reason), std::nullopt);
    EXPECT_EQ(reason, "a folder stands at its place");
    EXPECT_TRUE(isFolder(path()));
    EXPECT_EQ(bytesOf(path() + L"\\inside.txt"), "5\r\n");
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, ASaveThatCannotCompleteKeepsTheOldRecord)
{
    writeBytes(path(), "900\r\n");
    std::string reason;
    {
        // Another program holds the record open for longer than a save
        // waits, and lets nobody replace it: the new file cannot take the
        // name.
        const Handle held(::CreateFileW(path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.valid());
        EXPECT_EQ(save(5, &reason), std::nullopt);
        EXPECT_TRUE(contains(reason, "its new file cannot take its name")) << reason;
    }
    EXPECT_EQ(contents(), "900\r\n");
    expectOnlyTheRecord(); // the temporary file is gone

    // A folder at the lock's name: no save without the lock.
    ASSERT_TRUE(::CreateDirectoryW((m_dir / LockName).c_str(), nullptr));
    reason.clear();
    EXPECT_EQ(save(5, &reason), std::nullopt);
    EXPECT_EQ(reason, "a folder or a link stands at its lock file's name");
    EXPECT_EQ(contents(), "900\r\n");
    ::RemoveDirectoryW((m_dir / LockName).c_str());

    // A path through a plain file can be neither read nor written.
    const std::wstring inside = path() + L"\\" + Name;
    EXPECT_EQ(loadAt(inside), 999);
    reason.clear();
    EXPECT_EQ(saveAt(inside, 5, &reason), std::nullopt);
    EXPECT_TRUE(contains(reason, "its folder cannot be created")) << reason;
    EXPECT_EQ(contents(), "900\r\n");
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, ARecordHeldForAMomentIsReplacedOnceLetGo)
{
    // A virus scanner looks at the old record just as the game saves.
    writeBytes(path(), "900\r\n");
    Handle scanner(::CreateFileW(path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(scanner.valid());
    std::future<std::optional<std::int32_t>> saver =
        std::async(std::launch::async, [this] { return save(800); });
    EXPECT_EQ(saver.wait_for(100ms), std::future_status::timeout);
    scanner.close();
    ASSERT_EQ(saver.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(saver.get(), 800);
    EXPECT_EQ(contents(), "800\r\n");
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, ALinkAtTheNameIsReplacedNeverWrittenThrough)
{
    Folder elsewhere;
    const std::wstring target = elsewhere / L"diary.txt";
    const std::string diary = "2000\r\nthe player's own words\r\n";
    writeBytes(target, diary);
    const Link kind = makeLink(target, path(), 0);
    ASSERT_NE(kind, Link::None) << "no link could be made on this system";
    if (kind == Link::Windows) {
        EXPECT_EQ(read(), std::nullopt);
        EXPECT_EQ(load(), 999);
    } else {
        // Wine shows a Unix link as the file it names, so what the link
        // names is read; it must still not be written.
        ASSERT_EQ(contents(), diary);
    }

    ASSERT_EQ(save(700), 700);
    EXPECT_FALSE(isReparsePoint(path()));
    EXPECT_EQ(contents(), "700\r\n");
    EXPECT_EQ(bytesOf(target), diary);
    EXPECT_EQ(elsewhere.names(), std::vector<std::wstring>{L"diary.txt"});
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, ALinkToAFolderAtTheNameIsNeverWrittenThrough)
{
    Folder elsewhere;
    const std::wstring target = elsewhere / L"folder";
    ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
    const Link kind = makeLink(target, path(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    ASSERT_NE(kind, Link::None) << "no link to a folder could be made on this system";
    ASSERT_TRUE(isFolder(path()) && isReparsePoint(path()));
    EXPECT_EQ(load(), 999);

    std::string reason;
    const std::optional<std::int32_t> kept = save(700, &reason);
    expectOnlyTheRecord();
    if (kind == Link::Windows) {
        // The link itself is taken away and a plain file takes its place.
        EXPECT_EQ(kept, 700);
        EXPECT_EQ(contents(), "700\r\n");
    } else {
        // Wine does not report a Unix link as a reparse point once it is
        // open, so the save cannot tell it from a folder and leaves it.
        EXPECT_EQ(kept, std::nullopt);
        EXPECT_EQ(reason, "a folder stands at its place");
        EXPECT_TRUE(isReparsePoint(path()));
        EXPECT_TRUE(removeUnixLink(path()));
    }
    EXPECT_TRUE(isFolder(target));
    EXPECT_TRUE(fs::is_empty(target));
}

// Another copy of the game in the middle of a save: it holds the lock on
// the lock file, opened as a save opens it.
class OtherCopy
{
public:
    explicit OtherCopy(const std::wstring &lockPath)
        : m_file(::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        m_locked = m_file.valid()
            && ::LockFileEx(m_file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &m_start);
    }
    bool holds() const { return m_locked; }
    void letGo()
    {
        if (m_locked)
            ::UnlockFileEx(m_file.get(), 0, 1, 0, &m_start);
        m_locked = false;
        m_file.close();
    }

private:
    Handle m_file;
    OVERLAPPED m_start{};
    bool m_locked = false;
};

TEST_F(RecordFileWin, ASaveWaitsForTheLockAndKeepsWhatWasStoredMeanwhile)
{
    writeBytes(path(), "900\r\n");
    OtherCopy other(m_dir / LockName);
    ASSERT_TRUE(other.holds());

    std::future<std::optional<std::int32_t>> saver =
        std::async(std::launch::async, [this] { return save(700); });
    // It must not pass the lock while the other copy holds it.
    EXPECT_EQ(saver.wait_for(300ms), std::future_status::timeout);
    // The other copy stores a better time of its own and lets go.
    writeBytes(path(), "650\r\n");
    other.letGo();

    ASSERT_EQ(saver.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(saver.get(), 650);
    EXPECT_EQ(contents(), "650\r\n");
    // Once no copy has it open, the lock file is gone.
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, TheLockIsBusyWhileHeldAndLeavesNoFileOnceLetGo)
{
    writeBytes(path(), "900\r\n");
    RecordFile first(path());
    RecordFile second(path());
    ASSERT_EQ(first.find().status, RecordStore::Status::Done);
    ASSERT_EQ(first.lock().status, RecordStore::Status::Done);
    ASSERT_EQ(second.find().status, RecordStore::Status::Done);
    // Tried again and again, as a waiting save does: Busy every time, and
    // the holder keeps its lock.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const RecordStore::Reply taken = second.lock();
        EXPECT_EQ(taken.status, RecordStore::Status::Busy) << taken.reason;
    }
    EXPECT_TRUE(first.stillFound());
    first.unlock();
    expectOnlyTheRecord();

    // The next copy takes it at once.
    ASSERT_EQ(second.lock().status, RecordStore::Status::Done);
    second.unlock();
    expectOnlyTheRecord();

    // A lock file that an older copy left beside the record, held by
    // nobody, is taken and goes with the next save.
    writeBytes(m_dir / LockName, "");
    ASSERT_EQ(save(800), 800);
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, ARecordHeldWithoutSharingIsWaitedForNeverWrittenOver)
{
    // A backup program holds the record open, sharing it with nobody, for
    // a moment while the game saves a worse time.
    writeBytes(path(), "300\r\n");
    const Handle holding(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        const Handle held(::CreateFileW(path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        ::SetEvent(holding.get());
        ::Sleep(200);
    });
    ::WaitForSingleObject(holding.get(), INFINITE);
    EXPECT_EQ(RecordFile(path()).read(16).status, RecordStore::Status::Busy);
    std::string reason;
    const std::optional<std::int32_t> kept = save(800, &reason);
    holder.join();
    EXPECT_EQ(kept, 300) << reason;
    EXPECT_EQ(contents(), "300\r\n");
    expectOnlyTheRecord();
}

TEST_F(RecordFileWin, StaleTemporaryFilesOfTheGameGoWithTheNextSave)
{
    // Left by saves that were killed; the player's own files stay.
    const std::vector<std::wstring> stale{Name + L".1234-5678-0.tmp", Name + L".99-1-12.tmp"};
    const std::vector<std::wstring> kept{L"notes.tmp", Name + L".backup.tmp", Name + L".txt"};
    for (const std::wstring &name : stale)
        writeBytes(m_dir / name, "1\r\n");
    for (const std::wstring &name : kept)
        writeBytes(m_dir / name, "2\r\n");
    ASSERT_EQ(save(640), 640);
    std::vector<std::wstring> after = kept;
    after.push_back(Name);
    std::sort(after.begin(), after.end());
    EXPECT_EQ(m_dir.names(), after);
}

TEST_F(RecordFileWin, ARecordWhoseFolderWasReplacedIsNotFoundAgain)
{
    Folder parent;
    const std::wstring folder = parent / L"game";
    const std::wstring record = folder + L"\\" + Name;
    RecordFile store(record);
    ASSERT_EQ(store.find().status, RecordStore::Status::Done); // makes the folder
    EXPECT_TRUE(store.stillFound());
    ASSERT_TRUE(::MoveFileW(folder.c_str(), (parent / L"moved").c_str()));
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_FALSE(store.stillFound());
}

// The place a run of the game keeps its record in, as BestTimeFile chooses;
// an empty `userFolder` is a player without one.
std::wstring chosenPath(const std::wstring &programFolder, const std::wstring &userFolder)
{
    std::function<std::wstring()> folder;
    if (!userFolder.empty())
        folder = [userFolder] { return userFolder; };
    const BestTimeFile file(RecordFile::inFolder(programFolder, Name), folder);
    return file.path();
}

TEST(BestTimeFileWinFolder, BesideAProgramWhoseFolderTakesFiles)
{
    Folder program;
    Folder user;
    EXPECT_EQ(chosenPath(program.path(), user.path()), program / Name);
    // The test of the folder leaves nothing behind.
    EXPECT_TRUE(program.names().empty());
    // A folder given with its separator gets no second one.
    EXPECT_EQ(chosenPath(program.path() + L"\\", user.path()), program / Name);
    // With no folder of the player's own, the record stays beside the program.
    EXPECT_EQ(chosenPath(program / L"missing", {}), program / L"missing\\" + Name);
    EXPECT_EQ(BestTimeFile(program / Name).path(), program / Name);
    // A lock file there that no copy holds is this player's to take.
    writeBytes(program / LockName, "");
    EXPECT_EQ(chosenPath(program.path(), user.path()), program / Name);
}

TEST(BestTimeFileWinFolder, AFolderWhoseLockCannotBeTakenSendsTheRecordToTheUsersFolder)
{
    Folder program;
    Folder user;
    // Something this player cannot open as a lock stands at its name: every
    // save there would fail.
    ASSERT_TRUE(::CreateDirectoryW((program / LockName).c_str(), nullptr));
    EXPECT_EQ(chosenPath(program.path(), user.path()), user / Name);
    ::RemoveDirectoryW((program / LockName).c_str());
    if (underWine()) {
        Folder elsewhere;
        ASSERT_EQ(makeLink(elsewhere.path(), program / LockName, SYMBOLIC_LINK_FLAG_DIRECTORY), Link::Unix);
        EXPECT_EQ(chosenPath(program.path(), user.path()), user / Name);
        EXPECT_TRUE(removeUnixLink(program / LockName));
    }
    EXPECT_EQ(chosenPath(program.path(), user.path()), program / Name);
}

TEST(BestTimeFileWinFolder, AnotherUsersRecordOrLockSendsTheRecordToTheUsersFolder)
{
    ASSERT_TRUE(underWine()) << "the rights are taken away with the Unix chmod";
    Folder program;
    Folder shared;
    Folder user;
    // A record there that this player cannot read: never written over, and
    // the player's own record lives in the player's folder.
    writeBytes(program / Name, "300\r\n");
    ASSERT_TRUE(setUsable(program / Name, false)) << "the test overrides file permissions (root with every capability?)";
    EXPECT_EQ(chosenPath(program.path(), user.path()), user / Name);
    std::string reason;
    EXPECT_EQ(saveAt(program / Name, 800, &reason), std::nullopt);
    EXPECT_TRUE(contains(reason, "the time it holds cannot be read")) << reason;
    EXPECT_EQ(program.names(), std::vector<std::wstring>{Name});
    ASSERT_TRUE(setUsable(program / Name, true));
    EXPECT_EQ(bytesOf(program / Name), "300\r\n");

    // A lock file there that this player cannot open.
    writeBytes(shared / LockName, "");
    ASSERT_TRUE(setUsable(shared / LockName, false));
    EXPECT_EQ(chosenPath(shared.path(), user.path()), user / Name);
    ASSERT_TRUE(setUsable(shared / LockName, true));
    EXPECT_EQ(chosenPath(shared.path(), user.path()), shared / Name);
}

TEST(BestTimeFileWinFolder, AReadOnlyRecordIsCarriedToTheUsersFolderAndNeverReplaced)
{
    // Marked read-only, the record cannot be replaced: every save beside
    // the program would wait and fail.
    Folder program;
    Folder user;
    writeBytes(program / Name, "300\r\n");
    ASSERT_TRUE(::SetFileAttributesW((program / Name).c_str(), FILE_ATTRIBUTE_READONLY));
    BestTimeFile file(program / Name, [&] { return user.path(); });
    EXPECT_EQ(file.path(), user / Name);
    EXPECT_EQ(file.record().load(), 300);
    EXPECT_EQ(file.record().save(800).kept, 300);
    EXPECT_EQ(bytesOf(user / Name), "300\r\n");
    EXPECT_EQ(::GetFileAttributesW((program / Name).c_str()) & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(::SetFileAttributesW((program / Name).c_str(), FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(bytesOf(program / Name), "300\r\n");
}

TEST(BestTimeFileWinFolder, AnUnwritableProgramFolderCarriesItsRecordToTheUsersFolder)
{
    // Wine runs as a Unix user that no folder of the prefix refuses (root
    // here), and it keeps no Windows access rights, so a folder the player
    // cannot write is shown by a program folder that does not exist and,
    // under Wine, by a real folder that takes no files: the Unix /proc.
    Folder program;
    Folder user;
    const std::wstring userFolder = user / L"Tamblo";
    EXPECT_EQ(chosenPath(program / L"missing", userFolder), userFolder + L"\\" + Name);
    if (underWine() && isFolder(L"Z:\\proc")) {
        EXPECT_EQ(chosenPath(L"Z:\\proc", userFolder), userFolder + L"\\" + Name);
    }

    // The record beside the program is read while the player has none.
    writeBytes(program / Name, "420\r\n");
    RecordFile home(userFolder + L"\\" + Name);
    RecordFile beside(program / Name);
    const BestTimeRecord record(home, &beside);
    EXPECT_EQ(record.read(), 420);
    EXPECT_EQ(record.load(), 420);
    ASSERT_EQ(record.save(record.load()).kept, 420); // makes the player's folder
    EXPECT_EQ(bytesOf(home.path()), "420\r\n");
    EXPECT_EQ(bytesOf(program / Name), "420\r\n");
    EXPECT_EQ(program.names(), std::vector<std::wstring>{Name}); // never written, no lock there

    // A better time beside the program (a copy that could write there
    // again) counts too: the next save keeps it in the player's folder,
    // and beside the program nothing is written.
    writeBytes(program / Name, "100\r\n");
    EXPECT_EQ(record.load(), 100);
    ASSERT_EQ(record.save(300).kept, 100);
    EXPECT_EQ(bytesOf(home.path()), "100\r\n");
    EXPECT_EQ(bytesOf(program / Name), "100\r\n");
    EXPECT_EQ(program.names(), std::vector<std::wstring>{Name});
}

TEST(BestTimeFileWinFolder, DeepFoldersBeyondTheOldPathLimitWork)
{
    Folder root;
    std::wstring deep = root.path();
    while (deep.size() < 300)
        deep += L"\\a-folder-of-forty-characters-or-so-deep";
    const std::wstring record = deep + L"\\" + Name;
    EXPECT_EQ(loadAt(record), 999);
    ASSERT_EQ(saveAt(record, 1234), 1234);
    EXPECT_EQ(readAt(record), 1234);
    ASSERT_EQ(saveAt(record, 1500), 1234);
    EXPECT_EQ(bytesOf(L"\\\\?\\" + record), "1234\r\n");
}

int wmain(int argc, wchar_t **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
