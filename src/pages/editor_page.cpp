#include "pages/editor_page.h"

#include "widgets/string_grid.h"

#include <QPalette>

EditorPage::EditorPage(PageHost& host, const QString& objectName, QWidget* parent)
    : QWidget(parent), m_host(host)
{
    setObjectName(objectName);
    setFixedSize(PageWidth, PageHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(242, 242, 242));
    setPalette(pal);
}

bool EditorPage::FocusField(const FieldRow&)
{
    return false;
}

bool EditorPage::FocusControl(QWidget* control)
{
    if (!control || !control->isVisibleTo(this) || !control->isEnabled())
        return false;
    control->setFocus(Qt::OtherFocusReason);
    return true;
}

bool EditorPage::FocusCell(StringGrid* grid, int col, int row)
{
    if (!FocusControl(grid) || col < 0 || col >= grid->columnCount() || row < 0 ||
        row >= grid->rowCount())
        return false;
    grid->setCurrentCell(row, col);
    return true;
}
