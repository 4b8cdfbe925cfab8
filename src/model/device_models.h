#pragma once

#include "model/config_image.h"

#include <QString>

#include <array>
#include <optional>

// One panel model: what it has fitted and the family it belongs to.
struct DeviceModel {
    const char* Name;  // as shown in the model list
    int32_t InputModules;
    int32_t RelayModules;
    int32_t WindowCount;
    int32_t FamilyCode;
    const char* Composition;
};

extern const std::array<DeviceModel, 5> DeviceModels;

// Values to model: the first row whose four numbers equal image bytes 0..2
// (unsigned) and the family code, or nothing.
std::optional<int> FindDeviceModel(uint8_t inputModules, uint8_t relayModules, uint8_t windowCount,
                                   int32_t familyCode);
std::optional<int> FindDeviceModel(const ConfigState& state);

// Model to values: bytes 0..2 of block 0 and the family code from row `row`.
void ApplyDeviceModel(int row, ConfigState& state);

// "32 окна", "16 окон", "12 окон"; empty for other counts.
QString WindowCountText(int windowCount);

// "ОРЛ-07" for family 0, "ОРЛ-09" for family 1; a file may carry any other
// code: "ОРЛ (код семейства 5)". Every output names a family so.
QString FamilyName(int family);
