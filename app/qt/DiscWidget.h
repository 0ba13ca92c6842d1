// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QWidget>

#include <string>

// The disc as a screen reader meets it: an image named "月" whose
// description tells the drawn disc in words. It lies over the disc on the
// client area, takes no input and paints nothing, so the window looks the
// same with it; it shows from the first disc on.
class DiscWidget : public QWidget
{
    Q_OBJECT

public:
    explicit DiscWidget(QWidget *parent = nullptr);

    // The new disc's words; a change is told to assistive technology.
    void describe(const std::string &text);

private:
    std::string m_text;
};
