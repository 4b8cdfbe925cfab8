#include "widgets/grid_cell_delegate.h"

#include "widgets/string_grid.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace {
// The list position the user picked, kept on the drop-down editor until the
// grid takes it.
constexpr const char* PickedProperty = "orlixPicked";
}  // namespace

GridCellDelegate::GridCellDelegate(StringGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

void GridCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    paintCell(painter, option, index);
    // The current cell of a focused grid: a dotted frame in the cell's own
    // text colour, on whatever background the page gives the cell.
    if (option.state & QStyle::State_HasFocus) {
        painter->save();
        painter->setPen(QPen(m_grid->cellFontColor(index.column(), index.row()), 1, Qt::DotLine));
        painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
        painter->restore();
    }
}

void GridCellDelegate::paintCell(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    const int col = index.column();
    const int row = index.row();
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    opt.backgroundBrush = Qt::NoBrush;
    painter->fillRect(opt.rect, m_grid->cellBackground(col, row));
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();

    if (m_grid->hasCheckBox(col, row)) {
        QStyleOptionButton box;
        box.palette = opt.palette;
        box.state = m_grid->checkBoxState(col, row) ? QStyle::State_On : QStyle::State_Off;
        // A box the page locks is drawn disabled.
        if (m_grid->cellEditable(col, row))
            box.state |= QStyle::State_Enabled;
        else
            box.palette.setCurrentColorGroup(QPalette::Disabled);
        const QSize size(style->pixelMetric(QStyle::PM_IndicatorWidth, &box, opt.widget),
                         style->pixelMetric(QStyle::PM_IndicatorHeight, &box, opt.widget));
        box.rect = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size, opt.rect);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, opt.widget);
        return;
    }
    if (m_grid->isFixedCell(col, row))
        opt.font.setBold(true);
    // A text wider than its cell is cut at the edge, not shortened.
    opt.textElideMode = Qt::ElideNone;
    opt.palette.setColor(QPalette::Text, m_grid->cellFontColor(col, row));
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
}

QWidget* GridCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex& index) const
{
    auto* self = const_cast<GridCellDelegate*>(this);
    switch (m_grid->editorKind(index.column(), index.row())) {
        case StringGrid::EditorKind::DropDownList: {
            auto* list = new QComboBox(parent);
            list->setObjectName(QStringLiteral("GridDropDown"));
            list->setFrame(false);
            list->setAccessibleName(m_grid->cellName(index.column(), index.row()));
            list->addItems(m_grid->dropDownItems());
            connect(list, &QComboBox::activated, self, [self, list](int position) {
                list->setProperty(PickedProperty, position);
                emit self->commitData(list);
                emit self->closeEditor(list);
            });
            // The list drops down on the click that opened the editor.
            QTimer::singleShot(0, list, [list] { list->showPopup(); });
            return list;
        }
        case StringGrid::EditorKind::NumberEdit: {
            auto* edit = new QLineEdit(parent);
            edit->setObjectName(QStringLiteral("GridNumberEdit"));
            edit->setFrame(false);
            edit->setAccessibleName(m_grid->cellName(index.column(), index.row()));
            edit->setMaxLength(m_grid->numberMaxLength());
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), edit));
            edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            return edit;
        }
        case StringGrid::EditorKind::None: break;
    }
    return nullptr;
}

void GridCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = m_grid->cellText(index.column(), index.row());
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        list->setCurrentIndex(list->findText(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        edit->setText(text);
        edit->selectAll();
    }
}

void GridCellDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                    const QModelIndex& index) const
{
    if (auto* list = qobject_cast<QComboBox*>(editor)) {
        // A list closed without a pick changes nothing.
        const QVariant picked = list->property(PickedProperty);
        list->setProperty(PickedProperty, QVariant());
        if (picked.isValid())
            m_grid->dropDownPicked(index.column(), index.row(), picked.toInt());
    } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        m_grid->numberEntered(index.column(), index.row(), edit->text());
    }
}

void GridCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex&) const
{
    editor->setGeometry(option.rect);
}
