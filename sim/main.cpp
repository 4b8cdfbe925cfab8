// orlix-panel-sim: a simulated ОРЛ panel on a pseudo-terminal, registered
// as a virtual serial port that the configuration tool lists.
#include "files/config_file.h"
#include "files/native_name.h"
#include "link/block_crc.h"
#include "link/hex_text.h"
#include "link/port_registration.h"
#include "link/port_registry.h"
#include "model/address_rule.h"
#include "model/command_error.h"
#include "model/mbus_settings.h"
#include "simulated_panel.h"
#include "tcp_bridge.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTime>

#include <pthread.h>
#include <csignal>
#include <cstdio>

namespace {

int Fail(const QString& message)
{
    std::fprintf(stderr, "orlix-panel-sim: %s\n", qPrintable(message));
    return 1;
}

bool ParseByte(const QString& text, uint8_t& value)
{
    bool ok = false;
    const int n = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                      ? text.mid(2).toInt(&ok, 16)
                      : text.toInt(&ok);
    value = uint8_t(n);
    return ok && n >= 0 && n <= 255;
}

bool ParseFirmware(const QString& text, uint8_t& major, uint8_t& minor)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    return parts.size() == 2 && ParseByte(parts[0], major) && ParseByte(parts[1], minor);
}

void PrintFrame(SimulatedPanel::Direction direction, const QByteArray& frame)
{
    const char* label = direction == SimulatedPanel::Direction::Request ? "request" : "answer ";
    // An exception "illegal function" answers a request the panel does not know.
    const bool illegal = direction == SimulatedPanel::Direction::Answer && frame.size() >= 3 &&
                         (uint8_t(frame[1]) & 0x80) && frame[2] == 0x01;
    std::printf("%s  %s  %s%s\n",
                qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz"))), label,
                qPrintable(HexText(frame)), illegal ? "  (illegal function)" : "");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    // A shell starts background jobs with SIGINT ignored; an ignored signal
    // would never arrive. Until the panel runs, the stop signals end the
    // program as usual (a slow file to load stays interruptible).
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int stop : {SIGINT, SIGTERM, SIGHUP}) {
        std::signal(stop, SIG_DFL);
        sigaddset(&stopSignals, stop);
    }

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orlix-panel-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated ОРЛ panel on a pseudo-terminal, registered as a virtual "
                       "serial port. Serves until interrupted (Ctrl+C)."));
    parser.addHelpOption();
    const QCommandLineOption portName(
        QStringLiteral("port-name"), QStringLiteral("Name of the virtual port (default ORL-SIM1)."),
        QStringLiteral("name"), QStringLiteral("ORL-SIM1"));
    const QCommandLineOption portsDir(QStringLiteral("ports-dir"),
                                      QStringLiteral("Folder of the virtual ports (default %1).")
                                          .arg(PortRegistry::DefaultVirtualPortsDir()),
                                      QStringLiteral("dir"));
    const QCommandLineOption address(
        QStringLiteral("address"),
        QStringLiteral("Modbus address 1..255 (default 1); a list such "
                       "as 1,2,5-7 puts several panels on the line, "
                       "each with its own memory."),
        QStringLiteral("list"), QStringLiteral("1"));
    const QCommandLineOption family(QStringLiteral("family"),
                                    QStringLiteral("Panel family 07 or 09 (default 07, or the "
                                                   "family of the --load file)."),
                                    QStringLiteral("07|09"));
    const QCommandLineOption ident(QStringLiteral("ident"),
                                   QStringLiteral("Four identification bytes in hex, e.g. "
                                                  "03200733 (a device of another kind)."),
                                   QStringLiteral("hex"));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
                                      QStringLiteral("Firmware version major.minor (default 1.7)."),
                                      QStringLiteral("m.n"), QStringLiteral("1.7"));
    const QCommandLineOption revision(QStringLiteral("revision"),
                                      QStringLiteral("Hardware revision 0..255 (default 1)."),
                                      QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption load(QStringLiteral("load"),
                                  QStringLiteral("Start with the image of a configuration file."),
                                  QStringLiteral("file"));
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Also serve the line over TCP at HOST:PORT, as a serial device server "
                       "does (orlix-cli --port tcp://HOST:PORT)."),
        QStringLiteral("host:port"));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("Save the panel's image to a configuration file "
                                                 "when stopped."),
                                  QStringLiteral("file"));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral(
            "A scripted fault, repeatable: kind[,kind...][,key=value...]. Kinds: no-answer, "
            "crc, exception, busy, apply-not-started, delay, late, short, extra, foreign, discard. "
            "Keys: request=any|ident|poll|version|read-block|write-block|apply, "
            "block=n, count=n (-1 always), code=n, delay=ms, by=n (short), "
            "bytes=n (extra), as-address=n and as-function=n (foreign: an intact "
            "answer as if for another panel or request)."),
        QStringLiteral("script"));
    parser.addOptions({portName, portsDir, address, family, ident, firmware, revision, load, save,
                       fault, listen});
    parser.process(ArgumentsFromNative(argc, argv));

    // A path the image cannot be saved to is found now, not after a session.
    if (parser.isSet(save)) {
        const QFileInfo target(parser.value(save));
        const QFileInfo folder(target.absolutePath());
        if (target.isDir() || (target.exists() && !target.isWritable()) || !folder.isDir() ||
            !folder.isWritable())
            return Fail(QStringLiteral("--save %1: cannot write there").arg(parser.value(save)));
    }

    SimulatedPanel panel;
    int familyCode = 0;
    if (parser.isSet(load)) {
        try {
            // A version 1.60 file has the same layout: take it as well.
            const LoadedConfig loaded = LoadConfigFile(parser.value(load), [] { return true; });
            panel.SetImage(loaded.Image);
            familyCode = loaded.FamilyCode == 1 ? 1 : 0;
        } catch (const CommandError& e) {
            return Fail(e.Message());
        }
    }
    if (parser.isSet(family)) {
        const QString value = parser.value(family);
        if (value != QLatin1String("07") && value != QLatin1String("09"))
            return Fail(QStringLiteral("--family takes 07 or 09"));
        familyCode = value == QLatin1String("09") ? 1 : 0;
    }
    panel.SetFamily(familyCode);
    if (parser.isSet(ident)) {
        const QByteArray bytes = QByteArray::fromHex(parser.value(ident).toLatin1());
        if (bytes.size() != 4)
            return Fail(QStringLiteral("--ident takes four bytes in hex"));
        panel.SetIdentBytes(
            {uint8_t(bytes[0]), uint8_t(bytes[1]), uint8_t(bytes[2]), uint8_t(bytes[3])});
    }
    const auto addresses = ParseAddressList(parser.value(address));
    if (!addresses)
        return Fail(QStringLiteral("--address takes 1..255 or a list such as 1,2,5-7"));
    const uint8_t addressValue = addresses->first();
    panel.SetAddress(addressValue);
    uint8_t major = 0;
    uint8_t minor = 0;
    if (!ParseFirmware(parser.value(firmware), major, minor))
        return Fail(QStringLiteral("--firmware takes major.minor, e.g. 1.7"));
    panel.SetFirmware(major, minor);
    uint8_t revisionValue = 0;
    if (!ParseByte(parser.value(revision), revisionValue))
        return Fail(QStringLiteral("--revision takes 0..255"));
    panel.SetHardwareRevision(revisionValue);
    for (const QString& script : parser.values(fault)) {
        QString error;
        const auto parsed = PanelFault::Parse(script, &error);
        if (!parsed)
            return Fail(QStringLiteral("--fault %1: %2").arg(script, error));
        panel.AddFault(*parsed);
        std::printf("fault: %s\n", qPrintable(parsed->Describe()));
    }
    // The other panels of the line: the same identity, configuration and faults.
    for (const uint8_t other : addresses->mid(1)) {
        panel.AddPanel(other);
        if (parser.isSet(load)) {
            // The file's configuration, with the panel's own address in block 1.
            ConfigImage image = panel.Image();
            image[MBusSettings::NetAddress] = other;
            panel.SetImageAt(other, image);
        }
        for (const QString& script : parser.values(fault))
            panel.AddFaultAt(other, *PanelFault::Parse(script));
    }

    panel.SetFrameLogger(PrintFrame);
    // The panel's thread must not take the stop signals: block them before
    // it starts, and wait for them below.
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    QString error;
    if (!panel.Start(&error))
        return Fail(error);
    const QString dir =
        parser.isSet(portsDir) ? parser.value(portsDir) : PortRegistry::DefaultVirtualPortsDir();
    const QString name = parser.value(portName);
    const QString device = panel.DevicePath();
    PortRegistration registration;
    if (!registration.Register(dir, name, device, &error))
        return Fail(error);
    std::printf("Simulated panel %s, address %s, firmware %d.%d: port %s -> %s\n",
                familyCode == 1 ? "ОРЛ-09" : "ОРЛ-07", qPrintable(parser.value(address)), major,
                minor, qPrintable(name), qPrintable(device));
    TcpBridge bridge;
    if (parser.isSet(listen)) {
        if (!bridge.Start(parser.value(listen), device, &error))
            return Fail(error);
        std::printf("Serving the line at tcp://%s\n", qPrintable(parser.value(listen)));
    }
    std::printf("Registered in %s. Stop with Ctrl+C.\n", qPrintable(QDir::toNativeSeparators(dir)));
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);

    bridge.Stop();
    registration.Unregister();
    panel.Stop();
    int status = 0;
    if (parser.isSet(save)) {
        ConfigImage image = panel.Image();
        StampBlockCrcs(image);
        try {
            WriteConfigFile(parser.value(save),
                            EncodeConfigFile(image, familyCode, QDateTime::currentDateTime()));
            std::printf("Saved the panel's image to %s\n", qPrintable(parser.value(save)));
        } catch (const CommandError& e) {
            status = Fail(e.Message());
        }
    }
    std::printf("Stopped; port %s removed.\n", qPrintable(name));
    return status;
}
