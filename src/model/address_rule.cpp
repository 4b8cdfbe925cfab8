#include "model/address_rule.h"

bool AddressKeyAccepted(QChar key)
{
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || key == QChar(8);
}

long long LeadingNumber(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        if (value < 1'000'000'000'000LL)
            value = value * 10 + (text[i].unicode() - '0');
    }
    return negative ? -value : value;
}

std::optional<QString> ClampedAddressText(const QString& text)
{
    const long long n = LeadingNumber(text);
    if (n <= 0)
        return QStringLiteral("1");
    if (n >= 256)
        return QStringLiteral("255");
    return std::nullopt;
}
