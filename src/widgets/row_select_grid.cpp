#include "widgets/row_select_grid.h"

#include "widgets/wrapping_cell_delegate.h"

#include <QMouseEvent>

RowSelectGrid::RowSelectGrid(int columns, int rows, QWidget* parent)
    : StringGrid(columns, rows, parent)
{
    setWordWrap(true);
    QAbstractItemDelegate* plain = itemDelegate();
    setItemDelegate(new WrappingCellDelegate(this));
    delete plain;
}

bool RowSelectGrid::canSelectCell(int col, int row) const
{
    if (row < fixedRowCount() || row >= rowCount() || col < 0 || col >= columnCount())
        return false;
    return !m_canSelect || m_canSelect(col, row);
}

void RowSelectGrid::setSelectedRow(int row)
{
    if (row == m_selectedRow)
        return;
    m_selectedRow = row;
    viewport()->update();
}

QModelIndex RowSelectGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex to = StringGrid::moveCursor(action, modifiers);
    if (to.isValid() && !canSelectCell(to.column(), to.row()))
        return currentIndex();
    return to;
}

void RowSelectGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || !canSelectCell(index.column(), index.row())) {
        event->accept();
        return;
    }
    setSelectedRow(index.row());
    StringGrid::mousePressEvent(event);
}

void RowSelectGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    event->accept();
    if (index.isValid() && event->button() == Qt::LeftButton)
        emit dblClickCell(index.column(), index.row());
}

void RowSelectGrid::keyPressEvent(QKeyEvent* event)
{
    StringGrid::keyPressEvent(event);
    // A cursor key moves the selection with the current cell, within the
    // rows that may be selected (see moveCursor).
    const QModelIndex current = currentIndex();
    if (m_selectedRow >= 0 && current.isValid() && canSelectCell(current.column(), current.row()))
        setSelectedRow(current.row());
}
