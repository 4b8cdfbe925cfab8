#pragma once

#include <QString>

// The document's labels that more than one row or message gives.
namespace TextLabel {
// The sections' titles, which the report's headings repeat.
inline constexpr const char* Configuration = "Конфигурация";
inline constexpr const char* Inputs = "Входы";
inline constexpr const char* Outputs = "Выходы";
inline constexpr const char* Requests = "Внешняя сеть: запросы";
inline constexpr const char* Acks = "Внешняя сеть: квитирование";
inline constexpr const char* Resets = "Внешняя сеть: сброс";

// An element of a section's table.
inline constexpr const char* Input = "Вход";
inline constexpr const char* Record = "Запись";

// The names of an element's lines and of a record's parts; a field's
// label ends with the same name after its element's.
inline constexpr const char* Assignment = "назначение";
inline constexpr const char* OutputType = "тип";
inline constexpr const char* OutputOtherBits = "биты 6-7";
inline constexpr const char* RecordDevice = "устройство";
inline constexpr const char* RecordFunction = "функция";
inline constexpr const char* RecordAddress = "адрес";

// A yes-or-no value: a flag, and line control switched off.
inline const QString Yes = QStringLiteral("да");
inline const QString No = QStringLiteral("нет");

// The import's complaint about a member that holds a text for people.
inline const QString StringOrNullExpected = QStringLiteral("ожидается строка или null");
}  // namespace TextLabel
