#pragma once

#include <QPoint>

class QMenu;
class QWidget;

// A fill button's pop-up menu, kept with the button.
void SetPopupMenu(QWidget* button, QMenu* menu);
QMenu* PopupMenuOf(const QWidget* button);

// Where a menu opens to drop down directly below a button: the button's
// bottom-left corner, in screen coordinates.
QPoint PopupPositionBelow(const QWidget* button);
