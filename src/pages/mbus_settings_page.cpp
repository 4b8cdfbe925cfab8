#include "pages/mbus_settings_page.h"

#include "model/command_error.h"
#include "model/mbus_settings.h"
#include "pages/page_host.h"
#include "widgets/control_factory.h"
#include "widgets/rounded_group_box.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

TMBusSettingsPage::TMBusSettingsPage(PageHost& host, QWidget* parent)
    : EditorPage(host, QStringLiteral("AdvOfficePage3"), parent)
{
    Label2 = MakeLabel(this, "Label2", QStringLiteral("Сетевой адрес"), 20, 20, true);
    ENetAddress = new QLineEdit(this);
    ENetAddress->setObjectName(QStringLiteral("ENetAddress"));
    ENetAddress->setGeometry(144, 18, 40, 21);
    m_host.InstallAddressHandlers(ENetAddress);
    LabelControl(Label2, ENetAddress);

    Label3 = MakeLabel(this, "Label3", QStringLiteral("Скорость"), 20, 50, true);
    CBBaudRate = new QComboBox(this);
    CBBaudRate->setObjectName(QStringLiteral("CBBaudRate"));
    CBBaudRate->setGeometry(90, 48, 96, 21);
    LabelControl(Label3, CBBaudRate);
    for (const BaudRateRow& row : BaudRateTable)
        CBBaudRate->addItem(QString::fromUtf8(row.Text));
    CBBaudRate->setCurrentIndex(0);

    AGBStopBits = MakeGroup(this, "AGBStopBits", QStringLiteral(" Стоп-биты "), {20, 76, 167, 59});
    RBTwoStopBits = MakeRadio(AGBStopBits, "RBTwoStopBits", QStringLiteral("Два"), 14, 26);
    RBOneStopBits = MakeRadio(AGBStopBits, "RBOneStopBits", QStringLiteral("Один"), 86, 26);
    RBTwoStopBits->setChecked(true);

    AGBParity = MakeGroup(this, "AGBParity", QStringLiteral(" Паритет "), {20, 140, 167, 100});
    RBNoParity = MakeRadio(AGBParity, "RBNoParity", QStringLiteral("Отсутствует"), 14, 24);
    RBEvenParity = MakeRadio(AGBParity, "RBEvenParity", QStringLiteral("Четный"), 14, 48);
    RBOddParity = MakeRadio(AGBParity, "RBOddParity", QStringLiteral("Нечетный"), 14, 72);
    RBNoParity->setChecked(true);
}

void TMBusSettingsPage::DefaultMBSettings()
{
    DefaultMBSettingsBytes(m_host.State().Image);
    GetMBusSettings();
}

void TMBusSettingsPage::GetMBusSettings()
{
    const ConfigImage& image = m_host.State().Image;
    // Setting the text runs the address rule, so a 0 is shown as 1.
    ENetAddress->setText(QString::number(image[MBusSettings::NetAddress]));
    if (const auto row = BaudRowForDivisor(image[MBusSettings::BaudDivisor]))
        CBBaudRate->setCurrentIndex(*row);
    const uint8_t flags = image[MBusSettings::LineFlags];
    if (flags & MBusSettings::TwoStopBits)
        RBTwoStopBits->setChecked(true);
    else
        RBOneStopBits->setChecked(true);
    if (const auto parity = ParityFromLineFlags(flags)) {
        switch (*parity) {
            case Parity::None: RBNoParity->setChecked(true); break;
            case Parity::Even: RBEvenParity->setChecked(true); break;
            case Parity::Odd: RBOddParity->setChecked(true); break;
        }
    }
}

void TMBusSettingsPage::SetMBusSettings()
{
    const uint8_t address = uint8_t(StrToInt(ENetAddress->text()));
    const Parity parity = RBOddParity->isChecked()    ? Parity::Odd
                          : RBEvenParity->isChecked() ? Parity::Even
                                                      : Parity::None;
    StoreMBusSettings(m_host.State().Image, address, CBBaudRate->currentIndex(),
                      RBTwoStopBits->isChecked(), parity);
}
