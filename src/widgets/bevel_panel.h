#pragma once

#include <QColor>
#include <QWidget>

// A flat coloured panel with a centred caption inside two one-pixel bevels:
// the outer one raised (or lowered while pressed), the inner one lowered,
// such as the signalling windows of the panel face. It carries a number of
// its own (the tag) and reports mouse presses and releases with the button,
// and a right click as a request for its menu. With the keyboard focus it
// shows a dotted frame; Space, Enter and Return press it as the left mouse
// button does, the context-menu key and Shift+F10 ask for its menu.
class BevelPanel : public QWidget {
    Q_OBJECT
public:
    explicit BevelPanel(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }

    void setColour(const QColor& colour);
    QColor colour() const { return m_colour; }

    // The outer bevel: raised, or lowered (drawn as pressed).
    void setOuterRaised(bool raised);
    bool outerRaised() const { return m_outerRaised; }

    void setTag(int tag) { m_tag = tag; }
    int tag() const { return m_tag; }

    // What the left button does: pressed, then released.
    void press();
    // Asks for the menu below the panel's lower left corner.
    void requestMenu();

signals:
    void mouseDown(Qt::MouseButton button);
    void mouseUp(Qt::MouseButton button);
    // A right click: open the panel's menu at this screen position.
    void menuRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString m_caption;
    QColor m_colour;
    bool m_outerRaised = true;
    int m_tag = 0;
};
