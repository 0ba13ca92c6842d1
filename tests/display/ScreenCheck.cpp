// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

// Checks a screenshot of the real game window (or of a whole screen that
// shows it), taken under Xvfb or Weston, against
// what the game must show:
//   screen_check title  <png> <scale>   the title screen
//   screen_check stage0 <png> <scale>   the first stage after the start
//   screen_check answer <png> <scale> <stage>
//                                       prints where the right answer of
//                                       the stage shown lies, in game pixels
//   screen_check disc <png> <scale>     prints the age the disc shows
// The scale is QT_SCALE_FACTOR of the screenshot (or the display density
// over 96 dpi); every pixel of the game must then be a clean scale x scale
// block. Exits non-zero with a reason.
//   screen_check --text-by-place title|stage0 <png> <scale>
// checks a window whose labels another renderer drew, in fonts of its own
// (the Windows program): their lines of text are compared by place, size
// and colour, and every other pixel as before.
#include "app/qt/ClickLabel.h"
#include "app/qt/Form1.h"
#include "app/GameFlow.h"
#include "app/qt/SurfaceWidget.h"
#include "board/StageLayout.h"
#include "render/PhaseDisc.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTemporaryFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {
const QRgb Navy = qRgb(0, 0, 64);
const QRgb Orange = qRgb(255, 128, 0);
bool textByPlace = false;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "screen_check: %s\n", what);
    std::exit(1);
}

// Where the client area lies in a screenshot of the window or of a whole
// screen: its left column is the window's background colour from top to
// bottom, and so are some of its rows from edge to edge. Elsewhere on the
// screen that colour only shows in small pieces (the window icon).
QPoint findClientArea(const QImage &shot, int scale)
{
    const auto navy = [&shot](int x, int y) {
        return x >= 0 && y >= 0 && x < shot.width() && y < shot.height()
               && (shot.pixel(x, y) | 0xFF000000u) == Navy;
    };
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (!navy(x, y) || navy(x - 1, y))
                continue;
            int right = x;
            while (navy(right, y))
                ++right;
            if (right - x != 200 * scale)
                continue;
            int top = y;
            while (navy(x, top - 1))
                --top;
            int bottom = y;
            while (navy(x, bottom))
                ++bottom;
            if (bottom - top != 450 * scale)
                fail("the client area is not 450 game pixels high");
            if (top < 1)
                fail("no menu bar above the client area");
            return {x, top};
        }
    }
    fail("no client area 200 game pixels wide in the screenshot");
}

// The client area read back in game pixels.
QImage clientArea(const QImage &shot, QPoint origin, int scale)
{
    QImage client(200, 450, QImage::Format_RGB32);
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 200; ++x)
            client.setPixel(x, y, shot.pixel(origin.x() + x * scale, origin.y() + y * scale) | 0xFF000000u);
    return client;
}

// On a scaled screen each pixel of the disc must be one flat block.
void checkDiscBlocks(const QImage &shot, QPoint origin, const QImage &client, int scale)
{
    for (int y = PhaseDisc::Top; y < PhaseDisc::Top + PhaseDisc::Side; ++y)
        for (int x = PhaseDisc::Left; x < PhaseDisc::Left + PhaseDisc::Side; ++x)
            for (int d = 0; d < scale * scale; ++d)
                if ((shot.pixel(origin.x() + x * scale + d % scale, origin.y() + y * scale + d / scale)
                     | 0xFF000000u)
                    != client.pixel(x, y))
                    fail("a disc pixel is blurred instead of a clean block");
}

// The age whose picture the disc square shows, pixel for pixel.
std::optional<int> discAge(const QImage &client)
{
    for (int age = 0; age < 30; ++age) {
        const PhaseDisc::Picture &picture = PhaseDisc::cached(age, Navy);
        bool same = true;
        for (int y = 0; same && y < PhaseDisc::Side; ++y)
            for (int x = 0; same && x < PhaseDisc::Side; ++x)
                same = client.pixel(PhaseDisc::Left + x, PhaseDisc::Top + y)
                       == picture[y * PhaseDisc::Side + x];
        if (same)
            return age;
    }
    return std::nullopt;
}

