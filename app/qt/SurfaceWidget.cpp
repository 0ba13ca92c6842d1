// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "SurfaceWidget.h"
#include "render/qt/DrawingSurface.h"

#include <QPaintEvent>
#include <QPainter>

SurfaceWidget::SurfaceWidget(const DrawingSurface &surface, QWidget *parent)
    : QWidget(parent)
    , m_surface(surface)
{
    setFixedSize(surface.image().size());
    // Every pixel comes from the surface; Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceWidget::paintEvent(QPaintEvent *event)
{
    // No smoothing: on a high-density screen each pixel of the surface
    // becomes a sharp block instead of a blur.
    QPainter painter(this);
    painter.drawImage(event->rect(), m_surface.image(), event->rect());
}
