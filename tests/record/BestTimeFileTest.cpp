#include "record/BestTimeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
        ASSERT_TRUE(file().save(static_cast<std::int32_t>(v)));
        EXPECT_EQ(file().read(), static_cast<std::int32_t>(v));
    }
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

TEST_F(BestTimeFileTest, ALinkIsReadThroughButNeverWrittenThrough)
{
    const QString target = m_dir.filePath(QStringLiteral("elsewhere.txt"));
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("77\r\n");
    }
    ASSERT_TRUE(QFile::link(target, path()));
    EXPECT_EQ(file().load(), 77);
    ASSERT_TRUE(file().save(76));
    EXPECT_FALSE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(contents(), QByteArray("76\r\n"));
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("77\r\n"));
}

TEST_F(BestTimeFileTest, ALinkToADeviceReadsNothingAndIsReplaced)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path()));
    EXPECT_EQ(file().load(), 999);
    ASSERT_TRUE(file().save(999));
    EXPECT_TRUE(QFileInfo(path()).isFile());
    EXPECT_FALSE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(contents(), QByteArray("999\r\n"));
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
    const bool saved = file().save(2147483647);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(contents(), QByteArray("1234\r\n"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";
}

TEST(BestTimeFileFolder, ReadOnlyProgramFolderFallsBackForAnOrdinaryUser)
{
    QTemporaryDir program;
    QTemporaryDir user;
    ASSERT_EQ(::chmod(QFile::encodeName(program.path()).constData(), 0555), 0);
    ::chmod(QFile::encodeName(user.path()).constData(), 0777);
    const QString expectedUser = QDir(user.path()).filePath(QStringLiteral("HighScore.mtt"));
    const QString expectedProgram = QDir(program.path()).filePath(QStringLiteral("HighScore.mtt"));

    // Root may write anywhere, so the check runs as an ordinary user in a
    // child process when the tests run as root.
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        const BestTimeFile chosen = BestTimeFile::inWritableFolder(program.path(), user.path());
        if (chosen.path() != expectedUser)
            ::_exit(1);
        ::_exit(chosen.save(998) && chosen.load() == 998 ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(QFileInfo::exists(expectedProgram));

    ::chmod(QFile::encodeName(program.path()).constData(), 0755);
    EXPECT_EQ(BestTimeFile::inWritableFolder(program.path(), user.path()).path(), expectedProgram);
}
