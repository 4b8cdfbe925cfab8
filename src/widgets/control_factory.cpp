#include "widgets/control_factory.h"

#include "widgets/rounded_group_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->adjustSize();
    label->move(x, y);
    return label;
}

QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* radio = new QRadioButton(text, parent);
    radio->setObjectName(QLatin1String(name));
    radio->adjustSize();
    radio->move(x, y);
    return radio;
}

void LabelControl(QLabel* label, QWidget* control)
{
    label->setBuddy(control);
    control->setAccessibleName(label->text().trimmed());
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, int x, int y,
                        int width)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(x, y, width, 17);
    return box;
}

RoundedGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, QRect rect)
{
    auto* box = new RoundedGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(rect);
    return box;
}
