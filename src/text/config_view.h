#pragma once

#include "text/config_fields.h"

#include <QList>
#include <QString>

// A configuration as show and the report lay it out, made from the field
// table alone: its sections in order, each a list of lines. A line is one
// field, or fields that read together (an input's relays, an output's
// acknowledge sources, a network record, the bytes no control shows).

// One field of a line that the report can put in a column of its own.
struct ViewPart {
    const FieldRow* Row;
    QString Key;    // "function": the last step of its path
    QString Title;  // "Функция"
    QString Text;   // "0x03"
};

struct ViewLine {
    QString Label;  // "Вход 12: назначение", "Прочие байты (флаги 2-7, 4, 6-19)"
    QString Id;      // the field's path, or what the paths of its fields share: "device"
    QString Key;     // the last step of Id without its index: "contact", "ack", "records"
    QString Column;  // its title as a column of its element's table: "Тип контакта"
    int Item = 0;    // its element, from 1; 0: none
    QString Text;    // "Панель, ModBus, вход 5"
    FieldNote NoteKind = FieldNote::None;
    QString Note;  // what the value tells beyond itself: "квитирование и сброс"
    QString NoteSentence;  // the same as a phrase: "квитирование и сброс заблокированы"
    QList<ViewPart> Parts;        // the fields of a network record, each shown
    QList<const FieldRow*> Rows;  // every field the line shows
};

struct ViewSection {
    const FieldSectionInfo* Info;
    QList<ViewLine> Lines;
};

// Every section, in show's order; each field of the table is on exactly
// one line, though an optional one is left out while it is not set.
QList<ViewSection> ConfigView(const ConfigImage& image);

// The title a note goes under as a column, "Заблокировано", and its key, "locks".
QString NoteTitle(FieldNote note);
QString NoteKey(FieldNote note);
// A line's text with its note, as show reads it: "Управление
// (квитирование и сброс заблокированы)".
QString TextWithNote(const ViewLine& line);
