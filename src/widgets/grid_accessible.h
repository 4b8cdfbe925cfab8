#pragma once

#include <QAccessibleWidget>
#include <QHash>

class StringGrid;

// A StringGrid as a screen reader sees it: a table whose rows are the
// grid's data rows (the fixed rows become the column headers), with a
// header cell for every column and every row, and cells that tell their
// text, name, check state, lock and refusal. The open cell editor, if any,
// follows the cells as the table's last child.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(StringGrid* grid);
    ~GridAccessible() override;

    // Makes the screen readers find this interface for every StringGrid.
    static void Install();

    StringGrid* grid() const;
    // The grid row of a table row and back.
    int gridRow(int tableRow) const;

    void* interface_cast(QAccessible::InterfaceType t) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int columnCount() const override;
    int rowCount() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedCellCount() const override { return 0; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

    enum class Part { Cell, ColumnHeader, RowHeader };
    QAccessibleInterface* part(Part kind, int tableRow, int column) const;

private:
    QWidget* openEditor() const;

    mutable QHash<quint64, QAccessible::Id> m_parts;
};
