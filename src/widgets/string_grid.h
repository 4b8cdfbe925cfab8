#pragma once

#include <QColor>
#include <QStringList>
#include <QTableWidget>

#include <functional>
#include <optional>

// A grid of text cells addressed by column and row, as the editor pages use
// it: fixed (header) rows and columns drawn bold on the button face, merged
// cells, banded data rows, per-cell background and text colours, cells that
// hold a check box, and per-cell editors (a drop-down list that opens on the
// first click, a digits-only number edit that starts editing on a click).
// The selected cell is not highlighted; the current one shows a focus frame
// while the grid has the focus, and the grid scrolls to keep it in view.
// Every press of the mouse counts, the presses of a double click too; Space
// (or Enter) toggles the current cell's check box, Enter opens the current
// cell's editor, Escape closes it without storing, the arrow keys move
// between cells and Tab leaves the grid. Screen readers see a table with
// column headers made of the fixed rows' texts and row headers of the fixed
// columns' texts (or the page's own), check boxes and cells the page marks
// as on or off with their states, and a refused cell with its reason.
//
// The page decides which editor a cell has and whether it may be edited;
// the grid tells it what the user did through its signals. Changing cells
// from code raises nothing.
class StringGrid : public QTableWidget {
    Q_OBJECT
public:
    enum class EditorKind { None, DropDownList, NumberEdit };
    using EditorTypeHandler = std::function<EditorKind(int col, int row)>;
    using CanEditHandler = std::function<bool(int row, int col)>;

    StringGrid(int columns, int rows, QWidget* parent = nullptr);

    void setFixedCells(int fixedRows, int fixedColumns);
    int fixedRowCount() const { return m_fixedRows; }
    int fixedColumnCount() const { return m_fixedColumns; }
    bool isFixedCell(int col, int row) const;
    void setColumnWidths(const QList<int>& widths);
    void setRowHeights(int height);

    QString cellText(int col, int row) const;
    void setCellText(int col, int row, const QString& text);
    void setCellAlignment(int col, int row, Qt::Alignment alignment);
    void mergeCells(int col, int row, int colSpan, int rowSpan);

    // Data rows alternate between the tooltip background and the window
    // colour, starting with the tooltip background.
    QColor bandColor(int row) const;
    // A cell's own background, or none to show the band (or the button face
    // of a fixed cell).
    void setCellColor(int col, int row, const QColor& colour);
    void clearCellColor(int col, int row);
    // The background the cell is drawn with.
    QColor cellBackground(int col, int row) const;
    void setCellFontColor(int col, int row, const QColor& colour);
    QColor cellFontColor(int col, int row) const;

    void addCheckBox(int col, int row, bool state);
    bool hasCheckBox(int col, int row) const;
    bool checkBoxState(int col, int row) const;
    void setCheckBoxState(int col, int row, bool state);

    void setEditorTypeHandler(EditorTypeHandler handler) { m_editorType = std::move(handler); }
    void setCanEditHandler(CanEditHandler handler) { m_canEdit = std::move(handler); }
    EditorKind editorKind(int col, int row) const;
    // Whether the user may edit the cell or toggle its check box.
    bool cellEditable(int col, int row) const;
    void setDropDownItems(const QStringList& items) { m_dropDownItems = items; }
    QStringList dropDownItems() const { return m_dropDownItems; }
    void setNumberMaxLength(int length) { m_numberMaxLength = length; }
    int numberMaxLength() const { return m_numberMaxLength; }

    using QTableWidget::edit;
    // Whether a cell editor is open.
    bool isEditing() const { return state() == EditingState; }
    // Whether a click or a typed key may open an editor on the cell.
    bool canOpenEditor(int col, int row) const;
    // Ends the open cell editor, if any, as Enter does: the page validates
    // and stores what the editor holds.
    void endEdit();

    // What a left click on the cell does: toggle its box, open its editor.
    virtual void activateCell(int col, int row);

    // Screen reader texts. A cell's name: the page's own, else its column
    // and row headers.
    void setCellAccessibleName(int col, int row, const QString& name);
    QString cellName(int col, int row) const;
    QString columnHeaderText(int col) const;
    void setRowHeaderTexts(const QStringList& texts) { m_rowHeaders = texts; }
    QString rowHeaderText(int row) const;
    // A cell without a box that the page shows as on or off (such as a
    // relay an input drives); a change is announced.
    void setCellOnOff(int col, int row, bool on);
    std::optional<bool> cellOnOff(int col, int row) const;
    // A cell whose value was refused, with the reason; an empty reason
    // makes it valid again. A refusal is announced.
    void setCellRefused(int col, int row, const QString& reason);
    QString cellRefusal(int col, int row) const;

    QRect cellRect(int col, int row) const;
    void repaintCell(int col, int row);

    // Called by the cell editors when the user is done with them.
    void dropDownPicked(int col, int row, int position);
    void numberEntered(int col, int row, const QString& text);

signals:
    void comboChange(int col, int row, int position, const QString& text);
    void checkBoxClick(int col, int row, bool state);
    void cellValidate(int col, int row, const QString& text);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The second press of a double click counts as a press of its own.
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    QTableWidgetItem* cell(int col, int row);
    void toggleCheckBox(int col, int row);
    void announceState(int col, int row, bool invalidChanged);

    int m_fixedRows = 0;
    int m_fixedColumns = 0;
    EditorTypeHandler m_editorType;
    CanEditHandler m_canEdit;
    QStringList m_dropDownItems;
    int m_numberMaxLength = 2;
    QStringList m_rowHeaders;
};
