// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Makes the README's pictures from the game's own code:
//   make_pictures <folder>
// writes stage.png (the window at stage 3, drawn offscreen) and phases.png
// (the disc at every age from 0 to 29, with its age under it).
#include "app/qt/AnswerButton.h"
#include "app/qt/ClickLabel.h"
#include "app/qt/Form1.h"
#include "app/RandomSource.h"
#include "render/PhaseDisc.h"
#include "tests/support/AnswerButtons.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QStyleFactory>

#include <cstdint>
#include <cstdio>

namespace {
const QColor Navy(0, 0, 64);
constexpr std::uint64_t PictureSeed = 4;

bool writeStage(const QString &path)
{
    // A fixed seed: the same picture on every run.
    Form1::Seams seams;
    seams.recordPath = QStringLiteral("/nonexistent/HighScore.mtt");
    seams.messageBox = [](const QString &, BoxStyle, const QString &) { return BoxAnswer::Ok; };
    seams.random = RandomSource(PictureSeed);
    Form1 form(seams);
    form.show();
    emit form.Label1()->clicked();
    while (form.state().stage < 3)
        rightAnswerButton(form).click();
    return form.grab().toImage().save(path);
}

bool writePhases(const QString &path)
{
    constexpr int Columns = 6;
    constexpr int Cell = 120;
    QImage sheet(Columns * Cell, 5 * Cell, QImage::Format_RGB32);
    sheet.fill(Navy);
    QPainter painter(&sheet);
    QFont font;
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 0));
    for (int age = 0; age < 30; ++age) {
        const PhaseDisc::Picture &picture = PhaseDisc::cached(age, Navy.rgb());
        const QImage disc(reinterpret_cast<const uchar *>(picture.data()), PhaseDisc::Side,
                          PhaseDisc::Side, PhaseDisc::Side * 4, QImage::Format_RGB32);
        const QPoint cell((age % Columns) * Cell, (age / Columns) * Cell);
        painter.drawImage(cell + QPoint((Cell - PhaseDisc::Side) / 2, 2), disc);
        painter.drawText(QRect(cell + QPoint(0, PhaseDisc::Side + 2), QSize(Cell, 16)),
                         Qt::AlignCenter, QString::number(age));
    }
    painter.end();
    return sheet.save(path);
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const bool ok = writeStage(folder.filePath(QStringLiteral("stage.png")))
                    && writePhases(folder.filePath(QStringLiteral("phases.png")));
    if (!ok)
        std::fprintf(stderr, "make_pictures: could not write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
