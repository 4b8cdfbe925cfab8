#include "widgets/button_fonts.h"

#include <QColor>
#include <QWidget>

void SetBoldCaptionFont(QWidget* button, const QColor& colour, int pointSize)
{
    QFont font = button->font();
    font.setBold(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    button->setFont(font);
    QPalette pal = button->palette();
    pal.setColor(QPalette::ButtonText, colour);
    button->setPalette(pal);
}

void SetNavyBoldFont(QWidget* button, int pointSize)
{
    SetBoldCaptionFont(button, QColor(0, 0, 128), pointSize);
}