// Where a visible label lies, in game pixels, and whether its caption has
// blanks to wrap its lines at.
struct LabelPlace {
    QRect rect;
    bool wraps;
};

// The game's own rendering of its window, made here offscreen; the places
// of its labels go to `labels`.
QImage reference(std::optional<int> startAge, std::vector<LabelPlace> *labels = nullptr)
{
    Form1::Seams seams;
    seams.recordPath = QStringLiteral("/nonexistent/HighScore.mtt");
    const double first = ((startAge ? *startAge : 0) + 0.5) / 30;
    bool loaded = false;
    seams.random = [&] {
        const double value = loaded ? 0.0 : first;
        loaded = true;
        return value;
    };
    seams.messageBox = [](const QString &, BoxStyle, const QString &) { return BoxAnswer::Ok; };
    Form1 form(seams);
    form.show();
    if (startAge)
        emit form.Label1()->clicked();
    // Matching this rendering proves nothing if it shows empty boxes too.
    for (const QLabel *label : {static_cast<QLabel *>(form.Label1()), static_cast<QLabel *>(form.Label2())}) {
        const QFontMetrics metrics(label->font());
        for (QChar c : label->text())
            if (!c.isSpace() && !metrics.inFont(c))
                fail("the game's font lacks a glyph of its labels");
        if (labels && label->isVisible())
            labels->push_back({QRect(label->mapTo(form.clientArea(), QPoint(0, 0)), label->size()),
                               label->text().contains(QRegularExpression(QStringLiteral("\\s")))});
    }
    QImage image = form.clientArea()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return image.scaled(200, 450); // back to game pixels, nearest neighbour
}

// Share of the rows [top, bottom) where the two pictures agree.
double agreement(const QImage &a, const QImage &b, int top, int bottom)
{
    int same = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < 200; ++x)
            same += (a.pixel(x, y) | 0xFF000000u) == (b.pixel(x, y) | 0xFF000000u);
    return static_cast<double>(same) / (200 * (bottom - top));
}

// A pixel of label text over the background: yellow, or on the way from
// the background to yellow where the renderer smooths a glyph's edge.
bool textColour(QRgb pixel)
{
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    return std::abs(r - g) <= 4 && b <= 64 && 2 * b >= 128 - r && (r > 0 || b == 64);
}

// The lines of text in the rows [top, bottom): runs of rows that show
// anything but the background, outside the square `skip` (the disc).
std::vector<QRect> textLines(const QImage &client, int top, int bottom, QRect skip)
{
    std::vector<QRect> lines;
    QRect line;
    for (int y = top; y < bottom; ++y) {
        QRect ink;
        for (int x = 0; x < 200; ++x)
            if (!skip.contains(x, y) && (client.pixel(x, y) | 0xFF000000u) != Navy)
                ink |= QRect(x, y, 1, 1);
        if (!ink.isNull()) {
            line |= ink;
        } else if (!line.isNull()) {
            lines.push_back(line);
            line = QRect();
        }
    }
    if (!line.isNull())
        lines.push_back(line);
    return lines;
}

