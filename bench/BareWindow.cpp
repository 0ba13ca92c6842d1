// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "BareWindow.h"

#include <QLabel>
#include <QMenuBar>

BareWindow::BareWindow()
{
    menuBar()->addAction(QStringLiteral("ハイスコア"));
    auto *label = new QLabel(QStringLiteral("Tamblo"));
    label->setFixedSize(200, 450);
    setCentralWidget(label);
}
