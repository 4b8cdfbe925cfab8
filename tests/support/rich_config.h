#pragma once

// A configuration that uses every kind of value the report shows: all
// contact kinds, windows lit by one, two or no inputs, relay acknowledge
// and reset inputs, unassigned inputs, every window type and a byte no type
// has, every output type with each source, and filled network tables. The
// bytes are given as plain rules so that a test can say what each field
// holds without asking the tool.
#include "model/block_crc.h"
#include "model/config_image.h"
#include "model/dev_config.h"
#include "model/input_assignment.h"
#include "model/input_type.h"
#include "model/mbus_settings.h"
#include "model/new_configuration.h"
#include "model/out_data_base.h"
#include "model/output_activation.h"
#include "model/request_table.h"
#include "model/window_types.h"

namespace Rich {
inline bool Closed(int input)
{
    return input % 3 == 0;
}
// 1..32: a window each (a permutation), 33..40: acknowledge relay 1..8,
// 41..48: reset relay 1..8, 49..56: windows 1..8 again, 57..64: none.
inline uint8_t Assignment(int input)
{
    if (input <= 32)
        return uint8_t((input * 7) % 32);
    if (input <= 40)
        return uint8_t(100 + input - 33);
    if (input <= 48)
        return uint8_t(116 + input - 41);
    if (input <= 56)
        return uint8_t(input - 49);
    return 255;
}
inline uint8_t Relays(int input)
{
    return uint8_t(input * 37);
}
// Window 32 holds a byte that is no type.
inline uint8_t WindowCode(int window)
{
    return window == 32 ? 7 : uint8_t(window % 6);
}
inline uint8_t OutMode(int output)
{
    return uint8_t((output - 1) % 4 | (output * 4 & 0x3C));
}
inline uint8_t AckInput(int output)
{
    return output == 8 ? 255 : uint8_t(output * 3 - 1);  // input 3 * output
}
inline uint8_t ResetInput(int output)
{
    return output == 7 ? 255 : uint8_t(64 - output);  // input 65 - output
}
inline RequestRecord Record(NetTable table, int k)
{
    return {uint8_t(10 * int(table) + k), uint8_t(k % 2 ? 3 : 4), uint16_t(0x1000 + 0x111 * k),
            uint8_t(k + 1)};
}
inline int Records(NetTable table)
{
    return table == NetTable::Request ? 5 : table == NetTable::Ack ? 2 : 1;
}
constexpr uint8_t Address = 17;
constexpr int BaudRow = 2;  // 19200
constexpr uint8_t LineTimeout = 5;

inline ConfigImage Image()
{
    ConfigImage image = NewConfigurationImage();
    image[DevConfig::LineTimeout] = LineTimeout;
    StoreMBusSettings(image, Address, BaudRow, false, Parity::Even);
    for (int n = 1; n <= InputType::InputCount; ++n) {
        SetInputContact(image, n,
                        Closed(n) ? ContactType::NormallyClosed : ContactType::NormallyOpen);
        SetInputAssignmentCode(image, n, Assignment(n));
        image[OutputActivation::Offset + n - 1] = Relays(n);
    }
    for (int w = 1; w <= WindowTypes::WindowCount; ++w)
        image[WindowTypes::Offset + w - 1] = WindowCode(w);
    for (int o = 1; o <= OutDataBase::OutputCount; ++o) {
        image[OutModeOffsetOf(o)] = OutMode(o);
        image[ExternalInputOffsetOf(o, OutAction::Ack)] = AckInput(o);
        image[ExternalInputOffsetOf(o, OutAction::Reset)] = ResetInput(o);
    }
    for (NetTable table : {NetTable::Request, NetTable::Ack, NetTable::Reset}) {
        const int base = NetTableOffset(table);
        image[base] = uint8_t(Records(table));
        for (int k = 1; k <= Records(table); ++k) {
            const RequestRecord r = Record(table, k);
            uint8_t* at = image.data() + base + 1 + (k - 1) * ExternalNet::RecordLength;
            at[0] = r.Device;
            at[1] = r.Function;
            at[2] = uint8_t(r.Address);
            at[3] = uint8_t(r.Address >> 8);
            at[4] = r.Count;
        }
    }
    StampBlockCrcs(image);
    return image;
}
}  // namespace Rich
