#pragma once

#include <QChar>
#include <QList>
#include <QString>

#include <cstdint>

#include <optional>

// The rules of a device address field (1..255).

// A typed character is kept only when it is a decimal digit or backspace.
bool AddressKeyAccepted(QChar key);

// The number at the start of the text: leading white space and a sign
// allowed, stopping at the first non-digit, 0 when there is no digit.
// Saturates instead of overflowing.
long long LeadingNumber(const QString& text);

// The replacement text after a change: "1" for 0 or less, "255" for 256 or
// more, nothing when the text may stay.
std::optional<QString> ClampedAddressText(const QString& text);

// A list of device addresses as a batch names them: "5", "1,3,5-9"; each
// 1..255, ranges ascending, no blanks inside numbers. The addresses in the
// order given, each once; nothing, with `error` set, when the text is not
// such a list.
std::optional<QList<uint8_t>> ParseAddressList(const QString& text, QString* error = nullptr);
