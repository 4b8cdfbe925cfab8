#pragma once

#include <QRect>
#include <QString>

class QCheckBox;
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
RoundedGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, QRect rect);
