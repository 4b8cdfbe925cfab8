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

std::optional<int> BaudRowForRate(int bitsPerSecond)
{
    for (int row = 0; row < int(BaudRateTable.size()); ++row)
        if (BaudRateTable[row].BitsPerSecond == bitsPerSecond)
            return row;
    return std::nullopt;
}

namespace {
uint8_t ParityBits(Parity parity)
{
    switch (parity) {
        case Parity::Even: return MBusSettings::EvenParity;
        case Parity::Odd: return MBusSettings::OddParity;
        case Parity::None: break;
    }
    return 0x00;
}
}  // namespace

uint8_t ParityCode(Parity parity)
{
    return ParityBits(parity) >> 4;
}

std::optional<Parity> ParityFromLineFlags(uint8_t lineFlags)
{
    for (const Parity parity : {Parity::None, Parity::Even, Parity::Odd})
        if ((lineFlags & MBusSettings::ParityMask) == ParityBits(parity))
            return parity;
    return std::nullopt;
}

uint8_t LineFlagsFor(bool twoStopBits, Parity parity)
{
    return uint8_t((twoStopBits ? MBusSettings::TwoStopBits : 0) | ParityBits(parity));
}

SerialSettings LineOfImage(const ConfigImage& image, const SerialSettings& known)
{
    SerialSettings line = known;
    if (const auto row = BaudRowForDivisor(image[MBusSettings::BaudDivisor]))
        line.BaudRate = BaudRateTable[*row].BitsPerSecond;
    const uint8_t flags = image[MBusSettings::LineFlags];
    line.StopBits = flags & MBusSettings::TwoStopBits ? 2 : 1;
    if (const auto parity = ParityFromLineFlags(flags))
        line.Parity = *parity;
    return line;
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

bool StoreMBusSettings(ConfigImage& image, uint8_t netAddress, const SerialSettings& line)
{
    const auto row = BaudRowForRate(line.BaudRate);
    if (!row || (line.StopBits != 1 && line.StopBits != 2))
        return false;
    StoreMBusSettings(image, netAddress, *row, line.StopBits == 2, line.Parity);
    return true;
}
