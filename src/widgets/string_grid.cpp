#include "widgets/string_grid.h"

#include "widgets/grid_accessible.h"
#include "widgets/grid_cell_delegate.h"
#include "widgets/menu_keys.h"

#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

StringGrid::StringGrid(int columns, int rows, QWidget* parent) : QTableWidget(rows, columns, parent)
{
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->hide();
        header->setMinimumSectionSize(1);
        header->setSectionResizeMode(QHeaderView::Fixed);
    }
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Clicks open the editors themselves (see mousePressEvent); typing into
    // a cell or F2 does too.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setSelectionMode(QAbstractItemView::NoSelection);
    // The mouse does not drag the view along; the current cell is kept in
    // view instead (see currentChanged).
    setAutoScroll(false);
    setTabKeyNavigation(false);
    GridAccessible::Install();
    setWordWrap(false);
    setItemDelegate(new GridCellDelegate(this));
}

void StringGrid::setFixedCells(int fixedRows, int fixedColumns)
{
    m_fixedRows = fixedRows;
    m_fixedColumns = fixedColumns;
    for (int row = 0; row < rowCount(); ++row)
        for (int col = 0; col < columnCount(); ++col)
            if (QTableWidgetItem* it = item(row, col))
                it->setFlags(isFixedCell(col, row) ? Qt::ItemIsEnabled
                                                   : Qt::ItemIsEnabled | Qt::ItemIsEditable);
}

bool StringGrid::isFixedCell(int col, int row) const
{
    return row < m_fixedRows || col < m_fixedColumns;
}

void StringGrid::setColumnWidths(const QList<int>& widths)
{
    for (int col = 0; col < widths.size() && col < columnCount(); ++col)
        horizontalHeader()->resizeSection(col, widths[col]);
}

void StringGrid::setRowHeights(int height)
{
    verticalHeader()->setDefaultSectionSize(height);
    for (int row = 0; row < rowCount(); ++row)
        verticalHeader()->resizeSection(row, height);
}

QTableWidgetItem* StringGrid::cell(int col, int row)
{
    QTableWidgetItem* it = item(row, col);
    if (it == nullptr) {
        it = new QTableWidgetItem;
        it->setFlags(isFixedCell(col, row) ? Qt::ItemIsEnabled
                                           : Qt::ItemIsEnabled | Qt::ItemIsEditable);
        it->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setItem(row, col, it);
    }
    return it;
}

QString StringGrid::cellText(int col, int row) const
{
    const QTableWidgetItem* it = item(row, col);
    return it ? it->text() : QString();
}

void StringGrid::setCellText(int col, int row, const QString& text)
{
    cell(col, row)->setText(text);
}

void StringGrid::setCellAlignment(int col, int row, Qt::Alignment alignment)
{
    cell(col, row)->setTextAlignment(alignment | Qt::AlignVCenter);
}

void StringGrid::mergeCells(int col, int row, int colSpan, int rowSpan)
{
    setSpan(row, col, rowSpan, colSpan);
}

QColor StringGrid::bandColor(int row) const
{
    return (row - m_fixedRows) % 2 == 0 ? palette().color(QPalette::ToolTipBase)
                                        : palette().color(QPalette::Base);
}

void StringGrid::setCellColor(int col, int row, const QColor& colour)
{
    cell(col, row)->setBackground(colour);
}

void StringGrid::clearCellColor(int col, int row)
{
    cell(col, row)->setData(Qt::BackgroundRole, QVariant());
}

QColor StringGrid::cellBackground(int col, int row) const
{
    if (const QTableWidgetItem* it = item(row, col); it && it->data(Qt::BackgroundRole).isValid())
        return it->background().color();
    return isFixedCell(col, row) ? palette().color(QPalette::Button) : bandColor(row);
}

void StringGrid::setCellFontColor(int col, int row, const QColor& colour)
{
    cell(col, row)->setForeground(colour);
}

QColor StringGrid::cellFontColor(int col, int row) const
{
    if (const QTableWidgetItem* it = item(row, col); it && it->data(Qt::ForegroundRole).isValid())
        return it->foreground().color();
    return palette().color(QPalette::Text);
}

void StringGrid::addCheckBox(int col, int row, bool state)
{
    setCheckBoxState(col, row, state);
}

bool StringGrid::hasCheckBox(int col, int row) const
{
    const QTableWidgetItem* it = item(row, col);
    return it && it->data(Qt::CheckStateRole).isValid();
}

bool StringGrid::checkBoxState(int col, int row) const
{
    return hasCheckBox(col, row) && item(row, col)->checkState() == Qt::Checked;
}

void StringGrid::setCheckBoxState(int col, int row, bool state)
{
    cell(col, row)->setCheckState(state ? Qt::Checked : Qt::Unchecked);
}

StringGrid::EditorKind StringGrid::editorKind(int col, int row) const
{
    if (isFixedCell(col, row) || hasCheckBox(col, row) || !m_editorType)
        return EditorKind::None;
    return m_editorType(col, row);
}

bool StringGrid::cellEditable(int col, int row) const
{
    if (isFixedCell(col, row))
        return false;
    return !m_canEdit || m_canEdit(row, col);
}

QRect StringGrid::cellRect(int col, int row) const
{
    return visualRect(model()->index(row, col));
}

void StringGrid::repaintCell(int col, int row)
{
    viewport()->update(cellRect(col, row));
}

void StringGrid::dropDownPicked(int col, int row, int position)
{
    if (position < 0 || position >= m_dropDownItems.size())
        return;
    const QString text = m_dropDownItems[position];
    setCellText(col, row, text);
    emit comboChange(col, row, position, text);
}

void StringGrid::numberEntered(int col, int row, const QString& text)
{
    setCellText(col, row, text);
    emit cellValidate(col, row, text);
}

