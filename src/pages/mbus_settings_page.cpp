#include "pages/mbus_settings_page.h"

#include "model/command_error.h"
#include "model/mbus_settings.h"
#include "pages/page_host.h"
#include "text/config_fields.h"
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
    BuildLineControls(this, Label3,
                      LineControlsLayout{{90, 48, 96, 21},
                                         QStringLiteral(" Стоп-биты "),
                                         {20, 76, 167, 59},
                                         {14, 26},
                                         {86, 26},
                                         {20, 140, 167, 100},
                                         {14, 24},
                                         {14, 48},
                                         {14, 72}});
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
    // A rate or parity code the panel does not know leaves its control alone.
    ShowLineSettings(LineOfImage(image, LineSettings()));
}

void TMBusSettingsPage::SetMBusSettings()
{
    const uint8_t address = uint8_t(StrToInt(ENetAddress->text()));
    StoreMBusSettings(m_host.State().Image, address, LineSettings());
}

bool TMBusSettingsPage::FocusField(const FieldRow& row)
{
    if (row.Section != FieldSection::Modbus)
        return false;
    // A group of radio buttons takes the focus on its checked button, as Tab
    // enters it.
    auto checked = [](std::initializer_list<QRadioButton*> group) -> QWidget* {
        for (QRadioButton* button : group)
            if (button->isChecked())
                return button;
        return *group.begin();
    };
    const QString& path = row.Path;
    if (path == QLatin1String("modbus.address"))
        return FocusControl(ENetAddress);
    if (path == QLatin1String("modbus.baud"))
        return FocusControl(CBBaudRate);
    if (path == QLatin1String("modbus.stop_bits"))
        return FocusControl(checked({RBTwoStopBits, RBOneStopBits}));
    if (path == QLatin1String("modbus.parity"))
        return FocusControl(checked({RBNoParity, RBEvenParity, RBOddParity}));
    return false;
}
