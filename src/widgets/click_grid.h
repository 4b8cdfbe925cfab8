#pragma once

#include "widgets/string_grid.h"

// A StringGrid that also reports every left click on a cell, fixed cells
// included, so that a page can act on cells that have no editor (such as
// the crossbar's relay cells); and whose mouse wheel can be kept from
// scrolling it.
class ClickGrid : public StringGrid {
    Q_OBJECT
public:
    ClickGrid(int columns, int rows, QWidget* parent = nullptr);

    void setWheelScrolls(bool on) { m_wheelScrolls = on; }
    bool wheelScrolls() const { return m_wheelScrolls; }

signals:
    // After the grid's own handling of the click (an edit in progress has
    // ended, an editor may have opened).
    void clickCell(int col, int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_wheelScrolls = true;
};
