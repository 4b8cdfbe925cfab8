#include "model/serial_settings.h"

#include "model/mbus_settings.h"

std::optional<Parity> ParityFromWord(const QString& word)
{
    for (const Parity parity : {Parity::None, Parity::Even, Parity::Odd})
        if (word == ParityWord(parity))
            return parity;
    return std::nullopt;
}

QString ParityWord(Parity parity)
{
    switch (parity) {
        case Parity::Even: return QStringLiteral("even");
        case Parity::Odd: return QStringLiteral("odd");
        case Parity::None: break;
    }
    return QStringLiteral("none");
}

std::optional<int> StopBitsFromWord(const QString& word)
{
    if (word == QLatin1String("1"))
        return 1;
    if (word == QLatin1String("2"))
        return 2;
    return std::nullopt;
}

std::optional<int> BaudRateFromWord(const QString& word)
{
    bool ok = false;
    const int rate = word.toInt(&ok);
    if (!ok || !BaudRowForRate(rate))
        return std::nullopt;
    return rate;
}

std::optional<EchoMode> EchoModeFromWord(const QString& word)
{
    for (const EchoMode mode : {EchoMode::Auto, EchoMode::On, EchoMode::Off})
        if (word == EchoModeWord(mode))
            return mode;
    return std::nullopt;
}

QString EchoModeWord(EchoMode mode)
{
    switch (mode) {
        case EchoMode::On: return QStringLiteral("on");
        case EchoMode::Off: return QStringLiteral("off");
        case EchoMode::Auto: break;
    }
    return QStringLiteral("auto");
}
