// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/BestTimeRecord.h"
#include "record/qt/BestTimeFile.h"
#include "record/qt/RecordFile.h"
#include "tests/support/RecordBoundaries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <cstring>
#include <functional>
#include <cstdint>
#include <fcntl.h>
#include <grp.h>
#include <limits>
#include <optional>
#include <poll.h>
#include <string_view>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
std::string native(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// The record file with a hand between the steps of a save: a test acts
// there as a neighbour or tells another process how far the save got. Its
// waits can run fast: each pause of the save counts a hundred times over,
// so a lock held past the whole wait is seen within a second.
class SteppedFile : public RecordFile
{
public:
    using Hook = std::function<void(std::string_view step)>;
    SteppedFile(const QString &path, Hook hook, bool fastWaits = false)
        : RecordFile(native(path)), m_hook(std::move(hook)), m_fastWaits(fastWaits) {}

    Reply find() override { return told("found", RecordFile::find()); }
    bool stillFound() override
    {
        const bool still = RecordFile::stillFound();
        if (still)
            m_hook("locked");
        return still;
    }
    Prefix read(std::size_t limit) override
    {
        Prefix prefix = RecordFile::read(limit);
        m_hook("read");
        return prefix;
    }
    Reply prepare(std::string_view bytes) override
    {
        m_hook("writing");
        return RecordFile::prepare(bytes);
    }
    Reply commit() override { return told("moved", RecordFile::commit()); }
    std::chrono::steady_clock::time_point now() const override { return RecordStore::now() + m_skipped; }
    void pause(std::chrono::milliseconds span) override
    {
        if (m_fastWaits)
            m_skipped += span * 99;
        RecordStore::pause(span);
    }

private:
    Reply told(std::string_view step, Reply reply)
    {
        m_hook(step);
        return reply;
    }
    Hook m_hook;
    bool m_fastWaits;
    std::chrono::milliseconds m_skipped{0};
};

// The record's rules over one file, asked as these tests ask them.
class TestedFile
{
public:
    explicit TestedFile(BestTimeFile file) : m_file(std::move(file)) {}
    QString path() const { return m_file.path(); }
    std::optional<std::int32_t> read() const { return m_file.record().read(); }
    std::int32_t load() const { return m_file.record().load(); }
    // The time the record keeps now, or nothing, with the reason in
    // `reason` when given.
    std::optional<std::int32_t> save(std::int32_t tenths, QString *reason = nullptr) const
    {
        const BestTimeRecord::Saved saved = m_file.record().save(tenths);
        if (!saved.kept && reason)
            *reason = QString::fromStdString(saved.reason);
        return saved.kept;
    }

private:
    BestTimeFile m_file;
};

class BestTimeFileTest : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("HighScore.mtt")); }
    TestedFile file() const { return TestedFile(BestTimeFile(path())); }

    void write(const QByteArray &bytes) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QByteArray contents() const
    {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    // Descriptors held by this process, to show no file is left open.
    static int openDescriptors() { return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size()); }

    QTemporaryDir m_dir;
};
} // namespace

TEST_F(BestTimeFileTest, MissingFileGives999AndSaveCreatesFiveBytes)
{
    EXPECT_EQ(file().read(), std::nullopt);
    EXPECT_EQ(file().load(), 999);
    ASSERT_TRUE(file().save(999));
    EXPECT_EQ(contents(), QByteArray("999\r\n"));
    EXPECT_EQ(QFileInfo(path()).size(), 5);
}

TEST_F(BestTimeFileTest, ReadsTheFirstNumberAndRewritesOneLine)
{
    write("123\r\n456\r\n");
    EXPECT_EQ(file().load(), 123);
    ASSERT_TRUE(file().save(123));
    EXPECT_EQ(contents(), QByteArray("123\r\n"));

    write("1234\r\n");
    EXPECT_EQ(file().load(), 1234);
    write("0\r\n");
    EXPECT_EQ(file().load(), 0);
    write("99999999999\r\n");
    EXPECT_EQ(file().load(), 999);
}

