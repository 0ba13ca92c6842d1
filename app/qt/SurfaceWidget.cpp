// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "SurfaceWidget.h"
#include "render/qt/DrawingSurface.h"

#include <QPaintEvent>
#include <QPainter>

SurfaceWidget::SurfaceWidget(const DrawingSurface &surface, QSize size, QWidget *parent)
    : QWidget(parent)
    , m_surface(surface)
{
    setFixedSize(size);
    // Every pixel comes from the surface; Qt need not clear first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceWidget::paintEvent(QPaintEvent *event)
{
    // No smoothing: on a high-density screen each pixel of the surface
    // becomes a sharp block instead of a blur.
    QPainter painter(this);
    const QImage &image = m_surface.image();
    if (size() == image.size()) {
        painter.drawImage(event->rect(), image, event->rect());
        return;
    }
    // Made smaller to fit the screen: the whole surface onto the whole
    // widget, still without smoothing, so that whole blocks stay whole.
    painter.drawImage(rect(), image);
}
