#pragma once

#include "widgets/grid_cell_delegate.h"

#include <QPoint>
#include <QSet>

// Draws chosen cells of a StringGrid with their text turned by 90 degrees,
// reading upwards and centred in the cell (a merged cell: in the whole
// span); every other cell as the grid's own delegate draws it.
class RotatedTextDelegate : public GridCellDelegate {
    Q_OBJECT
public:
    explicit RotatedTextDelegate(StringGrid* grid);

    void setRotated(int col, int row) { m_cells.insert(QPoint(col, row)); }
    bool isRotated(int col, int row) const { return m_cells.contains(QPoint(col, row)); }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    StringGrid* m_grid;
    QSet<QPoint> m_cells;
};
