#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// One device of the line as the option --device names it:
// "ADDR:KIND[,key=value...]" with KIND panel07, panel09, modbus or garbled;
// keys firmware=M.N and revision=N for panels, ident-exception (no value)
// for a Modbus device.
struct DeviceOption {
    enum class Kind { Panel, Modbus, Garbled };

    uint8_t Address = 1;
    Kind DeviceKind = Kind::Panel;
    int Family = 0;  // panels: 0 ОРЛ-07, 1 ОРЛ-09
    std::optional<uint8_t> FirmwareMajor;
    uint8_t FirmwareMinor = 0;
    std::optional<uint8_t> Revision;
    bool IdentException = false;

    // Nothing, with the reason in `error`, when the text is not one.
    static std::optional<DeviceOption> Parse(const QString& text, QString* error = nullptr);
};

// A byte in decimal or 0x-hex.
bool ParseByteOption(const QString& text, uint8_t& value);
// "M.N" with bytes M and N.
bool ParseFirmwareOption(const QString& text, uint8_t& major, uint8_t& minor);
