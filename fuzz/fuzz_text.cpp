// The conversions of typed and pasted text on arbitrary UTF-16 strings: the
// device and network address fields, the output grid's input numbers and
// the command line's address lists.
#include "model/address_rule.h"
#include "model/command_error.h"
#include "model/out_data_base.h"

#include <QString>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));

    // StrToInt: a whole decimal number or the conversion error naming the text.
    try {
        const int value = StrToInt(text);
        bool ok = false;
        const qint64 reference = text.trimmed().toLongLong(&ok);
        if (!ok || reference != value)
            std::abort();
    } catch (const CommandError& e) {
        if (e.Message() != QStringLiteral("'%1' is not a valid integer value").arg(text))
            std::abort();
    }

    // The address field keeps 1..255.
    if (const auto clamped = ClampedAddressText(text)) {
        if (*clamped != QLatin1String("1") && *clamped != QLatin1String("255"))
            std::abort();
    } else {
        const long long n = LeadingNumber(text);
        if (n < 1 || n > 255)
            std::abort();
    }

    // An input number of the outputs grid: none (255) or 0..63.
    if (const auto code = ExternalInputCodeFromText(text)) {
        if (*code != 255 && *code > 63)
            std::abort();
        if (text.isEmpty() != (*code == 255))
            std::abort();
    }

    // A list of addresses: each 1..255, each once.
    if (const auto list = ParseAddressList(text)) {
        if (list->isEmpty())
            std::abort();
        for (qsizetype i = 0; i < list->size(); ++i) {
            if ((*list)[i] == 0 || list->indexOf((*list)[i]) != i)
                std::abort();
        }
    }
    return 0;
}