// The labels drawn by another renderer, line by line against the game's
// own rendering: as many lines, each centred where the game's is, of about
// its width and height, at its height on the window, and in the labels'
// colour. In a label that wraps at blanks each renderer breaks lines its
// own way: a line may lie higher or lower, and keep a blank at its start
// or end, which moves it sideways by half a blank. Elsewhere the rows
// [top, bottom) match pixel for pixel.
double compareTextByPlace(const QImage &client, const QImage &reference, const std::vector<LabelPlace> &labels,
                          int top, int bottom, QRect skip)
{
    const std::vector<QRect> shown = textLines(client, top, bottom, skip);
    const std::vector<QRect> drawn = textLines(reference, top, bottom, skip);
    if (shown.size() != drawn.size())
        fail("the labels show another number of lines of text than the game draws");
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const QRect &s = shown[i], &d = drawn[i];
        std::printf("text line %zu: %dx%d at (%d, %d), the game draws %dx%d at (%d, %d)\n", i + 1, s.width(),
                    s.height(), s.left(), s.top(), d.width(), d.height(), d.left(), d.top());
        // A line may move only within a label that wraps, and not where
        // a label of one line draws it.
        bool wraps = false, fixed = false;
        for (const LabelPlace &label : labels) {
            wraps = wraps || (label.wraps && label.rect.contains(d) && label.rect.contains(s));
            fixed = fixed || (!label.wraps && label.rect.contains(d));
        }
        const bool moves = wraps && !fixed;
        const int halfBlank = d.height() / 8; // a blank: about a quarter of the line's height
        if (std::abs((s.left() + s.right()) - (d.left() + d.right())) > 2 * (3 + (moves ? halfBlank : 0)))
            fail("a line of text is not centred where the game draws it");
        if (s.width() * 4 < d.width() * 3 || s.width() * 3 > d.width() * 4 || s.height() * 4 < d.height() * 3
            || s.height() * 3 > d.height() * 4)
            fail("a line of text is much larger or smaller than the game draws it");
        if (!moves && std::abs(s.top() - d.top()) > 4)
            fail("a line of text is not at the height where the game draws it");
        int yellow = 0;
        for (int y = s.top(); y <= s.bottom(); ++y)
            for (int x = s.left(); x <= s.right(); ++x) {
                const QRgb pixel = client.pixel(x, y);
                if (!skip.contains(x, y) && pixel != Navy && !textColour(pixel))
                    fail("a label shows a colour other than its yellow text on the background");
                yellow += pixel == qRgb(255, 255, 0);
            }
        if (yellow * 10 < s.width() * s.height())
            fail("a line of text is hardly yellow");
    }
    // Outside the lines of text, both must agree to the pixel.
    int same = 0, all = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < 200; ++x) {
            bool inText = skip.contains(x, y);
            for (std::size_t i = 0; i < shown.size(); ++i)
                inText = inText || shown[i].contains(x, y) || drawn[i].contains(x, y);
            if (inText)
                continue;
            ++all;
            same += (client.pixel(x, y) | 0xFF000000u) == (reference.pixel(x, y) | 0xFF000000u);
        }
    if (same != all)
        fail("outside its text the window differs from the game's own rendering");
    return static_cast<double>(same) / all;
}

void checkTitle(const QImage &client)
{
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 200; ++x)
            if (client.pixel(x, y) == Orange)
                fail("an answer button shows on the title screen");
    if (client.pixel(0, 0) != Navy || client.pixel(199, 449) != Navy || client.pixel(100, 400) != Navy)
        fail("the background is not RGB(0, 0, 64)");
    if (textByPlace) {
        std::vector<LabelPlace> labels;
        const QImage drawn = reference(std::nullopt, &labels);
        compareTextByPlace(client, drawn, labels, 0, 450, QRect());
        std::printf("title screen: the labels' text in place, every other pixel as the game draws it\n");
        return;
    }
    // The title and the prompt, drawn in a Japanese face that has every
    // glyph: the screen must show what the game draws offscreen.
    const double same = agreement(client, reference(std::nullopt), 0, 450);
    std::printf("title screen agrees with the offscreen rendering on %.2f%% of its pixels\n", same * 100);
    if (same < 0.995)
        fail("the title screen differs from the game's own rendering (missing glyphs?)");
}

