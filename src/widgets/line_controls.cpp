#include "widgets/line_controls.h"

#include "model/mbus_settings.h"
#include "widgets/control_factory.h"
#include "widgets/rounded_group_box.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

void LineControls::BuildLineControls(QWidget* parent, QLabel* label,
                                     const LineControlsLayout& layout)
{
    CBBaudRate = new QComboBox(parent);
    CBBaudRate->setObjectName(QStringLiteral("CBBaudRate"));
    CBBaudRate->setGeometry(layout.BaudRate);
    LabelControl(label, CBBaudRate);
    for (const BaudRateRow& row : BaudRateTable)
        CBBaudRate->addItem(QString::fromUtf8(row.Text), row.BitsPerSecond);
    CBBaudRate->setCurrentIndex(0);

    const QPoint two = layout.TwoStopBits;
    const QPoint one = layout.OneStopBits;
    AGBStopBits = MakeGroup(parent, "AGBStopBits", layout.StopBitsTitle, layout.StopBits);
    RBTwoStopBits =
        MakeRadio(AGBStopBits, "RBTwoStopBits", QStringLiteral("Два"), two.x(), two.y());
    RBOneStopBits =
        MakeRadio(AGBStopBits, "RBOneStopBits", QStringLiteral("Один"), one.x(), one.y());
    RBTwoStopBits->setChecked(true);

    const QPoint none = layout.NoParity;
    const QPoint even = layout.EvenParity;
    const QPoint odd = layout.OddParity;
    AGBParity = MakeGroup(parent, "AGBParity", QStringLiteral(" Паритет "), layout.Parity);
    RBNoParity =
        MakeRadio(AGBParity, "RBNoParity", QStringLiteral("Отсутствует"), none.x(), none.y());
    RBEvenParity =
        MakeRadio(AGBParity, "RBEvenParity", QStringLiteral("Четный"), even.x(), even.y());
    RBOddParity = MakeRadio(AGBParity, "RBOddParity", QStringLiteral("Нечетный"), odd.x(), odd.y());
    RBNoParity->setChecked(true);
}

SerialSettings LineControls::LineSettings() const
{
    SerialSettings line;
    line.BaudRate = CBBaudRate->currentData().toInt();
    line.StopBits = RBTwoStopBits->isChecked() ? 2 : 1;
    line.Parity = RBOddParity->isChecked()    ? ::Parity::Odd
                  : RBEvenParity->isChecked() ? ::Parity::Even
                                              : ::Parity::None;
    return line;
}

void LineControls::ShowLineSettings(const SerialSettings& line)
{
    if (const int index = CBBaudRate->findData(line.BaudRate); index >= 0)
        CBBaudRate->setCurrentIndex(index);
    (line.StopBits == 2 ? RBTwoStopBits : RBOneStopBits)->setChecked(true);
    switch (line.Parity) {
        case ::Parity::None: RBNoParity->setChecked(true); break;
        case ::Parity::Even: RBEvenParity->setChecked(true); break;
        case ::Parity::Odd: RBOddParity->setChecked(true); break;
    }
}
