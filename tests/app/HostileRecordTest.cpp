// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/qt/Form1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int openDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                                .size());
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray utf16(const char *text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const char *c = text; *c; ++c)
        bytes.append(*c).append('\0');
    return bytes;
}

struct Case
{
    const char *name;
    std::function<void(const QString &path)> prepare;
    std::int32_t expected;
    bool cleanFileAfter = true;
};

std::function<void(const QString &)> bytes(QByteArray content)
{
    return [content](const QString &path) { writeFile(path, content); };
}
} // namespace

// Whatever stands at the record's place, the window starts with a sane best
// time, holds no file open, and leaves a clean one-line file when it closes.
TEST(HostileRecord, EveryKindOfFileStartsAndClosesCleanly)
{
    const bool root = ::geteuid() == 0;
    const Case cases[] = {
        {"empty", bytes(""), 999},
        {"only CR LF", bytes("\r\n"), 999},
        {"leading blanks", bytes("   314\r\n"), 314},
        {"plus sign", bytes("+7\r\n"), 7},
        {"minus five", bytes("-5\r\n"), -5},
        {"digits then letters", bytes("42abc\r\n"), 999},
        {"hexadecimal", bytes("0x10\r\n"), 999},
        {"exponent", bytes("1e3\r\n"), 999},
        {"fraction", bytes("12.5\r\n"), 999},
        {"quoted", bytes("\"12\"\r\n"), 999},
        {"largest", bytes("2147483647\r\n"), 2147483647},
        {"one past largest", bytes("2147483648\r\n"), 999},
        {"smallest", bytes("-2147483648\r\n"), -2147483647 - 1},
        {"one past smallest", bytes("-2147483649\r\n"), 999},
        {"a megabyte of digits", bytes(QByteArray(1 << 20, '1')), 999},
        {"binary with NULs", bytes(QByteArray("\0\x01\x02\xFF\0" "12", 7)), 999},
        {"UTF-8 byte-order mark", bytes("\xEF\xBB\xBF" "12\r\n"), 999},
        {"UTF-16", bytes(utf16("12\r\n")), 999},
        {"folder", [](const QString &path) { QDir().mkpath(path); }, 999, false},
        {"pipe", [](const QString &path) { ::mkfifo(QFile::encodeName(path).constData(), 0600); }, 999},
        {"unreadable",
         [](const QString &path) {
             writeFile(path, "55\r\n");
             ::chmod(QFile::encodeName(path).constData(), 0);
         },
         root ? 55 : 999},
        {"link to /dev/zero", [](const QString &path) { QFile::link("/dev/zero", path); }, 999},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("HighScore.mtt"));
        c.prepare(path);
        const int descriptorsBefore = openDescriptors();
        {
            Form1::Seams seams;
            seams.recordPath = path;
            seams.messageBox = [](const QString &, BoxStyle, const QString &) { return BoxAnswer::Ok; };
            seams.random = [] { return 0.5; };
            Form1 form(seams);
            EXPECT_EQ(form.state().bestTenths, c.expected);
            EXPECT_EQ(openDescriptors(), descriptorsBefore);
            form.close();
        }
        const QFileInfo info(path);
        if (!c.cleanFileAfter) {
            EXPECT_TRUE(info.isDir());
            continue;
        }
        EXPECT_TRUE(info.isFile());
        EXPECT_FALSE(info.isSymLink());
        QFile file(path);
        ::chmod(QFile::encodeName(path).constData(), 0600);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray::number(c.expected) + "\r\n");
    }
}
