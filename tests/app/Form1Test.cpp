// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "app/qt/AnswerButton.h"
#include "app/qt/ClickLabel.h"
#include "app/qt/ControlArray.h"
#include "app/qt/DiscWidget.h"
#include "app/qt/Form1.h"
#include "app/RandomSource.h"
#include "app/qt/SurfaceWidget.h"
#include "board/StageLayout.h"
#include "render/DiscText.h"
#include "app/FormDesign.h"
#include "render/PhaseDisc.h"
#include "tests/support/AnswerButtons.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPushButton>
#include <QRegion>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {
struct ShownBox
{
    QString prompt;
    BoxStyle style;
    QString title;
    bool operator==(const ShownBox &) const = default;
};

// A window whose boxes and chance are scripted, with its record in a
// folder of its own.
class Harness
{
public:
    explicit Harness(std::uint64_t seed = 1, QByteArray storedRecord = {})
        : m_random(seed)
    {
        if (!storedRecord.isNull()) {
            QFile file(recordPath());
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(storedRecord);
        }
        Form1::Seams seams;
        seams.messageBox = [this](const QString &prompt, BoxStyle style, const QString &title) {
            boxes.push_back({prompt, style, title});
            if (duringBox)
                duringBox();
            if (style != BoxStyle::YesNo)
                return BoxAnswer::Ok;
            const BoxAnswer answer = retryAnswers.empty() ? BoxAnswer::No : retryAnswers.front();
            if (!retryAnswers.empty())
                retryAnswers.pop_front();
            return answer;
        };
        seams.random = [this] { return m_random(); };
        seams.recordPath = recordPath();
        form = std::make_unique<Form1>(seams);
    }

    QString recordPath() const { return m_dir.filePath(QStringLiteral("HighScore.mtt")); }
    QByteArray record() const
    {
        QFile file(recordPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QPushButton *button(int index) const { return form->Command1()->item(index); }

    std::vector<QPushButton *> shownButtons() const
    {
        std::vector<QPushButton *> shown;
        for (int i = 0; i < form->Command1()->count(); ++i)
            if (button(i) && !button(i)->isHidden())
                shown.push_back(button(i));
        return shown;
    }

    QPushButton *rightButton() const { return &rightAnswerButton(*form); }

    QPushButton *wrongButton() const
    {
        for (QPushButton *b : shownButtons())
            if (b != rightButton())
                return b;
        return nullptr;
    }

    void start() { QTest::mouseClick(form->Label1(), Qt::LeftButton, {}, QPoint(100, 200)); }

    // A tick of Timer1, delivered only while it runs.
    void tick()
    {
        if (form->Timer1()->isActive())
            form->Timer1Tick();
    }

    std::unique_ptr<Form1> form;
    std::vector<ShownBox> boxes;
    std::deque<BoxAnswer> retryAnswers;
    std::function<void()> duringBox;

private:
    QTemporaryDir m_dir;
    RandomSource m_random;
};

// Collects what of a widget gets painted, as the screen would show it.
class PaintSpy : public QObject
{
public:
    explicit PaintSpy(QWidget *widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
};

const QString Tamblo = QStringLiteral("Tamblo");
const ShownBox RightBox{QStringLiteral("正解!"), BoxStyle::OkOnly, Tamblo};
const ShownBox RetryBox{QStringLiteral("また挑戦しますか？"), BoxStyle::YesNo, Tamblo};
const ShownBox GameOverBox{QStringLiteral("残念!　間違いです\r\n\r\nゲームオーバー"), BoxStyle::OkOnly, Tamblo};
} // namespace

TEST(Form1, TitleScreenAsDesigned)
{
    Harness h;
    Form1 &form = *h.form;
    EXPECT_EQ(form.windowTitle(), Tamblo);
    EXPECT_EQ(form.clientArea()->size(), QSize(200, 450));
    EXPECT_EQ(form.HighScore()->text(), QStringLiteral("ハイスコア"));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

    EXPECT_EQ(form.Label1()->text(), QString(QChar(0x3000)) + QString(24, u' ') + Tamblo);
    EXPECT_EQ(form.Label1()->geometry(), QRect(0, 0, 201, 449));
    EXPECT_EQ(form.Label1()->font().pixelSize(), 48);
    EXPECT_FALSE(form.Label1()->font().bold()) << "the title face is heavy by itself";
    EXPECT_EQ(form.Label2()->text(), QStringLiteral("クリックしてください"));
    EXPECT_EQ(form.Label2()->geometry(), QRect(0, 424, 201, 33));
    EXPECT_EQ(form.Label2()->font().pixelSize(), 19);
    EXPECT_TRUE(form.Label2()->font().bold());
    EXPECT_EQ(form.Label1()->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_FALSE(form.Label1()->autoFillBackground());

    EXPECT_EQ(form.Command1()->count(), 1);
    EXPECT_TRUE(h.button(0)->isHidden());
    EXPECT_EQ(h.button(0)->geometry(), QRect(176, 424, 33, 33));
    EXPECT_EQ(h.button(0)->font().pixelSize(), 21);
    EXPECT_TRUE(h.button(0)->font().bold());
    EXPECT_FALSE(form.Timer1()->isActive());
    EXPECT_EQ(form.Timer1()->interval(), 100);

    const QImage &surface = form.surface().image();
    EXPECT_EQ(surface.size(), QSize(200, 450));
    for (int y = 0; y < 450; y += 7)
        for (int x = 0; x < 200; x += 3)
            ASSERT_EQ(surface.pixel(x, y), QColor(0, 0, 64).rgb());
}

TEST(Form1, ButtonsAreReachableByKeyboardAndNamedByCaption)
{
    Harness h(21);
    Form1 &form = *h.form;
    form.show();
    h.start();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_Tab);
    const auto shown = h.shownButtons();
    auto *first = qobject_cast<QPushButton *>(QApplication::focusWidget());
    ASSERT_NE(first, nullptr);
    EXPECT_NE(std::find(shown.begin(), shown.end(), first), shown.end());

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(first);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Name), first->text());

