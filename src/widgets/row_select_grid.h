#pragma once

#include "widgets/string_grid.h"

// A StringGrid whose rows are selected whole, one at a time, and only where
// the page allows it: a click or a cursor key onto a row the page refuses
// changes nothing. Nothing is selected until the user selects a row; from
// the keyboard, the first cursor key selects the first row allowed. Cell
// texts may take several lines, broken at their blanks. A double click on
// any cell, fixed ones included, is reported with its column and row, and so
// is Enter on the current cell of the selected row. The selected row is
// drawn highlighted.
class RowSelectGrid : public StringGrid {
    Q_OBJECT
public:
    using SelectCellHandler = std::function<bool(int col, int row)>;

    RowSelectGrid(int columns, int rows, QWidget* parent = nullptr);

    void setSelectCellHandler(SelectCellHandler handler) { m_canSelect = std::move(handler); }
    // Fixed rows are never selected; other rows as the page says.
    bool canSelectCell(int col, int row) const;
    // The selected row, or -1.
    int selectedRow() const { return m_selectedRow; }

signals:
    void dblClickCell(int col, int row);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setSelectedRow(int row);

    SelectCellHandler m_canSelect;
    int m_selectedRow = -1;
};
