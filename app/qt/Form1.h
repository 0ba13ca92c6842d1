// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include "app/FlowHost.h"
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
class QAction;
class QPushButton;
class QTimer;
class SurfaceWidget;

// The game's one window: a fixed 200 x 450 client area under a menu bar
// with the high-score command, the title and prompt labels, the answer
// buttons and the tenth-second timer. It shows state and forwards input;
// the rules live in GameFlow.
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

    static constexpr int ClientWidth = 200;
    static constexpr int ClientHeight = 450;
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
    const DrawingSurface &surface() const { return m_surface; }
    const GameState &state() const { return m_state; }

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

private:
    void buildControls();
    void centreOnScreen();

    // FlowHost
    BoxAnswer ShowBox(const std::string &prompt, BoxStyle style, const std::string &title) override;
    void Cls() override;
    void CopyBlock(int left, int top, int width, int height, const std::uint32_t *pixels) override;
    void Refresh() override;
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

    Seams m_seams;
    GameState m_state;
    BestTimeFile m_file;
    BestTimeRecord m_record;
    DrawingSurface m_surface;
    SurfaceWidget *m_canvas = nullptr;
    ClickLabel *m_label1 = nullptr;
    ClickLabel *m_label2 = nullptr;
    ControlArray *m_command1 = nullptr;
    QTimer *m_timer1 = nullptr;
    QAction *m_highScore = nullptr;
    GameFlow m_flow;
    bool m_unloaded = false;
};
