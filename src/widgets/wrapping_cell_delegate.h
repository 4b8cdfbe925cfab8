#pragma once

#include "widgets/grid_cell_delegate.h"

#include <QStringList>

class QFontMetrics;
class RowSelectGrid;

// The lines a text takes in `width` pixels when it may break only at its
// blanks: as many words on each line as fit; a word wider than the width
// keeps a line of its own.
QStringList WrapAtBlanks(const QString& text, const QFontMetrics& metrics, int width);

// Draws the cells of a RowSelectGrid with several lines per cell, broken at
// blanks (WrapAtBlanks), and its selected row in the highlight colours;
// check box cells as GridCellDelegate draws them.
class WrappingCellDelegate : public GridCellDelegate {
    Q_OBJECT
public:
    explicit WrappingCellDelegate(RowSelectGrid* grid);

    // The room a cell gives its text: the cell less a margin on each side.
    static QRect textRect(const QRect& cell);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    RowSelectGrid* m_grid;
};