TEST_F(BestTimeFileTest, EmptyFileGives999AndIsClosed)
{
    write("");
    const int before = openDescriptors();
    EXPECT_EQ(file().load(), 999);
    EXPECT_EQ(openDescriptors(), before);
    ASSERT_TRUE(file().save(999));
    EXPECT_EQ(contents(), QByteArray("999\r\n"));
}

TEST_F(BestTimeFileTest, SaveThenLoadAcrossTheWholeRange)
{
    for (std::int64_t v = std::numeric_limits<std::int32_t>::min();
         v <= std::numeric_limits<std::int32_t>::max(); v += 858993459) {
        QFile::remove(path()); // a save keeps a better stored time
        ASSERT_TRUE(file().save(static_cast<std::int32_t>(v)));
        EXPECT_EQ(file().read(), static_cast<std::int32_t>(v));
    }
    QFile::remove(path());
    ASSERT_TRUE(file().save(std::numeric_limits<std::int32_t>::max()));
    EXPECT_EQ(file().read(), std::numeric_limits<std::int32_t>::max());
}

TEST(RecordFileName, IsToldAsUtf8WhateverTheFoldersBytes)
{
    // A folder named in Latin-1, a cut sequence and a surrogate: each stray
    // byte is told as U+FFFD, and valid text stays as it is.
    EXPECT_EQ(RecordFile("/home/j\xF6rg/\xE3\x82\xB2\xE3\x83/HighScore.mtt").name(),
              "/home/j\xEF\xBF\xBDrg/\xE3\x82\xB2\xEF\xBF\xBD\xEF\xBF\xBD/HighScore.mtt");
    EXPECT_EQ(RecordFile("/\xED\xA0\x80/\xC0\xAF/\xF0\x9F\x8C\x95").name(),
              "/\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD/\xEF\xBF\xBD\xEF\xBF\xBD/\xF0\x9F\x8C\x95");
}

TEST_F(BestTimeFileTest, OnlyTheStartOfAHugeFileIsRead)
{
    write(QByteArray(1 << 20, '7'));
    EXPECT_EQ(file().read(), std::nullopt);
    write(QByteArray(BestTimeFile::PrefixSize - 6, ' ') + "1234\r\n" + QByteArray(1 << 20, 'x'));
    EXPECT_EQ(file().read(), 1234);
    for (const RecordBoundary &boundary : recordBoundaries()) {
        write(QByteArray::fromStdString(boundary.bytes));
        EXPECT_EQ(file().read(), boundary.time) << boundary.bytes.size();
    }
}

TEST_F(BestTimeFileTest, AFolderAtThePathIsNoNumberAndStays)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("HighScore.mtt")));
    EXPECT_EQ(file().load(), 999);
    EXPECT_FALSE(file().save(5));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(BestTimeFileTest, APipeOrASocketAtThePathNeitherHangsNorIsWrittenInto)
{
    for (const bool socket : {false, true}) {
        SCOPED_TRACE(socket ? "a socket" : "a pipe");
        QFile::remove(path());
        int listening = -1;
        if (socket) {
            listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
            struct sockaddr_un address {};
            address.sun_family = AF_UNIX;
            const QByteArray name = QFile::encodeName(path());
            ASSERT_LT(static_cast<std::size_t>(name.size()), sizeof address.sun_path);
            std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
            ASSERT_EQ(::bind(listening, reinterpret_cast<struct sockaddr *>(&address), sizeof address), 0);
        } else {
            ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
        }
        const int before = openDescriptors();
        EXPECT_EQ(file().load(), 999);
        EXPECT_EQ(openDescriptors(), before);
        ASSERT_TRUE(file().save(42));
        EXPECT_TRUE(QFileInfo(path()).isFile());
        EXPECT_EQ(contents(), QByteArray("42\r\n"));
        if (listening >= 0)
            ::close(listening);
    }
}