    // A held Return's repeats answer nothing; a fresh Return answers the
    // focused button, like a click.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(first, &repeat);
    EXPECT_TRUE(h.boxes.empty());
    const bool right = first->text().toInt() == form.state().answerAge;
    QTest::keyClick(first, Qt::Key_Return);
    ASSERT_EQ(h.boxes.size(), right ? 1u : 2u);
    EXPECT_EQ(h.boxes.front(), right ? RightBox : GameOverBox);
}

TEST(Form1, TheDiscIsAnImageDescribedByEveryNewDiscThatPaintsNothing)
{
    Harness h(21);
    Form1 &form = *h.form;
    form.show();
    QAccessibleInterface *disc = QAccessible::queryAccessibleInterface(form.disc());
    ASSERT_NE(disc, nullptr);
    EXPECT_EQ(disc->role(), QAccessible::Graphic);
    EXPECT_EQ(disc->text(QAccessible::Name), QStringLiteral("月"));
    EXPECT_TRUE(disc->state().invisible) << "the title screen has no disc";
    EXPECT_EQ(form.disc()->geometry(), QRect(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side));
    EXPECT_TRUE(form.disc()->testAttribute(Qt::WA_TransparentForMouseEvents));

    // That each change is told to assistive technology is seen on the
    // accessibility bus (accessibility-test.sh): offscreen, Qt tells none.
    h.start();
    for (int stage = 0; stage < 2; ++stage) {
        const int age = form.state().answerAge;
        EXPECT_FALSE(disc->state().invisible);
        EXPECT_EQ(disc->text(QAccessible::Description).toStdString(), DiscText::cached(age, FormDesign::Background));
        // The window shows the surface's picture as it is: the disc's
        // widget paints nothing over it.
        const QImage shown = form.clientArea()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage drawn = form.surface().image().convertToFormat(QImage::Format_RGB32);
        for (int y = PhaseDisc::Top; y < PhaseDisc::Top + PhaseDisc::Side; ++y)
            for (int x = PhaseDisc::Left; x < PhaseDisc::Left + PhaseDisc::Side; ++x)
                ASSERT_EQ(shown.pixel(x, y), drawn.pixel(x, y)) << x << ", " << y;
        QTest::mouseClick(h.rightButton(), Qt::LeftButton);
    }
}

