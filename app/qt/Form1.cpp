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
    , m_record(m_seams.recordPath ? BestTimeFile(*m_seams.recordPath) : BestTimeFile::forThisProgram())
    , m_surface(ClientWidth, ClientHeight, Background)
    , m_flow(m_state, *this, [this] { return m_seams.random(); })
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
    m_label2 = new ClickLabel(QStringLiteral("クリックしてください"), m_canvas);
    m_label2->setGeometry(0, 424, 201, 33);
    m_label2->setFont(gothicFont(19));
    makeYellow(m_label2);
    connect(m_label2, &ClickLabel::clicked, this, [this] { m_flow.clickTitleScreen(); });

    m_label1 = new ClickLabel(QString(QChar(0x3000)) + QString(24, u' ') + QStringLiteral("Tamblo"),
                              m_canvas);
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
    connect(m_command1, &ControlArray::clicked, this, &Form1::answerClicked);

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

void Form1::DrawDisc()
{
    // The picture is composed off-screen and shown with one refresh.
    Cls();
    const PhaseDisc::Picture &picture = PhaseDisc::cached(m_state.answerAge, m_surface.background());
    m_surface.copyBlock(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side,
                        picture.data());
    Refresh();
}

void Form1::LayoutBoard()
{
    const std::optional<StageLayout> layout = StageLayout::forStage(m_state.stage);
    if (!layout || m_command1->count() < StageLayout::ButtonCount)
        return;
    const BoardRect &board = m_state.board;
    for (int i = 0; i < layout->count(); ++i) {
        AnswerButton *button = m_command1->item(i);
        button->setVisible(true);
        button->resize(qRound(layout->buttonWidth(board)), qRound(layout->buttonHeight(board)));
        // Placed from the size the button reports, so the grid stays edge
        // to edge whatever the window system made of the size.
        const float width = static_cast<float>(button->width());
        const float height = static_cast<float>(button->height());
        button->move(qRound(layout->buttonLeft(board, i, width)),
                     qRound(layout->buttonTop(board, i, height)));
        button->setText(QString::number(layout->caption(i, m_state.answerAge, m_seams.random)));
    }
    for (int j = layout->count(); j < StageLayout::ButtonCount; ++j)
        m_command1->item(j)->setVisible(false);
}

void Form1::LoadBestTime()
{
    m_state.bestTenths = m_record.load();
}

void Form1::Timer1Tick()
{
    m_flow.tick();
}

void Form1::closeEvent(QCloseEvent *event)
{
    // Whatever closes the window saves the best time, changed or not. A
    // save that fails leaves the old file as it was; the program ends all
    // the same.
    m_timer1->stop();
    SaveBestTime();
    event->accept();
}

std::optional<std::int32_t> Form1::ReadBestTime()
{
    return m_record.read();
}

void Form1::SaveBestTime()
{
    QString reason;
    if (const std::optional<std::int32_t> kept = m_record.save(m_state.bestTenths, &reason))
        m_state.bestTenths = *kept;
    else
        std::fprintf(stderr, "tamblo: the best time could not be saved to %s: %s\n",
                     qPrintable(QDir::toNativeSeparators(m_record.path())), qPrintable(reason));
}

void Form1::endSession()
{
    m_ending = true;
    if (auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
        box->reject();
    close();
}

void Form1::answerClicked(int index)
{
    bool isNumber = false;
    const int value = m_command1->item(index)->text().toInt(&isNumber);
    m_flow.answer(isNumber ? value : -1);
}

BoxAnswer Form1::ShowBox(const std::string &prompt, BoxStyle style, const std::string &title)
{
    // On the way out every question is answered No without being asked.
    if (m_ending)
        return style == BoxStyle::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
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

void Form1::Unload()
{
    // Once the session ends the window is already closed and saved.
    if (!m_ending)
        close();
}
