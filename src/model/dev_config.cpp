#include "model/dev_config.h"

#include "model/device_models.h"

void DefaultDevConfigBytes(ConfigState& state)
{
    ApplyDeviceModel(0, state);
    ConfigImage& image = state.Image;
    SetDevFlag(image, DevConfig::FixConfigBit, true);
    SetDevFlag(image, DevConfig::MBusMasterBit, false);
    image[DevConfig::LineTimeout] = 0;
    for (int i = DevConfig::ClearedByNewFrom; i < DevConfig::Length; ++i)
        image[i] = 0;
    state.FamilyCode = 0;
}

bool DevFlag(const ConfigImage& image, uint8_t bit)
{
    return (image[DevConfig::DevFlags] & bit) != 0;
}

void SetDevFlag(ConfigImage& image, uint8_t bit, bool on)
{
    if (on)
        image[DevConfig::DevFlags] |= bit;
    else
        image[DevConfig::DevFlags] &= uint8_t(~bit);
}

std::optional<int> TimeoutIndexFor(uint8_t lineTimeout)
{
    if (lineTimeout >= 1 && lineTimeout <= DevConfig::MaxLineTimeout)
        return lineTimeout - 1;
    return std::nullopt;
}

uint8_t LineTimeoutFromControls(bool lineControl, int selectedIndex)
{
    if (!lineControl || selectedIndex < 0 || selectedIndex >= DevConfig::MaxLineTimeout)
        return 0;
    return uint8_t(selectedIndex + 1);
}

QString TimeoutItemText(int seconds)
{
    return QString::number(seconds) + QStringLiteral(" с");
}
