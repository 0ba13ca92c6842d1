// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "Form1.h"
#include "AnswerButton.h"
#include "ClickLabel.h"
#include "ControlArray.h"
#include "DiscWidget.h"
#include "PromptBox.h"
#include "app/RandomSource.h"
#include "SurfaceWidget.h"
#include "board/StageLayout.h"
#include "render/GameScale.h"
#include "render/PhaseDisc.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QIcon>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <utility>

const QColor Form1::Background = QColor::fromRgba(FormDesign::Background);

namespace {
// The window asks first for the faces it was designed in. Where those are
// not installed, the Japanese Gothic and display faces that Linux desktops
// carry (Noto Sans CJK JP, its Black weight, IPA's P Gothic) take their
// place at the same pixel sizes, scaled with the game area.
QFont japaneseFont(const FormDesign::Font &design, const QStringList &substitutes, int pixelSize)
{
    QFont font;
    font.setFamilies(QStringList{QString::fromUtf8(design.face)} + substitutes);
    font.setPixelSize(pixelSize);
    font.setWeight(static_cast<QFont::Weight>(design.weight));
    return font;
}

QFont gothicFont(const FormDesign::Font &design, int pixelSize)
{
    return japaneseFont(design, {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic")}, pixelSize);
}

QFont titleFont(int pixelSize)
{
    return japaneseFont(FormDesign::TitleFont,
                        {QStringLiteral("Noto Sans CJK JP Black"), QStringLiteral("Noto Sans CJK JP")}, pixelSize);
}

void makeYellow(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgba(FormDesign::LabelText));
    label->setPalette(palette);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
}

// No exception may pass through Qt's event loop, which cannot carry it.
// Each event leaves the window as it was when it fails; this is the last
// resort, as for every window message on Windows.
template <typename Event>
void guarded(Event event)
{
    try {
        event();
    } catch (const std::exception &error) {
        std::fprintf(stderr, "tamblo: a window event failed: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "tamblo: a window event failed\n");
    }
}

GameFlow::Key gameKey(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return GameFlow::Key::Return;
    case Qt::Key_Space:
        return GameFlow::Key::Space;
    default:
        return GameFlow::Key::Other;
    }
}

Form1::Seams withDefaults(Form1::Seams seams, QWidget *window)
{
    if (!seams.messageBox) {
        seams.messageBox = [window](const QString &prompt, BoxStyle style, const QString &title) {
            return PromptBox::exec(window, prompt, style, title);
        };
    }
    if (!seams.random)
        seams.random = RandomSource();
    return seams;
}
} // namespace

Form1::Form1(Seams seams, QWidget *parent)
    : QMainWindow(parent)
    , m_seams(withDefaults(std::move(seams), this))
    , m_file(m_seams.recordPath ? BestTimeFile(*m_seams.recordPath) : BestTimeFile::forThisProgram())
    , m_surface(ClientWidth, ClientHeight, Background)
    , m_flow(m_state, *this, m_file.record(), [this] { return m_seams.random(); })
{
    buildControls();
    m_flow.load();
    centreOnScreen();
}

Form1::~Form1() = default;

QIcon Form1::icon()
{
    return QIcon(QStringLiteral(":/icons/tamblo.svg"));
}

void Form1::buildControls()
{
    setWindowTitle(QString::fromUtf8(GameFlow::Title));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);

    m_highScore = menuBar()->addAction(QString::fromUtf8(GameFlow::HighScoreTitle));
    connect(m_highScore, &QAction::triggered, this, [this] { guarded([this] { m_flow.showHighScore(); }); });
    m_zoom = fittingZoom();

    m_canvas = new SurfaceWidget(m_surface, QSize(onWindow(ClientWidth), onWindow(ClientHeight)), this);
    setCentralWidget(m_canvas);
    // First, so that a screen reader meets the disc before the question.
    m_disc = new DiscWidget(m_canvas);

    // Children are stacked in the order they are made: the prompt label,
    // the title label over it, and the answer buttons over both.
    m_label2 = new ClickLabel(QString::fromUtf8(GameFlow::PromptCaption), m_canvas);
    makeYellow(m_label2);
    connect(m_label2, &ClickLabel::clicked, this, [this] { guarded([this] { m_flow.clickTitleScreen(); }); });

