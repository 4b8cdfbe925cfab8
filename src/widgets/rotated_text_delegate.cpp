#include "widgets/rotated_text_delegate.h"

#include "widgets/string_grid.h"

#include <QPainter>

RotatedTextDelegate::RotatedTextDelegate(StringGrid* grid) : GridCellDelegate(grid), m_grid(grid) {}

void RotatedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    const int col = index.column();
    const int row = index.row();
    if (!isRotated(col, row)) {
        GridCellDelegate::paint(painter, option, index);
        return;
    }
    const QRect rect = option.rect;
    painter->save();
    painter->fillRect(rect, m_grid->cellBackground(col, row));
    QFont font = option.font;
    if (m_grid->isFixedCell(col, row))
        font.setBold(true);
    painter->setFont(font);
    painter->setPen(m_grid->cellFontColor(col, row));
    painter->setClipRect(rect);
    // Turned a quarter anticlockwise about the cell's centre: the text's
    // baseline runs from the bottom up.
    painter->translate(rect.center());
    painter->rotate(-90);
    const QRect turned(-rect.height() / 2, -rect.width() / 2, rect.height(), rect.width());
    painter->drawText(turned, Qt::AlignCenter, m_grid->cellText(col, row));
    painter->restore();
}
