#include "widgets/wrapping_cell_delegate.h"

#include "widgets/row_select_grid.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int TextMargin = 2;
}  // namespace

QStringList WrapAtBlanks(const QString& text, const QFontMetrics& metrics, int width)
{
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (line.isEmpty() || metrics.horizontalAdvance(longer) <= width) {
            line = longer;
            continue;
        }
        lines << line;
        line = word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

WrappingCellDelegate::WrappingCellDelegate(RowSelectGrid* grid)
    : GridCellDelegate(grid), m_grid(grid)
{
}

QRect WrappingCellDelegate::textRect(const QRect& cell)
{
    return cell.adjusted(TextMargin, 0, -TextMargin, 0);
}

void WrappingCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    const int col = index.column();
    const int row = index.row();
    if (m_grid->hasCheckBox(col, row)) {
        GridCellDelegate::paint(painter, option, index);
        return;
    }
    const bool selected = row == m_grid->selectedRow();
    painter->save();
    painter->fillRect(option.rect, selected ? option.palette.color(QPalette::Highlight)
                                            : m_grid->cellBackground(col, row));
    QFont font = option.font;
    font.setBold(m_grid->isFixedCell(col, row));
    painter->setFont(font);
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                             : m_grid->cellFontColor(col, row));
    const QRect room = textRect(option.rect);
    painter->setClipRect(room);
    const QStringList lines =
        WrapAtBlanks(index.data(Qt::DisplayRole).toString(), QFontMetrics(font), room.width());
    const auto alignment = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    painter->drawText(room, int(alignment | Qt::AlignVCenter), lines.join(QLatin1Char('\n')));
    painter->restore();
}
