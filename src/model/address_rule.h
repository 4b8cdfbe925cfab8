#pragma once

#include <QChar>
#include <QString>

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