TEST_F(BestTimeFileTest, TheGamesOwnStaleTemporariesAreRemovedByTheNextSave)
{
    // Left by saves that were killed between making and moving their file;
    // files of other names stay.
    write("700\r\n");
    const QStringList stale{QStringLiteral(".HighScore.mtt.123456789.tmp"), QStringLiteral(".HighScore.mtt.7.tmp")};
    const QStringList others{QStringLiteral(".HighScore.mtt.notes.tmp"), QStringLiteral("HighScore.mtt.1.tmp"),
                             QStringLiteral(".Other.mtt.5.tmp")};
    for (const QString &name : stale + others) {
        QFile f(m_dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("999\r\n");
    }
    ASSERT_TRUE(file().save(650));
    for (const QString &name : stale)
        EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(name))) << name.toStdString();
    for (const QString &name : others)
        EXPECT_TRUE(QFileInfo::exists(m_dir.filePath(name))) << name.toStdString();
    EXPECT_EQ(contents(), QByteArray("650\r\n"));
}

TEST(RecordFileFolders, TheDataFolderFollowsTheBaseDirectoryRulesAndTheAccount)
{
    ASSERT_EQ(::geteuid(), 0u) << "the account's home is known for root";
    const QByteArray home = qgetenv("HOME");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const bool hadHome = qEnvironmentVariableIsSet("HOME");
    const bool hadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");

    qputenv("HOME", "/home/player");
    qputenv("XDG_DATA_HOME", "/mnt/data");
    EXPECT_EQ(RecordFile::dataFolder(), "/mnt/data/tamblo");
    qputenv("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(RecordFile::dataFolder(), "/home/player/.local/share/tamblo");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(RecordFile::dataFolder(), "/home/player/.local/share/tamblo");
    qunsetenv("HOME");
    EXPECT_EQ(RecordFile::dataFolder(), "/root/.local/share/tamblo");
    qputenv("HOME", "");
    EXPECT_EQ(RecordFile::dataFolder(), "/root/.local/share/tamblo");

    hadHome ? qputenv("HOME", home) : qunsetenv("HOME");
    hadDataHome ? qputenv("XDG_DATA_HOME", dataHome) : qunsetenv("XDG_DATA_HOME");
}

TEST_F(BestTimeFileTest, TheBetterOfStoredAndNewTimeIsKept)
{
    const struct
    {
        QByteArray stored;
        std::int32_t saved;
        QByteArray after;
    } cases[] = {
        {"100\r\n", 500, "100\r\n"}, // another copy's better time stays
        {"900\r\n", 500, "500\r\n"}, // a worse one is replaced
        {"-3\r\n", 0, "-3\r\n"},
        {"abc\r\n", 500, "500\r\n"}, // unreadable counts as none
        {"", 999, "999\r\n"},
    };
    for (const auto &c : cases) {
        write(c.stored);
        ASSERT_TRUE(file().save(c.saved)) << c.stored.constData();
        EXPECT_EQ(contents(), c.after) << c.stored.constData();
    }
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".lock")));
}