void checkStage0(const QImage &client)
{
    const std::optional<int> age = discAge(client);
    if (!age)
        fail("the disc matches no age pixel for pixel");
    std::printf("the disc shows age %d exactly\n", *age);

    // Two orange buttons, 90 x 90 at (10, 260) and (100, 260); nothing
    // orange anywhere else.
    const QRect buttons[2] = {QRect(10, 260, 90, 90), QRect(100, 260, 90, 90)};
    for (int y = 0; y < 450; ++y)
        for (int x = 0; x < 200; ++x)
            if (client.pixel(x, y) == Orange && !buttons[0].contains(x, y) && !buttons[1].contains(x, y))
                fail("orange outside the two buttons of stage 0");
    for (const QRect &button : buttons) {
        int orange = 0;
        for (int y = button.top(); y <= button.bottom(); ++y)
            for (int x = button.left(); x <= button.right(); ++x)
                orange += client.pixel(x, y) == Orange;
        if (orange < button.width() * button.height() * 3 / 4)
            fail("a stage 0 button is missing or not orange");
        const QPoint corners[] = {button.topLeft() + QPoint(2, 2), button.bottomRight() - QPoint(2, 2)};
        for (QPoint corner : corners)
            if (client.pixel(corner) != Orange)
                fail("a stage 0 button is not where it belongs");
    }
    for (int y = 352; y < 450; ++y)
        for (int x = 0; x < 200; ++x)
            if (client.pixel(x, y) != Navy)
                fail("the lower half of the board is not empty at stage 0");

    if (textByPlace) {
        std::vector<LabelPlace> labels;
        const QImage drawn = reference(age, &labels);
        const QRect disc(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side);
        compareTextByPlace(client, drawn, labels, 0, 260, disc);
        std::printf("stage 0 above the board: the question in place, every other pixel as the game draws it\n");
        return;
    }
    // Above the board: the disc and the question, as the game draws them.
    const double same = agreement(client, reference(age), 0, 260);
    std::printf("stage 0 above the board agrees with the offscreen rendering on %.2f%%\n", same * 100);
    if (same < 0.995)
        fail("the disc or the question differs from the game's own rendering");
}
// The centre of the button that carries the age on the disc: the layout
// puts the right answer at a known index.
void printAnswer(const QImage &client, int stage)
{
    const std::optional<int> age = discAge(client);
    const std::optional<StageLayout> layout = StageLayout::forStage(stage);
    if (!age || !layout)
        fail("no disc to answer, or no such stage");
    const BoardRect &board = GameBoard;
    // The right caption is on the button that covers its age's stretch.
    const int index = *age / layout->captionStep();
    const float width = layout->buttonWidth(board);
    const float height = layout->buttonHeight(board);
    const QRect button(qRound(layout->buttonLeft(board, index, width)), qRound(layout->buttonTop(board, index, height)),
                       qRound(width), qRound(height));
    const QPoint centre = button.center();
    // Probed at its inner corners: a caption drawn at a font size of its
    // own may reach anywhere else on a small button.
    const QPoint corners[] = {button.topLeft() + QPoint(3, 3), button.bottomRight() - QPoint(3, 3)};
    for (QPoint corner : corners)
        if (client.pixel(corner) != Orange)
            fail("no answer button where the right answer belongs");
    std::printf("%d %d\n", centre.x(), centre.y());
}
} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--text-by-place") == 0) {
        textByPlace = true;
        --argc;
        ++argv;
    }
    if (argc != 4 && !(argc == 5 && std::strcmp(argv[1], "answer") == 0))
        fail("usage: screen_check [--text-by-place] title|stage0 <png> <scale> | answer <png> <scale> <stage>"
             " | disc <png> <scale>");
    const int scale = std::atoi(argv[3]);
    // The game's own rendering at the screenshot's scale, on a screen large
    // enough for the window at that scale: on a smaller one the game area
    // would take a smaller scale to fit.
    QTemporaryFile screens;
    if (!screens.open()
        || screens.write(R"({"screens": [{"name": "large", "width": 4096, "height": 4096}]})") < 0
        || !screens.flush())
        fail("cannot write the offscreen screen's settings");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    qputenv("QT_SCALE_FACTOR", QByteArray::number(scale));
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const QImage shot(QString::fromLocal8Bit(argv[2]));
    if (shot.isNull())
        fail("cannot read the screenshot");
    const QPoint origin = findClientArea(shot, scale);
    const QImage client = clientArea(shot, origin, scale);
    if (std::strcmp(argv[1], "answer") == 0) {
        printAnswer(client, std::atoi(argv[4]));
        return 0;
    }
    if (std::strcmp(argv[1], "disc") == 0) {
        const std::optional<int> age = discAge(client);
        if (!age)
            fail("the disc matches no age pixel for pixel");
        std::printf("%d\n", *age);
        return 0;
    }
    if (std::strcmp(argv[1], "title") == 0) {
        checkTitle(client);
    } else {
        checkDiscBlocks(shot, origin, client, scale);
        checkStage0(client);
    }
    std::printf("screen_check %s at scale %d: ok\n", argv[1], scale);
    return 0;
}
