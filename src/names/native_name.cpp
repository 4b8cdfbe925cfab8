#include "names/native_name.h"

namespace {
constexpr char16_t EscapedByteBase = 0xDC80;

// The length of the UTF-8 sequence at `p` (1..4) when it is well formed
// (shortest form, no surrogates, at most U+10FFFF), else 0.
int Utf8SequenceLength(const unsigned char* p, qsizetype left)
{
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    int length = 0;
    char32_t min = 0;
    char32_t value = 0;
    if ((c & 0xE0) == 0xC0) {
        length = 2;
        min = 0x80;
        value = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3;
        min = 0x800;
        value = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4;
        min = 0x10000;
        value = c & 0x07;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

bool IsEscapedByte(char16_t c)
{
    return c >= EscapedByteBase && c <= EscapedByteBase + 0x7F;
}

// Characters that would forge lines or colours, or turn text around.
bool MustEscape(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x200E && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}
}  // namespace

QString NameFromNative(const QByteArray& bytes)
{
    QString name;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const int length = Utf8SequenceLength(p + i, size - i);
        if (length == 0) {
            name += QChar(char16_t(EscapedByteBase + (p[i] - 0x80)));
            ++i;
            continue;
        }
        name += QString::fromUtf8(bytes.constData() + i, length);
        i += length;
    }
    return name;
}

QByteArray NativeName(const QString& name)
{
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsEscapedByte(name[i].unicode()))
            continue;
        bytes += name.mid(start, i - start).toUtf8();
        if (i < name.size())
            bytes += char(0x80 + (name[i].unicode() - EscapedByteBase));
        start = i + 1;
    }
    return bytes;
}

QString PrintableName(const QString& name)
{
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            out += name.mid(i, 2);  // a character beyond the first plane
            ++i;
            continue;
        }
        if (IsEscapedByte(unit))
            out += QStringLiteral("\\x%1").arg(0x80 + (unit - EscapedByteBase), 2, 16,
                                               QLatin1Char('0'));
        else if (c == '\\')
            out += QStringLiteral("\\\\");
        else if (c == '\n')
            out += QStringLiteral("\\n");
        else if (c == '\t')
            out += QStringLiteral("\\t");
        else if (c == '\r')
            out += QStringLiteral("\\r");
        else if (c < 0x100 && MustEscape(c))
            out += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
        else if (MustEscape(c) || QChar::isSurrogate(c))
            out += QStringLiteral("\\u{%1}").arg(uint(c), 4, 16, QLatin1Char('0'));
        else
            out += QChar(unit);
    }
    return out;
}

QStringList ArgumentsFromNative(int argc, const char* const* argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << NameFromNative(QByteArray(argv[i]));
    return arguments;
}