TEST(Form1, IconIsTheCrescent)
{
    const QImage icon = Form1::icon().pixmap(64, 64).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixel(52, 32), qRgb(255, 255, 0)); // lit on the right
    EXPECT_EQ(icon.pixel(20, 32), qRgb(0, 0, 0));     // dark on the left
}

TEST(Form1, JapaneseTextHasGlyphs)
{
    Harness h;
    const auto covers = [](const QWidget *widget, const QString &text) {
        const QFontMetrics metrics(widget->font());
        for (QChar c : text)
            if (!c.isSpace() && !metrics.inFont(c))
                return false;
        return true;
    };
    EXPECT_TRUE(covers(h.form->Label2(), QStringLiteral("クリックしてください この月の月齢は？")));
    EXPECT_TRUE(covers(h.form->Label1(), QStringLiteral("Tamblo")));
    EXPECT_TRUE(covers(h.button(0), QStringLiteral("0123456789")));
}

TEST(Form1, StartFromEitherLabelOrTheKeyboard)
{
    enum class Start { Title, Prompt, Return, Space };
    for (Start how : {Start::Title, Start::Prompt, Start::Return, Start::Space}) {
        Harness h;
        Form1 &form = *h.form;
        form.show();
        const int age = form.state().answerAge;
        switch (how) {
        case Start::Prompt: // the bottom row belongs to the prompt label alone
            QTest::mouseClick(form.Label2(), Qt::LeftButton, {}, QPoint(100, 25));
            break;
        case Start::Title:
            h.start();
            break;
        case Start::Return:
            QTest::keyClick(&form, Qt::Key_Return);
            break;
        case Start::Space:
            QTest::keyClick(&form, Qt::Key_Space);
            break;
        }
        EXPECT_EQ(form.state().answerAge, age);
        EXPECT_EQ(form.Command1()->count(), 30);
        EXPECT_TRUE(form.Label1()->isHidden());
        EXPECT_EQ(form.Label2()->y(), 227);
        EXPECT_EQ(form.Label2()->text(), QStringLiteral("この月の月齢は？"));
        EXPECT_TRUE(form.Timer1()->isActive());

        const auto shown = h.shownButtons();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_EQ(shown[0]->geometry(), QRect(10, 260, 90, 90));
        EXPECT_EQ(shown[1]->geometry(), QRect(100, 260, 90, 90));
        EXPECT_EQ(h.rightButton()->text().toInt(), form.state().answerAge);
        // The face is the game's orange exactly, not a shaded gradient.
        const QImage face = shown[1]->grab().toImage();
        for (QPoint p : {QPoint(2, 2), QPoint(87, 2), QPoint(2, 87), QPoint(87, 87), QPoint(45, 10)})
            EXPECT_EQ(face.pixel(p), QColor(255, 128, 0).rgb()) << p.x() << "," << p.y();

        // Later clicks on the prompt change nothing.
        QTest::mouseClick(form.Label2(), Qt::LeftButton, {}, QPoint(100, 10));
        EXPECT_EQ(form.state().answerAge, age);
        EXPECT_EQ(form.Command1()->count(), 30);
        EXPECT_TRUE(h.boxes.empty());
    }
}

