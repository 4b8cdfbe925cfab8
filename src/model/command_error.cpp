#include "model/command_error.h"

#include <limits>

CommandError::CommandError(QString message, QString detail, bool lineLost)
    : m_message(std::move(message)),
      m_detail(std::move(detail)),
      m_lineLost(lineLost),
      m_utf8(m_message.toStdString())
{
}

int StrToInt(const QString& text)
{
    auto fail = [&text]() {
        return CommandError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    };
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= text.size())
        throw fail();
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            throw fail();
        value = value * 10 + (c.unicode() - '0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            throw fail();
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        throw fail();
    return int(value);
}

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}
