#include "model/mbus_settings.h"

const std::array<BaudRateRow, 7> BaudRateTable{{
    {"9600     бод", 9600, 47, 115, 6},
    {"14400   бод", 14400, 31, 115, 6},
    {"19200   бод", 19200, 23, 115, 6},
    {"28800   бод", 28800, 15, 115, 6},
    {"38400   бод", 38400, 11, 115, 6},
    {"57600   бод", 57600, 7, 115, 6},
    {"115200 бод", 115200, 3, 115, 6},
}};

void DefaultMBSettingsBytes(ConfigImage& image)
{
    StoreMBusSettings(image, 1, 0, true, Parity::None);
    image[MBusSettings::Reserved5] = 0;
    image[MBusSettings::Reserved6] = 0;
}

std::optional<int> BaudRowForDivisor(uint8_t divisor)
{
    for (int row = 0; row < int(BaudRateTable.size()); ++row)
        if (BaudRateTable[row].Divisor == divisor)
            return row;
    return std::nullopt;
}

std::optional<Parity> ParityFromLineFlags(uint8_t lineFlags)
{
    switch (lineFlags & MBusSettings::ParityMask) {
        case 0x00: return Parity::None;
        case MBusSettings::EvenParity: return Parity::Even;
        case MBusSettings::OddParity: return Parity::Odd;
        default: return std::nullopt;
    }
}

uint8_t LineFlagsFor(bool twoStopBits, Parity parity)
{
    uint8_t flags = twoStopBits ? MBusSettings::TwoStopBits : 0;
    if (parity == Parity::Even)
        flags |= MBusSettings::EvenParity;
    if (parity == Parity::Odd)
        flags |= MBusSettings::OddParity;
    return flags;
}

void StoreMBusSettings(ConfigImage& image, uint8_t netAddress, int baudRow, bool twoStopBits,
                       Parity parity)
{
    image[MBusSettings::NetAddress] = netAddress;
    const BaudRateRow& row = BaudRateTable.at(baudRow);
    image[MBusSettings::BaudDivisor] = row.Divisor;
    image[MBusSettings::RateByte2] = row.Byte2;
    image[MBusSettings::RateByte3] = row.Byte3;
    image[MBusSettings::LineFlags] = LineFlagsFor(twoStopBits, parity);
}