TEST(Form1, PerfectGameThenNoSavesTheNewBest)
{
    Harness h(3);
    Form1 &form = *h.form;
    form.show();
    h.start();
    int previousAge = -1;
    for (int stage = 0; stage < 6; ++stage) {
        ASSERT_EQ(form.state().stage, stage);
        ASSERT_EQ(h.shownButtons().size(),
                  static_cast<std::size_t>(StageLayout::forStage(stage)->count()));
        EXPECT_NE(form.state().answerAge, previousAge);
        previousAge = form.state().answerAge;
        for (int i = 0; i < 25; ++i)
            h.tick();
        h.rightButton()->click();
    }
    const std::vector<ShownBox> expected = {
        RightBox, RightBox, RightBox, RightBox, RightBox, RightBox,
        {QStringLiteral("ゲームクリア!\r\n\r\n所要時間 15.0秒"), BoxStyle::OkOnly, Tamblo},
        {QStringLiteral("ハイスコア更新!"), BoxStyle::OkOnly, Tamblo},
        RetryBox,
    };
    EXPECT_EQ(h.boxes, expected);
    EXPECT_EQ(form.state().bestTenths, 150);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(h.record(), QByteArray("150\r\n"));
}

TEST(Form1, WrongAnswerAndRetriesReuseTheButtons)
{
    Harness h(5, "1234\r\n");
    Form1 &form = *h.form;
    EXPECT_EQ(form.state().bestTenths, 1234);
    form.show();
    h.start();
    h.retryAnswers = {BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::Yes};
    QPushButton *first = h.button(29);
    for (int game = 0; game < 3; ++game) {
        for (int i = 0; i < 5; ++i)
            h.tick();
        h.wrongButton()->click();
        EXPECT_EQ(form.state().stage, 0);
        EXPECT_EQ(form.state().elapsedTenths, 0);
        EXPECT_EQ(h.shownButtons().size(), 2u);
    }
    EXPECT_EQ(form.Command1()->count(), 30);
    EXPECT_EQ(h.button(29), first);
    EXPECT_EQ(h.boxes.size(), 6u);
    EXPECT_EQ(h.boxes[0], GameOverBox);
    EXPECT_EQ(h.boxes[1], RetryBox);

    // The last layout of stage 5 is followed by stage 0's after a retry.
    for (int stage = 0; stage < 5; ++stage)
        h.rightButton()->click();
    ASSERT_EQ(h.shownButtons().size(), 30u);
    EXPECT_EQ(h.button(29)->geometry(), QRect(154, 410, 36, 30));
    h.retryAnswers = {BoxAnswer::Yes};
    h.wrongButton()->click();
    const auto shown = h.shownButtons();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], h.button(0));
    EXPECT_EQ(h.button(0)->geometry(), QRect(10, 260, 90, 90));
    EXPECT_EQ(h.button(1)->geometry(), QRect(100, 260, 90, 90));
    EXPECT_TRUE(form.isVisible());
}

TEST(Form1, TimerStopsOnlyForRightAnswerBoxes)
{
    Harness h;
    Form1 &form = *h.form;
    form.show();
    h.start();
    std::vector<bool> timerDuringBox;
    h.duringBox = [&] { timerDuringBox.push_back(form.Timer1()->isActive()); };
    h.retryAnswers = {BoxAnswer::Yes};
    h.rightButton()->click();
    h.wrongButton()->click();
    EXPECT_EQ(timerDuringBox, (std::vector<bool>{false, true, true}));
    EXPECT_TRUE(form.Timer1()->isActive());
}

TEST(Form1, HighScoreBoxChangesNothing)
{
    Harness h(9, "5\r\n");
    Form1 &form = *h.form;
    form.show();
    form.HighScore()->trigger();
    h.start();
    h.tick();
    const GameState before = form.state();
    form.HighScore()->trigger();
    form.HighScore()->trigger();
    const ShownBox box{QStringLiteral("クリアまでの最短時間 0.5秒"), BoxStyle::OkOnly, QStringLiteral("ハイスコア")};
    EXPECT_EQ(h.boxes, (std::vector<ShownBox>{box, box, box}));
    EXPECT_TRUE(form.Timer1()->isActive());
    EXPECT_EQ(form.state().answerAge, before.answerAge);
    EXPECT_EQ(form.state().stage, before.stage);
    EXPECT_EQ(form.state().elapsedTenths, before.elapsedTenths);
    EXPECT_EQ(form.state().bestTenths, 5);
}

