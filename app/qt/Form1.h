// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/FlowHost.h"
#include "app/FormDesign.h"
#include "app/GameFlow.h"
#include "app/GameState.h"
#include "record/BestTimeRecord.h"
#include "record/qt/BestTimeFile.h"
#include "render/qt/DrawingSurface.h"

#include <QMainWindow>

#include <functional>
#include <cstdint>
#include <optional>
#include <string>

class ClickLabel;
class ControlArray;
class DiscWidget;
class QAction;
class QPushButton;
class QTimer;
class SurfaceWidget;

// The game's one window: a client area of the design's fixed size under a menu bar
// with the high-score command, the title and prompt labels, the answer
// buttons and the tenth-second timer. It shows state and forwards input;
// the rules live in GameFlow.
//
// The game area shows at the screen's scale where the whole window fits
// the screen's available area; otherwise it takes the largest scale that
// fits (GameScale), down to one device pixel per game pixel, and every
// place and size in it is its game pixels times zoom().
class Form1 : public QMainWindow, private FlowHost
{
    Q_OBJECT

public:
    // What a test can put in place of a person and of chance. Empty members
    // mean the real thing: modal message boxes, a clock-seeded generator
    // and the best-time file of this program.
    struct Seams
    {
        std::function<BoxAnswer(const QString &prompt, BoxStyle style, const QString &title)> messageBox;
        std::function<double()> random;
        std::optional<QString> recordPath;
    };

    static constexpr int ClientWidth = FormDesign::ClientWidth;
    static constexpr int ClientHeight = FormDesign::ClientHeight;
    static const QColor Background;

    // The game's moon, for the window and its boxes.
    static QIcon icon();

    // Creates the window and runs its load; show() puts it on screen.
    explicit Form1(Seams seams = {}, QWidget *parent = nullptr);
    ~Form1() override;

    // The window's operations: the disc for the answer age and the answer
    // buttons for the stage.
    void DrawDisc() { m_flow.DrawDisc(); }
    void LayoutBoard() { m_flow.LayoutBoard(); }

    ClickLabel *Label1() const { return m_label1; }
    ClickLabel *Label2() const { return m_label2; }
    ControlArray *Command1() const { return m_command1; }
    QTimer *Timer1() const { return m_timer1; }
    QAction *HighScore() const { return m_highScore; }
    SurfaceWidget *clientArea() const { return m_canvas; }
    DiscWidget *disc() const { return m_disc; }
    const DrawingSurface &surface() const { return m_surface; }
    const GameState &state() const { return m_state; }
    // The window's pixels per game pixel: 1 where the game area shows at
    // the screen's scale, less where it had to be made smaller to fit.
    double zoom() const { return m_zoom; }

public slots:
    // One tenth of a second of play; Timer1 calls it while it runs.
    void Timer1Tick();
    // The player asks to close from outside the window (a termination
    // signal): as its close button does.
    void requestClose() { m_flow.requestClose(); }
    // The session manager's commit: the best time is written at once.
    void endSession() { m_flow.endSession(); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    double fittingZoom() const;
    // Lays the game area out anew at `zoom`: sizes, places and fonts.
    void applyZoom(double zoom);
    // A move to another screen: the game area takes the scale that fits it.
    void refit();
    // Game edge v, or a rectangle in game pixels, in the window's pixels.
    int onWindow(int v) const;
    QRect onWindow(const FormDesign::Rect &rect) const;
    // The prompt label at its design size, its top at m_promptTop.
    void placePrompt();
    void centreOnScreen();

    // FlowHost
    BoxAnswer ShowBox(const std::string &prompt, BoxStyle style, const std::string &title) override;
    void Cls() override;
    void CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels) override;
    void Refresh() override;
    BoardRect DeviceBoard(const BoardRect &board) const override;
    Size SizeButton(int index, int width, int height) override;
    void PlaceButton(int index, int left, int top) override;
    void SetCaption(int index, const std::string &caption) override;
    std::string Caption(int index) const override;
    void HideButton(int index) override;
    void SetTimerEnabled(bool enabled) override;
    void CreateAnswerButtons() override;
    void ShowQuestion(const std::string &question, int promptBottom) override;
    void HideWindow() override;
    void DismissBox() override;
    void Unload() override;
    void ReportSaveFailure(const std::string &line) override;
    void DescribeDisc(const std::string &text) override;

    Seams m_seams;
    GameState m_state;
    BestTimeFile m_file;
    DrawingSurface m_surface;
    SurfaceWidget *m_canvas = nullptr;
    DiscWidget *m_disc = nullptr;
    ClickLabel *m_label1 = nullptr;
    ClickLabel *m_label2 = nullptr;
    ControlArray *m_command1 = nullptr;
    QTimer *m_timer1 = nullptr;
    QAction *m_highScore = nullptr;
    GameFlow m_flow;
    double m_zoom = 1.0;
    int m_promptTop = FormDesign::PromptLabel.top; // the prompt label's top, in game pixels
    bool m_followsScreen = false;
    bool m_unloaded = false;
};
