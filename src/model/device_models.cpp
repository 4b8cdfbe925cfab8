#include "model/device_models.h"

const std::array<DeviceModel, 5> DeviceModels{{
    {"ОРЛ-07", 2, 1, 32, 0, "2 * БВХ-7 + БРК-54"},
    {"ОРЛ-07-01", 0, 0, 32, 0, "——"},
    {"ОРЛ-07-02", 1, 1, 16, 0, "БВХ-7 + БРК-54"},
    {"ОРЛ-07-03", 0, 0, 16, 0, "——"},
    {"ОРЛ-09", 0, 0, 12, 1, "——"},
}};

std::optional<int> FindDeviceModel(uint8_t inputModules, uint8_t relayModules, uint8_t windowCount,
                                   int32_t familyCode)
{
    for (int row = 0; row < int(DeviceModels.size()); ++row) {
        const DeviceModel& m = DeviceModels[row];
        if (m.InputModules == inputModules && m.RelayModules == relayModules &&
            m.WindowCount == windowCount && m.FamilyCode == familyCode)
            return row;
    }
    return std::nullopt;
}

std::optional<int> FindDeviceModel(const ConfigState& state)
{
    return FindDeviceModel(state.Image[0], state.Image[1], state.Image[2], state.FamilyCode);
}

void ApplyDeviceModel(int row, ConfigState& state)
{
    const DeviceModel& m = DeviceModels.at(row);
    state.Image[0] = uint8_t(m.InputModules);
    state.Image[1] = uint8_t(m.RelayModules);
    state.Image[2] = uint8_t(m.WindowCount);
    state.FamilyCode = m.FamilyCode;
}

QString WindowCountText(int windowCount)
{
    switch (windowCount) {
        case 12: return QStringLiteral("12 окон");
        case 16: return QStringLiteral("16 окон");
        case 32: return QStringLiteral("32 окна");
        default: return {};
    }
}

QString FamilyName(int family)
{
    // A family is named after its first model.
    for (const DeviceModel& m : DeviceModels)
        if (m.FamilyCode == family)
            return QString::fromUtf8(m.Name);
    return QStringLiteral("ОРЛ (код семейства %1)").arg(family);
}