TEST(Form1, CloseButtonSavesTheRecordUnchanged)
{
    Harness h(1, "123\r\n456\r\n");
    h.form->show();
    h.start();
    h.form->close();
    EXPECT_FALSE(h.form->Timer1()->isActive());
    EXPECT_EQ(h.record(), QByteArray("123\r\n"));
}

TEST(Form1, ACopyClosingLaterKeepsTheOthersBetterTime)
{
    Harness a(1, "800\r\n");
    Form1::Seams seams;
    seams.recordPath = a.recordPath();
    seams.messageBox = [](const QString &, BoxStyle, const QString &) { return BoxAnswer::Ok; };
    Form1 b(seams);
    EXPECT_EQ(b.state().bestTenths, 800);
    {
        QFile file(a.recordPath()); // a third copy saved a better time meanwhile
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("700\r\n");
    }
    a.form->close();
    EXPECT_EQ(a.record(), QByteArray("700\r\n"));
    b.close();
    EXPECT_EQ(a.record(), QByteArray("700\r\n"));
}

TEST(Form1, ANewBestIsOnDiskBeforeAnyBoxOfTheClear)
{
    // A kill while the last "right" box is open must not take it.
    Harness h(3, "5000\r\n");
    h.form->show();
    h.start();
    std::vector<QByteArray> recordAtEachBox;
    h.duringBox = [&] { recordAtEachBox.push_back(h.record()); };
    h.retryAnswers = {BoxAnswer::Yes};
    for (int stage = 0; stage < 6; ++stage) {
        h.tick();
        h.rightButton()->click();
    }
    const std::vector<QByteArray> expected{"5000\r\n", "5000\r\n", "5000\r\n", "5000\r\n", "5000\r\n",
                                           "6\r\n",    "6\r\n",    "6\r\n",    "6\r\n"};
    EXPECT_EQ(recordAtEachBox, expected) << "five right boxes, then the sixth, the clear, the new best, the retry";
    EXPECT_TRUE(h.form->isVisible());
}

TEST(Form1, AClearBeatenByAnotherCopyIsNoNewBest)
{
    // Another copy stored a better time while this game ran: the clear and
    // the high-score box take it, and no box calls the slower time new.
    Harness h(3, "5000\r\n");
    h.form->show();
    h.start();
    for (int stage = 0; stage < 5; ++stage)
        h.rightButton()->click();
    {
        QFile other(h.recordPath());
        ASSERT_TRUE(other.open(QIODevice::WriteOnly));
        other.write("3\r\n");
    }
    h.tick();
    h.tick();
    h.tick();
    h.tick();
    h.rightButton()->click();
    for (const ShownBox &box : h.boxes)
        EXPECT_NE(box.prompt, QStringLiteral("ハイスコア更新!"));
    EXPECT_EQ(h.form->state().bestTenths, 3);
    EXPECT_EQ(h.record(), QByteArray("3\r\n"));
}

TEST(Form1, EndingTheSessionInsideABoxClosesAndSavesWithoutMoreBoxes)
{
    for (const bool atClear : {false, true}) {
        SCOPED_TRACE(atClear ? "in the last right-answer box" : "in the second one");
        Harness h(4, "5000\r\n");
        h.form->show();
        h.start();
        const int stages = atClear ? 6 : 2;
        h.duringBox = [&] {
            if (h.boxes.size() == static_cast<std::size_t>(stages))
                h.form->requestClose();
        };
        for (int stage = 0; stage < stages && h.form->isVisible(); ++stage) {
            for (int i = 0; i < 7; ++i)
                h.tick();
            h.rightButton()->click();
        }
        EXPECT_EQ(h.boxes.size(), static_cast<std::size_t>(stages)) << "no box after the end";
        EXPECT_FALSE(h.form->isVisible());
        // The game still clears in 4.2 s, a new best that is saved though
        // none of its boxes shows; otherwise the old record stays.
        EXPECT_EQ(h.record(), atClear ? QByteArray("42\r\n") : QByteArray("5000\r\n"));
    }
}