TEST_F(BestTimeFileTest, CopiesSavingAtOnceKeepTheBestOfAll)
{
    // Each child saves a run of worse and better times; without the lock a
    // slow writer could put its worse time over another's better one.
    write("999\r\n");
    constexpr int Copies = 6;
    constexpr int Saves = 10;
    std::vector<pid_t> children;
    for (int copy = 0; copy < Copies; ++copy) {
        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            bool ok = true;
            for (int i = 0; i < Saves; ++i)
                ok = file().save(900 - (i * Copies + copy) % 97) && ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(contents(), QByteArray("841\r\n"));
}

TEST_F(BestTimeFileTest, ThePlayersOwnLinkToTheirOwnFileIsKept)
{
    QTemporaryDir synced;
    const QString target = synced.filePath(QStringLiteral("record.txt"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("77\r\n");
    }
    ASSERT_TRUE(QFile::link(target, path()));
    EXPECT_EQ(file().load(), 77);
    ASSERT_TRUE(file().save(76));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(QFileInfo(path()).symLinkTarget(), target);
    EXPECT_EQ(contents(), QByteArray("76\r\n"));
    EXPECT_EQ(QDir(synced.path()).entryList(QDir::Files), QStringList{QStringLiteral("record.txt")});
}

TEST_F(BestTimeFileTest, LinksToAnythingButAPlainFileAreReplacedNotFollowed)
{
    QTemporaryDir elsewhere;
    const QString folder = elsewhere.filePath(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString targets[] = {QStringLiteral("/dev/zero"), QStringLiteral("/dev/null"), folder};
    for (const QString &target : targets) {
        SCOPED_TRACE(target.toStdString());
        QFile::remove(path());
        ASSERT_TRUE(QFile::link(target, path()));
        EXPECT_EQ(file().load(), 999);
        ASSERT_TRUE(file().save(321));
        EXPECT_FALSE(QFileInfo(path()).isSymLink());
        EXPECT_EQ(contents(), QByteArray("321\r\n"));
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QDir(folder).isEmpty());
}

TEST_F(BestTimeFileTest, ThePlayersLinkToAFileNotThereYetIsKept)
{
    // A synced folder before its first record: the file is made where the
    // link leads. A folder that is not there at all fails the save, and
    // the link stays for the day it comes back.
    QTemporaryDir synced;
    const QString target = synced.filePath(QStringLiteral("record.txt"));
    ASSERT_TRUE(QFile::link(target, path()));
    EXPECT_EQ(file().load(), 999);
    ASSERT_EQ(file().save(88), 88);
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(contents(), QByteArray("88\r\n"));
    EXPECT_EQ(QDir(synced.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("record.txt")});

    QFile::remove(path());
    const QString unmounted = synced.filePath(QStringLiteral("unmounted/record.txt"));
    ASSERT_TRUE(QFile::link(unmounted, path()));
    QString reason;
    EXPECT_EQ(file().save(77, &reason), std::nullopt);
    EXPECT_TRUE(reason.contains(QStringLiteral("folder its link leads to"))) << reason.toStdString();
    EXPECT_EQ(QFileInfo(path()).symLinkTarget(), unmounted);
    EXPECT_FALSE(QFileInfo::exists(synced.filePath(QStringLiteral("unmounted"))));
}

TEST_F(BestTimeFileTest, AFileThatCannotBeOpenedGives999)
{
    // A path through a plain file cannot be opened by anyone, root included.
    write("5\r\n");
    const TestedFile inside(BestTimeFile(path() + QStringLiteral("/HighScore.mtt")));
    EXPECT_EQ(inside.load(), 999);
    EXPECT_FALSE(inside.save(5));
    EXPECT_EQ(contents(), QByteArray("5\r\n"));
}

TEST_F(BestTimeFileTest, ASaveThatCannotCompleteKeepsTheOldRecord)
{
    // A file-size limit of three bytes stands in for a full disk: the new
    // line cannot be written whole.
    write("1234\r\n");
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tight = old;
    tight.rlim_cur = 3;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool saved = file().save(2147483647).has_value();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(contents(), QByteArray("1234\r\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
}

namespace {
constexpr uid_t Nobody = 65534;

// Runs record_tool as the ordinary user `nobody` in a process of its own
// (root skips every permission check, so it cannot play another user).
// The tool runs from a copy that user can reach wherever the build lies.
// Returns the tool's exit status and its output.
std::pair<int, QByteArray> asNobody(const std::vector<QByteArray> &arguments)
{
    static QTemporaryDir toolDir;
    static const QByteArray tool = [] {
        const QString copy = toolDir.filePath(QStringLiteral("record_tool"));
        ::chmod(QFile::encodeName(toolDir.path()).constData(), 0755);
        QFile::copy(QStringLiteral(RECORD_TOOL), copy);
        return QFile::encodeName(copy);
    }();
    int out[2];
    if (::pipe(out) != 0)
        return {-1, {}};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(126);
        std::vector<char *> argv{const_cast<char *>(tool.constData())};
        for (const QByteArray &a : arguments)
            argv.push_back(const_cast<char *>(a.constData()));
        argv.push_back(nullptr);
        ::execv(tool.constData(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    QByteArray output;
    char buffer[256];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, got);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output.trimmed()};
}

void ownedBy(const QString &path, uid_t owner)
{
    ASSERT_EQ(::lchown(QFile::encodeName(path).constData(), owner, owner), 0);
}
} // namespace

TEST_F(BestTimeFileTest, OnlyLinksThePlayerMadeToTheirOwnFilesAreFollowed)
{
    ASSERT_EQ(::geteuid(), 0u) << "needs root to make files of two users";
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0777), 0);
    const QString target = m_dir.filePath(QStringLiteral("target.txt"));
    const QByteArray record = QFile::encodeName(path());
    const struct
    {
        const char *name;
        uid_t linkOwner;
        uid_t targetOwner;
        bool followed;
    } cases[] = {
        {"another user's link to the player's file", 0, Nobody, false},
        {"the player's link to another user's file", Nobody, 0, false},
        {"the player's link to the player's file", Nobody, Nobody, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path());
        QFile::remove(target);
        {
            QFile f(target);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("50\r\n");
        }
        ownedBy(target, c.targetOwner);
        ASSERT_TRUE(QFile::link(target, path()));
        ownedBy(path(), c.linkOwner);

        EXPECT_EQ(asNobody({"load", record}), std::make_pair(0, QByteArray(c.followed ? "50" : "999")));
        EXPECT_EQ(asNobody({"save", record, "60"}).first, 0);
        EXPECT_EQ(QFileInfo(path()).isSymLink(), c.followed);
        EXPECT_EQ(contents(), QByteArray(c.followed ? "50\r\n" : "60\r\n"));
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("50\r\n")) << "the better stored time stays";
        if (c.followed) {
            EXPECT_EQ(asNobody({"save", record, "40"}).first, 0);
            EXPECT_TRUE(QFileInfo(path()).isSymLink());
            EXPECT_EQ(contents(), QByteArray("40\r\n"));
        }
    }
}

TEST_F(BestTimeFileTest, ARecordThePlayerCannotReadIsNotWrittenOver)
{
    // Another user's record in a shared folder, readable by them alone: a
    // save cannot merge with it, so it fails rather than replace it.
    ASSERT_EQ(::geteuid(), 0u) << "needs root to make files of two users";
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.path()).constData(), 0777), 0);
    write("40\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0600), 0);
    const auto [status, reason] = asNobody({"save", QFile::encodeName(path()), "60"});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(reason.contains("cannot be read")) << reason.constData();
    EXPECT_EQ(contents(), QByteArray("40\r\n"));
    EXPECT_EQ(QFileInfo(path()).ownerId(), 0u);
}

