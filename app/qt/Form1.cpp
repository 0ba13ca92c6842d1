// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "Form1.h"
#include "AnswerButton.h"
#include "ClickLabel.h"
#include "ControlArray.h"
#include "PromptBox.h"
#include "app/RandomSource.h"
#include "SurfaceWidget.h"
#include "board/StageLayout.h"
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
#include <QTimer>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

const QColor Form1::Background(0, 0, 64);

namespace {
const QColor LabelText(255, 255, 0);

// The window asks first for the faces it was designed in: ＭＳ Ｐゴシック for
// the prompt and the buttons, HG創英角ﾎﾟｯﾌﾟ体 for the title. Where those
// are not installed, the Japanese Gothic and display faces that Linux
// desktops carry (Noto Sans CJK JP, its Black weight, IPA's P Gothic) take
// their place at the same pixel sizes.
QFont japaneseFont(const QStringList &families, int pixelSize, QFont::Weight weight)
{
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QFont gothicFont(int pixelSize)
{
    return japaneseFont({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"),
                         QStringLiteral("IPAPGothic")},
                        pixelSize, QFont::Bold);
}

QFont titleFont()
{
    return japaneseFont({QStringLiteral("HG創英角ﾎﾟｯﾌﾟ体"), QStringLiteral("Noto Sans CJK JP Black"),
                         QStringLiteral("Noto Sans CJK JP")},
                        48, QFont::Normal);
}

void makeYellow(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, LabelText);
    label->setPalette(palette);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
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
    , m_record(m_file.record())
    , m_surface(ClientWidth, ClientHeight, Background)
    , m_flow(m_state, *this, m_record, [this] { return m_seams.random(); })
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
    setWindowTitle(QStringLiteral("Tamblo"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);

    m_highScore = menuBar()->addAction(QString::fromUtf8(GameFlow::HighScoreTitle));
    connect(m_highScore, &QAction::triggered, this, [this] { m_flow.showHighScore(); });

    m_canvas = new SurfaceWidget(m_surface, this);
    setCentralWidget(m_canvas);

    // Children are stacked in the order they are made: the prompt label,
    // the title label over it, and the answer buttons over both.
    m_label2 = new ClickLabel(QString::fromUtf8(GameFlow::PromptCaption), m_canvas);
    m_label2->setGeometry(0, 424, 201, 33);
    m_label2->setFont(gothicFont(19));
    makeYellow(m_label2);
    connect(m_label2, &ClickLabel::clicked, this, [this] { m_flow.clickTitleScreen(); });

    m_label1 = new ClickLabel(QString::fromStdString(GameFlow::titleCaption()), m_canvas);
    m_label1->setGeometry(0, 0, 201, 449);
    m_label1->setFont(titleFont());
    m_label1->setWordWrap(true);
    makeYellow(m_label1);
    connect(m_label1, &ClickLabel::clicked, this, [this] { m_flow.clickTitleScreen(); });

    auto *element0 = new AnswerButton(QStringLiteral("Command1"), m_canvas);
    element0->setGeometry(176, 424, 33, 33);
    element0->setFont(gothicFont(21));
    element0->hide();
    m_command1 = new ControlArray(element0, this);
    connect(m_command1, &ControlArray::clicked, this, [this](int index) { m_flow.answerClicked(index); });

    m_timer1 = new QTimer(this);
    m_timer1->setInterval(100);
    connect(m_timer1, &QTimer::timeout, this, &Form1::Timer1Tick);

    // The window takes exactly the size of its menu bar and client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Form1::centreOnScreen()
{
    // Without a window manager a new window would sit at (0, 0).
    adjustSize();
    if (const QScreen *screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
}

void Form1::Cls()
{
    m_surface.Cls();
}

void Form1::Refresh()
{
    m_canvas->update();
}

void Form1::CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels)
{
    m_surface.copyBlock(left, top, width, height, pixels);
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
    m_flow.tick();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // The flow hides the window at once and closes it for good once the
    // best time is saved, which may be after the event under way.
    m_flow.requestClose();
    if (m_unloaded)
        event->accept();
    else
        event->ignore();
}

void Form1::keyPressEvent(QKeyEvent *event)
{
    // Return and Space on the title screen start the game as a click does,
    // so it can be played without a mouse; the flow ignores them later.
    // Once the answer buttons show, the one in focus takes them first.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            m_flow.clickTitleScreen();
        event->accept();
        return;
    default:
        QMainWindow::keyPressEvent(event);
    }
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
    m_label2->move(m_label2->x(), promptBottom - m_label2->height());
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
