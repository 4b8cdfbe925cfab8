#include "key_script.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

namespace {
struct NamedKey {
    const char* Name;
    Qt::Key Key;
};
constexpr NamedKey NamedKeys[] = {
    {"Tab", Qt::Key_Tab},       {"Backtab", Qt::Key_Backtab}, {"Space", Qt::Key_Space},
    {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter},     {"Escape", Qt::Key_Escape},
    {"Up", Qt::Key_Up},         {"Down", Qt::Key_Down},       {"Left", Qt::Key_Left},
    {"Right", Qt::Key_Right},   {"Menu", Qt::Key_Menu},       {"F2", Qt::Key_F2},
    {"F10", Qt::Key_F10},       {"Home", Qt::Key_Home},       {"End", Qt::Key_End},
};

QWidget* KeyTarget(QWidget* window)
{
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    if (QWidget* focus = QApplication::focusWidget())
        return focus;
    return window;
}

void TypeKey(QWidget* window, const QString& token)
{
    QStringList parts = token.split(QLatin1Char('+'));
    const QString keyName = parts.takeLast();
    Qt::KeyboardModifiers mods;
    for (const QString& m : parts) {
        if (m == QLatin1String("Ctrl"))
            mods |= Qt::ControlModifier;
        else if (m == QLatin1String("Shift"))
            mods |= Qt::ShiftModifier;
        else if (m == QLatin1String("Alt"))
            mods |= Qt::AltModifier;
        else
            qFatal("unknown modifier %s", qPrintable(m));
    }
    QString text;
    Qt::Key key = Qt::Key_unknown;
    for (const NamedKey& k : NamedKeys)
        if (keyName == QLatin1String(k.Name))
            key = k.Key;
    if (key == Qt::Key_unknown) {
        if (keyName.size() != 1)
            qFatal("unknown key %s", qPrintable(keyName));
        // A letter's key code is its upper case, as the keyboard reports it.
        key = Qt::Key(keyName.at(0).toUpper().unicode());
        if (!(mods & Qt::ControlModifier))
            text = keyName;
    } else if (key == Qt::Key_Space) {
        text = QStringLiteral(" ");
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        text = QStringLiteral("\r");
    }
    QWidget* target = KeyTarget(window);
    QTest::sendKeyEvent(QTest::Press, target, key, text, mods);
    // The press may have opened or closed a pop-up; the release goes where
    // the press went when that one still exists.
    QTest::sendKeyEvent(QTest::Release, KeyTarget(window), key, text, mods);
    QApplication::processEvents();
    QApplication::processEvents();
}
}  // namespace

void TypeKeys(QWidget* window, const QString& script)
{
    for (const QString& token : script.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        TypeKey(window, token);
}

QStringList TabWalk(QWidget* window, int presses)
{
    QStringList names;
    for (int i = 0; i < presses; ++i) {
        TypeKey(window, QStringLiteral("Tab"));
        const QWidget* focus = QApplication::focusWidget();
        names << (focus ? focus->objectName() : QStringLiteral("<none>"));
    }
    return names;
}