TEST(BestTimeFileFolder, ReadOnlyProgramFolderFallsBackForAnOrdinaryUser)
{
    QTemporaryDir program;
    QTemporaryDir user;
    const QString expectedUser = QDir(user.path()).filePath(QStringLiteral("HighScore.mtt"));
    const QString besideProgram = QDir(program.path()).filePath(QStringLiteral("HighScore.mtt"));
    {
        QFile handedOut(besideProgram);
        ASSERT_TRUE(handedOut.open(QIODevice::WriteOnly));
        handedOut.write("321\r\n");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(program.path()).constData(), 0555), 0);
    ::chmod(QFile::encodeName(user.path()).constData(), 0777);

    // Root may write anywhere, so the check runs as an ordinary user in a
    // child process when the tests run as root. The record beside the
    // program carries over until the player's own file exists.
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
            ::_exit(3);
        const TestedFile chosen(BestTimeFile::inWritableFolder(native(program.path()), native(user.path())));
        if (chosen.path() != expectedUser || chosen.load() != 321)
            ::_exit(1);
        if (!chosen.save(chosen.load()) || chosen.read() != 321 || !chosen.save(400))
            ::_exit(2);
        QFile garbled(expectedUser);
        if (!garbled.open(QIODevice::WriteOnly) || garbled.write("x\r\n") != 3)
            ::_exit(4);
        garbled.close();
        ::_exit(chosen.load() == 999 ? 0 : 5);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    QFile unchanged(besideProgram);
    ASSERT_TRUE(unchanged.open(QIODevice::ReadOnly));
    EXPECT_EQ(unchanged.readAll(), QByteArray("321\r\n"));

    ::chmod(QFile::encodeName(program.path()).constData(), 0755);
    EXPECT_EQ(BestTimeFile::inWritableFolder(native(program.path()), native(user.path())).path(), besideProgram);
}

