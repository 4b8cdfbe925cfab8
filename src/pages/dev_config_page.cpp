#include "pages/dev_config_page.h"

#include "model/dev_config.h"
#include "model/device_models.h"
#include "pages/page_host.h"
#include "text/config_fields.h"
#include "widgets/control_factory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

namespace {
QLabel* MakeStaticText(QWidget* parent, const char* name, QRect geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setLineWidth(1);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: rgb(0, 0, 128);"));
    return label;
}

}  // namespace

TDevConfigPage::TDevConfigPage(PageHost& host, QWidget* parent)
    : EditorPage(host, QStringLiteral("AdvOfficePage2"), parent)
{
    CBConfig = new QComboBox(this);
    CBConfig->setObjectName(QStringLiteral("CBConfig"));
    CBConfig->setGeometry(20, 20, 120, 21);
    // The form shows no caption for the list; a label that is never shown
    // names it for screen readers by relation.
    auto* modelLabel = new QLabel(QStringLiteral("Тип прибора"), this);
    modelLabel->setObjectName(QStringLiteral("LConfig"));
    modelLabel->hide();
    LabelControl(modelLabel, CBConfig);
    for (const DeviceModel& m : DeviceModels)
        CBConfig->addItem(QString::fromUtf8(m.Name));

    STConfig = MakeStaticText(this, "STConfig", QRect(145, 21, 150, 18));
    STWindow = MakeStaticText(this, "STWindow", QRect(302, 21, 80, 18));

    CBFixConfig = MakeCheckBox(this, "CBFixConfig", QStringLiteral("Зафиксировать конфигурацию"),
                               20, 55, 210);
    CBLineControl =
        MakeCheckBox(this, "CBLineControl", QStringLiteral("Контроль линии связи"), 20, 85, 200);

    Label11 = MakeLabel(this, "Label11", QStringLiteral("Таймаут"), 45, 112);

    CBMBusTimeout = new QComboBox(this);
    CBMBusTimeout->setObjectName(QStringLiteral("CBMBusTimeout"));
    CBMBusTimeout->setGeometry(100, 109, 75, 21);
    CBMBusTimeout->setMaxVisibleItems(10);
    LabelControl(Label11, CBMBusTimeout);

    CBMBusMaster = MakeCheckBox(this, "CBMBusMaster",
                                QStringLiteral("Режим Modbus Master  < Beta >"), 20, 140, 210);
    CBMBusMaster->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    CBMBusMaster->hide();

    // A list item picked by the user raises its handler; one selected from
    // code raises nothing. A check box raises its handler whenever its state
    // really changes, by a click or from code.
    connect(CBConfig, &QComboBox::activated, this, [this] { CBConfigChange(); });
    connect(CBFixConfig, &QCheckBox::toggled, this, [this] { CBFixConfigClick(); });
    connect(CBMBusMaster, &QCheckBox::toggled, this, [this] { CBMBusMasterClick(); });
    connect(CBLineControl, &QCheckBox::toggled, this, [this] { CBLineControlClick(); });
}

void TDevConfigPage::FillTimeoutList()
{
    CBMBusTimeout->clear();
    for (int n = 1; n <= DevConfig::MaxLineTimeout; ++n)
        CBMBusTimeout->addItem(TimeoutItemText(n));
    CBMBusTimeout->setCurrentIndex(DevConfig::DefaultTimeoutIndex);
}

void TDevConfigPage::DefaultDevConfig()
{
    DefaultDevConfigBytes(m_host.State());
    // While the list is still empty (at start-up) this selects nothing.
    if (CBMBusTimeout->count() > DevConfig::DefaultTimeoutIndex)
        CBMBusTimeout->setCurrentIndex(DevConfig::DefaultTimeoutIndex);
    GetDevConfig();
}

void TDevConfigPage::ShowModelTexts(int row)
{
    const DeviceModel& m = DeviceModels[row];
    STConfig->setText(QString::fromUtf8(m.Composition));
    STWindow->setText(WindowCountText(m.WindowCount));
}

void TDevConfigPage::GetDevConfig()
{
    const ConfigState& state = m_host.State();
    if (const auto row = FindDeviceModel(state)) {
        CBConfig->setCurrentIndex(*row);
        ShowModelTexts(*row);
    } else {
        CBConfig->setCurrentIndex(-1);
        STConfig->clear();
        STWindow->clear();
    }

    const uint8_t timeout = state.Image[DevConfig::LineTimeout];
    if (timeout != 0) {
        CBLineControl->setChecked(true);
        CBMBusTimeout->setCurrentIndex(TimeoutIndexFor(timeout).value_or(-1));
    } else {
        CBLineControl->setChecked(false);
    }
    // The handler runs only when the state changes, so set the enabling
    // explicitly as well.
    CBLineControlClick();

    CBFixConfig->setChecked(DevFlag(state.Image, DevConfig::FixConfigBit));
    CBMBusMaster->setChecked(DevFlag(state.Image, DevConfig::MBusMasterBit));

    m_host.GetDispSettings();
}

void TDevConfigPage::SetDevConfig()
{
    m_host.State().Image[DevConfig::LineTimeout] =
        LineTimeoutFromControls(CBLineControl->isChecked(), CBMBusTimeout->currentIndex());
}

void TDevConfigPage::CBConfigChange()
{
    const int row = CBConfig->currentIndex();
    if (row < 0)
        return;
    ApplyDeviceModel(row, m_host.State());
    ShowModelTexts(row);
    m_host.GetDispSettings();
}

void TDevConfigPage::CBFixConfigClick()
{
    SetDevFlag(m_host.State().Image, DevConfig::FixConfigBit, CBFixConfig->isChecked());
}

void TDevConfigPage::CBMBusMasterClick()
{
    SetDevFlag(m_host.State().Image, DevConfig::MBusMasterBit, CBMBusMaster->isChecked());
    m_host.GetInputType();
}

void TDevConfigPage::CBLineControlClick()
{
    const bool on = CBLineControl->isChecked();
    CBMBusTimeout->setEnabled(on);
    Label11->setEnabled(on);
}

bool TDevConfigPage::FocusField(const FieldRow& row)
{
    if (row.Section != FieldSection::Device)
        return false;
    const QString& path = row.Path;
    // The model stands for the modules and the windows together.
    if (path == QLatin1String("device.input_modules") ||
        path == QLatin1String("device.relay_modules") ||
        path == QLatin1String("device.window_count"))
        return FocusControl(CBConfig);
    if (path == QLatin1String("device.fixed_configuration"))
        return FocusControl(CBFixConfig);
    // The time-out list while line control is on, else the switch itself.
    if (path == QLatin1String("device.line_timeout"))
        return FocusControl(CBMBusTimeout) || FocusControl(CBLineControl);
    if (path == QLatin1String("device.modbus_master"))
        return FocusControl(CBMBusMaster);
    return false;
}
