// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QWidget>

class DrawingSurface;

// The client area: paints the window's drawing surface, under the labels
// and buttons that are its children, at `size` in the window's pixels: the
// surface's own size, or smaller where the game area was made smaller to
// fit the screen.
class SurfaceWidget : public QWidget
{
    Q_OBJECT

public:
    SurfaceWidget(const DrawingSurface &surface, QSize size, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const DrawingSurface &m_surface;
};