TEST_F(BestTimeFileTest, ALinkPutBackDuringASaveIsNeverWrittenThrough)
{
    // A neighbour who can write the record's folder puts a link to another
    // file of the player's at the record's name, between any two steps of a
    // save. The link is made another user's, as a neighbour's is.
    ASSERT_EQ(::geteuid(), 0u) << "needs root to make a link of another user";
    QTemporaryDir elsewhere;
    const QString diary = elsewhere.filePath(QStringLiteral("diary.txt"));
    for (const char *at : {"found", "locked", "read", "writing"}) {
        SCOPED_TRACE(at);
        QFile::remove(path());
        write("500\r\n");
        {
            QFile f(diary);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("dear diary\n");
        }
        SteppedFile stepped(path(), [&](std::string_view step) {
            if (step != at)
                return;
            QFile::remove(path());
            ASSERT_TRUE(QFile::link(diary, path()));
            ownedBy(path(), Nobody);
        });
        EXPECT_EQ(BestTimeRecord(stepped).save(123).kept, 123);
        QFile f(diary);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("dear diary\n"));
        EXPECT_FALSE(QFileInfo(path()).isSymLink());
        EXPECT_EQ(contents(), QByteArray("123\r\n"));
    }
}

namespace {
// The lock of another copy of the game, held on the lock file beside
// `record` until release().
class HeldLock
{
public:
    explicit HeldLock(const QString &record)
        : m_fd(::open(QFile::encodeName(record + QStringLiteral(".lock")).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        struct flock whole {};
        whole.l_type = F_WRLCK;
        whole.l_whence = SEEK_SET;
        m_held = m_fd >= 0 && ::fcntl(m_fd, F_SETLK, &whole) == 0;
    }
    ~HeldLock() { release(); }
    bool held() const { return m_held; }
    void release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
    bool m_held = false;
};

// A save in a child process, as another copy of the game makes it. The
// child tells each step of its save through a pipe, so the test knows
// where it stands without guessing at times.
class ChildSave
{
public:
    ChildSave(const QString &record, std::int32_t tenths, bool fastWaits = false)
    {
        int steps[2];
        if (::pipe(steps) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(steps[0]);
            SteppedFile copy(record, [fd = steps[1]](std::string_view step) {
                const char first = step.front();
                (void)!::write(fd, &first, 1);
            }, fastWaits);
            const BestTimeRecord::Saved saved = BestTimeRecord(copy).save(tenths);
            const QByteArray report = saved.kept ? QByteArray::number(*saved.kept) : QByteArray::fromStdString(saved.reason);
            (void)!::write(steps[1], "=", 1);
            (void)!::write(steps[1], report.constData(), static_cast<std::size_t>(report.size()));
            ::_exit(0);
        }
        ::close(steps[1]);
        m_steps = steps[0];
    }
    ~ChildSave() { finish(); }

