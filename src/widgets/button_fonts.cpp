#include "widgets/button_fonts.h"

#include <QWidget>

void SetNavyBoldFont(QWidget* button, int pointSize)
{
    QFont font = button->font();
    font.setBold(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    button->setFont(font);
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, QColor(0, 0, 128));
    button->setPalette(pal);
}
