#include "widgets/grid_accessible.h"

#include "widgets/accessible_factory.h"
#include "widgets/string_grid.h"

#include <QAccessibleActionInterface>
#include <QPointer>
#include <QWindow>

namespace {
using Part = GridAccessible::Part;

// One cell, column header or row header of a grid.
class GridPartAccessible : public QAccessibleInterface,
                           public QAccessibleTableCellInterface,
                           public QAccessibleActionInterface {
public:
    GridPartAccessible(const GridAccessible* table, Part kind, int tableRow, int col)
        : m_grid(table->grid()), m_kind(kind), m_tableRow(tableRow), m_col(col)
    {
    }

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableCellInterface && m_kind == Part::Cell)
            return static_cast<QAccessibleTableCellInterface*>(this);
        if (t == QAccessible::ActionInterface && m_kind == Part::Cell)
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }
    bool isValid() const override { return !m_grid.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return m_grid ? QAccessible::queryAccessibleInterface(m_grid) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QAccessible::Role role() const override
    {
        switch (m_kind) {
            case Part::ColumnHeader: return QAccessible::ColumnHeader;
            case Part::RowHeader: return QAccessible::RowHeader;
            case Part::Cell: break;
        }
        if (isValid() && (m_grid->hasCheckBox(m_col, row()) || m_grid->cellOnOff(m_col, row())))
            return QAccessible::CheckBox;
        return QAccessible::Cell;
    }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        switch (m_kind) {
            case Part::ColumnHeader:
                return t == QAccessible::Name ? m_grid->columnHeaderText(m_col) : QString();
            case Part::RowHeader:
                return t == QAccessible::Name ? m_grid->rowHeaderText(row()) : QString();
            case Part::Cell: break;
        }
        switch (t) {
            case QAccessible::Name: return m_grid->cellName(m_col, row());
            case QAccessible::Value: return m_grid->cellText(m_col, row());
            case QAccessible::Description: return m_grid->cellRefusal(m_col, row());
            default: return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        QRect r;
        switch (m_kind) {
            case Part::Cell: r = m_grid->cellRect(m_col, row()); break;
            case Part::ColumnHeader: r = m_grid->cellRect(m_col, 0); break;
            case Part::RowHeader: r = m_grid->cellRect(0, row()); break;
        }
        return QRect(m_grid->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.invisible = !m_grid->isVisible();
        if (m_kind != Part::Cell) {
            s.readOnly = true;
            return s;
        }
        const int r = row();
        const bool box = m_grid->hasCheckBox(m_col, r);
        const std::optional<bool> onOff = m_grid->cellOnOff(m_col, r);
        s.focusable = true;
        s.focused =
            m_grid->hasFocus() && m_grid->currentRow() == r && m_grid->currentColumn() == m_col;
        if (box || onOff) {
            s.checkable = true;
            s.checked = box ? m_grid->checkBoxState(m_col, r) : *onOff;
        }
        s.editable = m_grid->canOpenEditor(m_col, r);
        s.readOnly = m_grid->isFixedCell(m_col, r) || (!box && !onOff && !s.editable);
        // A box or an editor the page locks; cells that toggle on a click
        // are never locked.
        const bool lockable =
            !onOff && (box || m_grid->editorKind(m_col, r) != StringGrid::EditorKind::None);
        s.disabled = !m_grid->isEnabled() || (lockable && !m_grid->cellEditable(m_col, r));
        return s;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override
    {
        return {grid()->part(Part::ColumnHeader, -1, m_col)};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override
    {
        return {grid()->part(Part::RowHeader, m_tableRow, -1)};
    }
    int columnIndex() const override { return m_col; }
    int rowIndex() const override { return m_tableRow; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

    // QAccessibleActionInterface
    QStringList actionNames() const override
    {
        if (!isValid())
            return {};
        const int r = row();
        if (m_grid->hasCheckBox(m_col, r) || m_grid->cellOnOff(m_col, r))
            return {toggleAction(), setFocusAction()};
        if (m_grid->canOpenEditor(m_col, r))
            return {pressAction(), setFocusAction()};
        return {setFocusAction()};
    }
    void doAction(const QString& name) override
    {
        if (!isValid())
            return;
        m_grid->setFocus();
        m_grid->setCurrentCell(row(), m_col);
        if (name == toggleAction() || name == pressAction())
            m_grid->activateCell(m_col, row());
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    GridAccessible* grid() const { return static_cast<GridAccessible*>(parent()); }
    int row() const { return m_tableRow < 0 ? 0 : m_grid->fixedRowCount() + m_tableRow; }

    QPointer<StringGrid> m_grid;
    Part m_kind;
    int m_tableRow;
    int m_col;
};

QAccessibleInterface* Factory(const QString&, QObject* object)
{
    if (auto* grid = qobject_cast<StringGrid*>(object))
        return new GridAccessible(grid);
    return nullptr;
}
}  // namespace

GridAccessible::GridAccessible(StringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

GridAccessible::~GridAccessible()
{
    for (QAccessible::Id id : std::as_const(m_parts))
        QAccessible::deleteAccessibleInterface(id);
}

void GridAccessible::Install()
{
    InstallAccessibleFactoryOnce(Factory);
}

StringGrid* GridAccessible::grid() const
{
    return static_cast<StringGrid*>(object());
}

int GridAccessible::gridRow(int tableRow) const
{
    return grid()->fixedRowCount() + tableRow;
}

void* GridAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

int GridAccessible::columnCount() const
{
    return grid()->columnCount();
}

int GridAccessible::rowCount() const
{
    return std::max(0, grid()->rowCount() - grid()->fixedRowCount());
}

QString GridAccessible::columnDescription(int column) const
{
    return grid()->columnHeaderText(column);
}

QString GridAccessible::rowDescription(int row) const
{
    return grid()->rowHeaderText(gridRow(row));
}

QAccessibleInterface* GridAccessible::part(Part kind, int tableRow, int column) const
{
    const quint64 key = (quint64(kind) << 40) | (quint64(quint32(tableRow + 1)) << 20) |
                        quint64(quint32(column + 1));
    if (const auto it = m_parts.constFind(key); it != m_parts.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto* iface = new GridPartAccessible(this, kind, tableRow, column);
    m_parts.insert(key, QAccessible::registerAccessibleInterface(iface));
    return iface;
}

QAccessibleInterface* GridAccessible::cellAt(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return nullptr;
    return part(Part::Cell, row, column);
}

QWidget* GridAccessible::openEditor() const
{
    return grid()->isEditing() ? grid()->indexWidget(grid()->currentIndex()) : nullptr;
}

int GridAccessible::childCount() const
{
    return columnCount() * (1 + rowCount()) + (openEditor() ? 1 : 0);
}

QAccessibleInterface* GridAccessible::child(int index) const
{
    const int cols = columnCount();
    if (index < 0 || cols == 0)
        return nullptr;
    if (index < cols)
        return part(Part::ColumnHeader, -1, index);
    const int cell = index - cols;
    if (cell < cols * rowCount())
        return cellAt(cell / cols, cell % cols);
    if (cell == cols * rowCount())
        if (QWidget* editor = openEditor())
            return QAccessible::queryAccessibleInterface(editor);
    return nullptr;
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!child)
        return -1;
    if (QWidget* editor = openEditor(); editor && child->object() == editor)
        return columnCount() * (1 + rowCount());
    if (QAccessibleTableCellInterface* cell =
            const_cast<QAccessibleInterface*>(child)->tableCellInterface())
        return columnCount() * (1 + cell->rowIndex()) + cell->columnIndex();
    for (int col = 0; col < columnCount(); ++col)
        if (part(Part::ColumnHeader, -1, col) == child)
            return col;
    return -1;
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const
{
    const QModelIndex index = grid()->indexAt(grid()->viewport()->mapFromGlobal(QPoint(x, y)));
    if (!index.isValid() || index.row() < grid()->fixedRowCount())
        return nullptr;
    return cellAt(index.row() - grid()->fixedRowCount(), index.column());
}

QAccessibleInterface* GridAccessible::focusChild() const
{
    if (QWidget* editor = openEditor())
        return QAccessible::queryAccessibleInterface(editor);
    const QModelIndex index = grid()->currentIndex();
    if (!grid()->hasFocus() || !index.isValid() || index.row() < grid()->fixedRowCount())
        return nullptr;
    return cellAt(index.row() - grid()->fixedRowCount(), index.column());
}
