#pragma once

#include "model/config_image.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

// Every field of the configuration image, once, as data: where it lies,
// what values it takes, what the pages call it and where it is shown. The
// JSON document and its schema, show's listing, the report, the comparison
// of two images and the naming of a difference are all made from these rows.

// How a field's value reads as text.
enum class FieldFormat : uint8_t {
    Number,       // the value in decimal
    Flag,         // 0 no, 1 yes
    Names,        // one of the row's value names
    NamedNumber,  // the names are numbers (a rate): JSON gives a name's number, else the byte
    Assignment,   // an input's assignment code: a window, a relay's ack or reset, none
    InputNumber,  // an external input's code: 0..63 input 1..64, 255 none
    Hex,          // a byte in hexadecimal, the field's bits in their places: 0x40
    HexWord,      // two bytes in hexadecimal: 0x1000
    Address,      // a slave address; the page shows no 0
    Timeout,      // line control: 0 off, else the time-out in seconds the list offers
    RecordCount,  // a network table's count of records in use (the table has 16)
};

// Where a field is shown: the sections of show in their order. The report
// lays the same sections out under its own headings.
enum class FieldSection : uint8_t {
    Device,
    Modbus,
    Inputs,
    Crossbar,
    Activation,
    Outputs,
    Windows,
    Requests,
    Acks,
    Resets,
};
constexpr int FieldSectionCount = 10;

struct FieldSectionInfo {
    FieldSection Section;
    QString Title;  // show's section: "Структура: назначение входов"
    // The report's heading; "A: b" is part A with a table headed "B", and
    // sections with one heading share one table.
    QString Heading;
    int ReportRank;    // the report's parts in ascending rank
    bool NewPage;      // the report's part starts a printed page
    QString ItemName;  // an element of the section's table: "Вход"; empty: single fields
    QString ItemId;    // the report's row id of an element: "input" gives "input-12"
};

// The sections in show's order.
const QList<FieldSectionInfo>& FieldSections();
const FieldSectionInfo& SectionInfo(FieldSection section);

// How the fields of one line of show (one row or cell of the report) read
// together. Rows of a section with the same element and Line share a line.
enum class FieldJoin : uint8_t {
    Own,  // the field alone: its value text
    Set,  // the Parts of the set flags, the value text of a named input; "—" for none
    Bytes,  // the bytes no control shows, in hexadecimal: "Прочие байты (флаги 2-7, 4, 6-19)"
    Record,  // a network record, "устройство 1, функция 0x03, ..."; past the count the
             // records' bytes are "Неиспользуемые записи", shown when any is not zero
};

// What a value tells beyond itself.
enum class FieldNote : uint8_t {
    None,
    Locks,  // an output type: the settings it locks
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
    QString Label;        // "Вход 12: тип контакта"
    FieldFormat Format = FieldFormat::Number;
    QList<FieldValueName> Names;  // for FieldFormat::Names and NamedNumber
    // Where and how it is shown.
    FieldSection Section = FieldSection::Device;
    int Item = 0;  // its element (input, output, window, record) from 1; 0: none
    // The line it is on: after the element's name for an element's field
    // ("тип контакта" gives "Вход 12: тип контакта"), else the whole label;
    // empty for the element's only line.
    QString Line;
    QString Column;  // the line as a column of its elements' table, where not Line: "Тип контакта"
    QString Part;  // its name within a joined line: "Панель", "3", "функция", "флаги 2-7"
    FieldJoin Join = FieldJoin::Own;
    bool Optional = false;  // shown only while set: bits nothing on the page uses
    FieldNote Note = FieldNote::None;
};

// All rows in page order: device, modbus, inputs (contact, assignment,
// relays), outputs, windows, the three external network tables.
const QList<FieldRow>& ConfigFields();

// The row of a path, or null.
const FieldRow* FindField(const QString& path);

// The fields code names by their paths. Each name is checked for every
// element when the table is built: a misspelt path stops the program at
// start with its name, never later as a missing row.
enum class NamedField : uint8_t {
    InputModules,     // device.input_modules
    RelayModules,     // device.relay_modules
    WindowCount,      // device.window_count
    WindowType,       // windows[w].type, w 1..32
    InputAssignment,  // inputs[n].assignment, n 1..64
};
// The row of a named field; `item` from 1 for the fields of a table.
const FieldRow& Field(NamedField field, int item = 0);

struct FieldName {
    QString Pattern;  // "windows[%1].type"; no %1 for a single field
    int Items;        // the elements it is checked for; 0 for a single field
};
// The paths of `names` that no row has, each element's own.
QStringList MissingFields(const QList<FieldName>& names);

// The row's value in an image (masked and shifted down; two bytes low first).
int FieldValue(const FieldRow& row, const ConfigImage& image);
// The largest value the row's bits hold.
int FieldMaxValue(const FieldRow& row);
// Whether `value` fits the row's bits (a field whose bits are not side by
// side takes only values with the gaps clear).
bool FieldHolds(const FieldRow& row, int value);
// The row's value as the page would read it, in Russian.
QString FieldValueText(const FieldRow& row, int value);
// The English name of a value where the row has names, else empty.
QString FieldValueKey(const FieldRow& row, int value);
// The number JSON gives for a value: a NamedNumber row's listed value as
// its name's number (19200 for code 23), any other value as itself.
int FieldJsonNumber(const FieldRow& row, int value);
// Whether a value counts as set: a flag on, an input named, else not zero.
bool FieldIsSet(const FieldRow& row, int value);
// The row's note on a value: for an output type the settings it locks,
// "квитирование и сброс", "квитирование", "сброс"; empty for none.
QString FieldNoteText(const FieldRow& row, int value);
// The note as a phrase: "квитирование и сброс заблокированы",
// "квитирование заблокировано"; empty for none.
QString FieldNoteSentence(const FieldRow& row, int value);

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

// The block of an image offset, -1 outside every block's payload.
int FieldBlockOf(int offset);

// The family is one signed byte of a file's header.
constexpr int FamilyMin = -128;
constexpr int FamilyMax = 127;