    // Whether the child tells the step that begins with `first` within the
    // time given ('f'ound, 'l'ocked, 'r'ead, 'w'ritten, 'm'oved); steps
    // told on the way are passed over.
    bool reaches(char first, int milliseconds)
    {
        for (;;) {
            struct pollfd wait {m_steps, POLLIN, 0};
            if (::poll(&wait, 1, milliseconds) != 1)
                return false;
            char step = 0;
            if (::read(m_steps, &step, 1) != 1)
                return false;
            if (step == first)
                return true;
        }
    }
    // What the save ended with: the time kept, or the reason it failed.
    QByteArray finish()
    {
        if (m_steps < 0)
            return m_result;
        char buffer[256];
        for (ssize_t got; (got = ::read(m_steps, buffer, sizeof buffer)) > 0;)
            m_result.append(buffer, got);
        ::close(m_steps);
        m_steps = -1;
        ::waitpid(m_pid, nullptr, 0);
        m_result = m_result.mid(m_result.indexOf('=') + 1);
        return m_result;
    }

private:
    pid_t m_pid = -1;
    int m_steps = -1;
    QByteArray m_result;
};
} // namespace

TEST_F(BestTimeFileTest, ASaveWaitsForTheLockAndKeepsWhatTheHolderStored)
{
    write("999\r\n");
    HeldLock other(path());
    ASSERT_TRUE(other.held());
    ChildSave saver(path(), 500);
    ASSERT_TRUE(saver.reaches('f', 2000)) << "found";
    // It cannot go on while the other copy holds the lock...
    EXPECT_FALSE(saver.reaches('l', 300)) << "locked while another copy held the lock";
    // ...which stores a better time and lets go.
    write("300\r\n");
    other.release();
    EXPECT_EQ(saver.finish(), QByteArray("300"));
    EXPECT_EQ(contents(), QByteArray("300\r\n"));
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".lock"))) << "the lock file is cleared away";
}

TEST_F(BestTimeFileTest, TwoLinksToOneFileShareOneLockAndMerge)
{
    // The lock lies beside the file really written, not beside a link; and
    // the copy that held it replaced that file (a new one in its place) or
    // made it first, with a better time, which the waiting save keeps.
    for (const bool existedBefore : {true, false}) {
        SCOPED_TRACE(existedBefore ? "a linked file replaced meanwhile" : "a linked file made meanwhile");
        QTemporaryDir synced;
        const QString target = synced.filePath(QStringLiteral("record.txt"));
        if (existedBefore) {
            QFile f(target);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("999\r\n");
        }
        QFile::remove(path());
        ASSERT_TRUE(QFile::link(target, path()));
        HeldLock other(target);
        ASSERT_TRUE(other.held());
        ChildSave saver(path(), 500);
        ASSERT_TRUE(saver.reaches('f', 2000));
        EXPECT_FALSE(saver.reaches('l', 300)) << "the lock beside the link's target was not taken";
        {
            QFile replacement(target + QStringLiteral(".new"));
            ASSERT_TRUE(replacement.open(QIODevice::WriteOnly));
            replacement.write("300\r\n");
        }
        ASSERT_EQ(::rename(QFile::encodeName(target + QStringLiteral(".new")).constData(),
                           QFile::encodeName(target).constData()), 0);
        other.release();
        EXPECT_EQ(saver.finish(), QByteArray("300"));
        EXPECT_TRUE(QFileInfo(path()).isSymLink());
        EXPECT_EQ(contents(), QByteArray("300\r\n"));
    }
}

TEST_F(BestTimeFileTest, ALockFileNobodyHoldsIsTakenAtOnceAndAHeldOneIsNamed)
{
    // Left behind by a copy that was killed: no running copy holds it.
    write("700\r\n");
    {
        QFile stale(path() + QStringLiteral(".lock"));
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("12345\n");
    }
    ChildSave quick(path(), 600);
    EXPECT_TRUE(quick.reaches('f', 2000));
    EXPECT_TRUE(quick.reaches('l', 1000)) << "a lock file nobody holds delayed the save";
    EXPECT_EQ(quick.finish(), QByteArray("600"));

    // Held by a running copy for longer than a save waits: the reason names
    // that copy, and the record stays as it was.
    HeldLock other(path());
    ASSERT_TRUE(other.held());
    ChildSave blocked(path(), 100, true);
    const QByteArray reason = blocked.finish();
    EXPECT_TRUE(reason.contains("another running copy of the game (process " + QByteArray::number(::getpid()) + ")"))
        << reason.constData();
    EXPECT_EQ(contents(), QByteArray("600\r\n"));
}

