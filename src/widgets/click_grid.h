#pragma once

#include "widgets/string_grid.h"

class QHeaderView;

// A StringGrid that also reports every left click on a cell, fixed cells
// included, so that a page can act on cells that have no editor (such as
// the crossbar's relay cells; Space on such a cell counts as a click);
// whose mouse wheel can be kept from scrolling it; and whose first row can
// stay in place while the other rows scroll.
class ClickGrid : public StringGrid {
    Q_OBJECT
public:
    ClickGrid(int columns, int rows, QWidget* parent = nullptr);

    // A cell without a box or an editor reports a click.
    void activateCell(int col, int row) override;

    void setWheelScrolls(bool on) { m_wheelScrolls = on; }
    bool wheelScrolls() const { return m_wheelScrolls; }

    // Shows row 0, merged cells and all, in a strip above the scrolling
    // rows, at the height the row has now. The row keeps its texts and
    // spans; a click on the strip is reported as a click on row 0.
    void freezeFirstRow();
    // Draws the cells of row 0 on the strip.
    void paintFrozenRow(QPainter& painter, const QHeaderView& strip) const;

signals:
    // After the grid's own handling of the click (an edit in progress has
    // ended, an editor may have opened).
    void clickCell(int col, int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_wheelScrolls = true;
};
