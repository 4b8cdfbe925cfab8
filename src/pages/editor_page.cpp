#include "pages/editor_page.h"

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