    m_label1 = new ClickLabel(QString::fromStdString(GameFlow::titleCaption()), m_canvas);
    m_label1->setWordWrap(true);
    makeYellow(m_label1);
    connect(m_label1, &ClickLabel::clicked, this, [this] { guarded([this] { m_flow.clickTitleScreen(); }); });

    auto *element0 = new AnswerButton(QString::fromUtf8(FormDesign::FirstButtonCaption), m_canvas);
    element0->hide();
    m_command1 = new ControlArray(element0, this);
    connect(m_command1, &ControlArray::clicked, this,
            [this](int index) { guarded([this, index] { m_flow.answerClicked(index); }); });
    applyZoom(m_zoom);

    m_timer1 = new QTimer(this);
    m_timer1->setInterval(FormDesign::TickMilliseconds);
    connect(m_timer1, &QTimer::timeout, this, &Form1::Timer1Tick);

    // The window takes exactly the size of its menu bar and client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

double Form1::fittingZoom() const
{
    // The screen's scale and available area, and the menu bar and frame
    // around the game area, all in device pixels for the choice. Before
    // the window is first shown a window manager's frame is not known yet:
    // only the menu bar counts then.
    const QScreen *screen = this->screen();
    if (!screen)
        return 1.0;
    const qreal ratio = screen->devicePixelRatio();
    const int screenDpi = qRound(ratio * GameScale::Standard);
    const QSize available = screen->availableGeometry().size() * ratio;
    const QSize frame = (frameGeometry().size() - geometry().size()
                         + QSize(0, menuBar()->sizeHint().height())) * ratio;
    const int dpi = GameScale::fitting(screenDpi, {ClientWidth, ClientHeight}, {frame.width(), frame.height()},
                                       {available.width(), available.height()});
    return dpi == screenDpi ? 1.0 : dpi / (ratio * GameScale::Standard);
}

void Form1::applyZoom(double zoom)
{
    m_zoom = zoom;
    m_canvas->setFixedSize(onWindow(ClientWidth), onWindow(ClientHeight));
    placePrompt();
    m_label2->setFont(gothicFont(FormDesign::PromptFont, std::max(1, onWindow(FormDesign::PromptFont.pixels))));
    m_label1->setGeometry(onWindow(FormDesign::TitleLabel));
    m_label1->setFont(titleFont(std::max(1, onWindow(FormDesign::TitleFont.pixels))));
    for (int index = 0; index < m_command1->count(); ++index) {
        m_command1->item(index)->setFont(
            gothicFont(FormDesign::ButtonFont, std::max(1, onWindow(FormDesign::ButtonFont.pixels))));
        m_command1->item(index)->setGamePixel(m_zoom);
    }
    // Element 0 at its design place until the first stage; from then on
    // the stage's buttons in their grid, their captions untouched.
    m_command1->item(0)->setGeometry(onWindow(FormDesign::FirstButton));
    m_flow.PlaceBoard();
}

void Form1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_followsScreen || !windowHandle())
        return;
    m_followsScreen = true;
    connect(windowHandle(), &QWindow::screenChanged, this, &Form1::refit);
}

void Form1::refit()
{
    // A game area made smaller for a dense, small screen would show below
    // one device pixel per game pixel on a sparser one, losing pixels of
    // the disc: every move to another screen chooses the scale anew, and
    // keeps the window on the screen's available area.
    const double zoom = fittingZoom();
    if (zoom == m_zoom)
        return;
    applyZoom(zoom);
    adjustSize();
    if (const QScreen *screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        const QRect frame = frameGeometry();
        move(GameScale::inside(frame.left(), frame.width(), available.left(), available.width()),
             GameScale::inside(frame.top(), frame.height(), available.top(), available.height()));
    }
}

int Form1::onWindow(int v) const
{
    return static_cast<int>(std::lround(v * m_zoom));
}

