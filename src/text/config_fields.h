#pragma once

#include "model/config_image.h"

#include <QList>
#include <QString>

#include <cstdint>

// Every field of the configuration image, once, as data: where it lies,
// what values it takes and what the pages call it. The JSON document, the
// comparison of two images and the naming of a difference are all made
// from these rows.

// How a field's value reads as text.
enum class FieldFormat : uint8_t {
    Number,       // the value in decimal
    Flag,         // 0 no, 1 yes
    Names,        // one of the row's value names
    NamedNumber,  // the names are numbers (a rate): JSON gives a name's number, else the byte
    Assignment,   // an input's assignment code: a window, a relay's ack or reset, none
    InputNumber,  // an external input's code: 0..63 input 1..64, 255 none
    Hex,          // a byte the pages do not show
};

struct FieldValueName {
    int Code;
    QString Key;   // English, as JSON gives it where a name helps: "closed"
    QString Text;  // as the page shows it: "Н.З."
};

struct FieldRow {
    QString Path;         // "modbus.address", "inputs[12].contact"
    int Block = 0;        // 0..9
    int Offset = 0;       // in the image
    int Width = 1;        // bytes, low byte first
    uint8_t Mask = 0xFF;  // the bits of a one-byte field
    int Min = 0;          // the range the pages keep it in
    int Max = 255;
    QString Label;  // "Вход 12: тип контакта"
    FieldFormat Format = FieldFormat::Number;
    QList<FieldValueName> Names;  // for FieldFormat::Names and NamedNumber
};

// All rows in page order: device, modbus, inputs (contact, assignment,
// relays), outputs, windows, the three external network tables.
const QList<FieldRow>& ConfigFields();

// The row of a path, or null.
const FieldRow* FindField(const QString& path);
// The row's value in an image (masked and shifted down; two bytes low first).
int FieldValue(const FieldRow& row, const ConfigImage& image);
// The row's value as the page would read it, in Russian.
QString FieldValueText(const FieldRow& row, int value);
// The English name of a value where the row has names, else empty.
QString FieldValueKey(const FieldRow& row, int value);
// The number JSON gives for a value: a NamedNumber row's listed value as
// its name's number (19200 for code 23), any other value as itself.
int FieldJsonNumber(const FieldRow& row, int value);

// The rows that hold image byte `offset` in bits that differ between `a`
// and `b` (all rows at the offset when the bytes are equal).
QList<const FieldRow*> FieldsAt(int offset, uint8_t a, uint8_t b);

struct FieldDifference {
    const FieldRow* Row;
    int A;
    int B;
};
// The fields whose values differ, in page order, over blocks first..last.
QList<FieldDifference> DiffFields(const ConfigImage& a, const ConfigImage& b, int firstBlock = 0,
                                  int lastBlock = ConfigBlockCount - 1);

// One differing byte in the terms of the pages: "блок 2, байт 3 (Вход 25:
// тип контакта): панель 0x01, файл 0x00".
QString ByteDifferenceText(int offset, uint8_t panel, uint8_t file);
