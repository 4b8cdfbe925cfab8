#pragma once

#include "model/config_image.h"
#include "model/serial_settings.h"

#include <QString>

#include <array>
#include <optional>

// Block 1 (`MBusSettings`): the panel's own Modbus slave port.
namespace MBusSettings {
constexpr int NetAddress = 22;
constexpr int BaudDivisor = 23;
constexpr int LineFlags = 24;
constexpr int RateByte2 = 25;
constexpr int RateByte3 = 26;
constexpr int Reserved5 = 27;
constexpr int Reserved6 = 28;

constexpr uint8_t TwoStopBits = 0x08;
constexpr uint8_t ParityMask = 0x30;
constexpr uint8_t EvenParity = 0x20;
constexpr uint8_t OddParity = 0x30;
}  // namespace MBusSettings

struct BaudRateRow {
    const char* Text;  // the list item, padded so that "бод" lines up
    int BitsPerSecond;
    uint8_t Divisor;
    uint8_t Byte2;
    uint8_t Byte3;
};

extern const std::array<BaudRateRow, 7> BaudRateTable;

// New: address 1, 9600 baud, two stop bits, no parity, bytes 5 and 6 zero.
void DefaultMBSettingsBytes(ConfigImage& image);

// The first rate row whose divisor matches, or nothing.
std::optional<int> BaudRowForDivisor(uint8_t divisor);
// The rate row of `bitsPerSecond`, or nothing for a rate the panel does not offer.
std::optional<int> BaudRowForRate(int bitsPerSecond);

// The parity's code in `LineFlags` bits 4..5: 0 none, 2 even, 3 odd.
uint8_t ParityCode(Parity parity);
// The parity that `LineFlags` bits 4..5 stand for; nothing for 01.
std::optional<Parity> ParityFromLineFlags(uint8_t lineFlags);

uint8_t LineFlagsFor(bool twoStopBits, Parity parity);

// The line settings block 1 of `image` holds. A divisor or a parity code
// the panel does not know leaves `known`'s rate or parity; the echo is
// `known`'s, the block has none.
SerialSettings LineOfImage(const ConfigImage& image, const SerialSettings& known);

// Writes address, rate row and line flags; bytes 5 and 6 are not written.
void StoreMBusSettings(ConfigImage& image, uint8_t netAddress, int baudRow, bool twoStopBits,
                       Parity parity);
// The same from `line`; false, with nothing written, for a rate the panel
// does not offer or stop bits other than 1 and 2.
bool StoreMBusSettings(ConfigImage& image, uint8_t netAddress, const SerialSettings& line);