bool StringGrid::canOpenEditor(int col, int row) const
{
    return editorKind(col, row) != EditorKind::None && cellEditable(col, row);
}

void StringGrid::endEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::SubmitModelCache);
    }
}

bool StringGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (index.isValid() && !canOpenEditor(index.column(), index.row()))
        return false;
    return QTableWidget::edit(index, trigger, event);
}

void StringGrid::toggleCheckBox(int col, int row)
{
    if (!cellEditable(col, row))
        return;
    const bool state = !checkBoxState(col, row);
    setCheckBoxState(col, row, state);
    announceState(col, row, false);
    emit checkBoxClick(col, row, state);
}

void StringGrid::activateCell(int col, int row)
{
    if (isFixedCell(col, row))
        return;
    if (hasCheckBox(col, row))
        toggleCheckBox(col, row);
    else if (state() != EditingState && canOpenEditor(col, row))
        edit(model()->index(row, col));
}

namespace {
constexpr int OnOffRole = Qt::UserRole + 1;
constexpr int RefusalRole = Qt::UserRole + 2;

// The text of the cell that covers (col, row), merged cells included.
QString CoveringText(const StringGrid& grid, int col, int row)
{
    for (int r = row; r >= 0; --r)
        for (int c = col; c >= 0; --c)
            if (c + grid.columnSpan(r, c) > col && r + grid.rowSpan(r, c) > row &&
                !grid.cellText(c, r).isEmpty())
                return grid.cellText(c, r).simplified();
    return {};
}

// The distinct texts in order, joined.
QString JoinDistinct(const QStringList& texts)
{
    QStringList out;
    for (const QString& t : texts)
        if (!t.isEmpty() && !out.contains(t))
            out << t;
    return out.join(QStringLiteral(", "));
}
}  // namespace

void StringGrid::setCellAccessibleName(int col, int row, const QString& name)
{
    cell(col, row)->setData(Qt::AccessibleTextRole, name);
}

QString StringGrid::cellName(int col, int row) const
{
    if (const QTableWidgetItem* it = item(row, col)) {
        const QString own = it->data(Qt::AccessibleTextRole).toString();
        if (!own.isEmpty())
            return own;
    }
    return JoinDistinct({columnHeaderText(col), rowHeaderText(row)});
}

QString StringGrid::columnHeaderText(int col) const
{
    QStringList texts;
    for (int row = 0; row < m_fixedRows; ++row)
        texts << CoveringText(*this, col, row);
    return JoinDistinct(texts);
}

QString StringGrid::rowHeaderText(int row) const
{
    const int index = row - m_fixedRows;
    if (!m_rowHeaders.isEmpty())
        return index >= 0 && index < m_rowHeaders.size() ? m_rowHeaders[index] : QString();
    QStringList texts;
    for (int col = 0; col < m_fixedColumns; ++col)
        texts << CoveringText(*this, col, row);
    return JoinDistinct(texts);
}

void StringGrid::setCellOnOff(int col, int row, bool on)
{
    const std::optional<bool> was = cellOnOff(col, row);
    cell(col, row)->setData(OnOffRole, on);
    if (was && *was != on)
        announceState(col, row, false);
}

std::optional<bool> StringGrid::cellOnOff(int col, int row) const
{
    const QTableWidgetItem* it = item(row, col);
    if (!it || !it->data(OnOffRole).isValid())
        return std::nullopt;
    return it->data(OnOffRole).toBool();
}

void StringGrid::setCellRefused(int col, int row, const QString& reason)
{
    const bool was = !cellRefusal(col, row).isEmpty();
    cell(col, row)->setData(RefusalRole,
                            reason.isEmpty() ? QVariant() : QVariant(reason.trimmed()));
    if (was != !reason.isEmpty())
        announceState(col, row, true);
}

QString StringGrid::cellRefusal(int col, int row) const
{
    const QTableWidgetItem* it = item(row, col);
    return it ? it->data(RefusalRole).toString() : QString();
}

void StringGrid::announceState(int col, int row, bool invalidChanged)
{
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface* cells = table ? table->tableInterface() : nullptr;
    if (!cells || row < m_fixedRows)
        return;
    QAccessibleInterface* target = cells->cellAt(row - m_fixedRows, col);
    if (!target)
        return;
    if (invalidChanged) {
        // The toolkit has no state for a refused entry: the reason is the
        // cell's description, and a refusal is an alert.
        QAccessibleEvent described(target, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
        if (!cellRefusal(col, row).isEmpty()) {
            QAccessibleEvent alert(target, QAccessible::Alert);
            QAccessible::updateAccessibility(&alert);
        }
        return;
    }
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(target, changed);
    QAccessible::updateAccessibility(&event);
}

void StringGrid::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || isFixedCell(index.column(), index.row())) {
        event->accept();
        return;
    }
    // A click elsewhere ends the edit in progress first.
    if (currentIndex() != index)
        endEdit();
    QTableWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    if (hasCheckBox(index.column(), index.row()))
        toggleCheckBox(index.column(), index.row());
    else if (state() != EditingState && canOpenEditor(index.column(), index.row()))
        edit(index);
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The item view would take it for a request to edit and drop the press:
    // a quick second click would be lost.
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(),
                      event->modifiers(), event->pointingDevice());
    mousePressEvent(&press);
    event->setAccepted(press.isAccepted());
}

void StringGrid::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex index = currentIndex();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (IsPressKey(event) && index.isValid() && state() != EditingState &&
        (hasCheckBox(index.column(), index.row()) || enter)) {
        activateCell(index.column(), index.row());
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void StringGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableWidget::currentChanged(current, previous);
    if (current.isValid())
        scrollTo(current);
}
