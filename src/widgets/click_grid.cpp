#include "widgets/click_grid.h"

#include <QMouseEvent>
#include <QScrollBar>

ClickGrid::ClickGrid(int columns, int rows, QWidget* parent) : StringGrid(columns, rows, parent)
{
    // The wheel reaches the scroll bars both from the cells and directly
    // when the pointer is on a bar; they are where it can be stopped.
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
}

void ClickGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    StringGrid::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid())
        emit clickCell(index.column(), index.row());
}

bool ClickGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Wheel && !m_wheelScrolls &&
        (watched == verticalScrollBar() || watched == horizontalScrollBar())) {
        event->accept();
        return true;
    }
    return StringGrid::eventFilter(watched, event);
}
