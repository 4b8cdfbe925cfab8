#include "widgets/picture_button.h"

#include "widgets/popup_menu.h"

#include <QMenu>
#include <QMouseEvent>

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    setIcon(QIcon(picture));
    setIconSize(picture.deviceIndependentSize().toSize());
}

void PictureButton::setPopupMenu(QMenu* menu)
{
    SetPopupMenu(this, menu);
}

QMenu* PictureButton::popupMenu() const
{
    return PopupMenuOf(this);
}

QPoint PictureButton::popupPosition() const
{
    return PopupPositionBelow(this);
}

bool PictureButton::showPopupBelow()
{
    QMenu* menu = popupMenu();
    if (menu == nullptr)
        return false;
    menu->popup(popupPosition());
    return true;
}

void PictureButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QToolButton::mousePressEvent(event);
        return;
    }
    const QPoint at = event->globalPosition().toPoint();
    emit rightClicked(at);
    QMenu* menu = m_menuOnRightClick ? popupMenu() : nullptr;
    if (menu != nullptr)
        menu->popup(at);
    event->accept();
}
