#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Types a script of keys, blank-separated, as a keyboard-only user would:
// names ("Tab", "Backtab", "Space", "Return", "Escape", "Up", "Down",
// "Left", "Right", "Menu", "F2"), modifiers joined with '+' ("Shift+F10",
// "Ctrl+R", "Alt+Ф") or a single character ("5", "о"). Each key goes where
// the window system would send it: to the open pop-up (menu or list) when
// there is one, else to the focused control, else to `window`. Pending
// events are processed after each key.
void TypeKeys(QWidget* window, const QString& script);

// The object names of the controls the focus passes through, starting
// where it is, for `presses` presses of Tab.
QStringList TabWalk(QWidget* window, int presses);
