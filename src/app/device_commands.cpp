// The device commands of the main window: read, write, apply and device
// information. The exchanges themselves are PanelLink's; here are the
// window's parts: the cursor, the flags, the image, the titles.
#include "app/application.h"
#include "app/tfmain.h"
#include "app/tfmbparam.h"
#include "app/ui_texts.h"
#include "link/pause.h"
#include "model/command_error.h"
#include "model/device_models.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QToolButton>

#include <functional>
#include <memory>

namespace {
constexpr unsigned long StepPauseMs = 20;

// Runs its closing steps on every path out of a command.
class ClosingSteps {
public:
    explicit ClosingSteps(std::function<void()> steps) : m_steps(std::move(steps)) {}
    ~ClosingSteps() { m_steps(); }
    ClosingSteps(const ClosingSteps&) = delete;
    ClosingSteps& operator=(const ClosingSteps&) = delete;

private:
    std::function<void()> m_steps;
};

void ShowWaitCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents();
}

}  // namespace

void TFMain::SBMBusParametersClick()
{
    FMBParam->ShowUnder(SBMBusParameters);
}

QString TFMain::DeviceAddressText() const
{
    return EDeviceAddr->text();
}

void TFMain::ShowPortPanelOpen(bool open)
{
    SBMBusParameters->setAutoRaise(!open);
}

void TFMain::ReadDataFromDevice()
{
    if (!ReadAllowed)
        return;
    // The panel's blocks are gathered aside; the image keeps its blocks 7..9,
    // which no panel supplies.
    m_journal.BeginCommand(UiText::ReadCommand);
    auto buffer = std::make_unique<ConfigImage>(m_state.Image);
    const uint8_t address = uint8_t(StrToInt(EDeviceAddr->text()));
    ShowWaitCursor();
    ReadAllowed = false;
    ClosingSteps closing([&] {
        FMBParam->Disconnect();
        buffer.reset();
        QGuiApplication::restoreOverrideCursor();
        QCoreApplication::processEvents();
        ReadAllowed = true;
    });

    const int family = FMBParam->Connect(true);
    Pause(StepPauseMs);
    FMBParam->Link().ReadBlocks(address, *buffer);

    ShowPanelImage(*buffer, family);
}

void TFMain::ShowPanelImage(const ConfigImage& image, int family)
{
    ReplaceImage(image, family);
    ShowStatus(UiText::VersionStatus);
    SetTitles(UiText::ReadedTitle);
    m_state.HasFileName = false;
}

void TFMain::WriteDataToDevice()
{
    if (!WriteAllowed)
        return;
    if (!m_app.prompts().Question(this, UiText::AppTitle,
                                  QStringLiteral("Передать данные программирования?"),
                                  Prompts::Icon::Question, false))
        return;
    CollectPages();
    const uint8_t address = uint8_t(StrToInt(EDeviceAddr->text()));
    m_journal.BeginCommand(UiText::WriteCommand);
    ShowWaitCursor();
    WriteAllowed = false;
    ClosingSteps closing([&] {
        FMBParam->Disconnect();
        QGuiApplication::restoreOverrideCursor();
        QCoreApplication::processEvents();
        WriteAllowed = true;
    });

    FMBParam->Connect(true);
    FMBParam->Link().WriteBlocks(address, m_state.Image);
    SetTitles(UiText::AppTitle);
}

void TFMain::SBApplyConfigClick()
{
    m_journal.BeginCommand(UiText::ApplyCommand);
    ClosingSteps closing([&] { FMBParam->Disconnect(); });
    FMBParam->Connect(true);
    Pause(StepPauseMs);
    const uint8_t address = uint8_t(StrToInt(EDeviceAddr->text()));
    FMBParam->Link().Apply(address);
}

void TFMain::N20Click()
{
    const int address = StrToInt(EDeviceAddr->text());
    m_journal.BeginCommand(UiText::InfoCommand);
    ClosingSteps closing([&] { FMBParam->Disconnect(); });
    const int family = FMBParam->Connect(false);
    Pause(StepPauseMs);
    const FirmwareInfo firmware = FMBParam->Link().ReadFirmware(uint8_t(address));

    const QString caption = QStringLiteral("Информация об устройстве №") +
                            QString::number(address) + QStringLiteral("  (") +
                            FMBParam->ConnectedSettings().PortName + QStringLiteral(")");
    const QString text =
        QStringLiteral("—  Тип прибора:            ") + FamilyName(family) + QLatin1Char('\n') +
        QStringLiteral("—  Firmware version:     ") + QString::number(firmware.Major) +
        QLatin1Char('.') + QString::number(firmware.Minor) + QLatin1Char('\n') +
        QStringLiteral("—  Hardware revision:    0x") +
        QStringLiteral("%1").arg(firmware.HardwareRevision, 2, 16, QLatin1Char('0')).toUpper();
    // The port is let go before the box waits for the user: a line that
    // keeps sending meanwhile is nobody's to receive.
    FMBParam->Disconnect();
    m_app.prompts().Message(this, caption, text, Prompts::Icon::Information);
}
