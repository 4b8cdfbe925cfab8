#pragma once

class QAbstractButton;
class QKeyEvent;

// The keys that open what a right click opens: the context-menu key and
// Shift+F10.
bool IsMenuKey(const QKeyEvent* event);
// The keys that press a button that has the keyboard focus: Space, Enter
// and Return, without modifiers (Enter on the keypad carries its own).
bool IsPressKey(const QKeyEvent* event);
// Makes Enter and Return click the button while it has the focus, as Space
// does.
void ClickOnEnter(QAbstractButton* button);
