#include "model/out_data_base.h"

using namespace OutDataBase;

const std::array<OutTypeRow, 4> OutTypeList{{
    {OutType::LightSignalling, "  Световая сигнализация", "Световая"},
    {OutType::SoundSignalling, "  Звуковая сигнализация", "Звуковая"},
    {OutType::Control, "  Управление", "Управление"},
    {OutType::ControlWithBlocking, "  Управление с блок.", "Управление с блок."},
}};

std::optional<OutType> OutTypeAt(int listPosition)
{
    if (listPosition < 0 || listPosition >= int(OutTypeList.size()))
        return std::nullopt;
    return OutTypeList[listPosition].Type;
}

int ListPositionOf(OutType type)
{
    for (int p = 0; p < int(OutTypeList.size()); ++p)
        if (OutTypeList[p].Type == type)
            return p;
    return 0;
}

const char* OutTypeText(OutType type)
{
    return OutTypeList[ListPositionOf(type)].ListText;
}

OutType OutTypeOf(uint8_t outMode)
{
    return OutType(outMode & TypeMask);
}

uint8_t OutTypeFillByte(OutType type)
{
    return uint8_t(type) | SourceBits;
}

const char* OutActionName(OutAction action)
{
    return action == OutAction::Ack ? "Квитирование" : "Сброс";
}

const char* OutSourceName(OutSource source)
{
    switch (source) {
        case OutSource::Panel: return "Панель";
        case OutSource::Modbus: return "ModBus";
        case OutSource::ExternalInput: break;
    }
    return "Внешн.";
}

bool OutActionAllowed(OutType type, OutAction action)
{
    switch (type) {
        case OutType::Control: return false;
        case OutType::ControlWithBlocking: return action == OutAction::Reset;
        case OutType::LightSignalling:
        case OutType::SoundSignalling: break;
    }
    return true;
}

uint8_t OutModeBit(OutAction action, OutSource source)
{
    const bool ack = action == OutAction::Ack;
    switch (source) {
        case OutSource::Panel: return ack ? AckFromPanelBit : ResetFromPanelBit;
        case OutSource::Modbus: return ack ? AckByModbusBit : ResetByModbusBit;
        case OutSource::ExternalInput: break;
    }
    return 0;
}

int OutModeOffsetOf(int output)
{
    return OutModeOffset + output - 1;
}

int ExternalInputOffsetOf(int output, OutAction action)
{
    return (action == OutAction::Ack ? AckInputOffset : ResetInputOffset) + output - 1;
}

OutType OutputType(const ConfigImage& image, int output)
{
    return OutTypeOf(image[OutModeOffsetOf(output)]);
}

void SetOutputType(ConfigImage& image, int output, OutType type)
{
    uint8_t& mode = image[OutModeOffsetOf(output)];
    mode = uint8_t((mode & ~TypeMask) | uint8_t(type));
}

bool OutputSource(const ConfigImage& image, int output, OutAction action, OutSource source)
{
    return (image[OutModeOffsetOf(output)] & OutModeBit(action, source)) != 0;
}

void SetOutputSource(ConfigImage& image, int output, OutAction action, OutSource source, bool on)
{
    uint8_t& mode = image[OutModeOffsetOf(output)];
    const uint8_t bit = OutModeBit(action, source);
    mode = on ? uint8_t(mode | bit) : uint8_t(mode & ~bit);
}

std::optional<int> ExternalInputNumber(uint8_t code)
{
    if (code < MaxInputNumber)
        return code + 1;
    return std::nullopt;
}

std::optional<uint8_t> ExternalInputCodeFromText(const QString& text)
{
    if (text.isEmpty())
        return NoInput;
    int number = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9') || number > MaxInputNumber)
            return std::nullopt;
        number = number * 10 + (c.unicode() - '0');
    }
    if (number < 1 || number > MaxInputNumber)
        return std::nullopt;
    return uint8_t(number - 1);
}

void DefaultOutDataBaseBytes(ConfigImage& image)
{
    const uint8_t first =
        uint8_t((image[OutModeOffset] & KeptBits) | SourceBits | uint8_t(OutType::SoundSignalling));
    for (int output = 1; output <= OutputCount; ++output) {
        image[OutModeOffsetOf(output)] = first;
        image[ExternalInputOffsetOf(output, OutAction::Ack)] = NoInput;
        image[ExternalInputOffsetOf(output, OutAction::Reset)] = NoInput;
    }
    for (int output = 5; output <= OutputCount; ++output)
        SetOutputType(image, output, OutType::LightSignalling);
}

void FillOutDataBase(ConfigImage& image, OutType type)
{
    for (int output = 1; output <= OutputCount; ++output) {
        image[OutModeOffsetOf(output)] = OutTypeFillByte(type);
        image[ExternalInputOffsetOf(output, OutAction::Ack)] = NoInput;
        image[ExternalInputOffsetOf(output, OutAction::Reset)] = NoInput;
    }
}
