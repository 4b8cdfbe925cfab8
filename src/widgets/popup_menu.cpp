#include "widgets/popup_menu.h"

#include <QMenu>
#include <QPointer>
#include <QVariant>

namespace {
constexpr const char* MenuProperty = "orlixPopupMenu";
}

void SetPopupMenu(QWidget* button, QMenu* menu)
{
    button->setProperty(MenuProperty, QVariant::fromValue(static_cast<QObject*>(menu)));
}

QMenu* PopupMenuOf(const QWidget* button)
{
    if (!button)
        return nullptr;
    return qobject_cast<QMenu*>(button->property(MenuProperty).value<QObject*>());
}

QPoint PopupPositionBelow(const QWidget* button)
{
    return button->mapToGlobal(QPoint(0, button->height()));
}
