#include "widgets/picture_button.h"

#include "widgets/menu_keys.h"
#include "widgets/popup_menu.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setFocusPolicy(Qt::StrongFocus);
    ClickOnEnter(this);
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

void PictureButton::keyPressEvent(QKeyEvent* event)
{
    if (IsMenuKey(event)) {
        // As a right click, with the menu where the keyboard user looks.
        QMenu* menu = m_menuOnRightClick ? popupMenu() : nullptr;
        if (menu != nullptr)
            menu->popup(popupPosition());
        event->accept();
        return;
    }
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_Down && popupMenu() != nullptr) {
        click();
        event->accept();
        return;
    }
    QToolButton::keyPressEvent(event);
}
