#pragma once

#include "model/serial_settings.h"

#include <QPoint>
#include <QRect>
#include <QString>

class QComboBox;
class QLabel;
class QRadioButton;
class QWidget;
class RoundedGroupBox;

// Where a form places its line controls: the list on the form, the groups
// on the form, each radio button in its group.
struct LineControlsLayout {
    QRect BaudRate;
    QString StopBitsTitle;
    QRect StopBits;
    QPoint TwoStopBits;
    QPoint OneStopBits;
    QRect Parity;
    QPoint NoParity;
    QPoint EvenParity;
    QPoint OddParity;
};

// The controls of a line's rate, stop bits and parity, as the port
// settings panel and the ModBus page show them: the rate list (each item
// holds its rate in bits per second), then the stop bits group (two, one),
// then the parity group (none, even, odd), created in that order so that
// the tab order follows. They start at 9600, two stop bits, no parity.
// A form that shows them derives from this and builds them in its place.
class LineControls {
public:
    // `label` names the rate list for the keyboard and screen readers.
    void BuildLineControls(QWidget* parent, QLabel* label, const LineControlsLayout& layout);

    // What the controls stand for; the echo is left at its default.
    SerialSettings LineSettings() const;
    // Shows `line`; a rate the list does not hold leaves the list as it is.
    void ShowLineSettings(const SerialSettings& line);

    QComboBox* CBBaudRate = nullptr;
    RoundedGroupBox* AGBStopBits = nullptr;
    QRadioButton* RBTwoStopBits = nullptr;
    QRadioButton* RBOneStopBits = nullptr;
    RoundedGroupBox* AGBParity = nullptr;
    QRadioButton* RBNoParity = nullptr;
    QRadioButton* RBEvenParity = nullptr;
    QRadioButton* RBOddParity = nullptr;
};
