#pragma once

#include <QString>

#include <optional>

enum class Parity { None, Even, Odd };

// Whether the adapter returns every byte the tool sends before the answer
// (a half-duplex board whose receiver stays on).
enum class EchoMode {
    Auto,  // learnt from the first identification request of each connection
    On,
    Off,
};

// The settings of a panel's RS-485 line as the user chooses them: 8 data
// bits always, the rest here. A rate the panel does not offer, or stop bits
// other than 1 and 2, can be held but never reaches a panel's block 1.
struct SerialSettings {
    int BaudRate = 9600;  // bits per second
    int StopBits = 2;     // 1 or 2
    ::Parity Parity = ::Parity::None;
    EchoMode Echo = EchoMode::Auto;

    bool operator==(const SerialSettings&) const = default;
};

// The words of the command line and site files: "none", "even", "odd";
// "1", "2"; a listed rate such as "19200"; "auto", "on", "off". A word
// outside these gives nothing.
std::optional<::Parity> ParityFromWord(const QString& word);
QString ParityWord(::Parity parity);
std::optional<int> StopBitsFromWord(const QString& word);
std::optional<int> BaudRateFromWord(const QString& word);
std::optional<EchoMode> EchoModeFromWord(const QString& word);
QString EchoModeWord(EchoMode mode);
