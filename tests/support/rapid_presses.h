#pragma once

#include <QPoint>

class QWidget;

// Clicks the left button `clicks` times at `pos` of `target` through the
// window system, as a user's quick clicks arrive: one click; a double
// click (QTest::mouseDClick, the second press comes as a double click);
// three or more presses 50 ms apart, well inside the double-click interval.
void QuickClicks(QWidget* target, QPoint pos, int clicks);
