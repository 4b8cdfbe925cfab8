#pragma once

#include <QRect>
#include <QString>

class PictureButton;
class QCheckBox;
class QFont;
class QMenu;
class QPushButton;
class QTableWidget;
class QLabel;
class QRadioButton;
class QWidget;
class RoundedGroupBox;

// Named controls placed at their pixel positions on a page or a group box.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                  bool bold = false);
QRadioButton* MakeRadio(QWidget* parent, const char* name, const QString& text, int x, int y);
// Ties a label to the control it names: the label's mnemonic and the
// screen reader's name of the control both come from it.
void LabelControl(QLabel* label, QWidget* control);

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, int x, int y,
                        int width);
// The forms' font: the pixel positions of the pages are laid out for
// Tahoma 8 point (the system substitutes its nearest sans serif face).
QFont FormFont();

// A page's fill button: 40 x 25 at (x, y), the pencil-over-sheet picture,
// its menu (also on a right click, when asked) and a name for screen readers.
PictureButton* MakeFillButton(QWidget* parent, const char* name, int x, int y, QMenu* menu,
                              bool menuOnRightClick, const QString& accessibleName);

// A page's grid: named, in the forms' font, in a sunken frame two pixels wide.
void StylePageGrid(QTableWidget* grid, const char* name, const QString& accessibleName,
                   const QRect& geometry);

// A page's push button that is never shown: its operation runs from the
// commands, and the button stays for completeness of the form.
QPushButton* MakeHiddenButton(QWidget* parent, const char* name, const QString& caption);

RoundedGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, QRect rect);
