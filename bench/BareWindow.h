// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QMainWindow>

// What any toolkit program of the game's size costs: a window with a menu
// bar and one label, as large as the game's client area.
class BareWindow : public QMainWindow
{
public:
    BareWindow();
};
