#pragma once

#include "model/config_image.h"

#include <optional>

// Block 0 (`DevConfig`): module counts, window count, option flags and the
// line-control time-out.
namespace DevConfig {
constexpr int InputModules = 0;
constexpr int RelayModules = 1;
constexpr int WindowCount = 2;
constexpr int DevFlags = 3;
constexpr int LineTimeout = 5;
constexpr int ClearedByNewFrom = 6;  // bytes 6..19 are cleared by New
constexpr int Length = 20;

constexpr uint8_t FixConfigBit = 0x01;
constexpr uint8_t MBusMasterBit = 0x02;

constexpr int MaxLineTimeout = 60;      // seconds; the time-out list has one item per second
constexpr int DefaultTimeoutIndex = 4;  // the 5-second item
}  // namespace DevConfig

// The new-configuration values of block 0 (those of the model "ОРЛ-07"):
// 2, 1, 32; fixed configuration on, Modbus master off, bits 2..7 kept;
// line control off; bytes 6..19 cleared; byte 4 kept; family 0.
void DefaultDevConfigBytes(ConfigState& state);

bool DevFlag(const ConfigImage& image, uint8_t bit);
void SetDevFlag(ConfigImage& image, uint8_t bit, bool on);

// The time-out list item for a stored `LineTimeout` of 1..60, or nothing
// for a value the list cannot show (0 means line control off).
std::optional<int> TimeoutIndexFor(uint8_t lineTimeout);

// The `LineTimeout` that the controls stand for: the selected item + 1 when
// line control is ticked (no selection, index -1, gives 0), else 0.
uint8_t LineTimeoutFromControls(bool lineControl, int selectedIndex);

// "1 с" ... "60 с"
QString TimeoutItemText(int seconds);
