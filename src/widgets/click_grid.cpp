#include "widgets/click_grid.h"

#include "widgets/menu_keys.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {
// The strip above the cells that shows a grid's frozen first row. It stands
// where the column headers would and shares their section widths.
class FrozenRowStrip : public QHeaderView {
public:
    explicit FrozenRowStrip(ClickGrid* grid) : QHeaderView(Qt::Horizontal, grid), m_grid(grid)
    {
        setObjectName(QStringLiteral("FrozenRow"));
        setMinimumSectionSize(1);
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(viewport());
        m_grid->paintFrozenRow(painter, *this);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        const int col = logicalIndexAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && col >= 0)
            emit m_grid->clickCell(col, 0);
        event->accept();
    }

private:
    ClickGrid* m_grid;
};
}  // namespace

ClickGrid::ClickGrid(int columns, int rows, QWidget* parent) : StringGrid(columns, rows, parent)
{
    // The wheel reaches the scroll bars both from the cells and directly
    // when the pointer is on a bar; they are where it can be stopped.
    verticalScrollBar()->installEventFilter(this);
    horizontalScrollBar()->installEventFilter(this);
}

void ClickGrid::freezeFirstRow()
{
    QList<int> widths;
    for (int col = 0; col < columnCount(); ++col)
        widths << columnWidth(col);
    const int height = rowHeight(0);
    auto* strip = new FrozenRowStrip(this);
    strip->setFixedHeight(height);
    setHorizontalHeader(strip);
    setColumnWidths(widths);
    strip->show();
    setRowHidden(0, true);
}

void ClickGrid::paintFrozenRow(QPainter& painter, const QHeaderView& strip) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QColor lines =
        QColor::fromRgb(QRgb(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const int grid = showGrid() ? 1 : 0;
    const int height = strip.viewport()->height();
    for (int col = 0; col < columnCount();) {
        const int span = std::clamp(columnSpan(0, col), 1, columnCount() - col);
        int width = 0;
        for (int c = col; c < col + span; ++c)
            width += columnWidth(c);
        // As the table draws its cells: the grid line on the last pixel.
        option.rect = QRect(strip.sectionViewportPosition(col), 0, width - grid, height - grid);
        const QModelIndex index = model()->index(0, col);
        itemDelegateForIndex(index)->paint(&painter, option, index);
        if (grid) {
            painter.setPen(lines);
            const int right = option.rect.x() + width - 1;
            painter.drawLine(right, 0, right, height - 1);
            painter.drawLine(option.rect.x(), height - 1, right, height - 1);
        }
        col += span;
    }
}

void ClickGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    StringGrid::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid())
        emit clickCell(index.column(), index.row());
}

void ClickGrid::activateCell(int col, int row)
{
    if (isFixedCell(col, row) || hasCheckBox(col, row) || canOpenEditor(col, row))
        StringGrid::activateCell(col, row);
    else
        emit clickCell(col, row);
}

void ClickGrid::keyPressEvent(QKeyEvent* event)
{
    // Space and Enter on a cell that toggles on a click.
    const QModelIndex index = currentIndex();
    if (IsPressKey(event) && index.isValid() && !isEditing() &&
        !hasCheckBox(index.column(), index.row()) && !canOpenEditor(index.column(), index.row())) {
        activateCell(index.column(), index.row());
        event->accept();
        return;
    }
    StringGrid::keyPressEvent(event);
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
