#include "model/address_rule.h"

#include <QStringList>

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

namespace {
std::optional<int> AddressNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value < 1 || value > 255)
        return std::nullopt;
    return value;
}
}  // namespace

std::optional<QList<uint8_t>> ParseAddressList(const QString& text, QString* error)
{
    auto fail = [&](const QString& part) -> std::optional<QList<uint8_t>> {
        if (error)
            *error = QStringLiteral("Неверный адрес '%1': нужны числа 1 - 255, например 1,3,5-9")
                         .arg(part);
        return std::nullopt;
    };
    QList<uint8_t> addresses;
    const QStringList parts = text.trimmed().split(QLatin1Char(','));
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        const int dash = part.indexOf(QLatin1Char('-'));
        const auto first = AddressNumber(dash < 0 ? part : part.left(dash));
        const auto last = dash < 0 ? first : AddressNumber(part.mid(dash + 1));
        if (!first || !last || *last < *first)
            return fail(part);
        for (int a = *first; a <= *last; ++a) {
            if (!addresses.contains(uint8_t(a)))
                addresses << uint8_t(a);
        }
    }
    return addresses;
}
