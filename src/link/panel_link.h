#pragma once

#include "link/modbus.h"
#include "link/panel_probe.h"
#include "model/config_image.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// The line settings and the address a device command connects with, as the
// user chose them.
struct LinkSettings {
    QString PortName;    // as the port list shows it, e.g. ttyUSB0 or ORL-SIM1
    QString DevicePath;  // what is opened, e.g. /dev/ttyUSB0
    SerialSettings Line;
    QString AddressText = QStringLiteral("1");
};

// The firmware version the tool programs: a panel must report exactly this.
constexpr uint8_t ProgrammerVersionMajor = 1;
constexpr uint8_t ProgrammerVersionMinor = 7;

struct FirmwareInfo {
    uint8_t Major = 0;
    uint8_t Minor = 0;
    uint8_t HardwareRevision = 0;
};

// The exchange steps of the device commands, without any window: connect
// and identify, read and write the blocks a panel keeps, apply, ask for the
// firmware. Failures raise CommandError with the user's message; the
// caller disconnects on every path.
class PanelLink {
public:
    using StatusSink = std::function<void(const QString&)>;

    explicit PanelLink(TModbus& channel, StatusSink status = {});

    // Opens the port, identifies the panel and, with `checkVersion`, checks
    // its firmware against the programmer version. Returns the family code
    // (0 ОРЛ-07, 1 ОРЛ-09).
    int Connect(const LinkSettings& settings, bool checkVersion);
    // Connect, tried again while nothing answers (a panel restarting after
    // an apply) until `waitMs` have passed; then the last error is raised.
    int ConnectWithin(const LinkSettings& settings, bool checkVersion, int waitMs);
    void Disconnect();

    // On the open port: what answers the identification at `address`,
    // with the full answer wait for its first byte. Raises "Ошибка I/O"
    // when the request cannot be sent.
    ProbeAnswer WhoAnswers(uint8_t address);

    // Blocks 0..6 into their places in `buffer`; the rest of it is left alone.
    void ReadBlocks(uint8_t address, ConfigImage& buffer);
    // Blocks 0..6 of `image`, each followed by polls until the panel is
    // ready. A poll without any answer ends the wait as a ready answer
    // does; `unanswered`, when given, counts the blocks whose wait ended so.
    void WriteBlocks(uint8_t address, const ConfigImage& image, int* unanswered = nullptr);
    // Asks the panel to take the written configuration into use. True when
    // the panel answered; fails with ApplyRefused when it answers with an
    // exception, with ApplyNotStarted when it answers 1, with IoError for
    // another's answer.
    bool Apply(uint8_t address);
    // Reads blocks 0..6 into `held` (blocks 7..9 and the CRC words taken
    // from `expected`) and gives the first image offset where they differ
    // from `expected`, nothing when they agree.
    std::optional<int> VerifyBlocks(uint8_t address, const ConfigImage& expected,
                                    ConfigImage& held);
    // Firmware version and hardware revision.
    FirmwareInfo ReadFirmware(uint8_t address);

    // How often a write polls a block before it gives up.
    static constexpr int PollsPerBlock = 25;

private:
    void ShowStatus(const QString& text) const;
    // Raises `message`; when the line itself failed (the adapter was
    // pulled, the connection dropped), with the system's reason as detail.
    [[noreturn]] void Fail(const QString& message) const;

    TModbus& m_channel;
    StatusSink m_status;
    bool m_network = false;  // the line is a network's (tcp://, mbtcp://)
};

namespace PanelText {
QString OpenError(const QString& portName);
// Why the channel's last open failed, with the remedy when the user may not
// open the device.
QString OpenErrorDetail(const TModbus& channel);
QString NoAnswer(const QString& addressText, const QString& portName);
QString WrongDevice(const QString& addressText, const QString& portName);
QString VersionConflict(int major, int minor);
QString IoError();
// "ПО 1.7, ревизия аппаратуры 0x03".
QString FirmwareText(const FirmwareInfo& fw);
QString ApplyNotStarted();
// The second paragraph of a command that failed because its line did:
// "Адаптер отключён: No such device".
QString LineLost(const QString& reason, bool network);
// "Панель отвергла применение: код N": apply answered with an exception.
QString ApplyRefused(int code);
}  // namespace PanelText