QRect Form1::onWindow(const FormDesign::Rect &rect) const
{
    // Edges are scaled, not sizes: what touches in game pixels touches on
    // the window too.
    return QRect(QPoint(onWindow(rect.left), onWindow(rect.top)),
                 QPoint(onWindow(rect.left + rect.width) - 1, onWindow(rect.top + rect.height) - 1));
}

void Form1::placePrompt()
{
    m_label2->setGeometry(onWindow({FormDesign::PromptLabel.left, m_promptTop, FormDesign::PromptLabel.width,
                                    FormDesign::PromptLabel.height}));
}

void Form1::centreOnScreen()
{
    // Without a window manager a new window would sit at (0, 0). Where the
    // window is larger than the screen, its top left stays on it.
    adjustSize();
    if (const QScreen *screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        const QSize size = frameGeometry().size();
        move(GameScale::centred(size.width(), available.left(), available.width()),
             GameScale::centred(size.height(), available.top(), available.height()));
    }
}

void Form1::Cls()
{
    m_surface.Cls();
}

void Form1::DescribeDisc(const std::string &text)
{
    m_disc->describe(text);
}

void Form1::Refresh()
{
    m_canvas->update();
}

void Form1::CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels)
{
    m_surface.copyBlock(left, top, width, height, pixels);
}

BoardRect Form1::DeviceBoard(const BoardRect &board) const
{
    return {onWindow(board.left), onWindow(board.top), onWindow(board.right), onWindow(board.bottom)};
}

FlowHost::Size Form1::SizeButton(int index, int width, int height)
{
    AnswerButton *button = m_command1->item(index);
    button->setVisible(true);
    button->resize(width, height);
    return {button->width(), button->height()};
}

void Form1::PlaceButton(int index, int left, int top)
{
    m_command1->item(index)->move(left, top);
}

void Form1::SetCaption(int index, const std::string &caption)
{
    m_command1->item(index)->setText(QString::fromStdString(caption));
}

std::string Form1::Caption(int index) const
{
    return m_command1->item(index)->text().toStdString();
}

void Form1::HideButton(int index)
{
    m_command1->item(index)->setVisible(false);
}

void Form1::Timer1Tick()
{
    guarded([this] { m_flow.tick(); });
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The flow hides the window at once and closes it for good once the
    // best time is saved, which may be after the event under way.
    guarded([this] { m_flow.requestClose(); });
    if (m_unloaded)
        event->accept();
    else
        event->ignore();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // The game's own keys go to the flow, which decides what they do; once
    // the answer buttons show, the one in focus takes them first.
    const GameFlow::Key key = gameKey(event->key());
    if (key == GameFlow::Key::Other) {
        QMainWindow::keyPressEvent(event);
        return;
    }
    guarded([this, key, event] { m_flow.pressKey(key, event->isAutoRepeat()); });
    event->accept();
}

void Form1::ReportSaveFailure(const std::string &line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
}

BoxAnswer Form1::ShowBox(const std::string &prompt, BoxStyle style, const std::string &title)
{
    return m_seams.messageBox(QString::fromStdString(prompt), style, QString::fromStdString(title));
}

void Form1::SetTimerEnabled(bool enabled)
{
    if (enabled)
        m_timer1->start();
    else
        m_timer1->stop();
}

void Form1::CreateAnswerButtons()
{
    for (int index = 1; index < StageLayout::ButtonCount; ++index)
        m_command1->load(index)->setVisible(true);
}

void Form1::ShowQuestion(const std::string &question, int promptBottom)
{
    m_label1->hide();
    m_promptTop = promptBottom - FormDesign::PromptLabel.height;
    placePrompt();
    m_label2->setText(QString::fromStdString(question));
}

void Form1::HideWindow()
{
    hide();
}

void Form1::DismissBox()
{
    if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
        box->reject();
}

void Form1::Unload()
{
    // Inside closeEvent() this close does nothing more, and that event is
    // accepted; after a box it closes the hidden window for good. A window
    // closed while hidden is not counted as the last one closed: the run
    // is ended here.
    m_unloaded = true;
    close();
    QCoreApplication::quit();
}