TEST(RecordFileFolders, AProgramFolderWhoseNameIsNoTextFindsItsOwnRecord)
{
    QTemporaryDir top;
    const std::string folder = native(top.path()) + "/game-\xff\xfe";
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string tool = folder + "/record_tool";
    // Copied by its bytes: the name cannot pass through text.
    ASSERT_TRUE(std::filesystem::copy_file(RECORD_TOOL, tool));
    {
        const std::string record = folder + "/HighScore.mtt";
        FILE *f = std::fopen(record.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("222\r\n", f);
        std::fclose(f);
    }
    FILE *out = ::popen(("'" + tool + "' here").c_str(), "r");
    ASSERT_NE(out, nullptr);
    char buffer[512] = {};
    const std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, out);
    ::pclose(out);
    EXPECT_EQ(std::string(buffer, got), folder + "/HighScore.mtt\n222\n");
}

TEST(RecordFileFolders, WhatOtherUsersLeftInASharedFolderSendsTheRecordToTheDataFolder)
{
    ASSERT_EQ(::geteuid(), 0u) << "needs root to leave files of another user";
    QTemporaryDir shared;
    QTemporaryDir data;
    const QByteArray sharedPath = QFile::encodeName(shared.path());
    const QByteArray dataPath = QFile::encodeName(data.path());
    ASSERT_EQ(::chmod(sharedPath.constData(), 01777), 0);
    ASSERT_EQ(::chown(dataPath.constData(), Nobody, Nobody), 0);
    const QString record = shared.filePath(QStringLiteral("HighScore.mtt"));
    const QString lock = record + QStringLiteral(".lock");
    const QByteArray inData = dataPath + "/HighScore.mtt";

    const auto plainFile = [](const QString &at, QFileDevice::Permissions permissions) {
        QFile f(at);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("100\r\n");
        f.setPermissions(permissions);
    };
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const QFileDevice::Permissions everyone = ownerOnly | QFileDevice::ReadOther | QFileDevice::WriteOther
                                              | QFileDevice::ReadGroup | QFileDevice::WriteGroup;
    const struct
    {
        const char *what;
        std::function<void()> leave;
    } cases[] = {
        {"another user's lock file", [&] { plainFile(lock, ownerOnly); }},
        {"another user's open lock file", [&] { plainFile(lock, everyone); }},
        {"a pipe at the lock's name", [&] { ::mkfifo(QFile::encodeName(lock).constData(), 0666); }},
        {"a folder at the lock's name", [&] { QDir().mkpath(lock); }},
        {"a link at the lock's name", [&] { QFile::link(QStringLiteral("/etc/passwd"), lock); }},
        {"another user's record", [&] { plainFile(record, ownerOnly | QFileDevice::ReadOther); }},
        {"another user's unreadable record", [&] { plainFile(record, ownerOnly); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(shared.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(shared.path()));
        ASSERT_EQ(::chmod(sharedPath.constData(), 01777), 0);
        QFile::remove(QFile::decodeName(inData));
        c.leave();
        // The player's own record goes to the data folder, and saves there.
        const auto [status, output] = asNobody({"choose", sharedPath, dataPath});
        EXPECT_EQ(status, 0);
        EXPECT_TRUE(output.startsWith(inData + "\n")) << output.constData();
        EXPECT_EQ(asNobody({"save", inData, "300"}).first, 0);
    }

    // An empty shared folder keeps the record beside the program.
    QDir(shared.path()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(shared.path()));
    ASSERT_EQ(::chmod(sharedPath.constData(), 01777), 0);
    const auto [status, output] = asNobody({"choose", sharedPath, dataPath});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(output.startsWith(QFile::encodeName(record) + "\n")) << output.constData();
}
