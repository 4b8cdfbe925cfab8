#include "widgets/focus_return.h"

#include <QApplication>
#include <QMenuBar>

void FocusReturn::Remember(QWidget* window)
{
    m_window = window;
    QWidget* widget = window->focusWidget();
    m_widget = qobject_cast<QMenuBar*>(widget) ? nullptr : widget;
}

void FocusReturn::GiveBack()
{
    if (!m_widget || !m_window || !m_widget->isVisible() || !m_widget->isEnabled())
        return;
    const QWidget* now = QApplication::focusWidget();
    if (now != nullptr && !qobject_cast<const QMenuBar*>(now))
        return;
    m_window->activateWindow();
    m_widget->setFocus(Qt::OtherFocusReason);
}
