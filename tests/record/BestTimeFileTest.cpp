// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "record/qt/BestTimeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <grp.h>
#include <limits>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
class BestTimeFileTest : public ::testing::Test
{
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("HighScore.mtt")); }
    BestTimeFile file() const { return BestTimeFile(path()); }

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

TEST_F(BestTimeFileTest, OnlyTheStartOfAHugeFileIsRead)
{
    write(QByteArray(1 << 20, '7'));
    EXPECT_EQ(file().read(), std::nullopt);
    write(QByteArray(BestTimeFile::PrefixSize - 6, ' ') + "1234\r\n" + QByteArray(1 << 20, 'x'));
    EXPECT_EQ(file().read(), 1234);
}

TEST_F(BestTimeFileTest, AFolderAtThePathIsNoNumberAndStays)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("HighScore.mtt")));
    EXPECT_EQ(file().load(), 999);
    EXPECT_FALSE(file().save(5));
    EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(BestTimeFileTest, APipeAtThePathNeitherHangsNorIsWrittenInto)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    const int before = openDescriptors();
    EXPECT_EQ(file().load(), 999);
    EXPECT_EQ(openDescriptors(), before);
    ASSERT_TRUE(file().save(42));
    EXPECT_TRUE(QFileInfo(path()).isFile());
    EXPECT_EQ(contents(), QByteArray("42\r\n"));
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
    const QString targets[] = {QStringLiteral("/dev/zero"), QStringLiteral("/dev/null"), folder,
                               elsewhere.filePath(QStringLiteral("nowhere"))};
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
    EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath(QStringLiteral("nowhere"))));
}

TEST_F(BestTimeFileTest, AFileThatCannotBeOpenedGives999)
{
    // A path through a plain file cannot be opened by anyone, root included.
    write("5\r\n");
    const BestTimeFile inside(path() + QStringLiteral("/HighScore.mtt"));
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
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make files of two users";
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
        const BestTimeFile chosen = BestTimeFile::inWritableFolder(program.path(), user.path());
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
    EXPECT_EQ(BestTimeFile::inWritableFolder(program.path(), user.path()).path(), besideProgram);
}
