#pragma once

#include <QStyledItemDelegate>

class StringGrid;

// Draws the cells of a StringGrid (own or band background, text colour,
// centred check boxes, bold fixed cells, no selection highlight, a dotted
// frame on the current cell while the grid has the focus) and makes
// its editors: a flat drop-down list that opens at once and commits the
// item the user picks, and a digits-only number edit.
class GridCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GridCellDelegate(StringGrid* grid);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

private:
    void paintCell(QPainter* painter, const QStyleOptionViewItem& option,
                   const QModelIndex& index) const;

    StringGrid* m_grid;
};