TEST(Form1, DiscOnScreenIsTheSurface)
{
    Harness h(11);
    Form1 &form = *h.form;
    form.show();
    h.start();
    const auto check = [&] {
        const QImage grabbed = form.clientArea()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(grabbed.size(), QSize(200, 450));
        const QImage &surface = form.surface().image();
        for (int y = PhaseDisc::Top; y < PhaseDisc::Top + PhaseDisc::Side; ++y)
            for (int x = PhaseDisc::Left; x < PhaseDisc::Left + PhaseDisc::Side; ++x)
                ASSERT_EQ(grabbed.pixel(x, y), surface.pixel(x, y)) << x << "," << y;
        EXPECT_EQ(grabbed.pixel(5, 5), QColor(0, 0, 64).rgb());
    };
    check();
    const QRgb centre = form.surface().image().pixel(100, 100);
    EXPECT_EQ(centre, form.state().answerAge >= 8 && form.state().answerAge <= 22
                          ? QColor(255, 255, 0).rgb()
                          : QColor(0, 0, 0).rgb());
    form.hide();
    form.show();
    check();
}

TEST(Form1, EachDrawingReplacesTheLastOne)
{
    Harness h(13);
    Form1 &form = *h.form;
    h.start();
    for (int stage = 0; stage < 5; ++stage) {
        const PhaseDisc::Picture &expected =
            PhaseDisc::cached(form.state().answerAge, QColor(0, 0, 64).rgb());
        const QImage &surface = form.surface().image();
        for (int y = 0; y < PhaseDisc::Side; ++y)
            for (int x = 0; x < PhaseDisc::Side; ++x)
                ASSERT_EQ(surface.pixel(PhaseDisc::Left + x, PhaseDisc::Top + y),
                          expected[y * PhaseDisc::Side + x]);
        h.rightButton()->click();
    }
}

// grab() repaints on demand, so only the paint events that reach the
// window show whether a new disc is put on the screen by itself.
TEST(Form1, EachNewDiscReachesTheScreen)
{
    Harness h;
    Form1 &form = *h.form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    h.start();
    QCoreApplication::processEvents();
    const QRegion disc(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side);
    for (int stage = 0; stage < 3; ++stage) {
        PaintSpy spy(form.clientArea());
        if (stage == 0)
            form.DrawDisc();
        else
            h.rightButton()->click();
        for (int i = 0; i < 100 && !(disc - spy.painted).isEmpty(); ++i)
            QTest::qWait(10);
        EXPECT_TRUE((disc - spy.painted).isEmpty()) << "stage " << stage;
    }
}

// A save that fails says which file and why, in one line, and the window
// still closes.
TEST(Form1, AnEventThatThrowsIsToldAndTheWindowGoesOn)
{
    Harness a(1, "800\r\n");
    Form1::Seams seams;
    seams.recordPath = a.recordPath();
    seams.messageBox = [](const QString &, BoxStyle, const QString &) -> BoxAnswer {
        throw std::runtime_error("no box today");
    };
    Form1 form(seams);
    form.show();
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(form.HighScore()->trigger());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "tamblo: a window event failed: no box today\n");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.state().bestTenths, 800);
}

TEST(Form1, AFailedSaveIsToldOnStandardError)
{
    Harness h;
    ASSERT_TRUE(QDir().mkpath(h.recordPath()));
    h.form->show();
    testing::internal::CaptureStderr();
    h.form->close();
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(told, "tamblo: the best time could not be saved to "
                        + QDir::toNativeSeparators(h.recordPath()).toStdString()
                        + ": a folder stands at its place\n");
    EXPECT_FALSE(h.form->isVisible());
}
