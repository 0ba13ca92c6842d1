// SPDX-FileCopyrightText: 2026 Tamblo developers
// SPDX-License-Identifier: MIT

#include "DiscWidget.h"
#include "render/PhaseDisc.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QString>

#include <string>

namespace {
// A plain widget counts as a client area to assistive technology; this
// one is a picture.
QAccessibleInterface *discInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String(DiscWidget::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
}
} // namespace

DiscWidget::DiscWidget(QWidget *parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(discInterface);
        return true;
    }();
    (void)installed;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(PhaseDisc::Left, PhaseDisc::Top, PhaseDisc::Side, PhaseDisc::Side);
    setAccessibleName(QStringLiteral("月"));
    hide();
}

void DiscWidget::describe(const std::string &text)
{
    // The same disc drawn again keeps its words, and costs no conversion:
    // it is told nothing new. QWidget tells a changed description to
    // assistive technology itself.
    if (text == m_text && !isHidden())
        return;
    m_text = text;
    setAccessibleDescription(QString::fromStdString(text));
    show();
}
