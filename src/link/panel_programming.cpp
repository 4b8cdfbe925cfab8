#include "link/panel_programming.h"

#include "link/pause.h"
#include "model/command_error.h"
#include "model/device_models.h"
#include "model/mbus_settings.h"

namespace {
constexpr unsigned long StepPauseMs = 20;

// Reads back and records the outcome: a difference outweighs everything.
void ReadBack(PanelLink& link, uint8_t address, PanelResult& result)
{
    result.FirstDifference = link.VerifyBlocks(address, result.Expected, result.Held);
    result.Verified = true;
    if (result.FirstDifference)
        result.Outcome = PanelOutcome::Differs;
}
}  // namespace

namespace PanelText {
QString FamilyMismatch(int fileFamily, int panelFamily)
{
    return QStringLiteral("Файл для %1, а панель - %2")
        .arg(FamilyName(fileFamily), FamilyName(panelFamily));
}
QString AddressTaken(uint8_t address, const QString& device)
{
    return QStringLiteral("По адресу %1 уже отвечает %2").arg(address).arg(device);
}
QString ApplyUnanswered()
{
    return QStringLiteral("панель не ответила на применение");
}
QString PollsUnanswered(int blocks)
{
    return QStringLiteral("опрос готовности без ответа (блоков: %1)").arg(blocks);
}
}  // namespace PanelText

LinkSettings SettingsOfImage(const LinkSettings& port, const ConfigImage& image)
{
    LinkSettings s = port;
    s.AddressText = QString::number(image[MBusSettings::NetAddress]);
    // A rate the panel does not know keeps the port's; a parity code it
    // does not know counts as none.
    SerialSettings known = port.Line;
    known.Parity = Parity::None;
    s.Line = LineOfImage(image, known);
    return s;
}

void WritePanel(PanelLink& link, const LinkSettings& settings, const WritePlan& plan,
                PanelResult& result)
{
    result = PanelResult{};
    result.Address = uint8_t(StrToInt(settings.AddressText));
    result.AddressAfter = result.Address;
    result.PanelFamily = link.Connect(settings, true);
    if (result.PanelFamily != plan.Family && !plan.Force)
        throw CommandError(PanelText::FamilyMismatch(plan.Family, result.PanelFamily));

    result.Expected = plan.Image;
    uint8_t& target = result.Expected[MBusSettings::NetAddress];
    if (plan.AddressRule == WritePlan::Address::Kept)
        target = result.Address;
    else if (plan.AddressRule == WritePlan::Address::Given)
        target = plan.GivenAddress;
    if (target != result.Address) {
        Pause(StepPauseMs);
        // Any answer at all means that the address is taken, panel or not.
        if (const ProbeAnswer there = link.WhoAnswers(target); there.Occupied())
            throw CommandError(PanelText::AddressTaken(target, there.Text()));
    }

    int unanswered = 0;
    link.WriteBlocks(result.Address, result.Expected, &unanswered);
    bool blocksConfirmed = unanswered == 0;
    bool applyAnswered = true;
    QString done = QStringLiteral("записано");
    if (plan.Apply) {
        Pause(StepPauseMs);
        applyAnswered = link.Apply(result.Address);
        done = QStringLiteral("записано и применено");
        result.AddressAfter = target;
        if (plan.Verify) {
            // The panel answers at block 1's address and line settings now.
            link.Disconnect();
            link.ConnectWithin(SettingsOfImage(settings, result.Expected), true, plan.WaitMs);
            ReadBack(link, target, result);
        }
    } else if (plan.Verify) {
        ReadBack(link, result.Address, result);
    }
    // A matching read-back proves the blocks, not that the apply was taken.
    if (result.Verified && !result.FirstDifference)
        blocksConfirmed = true;
    QStringList notes;
    if (!blocksConfirmed)
        notes << PanelText::PollsUnanswered(unanswered);
    if (!applyAnswered)
        notes << PanelText::ApplyUnanswered();
    if (result.Outcome != PanelOutcome::Differs && !notes.isEmpty())
        result.Outcome = PanelOutcome::NotConfirmed;
    if (result.Verified && !result.FirstDifference)
        done += QStringLiteral(", проверено");
    result.Message = notes.isEmpty() ? done : done + QStringLiteral("; ") + notes.join("; ");
}

PanelResult VerifyPanel(PanelLink& link, const LinkSettings& settings, const ConfigImage& image,
                        int family)
{
    PanelResult result;
    result.Address = uint8_t(StrToInt(settings.AddressText));
    result.AddressAfter = result.Address;
    result.PanelFamily = link.Connect(settings, true);
    Pause(StepPauseMs);
    result.Expected = image;
    result.Expected[MBusSettings::NetAddress] = result.Address;
    ReadBack(link, result.Address, result);
    if (result.PanelFamily != family) {
        result.Outcome = PanelOutcome::Differs;
        result.Message = PanelText::FamilyMismatch(family, result.PanelFamily);
    } else {
        result.Message = result.FirstDifference ? QStringLiteral("отличается от файла")
                                                : QStringLiteral("совпадает с файлом");
    }
    return result;
}
