// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QWidget>

class DrawingSurface;

// The client area: paints the window's drawing surface, under the labels
// and buttons that are its children.
class SurfaceWidget : public QWidget
{
    Q_OBJECT

public:
    SurfaceWidget(const DrawingSurface &surface, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const DrawingSurface &m_surface;
};
