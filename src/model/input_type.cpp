#include "model/input_type.h"

#include "model/bits.h"

#include <algorithm>

const char* ContactTypeName(ContactType type)
{
    return type == ContactType::NormallyClosed ? "Н.З." : "Н.Р.";
}

ContactType InputContact(const ConfigImage& image, int input)
{
    return TestBit(input - 1, image.data() + InputType::Offset) ? ContactType::NormallyClosed
                                                                : ContactType::NormallyOpen;
}

void SetInputContact(ConfigImage& image, int input, ContactType type)
{
    SetBit(input - 1, image.data() + InputType::Offset, type == ContactType::NormallyClosed);
}

ContactType ToggleInputContact(ConfigImage& image, int input)
{
    const ContactType next = InputContact(image, input) == ContactType::NormallyClosed
                                 ? ContactType::NormallyOpen
                                 : ContactType::NormallyClosed;
    SetInputContact(image, input, next);
    return next;
}

void DefaultInputTypeBytes(ConfigImage& image)
{
    FillInputTypes(image, ContactType::NormallyOpen, true);
}

uint8_t InputTypeFillByte(ContactType type)
{
    return type == ContactType::NormallyClosed ? 0xFF : 0x00;
}

void FillInputTypes(ConfigImage& image, ContactType type, bool modbusMaster)
{
    const int bytes = modbusMaster ? InputType::Length : InputType::DiscreteBytes;
    auto* first = image.data() + InputType::Offset;
    std::fill(first, first + bytes, InputTypeFillByte(type));
}
