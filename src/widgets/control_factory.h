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
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, int x, int y,
                        int width);
RoundedGroupBox* MakeGroup(QWidget* parent, const char* name, const QString& title, QRect rect);
