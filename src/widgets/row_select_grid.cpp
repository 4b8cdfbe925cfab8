#include "widgets/row_select_grid.h"

#include "widgets/wrapping_cell_delegate.h"

#include <QKeyEvent>
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
    if (!currentIndex().isValid()) {
        // No current cell yet: the first row that may be selected.
        for (int row = fixedRowCount(); row < rowCount(); ++row)
            if (canSelectCell(0, row))
                return model()->index(row, 0);
        return {};
    }
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
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const QModelIndex current = currentIndex();
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (current.isValid() && current.row() == m_selectedRow)
            emit dblClickCell(current.column(), current.row());
        event->accept();
        return;
    }
    StringGrid::keyPressEvent(event);
    // A cursor key moves the selection with the current cell, within the
    // rows that may be selected (see moveCursor).
    const QModelIndex now = currentIndex();
    if (now.isValid() && now != current && canSelectCell(now.column(), now.row()))
        setSelectedRow(now.row());
}
