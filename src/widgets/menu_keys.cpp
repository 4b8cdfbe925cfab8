#include "widgets/menu_keys.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace {
class EnterClicks : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if (!IsPressKey(key))
            return false;
        static_cast<QAbstractButton*>(watched)->click();
        return true;
    }
};
}  // namespace

bool IsMenuKey(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Menu)
        return mods == Qt::NoModifier;
    return event->key() == Qt::Key_F10 && mods == Qt::ShiftModifier;
}

bool IsPressKey(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods != Qt::NoModifier)
        return false;
    return event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
           event->key() == Qt::Key_Enter;
}

void ClickOnEnter(QAbstractButton* button)
{
    button->installEventFilter(new EnterClicks(button));
}
