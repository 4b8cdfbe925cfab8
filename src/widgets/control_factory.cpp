#include "widgets/control_factory.h"

#include "widgets/icons.h"
#include "widgets/picture_button.h"
#include "widgets/rounded_group_box.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

QFont FormFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    return font;
}

PictureButton* MakeFillButton(QWidget* parent, const char* name, int x, int y, QMenu* menu,
                              bool menuOnRightClick, const QString& accessibleName)
{
    auto* button = new PictureButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(x, y, 40, 25);
    button->setPicture(Icons::FillButtonPicture());
    button->setPopupMenu(menu);
    button->setMenuOnRightClick(menuOnRightClick);
    button->setAccessibleName(accessibleName);
    return button;
}

void StylePageGrid(QTableWidget* grid, const char* name, const QString& accessibleName,
                   const QRect& geometry)
{
    grid->setObjectName(QLatin1String(name));
    grid->setAccessibleName(accessibleName);
    grid->setFont(FormFont());
    grid->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    grid->setLineWidth(2);
    grid->setGeometry(geometry);
}

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

QPushButton* MakeHiddenButton(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(caption);
    button->hide();
    return button;
}

RoundedGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, QRect rect)
{
    auto* box = new RoundedGroupBox(title, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(rect);
    return box;
}
