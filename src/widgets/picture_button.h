#pragma once

#include <QPixmap>
#include <QToolButton>

class QMenu;

// A button that shows a picture and no caption, such as the contact buttons
// of the inputs page or the fill buttons that drop down a pop-up menu. It
// takes the keyboard focus from Tab and a click; Space, Enter and Return
// press it. It carries a number of its own (the tag) and may have a pop-up
// menu, which it opens below itself on request (a click, or Down while it
// has the focus) and, when told so, at the mouse pointer on a right click
// and below itself on the context-menu key or Shift+F10.
class PictureButton : public QToolButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);

    // Shows the picture at its own size.
    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return m_picture; }

    void setTag(int tag) { m_tag = tag; }
    int tag() const { return m_tag; }

    // The button's pop-up menu (not owned); nullptr for none. It is kept as
    // SetPopupMenu() keeps it, so the main window's SBShowPopup finds it.
    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const;

    // Where the pop-up menu's top-left corner goes: the button's bottom-left
    // corner, in screen coordinates.
    QPoint popupPosition() const;
    // Opens the pop-up menu at popupPosition(); false when there is none.
    bool showPopupBelow();

    // Whether a right click opens the pop-up menu at the mouse pointer.
    void setMenuOnRightClick(bool on) { m_menuOnRightClick = on; }
    bool menuOnRightClick() const { return m_menuOnRightClick; }

signals:
    // A right mouse button press, at this screen position.
    void rightClicked(const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPixmap m_picture;
    int m_tag = 0;
    bool m_menuOnRightClick = false;
};
