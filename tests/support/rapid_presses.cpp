#include "rapid_presses.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QTest>
#include <QWidget>
#include <QWindow>

void QuickClicks(QWidget* target, QPoint pos, int clicks)
{
    QWindow* window = target->window()->windowHandle();
    if (!window)
        qFatal("QuickClicks: the target has no window");
    const QPoint local = window->mapFromGlobal(target->mapToGlobal(pos));
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    // Far from the last event Qt Test sent, so no earlier click pairs up.
    QTest::lastMouseTimestamp += interval + 1;
    if (clicks == 1) {
        QTest::mouseClick(window, Qt::LeftButton, {}, local);
        return;
    }
    if (clicks == 2) {
        QTest::mouseDClick(window, Qt::LeftButton, {}, local);
        return;
    }
    constexpr int StepMs = 50;
    if (interval <= StepMs)
        qFatal("QuickClicks: the double-click interval is too short");
    const QPointF global = window->mapToGlobal(QPointF(local));
    for (int i = 0; i < clicks; ++i) {
        QTest::lastMouseTimestamp += StepMs;
        qt_handleMouseEvent(window, local, global, Qt::LeftButton, Qt::LeftButton,
                            QEvent::MouseButtonPress, {}, QTest::lastMouseTimestamp);
        qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::LeftButton,
                            QEvent::MouseButtonRelease, {}, QTest::lastMouseTimestamp + 1);
        qApp->processEvents();
    }
    QTest::lastMouseTimestamp += interval + 1;
}
