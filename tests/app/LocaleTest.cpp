// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// The game in the locale it is started in (locale-test.sh runs this once
// each in ja_JP.UTF-8, de_DE.UTF-8 and C.UTF-8): the locale must really be
// in effect, and a clear must read, look and save exactly as anywhere
// else. What each run saw goes to a fingerprint file, which the script
// compares between the locales.
#include "app/qt/AnswerButton.h"
#include "app/qt/ClickLabel.h"
#include "app/qt/Form1.h"
#include "app/RandomSource.h"
#include "tests/support/AnswerButtons.h"

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <string>
#include <vector>

namespace {
QByteArray expectedLocale()
{
    return qgetenv("TAMBLO_EXPECTED_LOCALE");
}

QString shown(QString text)
{
    return text.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
}

QByteArray digest(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return QCryptographicHash::hash(QByteArrayView(rgb.constBits(), rgb.sizeInBytes()),
                                    QCryptographicHash::Sha256)
        .toHex();
}
} // namespace

// The run is in the locale it was started for, in the C library and in Qt.
// A locale that the system refuses fails here: a run that fell back to the
// C locale would prove nothing.
TEST(Locale, IsInEffect)
{
    const QByteArray expected = expectedLocale();
    ASSERT_FALSE(expected.isEmpty()) << "run through locale-test.sh, which names the locale";
    const char *now = std::setlocale(LC_ALL, "");
    ASSERT_NE(now, nullptr) << "the C library refuses the locale " << expected.constData();
    EXPECT_EQ(std::string(now), expected.toStdString());
    EXPECT_STREQ(nl_langinfo(CODESET), "UTF-8");
    // German writes 1,5: the locale reaches the C library's numbers and
    // Qt's, so a time written through either would show it.
    const bool comma = expected.startsWith("de_");
    EXPECT_STREQ(std::localeconv()->decimal_point, comma ? "," : ".");
    EXPECT_EQ(QLocale().decimalPoint(), comma ? QStringLiteral(",") : QStringLiteral("."));
    if (expected.startsWith("ja_")) {
        EXPECT_EQ(QLocale().language(), QLocale::Japanese);
    }
}

// The high score read from the record, a clear in 15.3 s with its boxes,
// the new best in the record's bytes, and the window's pictures on the way.
TEST(Locale, AClearReadsLooksAndSavesTheSame)
{
    QTemporaryDir dir;
    const QString recordPath = dir.filePath(QStringLiteral("HighScore.mtt"));
    {
        QFile stored(recordPath);
        ASSERT_TRUE(stored.open(QIODevice::WriteOnly));
        stored.write("1234\r\n");
    }
    QStringList seen;
    std::vector<QString> prompts;
    Form1::Seams seams;
    seams.recordPath = recordPath;
    seams.random = RandomSource(7);
    seams.messageBox = [&](const QString &prompt, BoxStyle style, const QString &title) {
        prompts.push_back(prompt);
        seen << QStringLiteral("box %1 [%2] %3").arg(title, shown(prompt)).arg(static_cast<int>(style));
        return style == BoxStyle::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    };
    Form1 form(seams);
    form.show();
    seen << QStringLiteral("title font %1").arg(QFontInfo(form.Label1()->font()).family());
    seen << QStringLiteral("prompt font %1").arg(QFontInfo(form.Label2()->font()).family());
    seen << QStringLiteral("title screen %1").arg(QString::fromLatin1(digest(form.grab().toImage())));
    form.HighScore()->trigger();
    emit form.Label1()->clicked();
    for (int stage = 0; stage <= 5; ++stage) {
        const int ticks = stage == 5 ? 28 : 25;
        for (int i = 0; i < ticks; ++i)
            form.Timer1Tick();
        if (stage == 0 || stage == 5)
            seen << QStringLiteral("stage %1 %2").arg(stage).arg(QString::fromLatin1(digest(form.grab().toImage())));
        rightAnswerButton(form).click();
    }
    QFile record(recordPath);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const QByteArray bytes = record.readAll();
    seen << QStringLiteral("record %1").arg(QString::fromLatin1(bytes.toHex(' ')));

    const QString right = QStringLiteral("正解!");
    const std::vector<QString> expected = {
        QStringLiteral("クリアまでの最短時間 123.4秒"),
        right, right, right, right, right, right,
        QStringLiteral("ゲームクリア!\r\n\r\n所要時間 15.3秒"),
        QStringLiteral("ハイスコア更新!"),
        QStringLiteral("また挑戦しますか？"),
    };
    EXPECT_EQ(prompts, expected);
    EXPECT_EQ(bytes, QByteArray("153\r\n"));
    EXPECT_FALSE(form.isVisible());

    const QByteArray fingerprint = qgetenv("TAMBLO_FINGERPRINT");
    ASSERT_FALSE(fingerprint.isEmpty()) << "run through locale-test.sh, which compares the runs";
    QFile out(QString::fromLocal8Bit(fingerprint));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(seen.join(u'\n').toUtf8() + '\n');
}
