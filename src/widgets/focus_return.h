#pragma once

#include <QPointer>
#include <QWidget>

// Where the keyboard focus was in a window, to give it back once a menu, a
// panel or a box that took it has closed. The menu bar does not count: it
// holds the focus only while its menus are used.
class FocusReturn {
public:
    void Remember(QWidget* window);
    // Back to the remembered control when the focus is nowhere, or on the
    // menu bar, and the control can still take it.
    void GiveBack();

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_widget;
};
