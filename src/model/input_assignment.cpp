#include "model/input_assignment.h"

#include "model/model_texts.h"

#include <algorithm>

using namespace InputAssignment;

const std::array<AssignmentKindRow, 4> AssignmentKinds{{
    {AssignmentKind::akWindow, "  Окно сигнализации:", 0, WindowCount, WindowCount,
     " Окно вне диапазона 1 - 32"},
    {AssignmentKind::akRelayAck, "  Квитирование реле:", RelayAckFirst, RelayCodeCount, 8,
     ModelText::RelayOutOfRange},
    {AssignmentKind::akRelayReset, "  Сброс реле:", RelayResetFirst, RelayCodeCount, 8,
     ModelText::RelayOutOfRange},
    {AssignmentKind::akNone, "  —", NoAssignment, 1, 0, ""},
}};

namespace {
std::optional<int> RelayFrom(uint8_t code, uint8_t first)
{
    if (code >= first && code < first + RelayCodeCount)
        return code - first + 1;
    return std::nullopt;
}

bool HoldsCode(const AssignmentKindRow& row, uint8_t code)
{
    return code >= row.FirstCode && code < row.FirstCode + row.CodeCount;
}
}  // namespace

std::optional<int> AckRelayOf(uint8_t code)
{
    return RelayFrom(code, RelayAckFirst);
}

std::optional<int> ResetRelayOf(uint8_t code)
{
    return RelayFrom(code, RelayResetFirst);
}

RelayInputs AssignedRelayInputs(const ConfigImage& image)
{
    RelayInputs inputs;
    const int relays = int(inputs.Ack.size());
    for (int input = 1; input <= Length; ++input) {
        const uint8_t code = image[Offset + input - 1];
        if (const auto relay = AckRelayOf(code); relay && *relay <= relays)
            inputs.Ack[*relay - 1] = input;
        if (const auto relay = ResetRelayOf(code); relay && *relay <= relays)
            inputs.Reset[*relay - 1] = input;
    }
    return inputs;
}

const AssignmentKindRow& AssignmentKindInfo(AssignmentKind kind)
{
    return AssignmentKinds[size_t(kind)];
}

AssignmentKind AssignmentKindOf(uint8_t code)
{
    for (const AssignmentKindRow& row : AssignmentKinds)
        if (row.Kind != AssignmentKind::akNone && HoldsCode(row, code))
            return row.Kind;
    return AssignmentKind::akNone;
}

std::optional<AssignmentKind> AssignmentKindOfText(const QString& text)
{
    for (const AssignmentKindRow& row : AssignmentKinds)
        if (text == QString::fromUtf8(row.Text))
            return row.Kind;
    return std::nullopt;
}

QString AssignmentKindText(AssignmentKind kind)
{
    return QString::fromUtf8(AssignmentKindInfo(kind).Text);
}

std::optional<int> AssignmentNumber(uint8_t code)
{
    const AssignmentKind kind = AssignmentKindOf(code);
    if (kind == AssignmentKind::akNone)
        return std::nullopt;
    return code - AssignmentKindInfo(kind).FirstCode + 1;
}

std::optional<uint8_t> AssignmentCodeFor(AssignmentKind kind, const QString& numberText)
{
    const AssignmentKindRow& row = AssignmentKindInfo(kind);
    if (kind == AssignmentKind::akNone)
        return NoAssignment;
    // The cell takes two digits at most; anything else is no number.
    bool ok = numberText.isEmpty();
    int number = 0;
    if (!ok && numberText.size() <= 2 &&
        std::all_of(numberText.begin(), numberText.end(), [](QChar c) { return c.isDigit(); }))
        number = numberText.toInt(&ok);
    if (!ok || number < 1 || number > row.MaxNumber)
        return std::nullopt;
    return uint8_t(row.FirstCode + number - 1);
}

uint8_t InputAssignmentCode(const ConfigImage& image, int input)
{
    return image[Offset + input - 1];
}

void SetInputAssignmentCode(ConfigImage& image, int input, uint8_t code)
{
    image[Offset + input - 1] = code;
}

void DefaultInputAssignmentBytes(ConfigImage& image)
{
    FillInputAssignment(image, CrossBarFill::FromInputModules);
}

void FillInputAssignment(ConfigImage& image, CrossBarFill fill)
{
    std::fill_n(image.begin() + Offset, Length, NoAssignment);
    if (fill == CrossBarFill::Empty)
        return;
    const int first = fill == CrossBarFill::FromInputModules ? 1 : DiscreteInputCount + 1;
    for (int window = 1; window <= WindowCount; ++window)
        SetInputAssignmentCode(image, first + window - 1, uint8_t(window - 1));
}
