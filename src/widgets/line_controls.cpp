#include "widgets/line_controls.h"

#include "model/mbus_settings.h"
#include "widgets/control_factory.h"
#include "widgets/rounded_group_box.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>

LineControls::LineControls(QWidget* parent, QLabel* label, const LineControlsLayout& layout)
{
    BaudRate = new QComboBox(parent);
    BaudRate->setObjectName(QStringLiteral("CBBaudRate"));
    BaudRate->setGeometry(layout.BaudRate);
    LabelControl(label, BaudRate);
    for (const BaudRateRow& row : BaudRateTable)
        BaudRate->addItem(QString::fromUtf8(row.Text), row.BitsPerSecond);
    BaudRate->setCurrentIndex(0);

    const QPoint two = layout.TwoStopBits;
    const QPoint one = layout.OneStopBits;
    StopBitsGroup = MakeGroup(parent, "AGBStopBits", layout.StopBitsTitle, layout.StopBits);
    TwoStopBits =
        MakeRadio(StopBitsGroup, "RBTwoStopBits", QStringLiteral("Два"), two.x(), two.y());
    OneStopBits =
        MakeRadio(StopBitsGroup, "RBOneStopBits", QStringLiteral("Один"), one.x(), one.y());
    TwoStopBits->setChecked(true);

    const QPoint none = layout.NoParity;
    const QPoint even = layout.EvenParity;
    const QPoint odd = layout.OddParity;
    ParityGroup = MakeGroup(parent, "AGBParity", QStringLiteral(" Паритет "), layout.Parity);
    NoParity =
        MakeRadio(ParityGroup, "RBNoParity", QStringLiteral("Отсутствует"), none.x(), none.y());
    EvenParity =
        MakeRadio(ParityGroup, "RBEvenParity", QStringLiteral("Четный"), even.x(), even.y());
    OddParity = MakeRadio(ParityGroup, "RBOddParity", QStringLiteral("Нечетный"), odd.x(), odd.y());
    NoParity->setChecked(true);
}

SerialSettings LineControls::Settings() const
{
    SerialSettings line;
    line.BaudRate = BaudRate->currentData().toInt();
    line.StopBits = TwoStopBits->isChecked() ? 2 : 1;
    line.Parity = OddParity->isChecked()    ? ::Parity::Odd
                  : EvenParity->isChecked() ? ::Parity::Even
                                            : ::Parity::None;
    return line;
}

void LineControls::Show(const SerialSettings& line)
{
    if (const int index = BaudRate->findData(line.BaudRate); index >= 0)
        BaudRate->setCurrentIndex(index);
    (line.StopBits == 2 ? TwoStopBits : OneStopBits)->setChecked(true);
    switch (line.Parity) {
        case ::Parity::None: NoParity->setChecked(true); break;
        case ::Parity::Even: EvenParity->setChecked(true); break;
        case ::Parity::Odd: OddParity->setChecked(true); break;
    }
}
