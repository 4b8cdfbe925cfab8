// orlix-panel-sim: a simulated ОРЛ panel (or a line of devices) on a
// pseudo-terminal, registered as a virtual serial port that the
// configuration tool lists. By default the line behaves like a real one:
// answers leave at the baud rate's pace after a turnaround.
#include "device_option.h"
#include "files/config_file.h"
#include "link/hex_text.h"
#include "link/port_registration.h"
#include "link/port_registry.h"
#include "model/address_rule.h"
#include "model/block_crc.h"
#include "model/command_error.h"
#include "model/mbus_settings.h"
#include "names/native_name.h"
#include "simulated_panel.h"
#include "tcp_bridge.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTime>

#include <pthread.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <numeric>

namespace {

int Fail(const QString& message)
{
    std::fprintf(stderr, "orlix-panel-sim: %s\n", qPrintable(message));
    return 1;
}

// Milliseconds 0..maximum, decimals allowed, in microseconds.
bool ParseMilliseconds(const QString& text, double maximum, int& microseconds)
{
    bool ok = false;
    const double ms = text.toDouble(&ok);
    if (!ok || !(ms >= 0 && ms <= maximum))
        return false;
    microseconds = int(ms * 1000 + 0.5);
    return true;
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
        QStringLiteral("A simulated ОРЛ panel, or a line of devices, on a pseudo-terminal "
                       "registered as a virtual serial port. Answers leave at the port's baud "
                       "rate after a turnaround, as on a real line. Serves until interrupted "
                       "(Ctrl+C)."));
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
    const QCommandLineOption mbap(
        QStringLiteral("mbap"),
        QStringLiteral("With --listen: serve as a Modbus TCP gateway (MBAP units on the network, "
                       "RTU frames on the line) instead of passing bytes unchanged."));
    const QCommandLineOption networkDelay(
        QStringLiteral("network-delay"),
        QStringLiteral("With --listen: hold every chunk this long in each direction, a network "
                       "with that one-way delay (default 0)."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption noPacing(
        QStringLiteral("no-pacing"),
        QStringLiteral("Send each answer at once, in one burst, instead of one character time "
                       "per byte at the port's baud rate."));
    const QCommandLineOption turnaround(
        QStringLiteral("turnaround"),
        QStringLiteral("Time from a request's last byte to the answer's first (default 5)."),
        QStringLiteral("ms"), QStringLiteral("5"));
    const QCommandLineOption gap(QStringLiteral("gap"),
                                 QStringLiteral("Extra silence between the bytes of an answer, "
                                                "decimals allowed (default 0)."),
                                 QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption echo(
        QStringLiteral("echo"),
        QStringLiteral("Every byte sent comes straight back, as from an echoing adapter."));
    const QCommandLineOption device(
        QStringLiteral("device"),
        QStringLiteral("A device on the line, repeatable: ADDR:KIND[,key=value...]. Kinds: "
                       "panel07, panel09, modbus (a generic Modbus device), garbled (answers "
                       "with a wrong CRC). Keys: firmware=M.N and revision=N (panels), "
                       "ident-exception (modbus: refuses function 17). Without --address the "
                       "line holds only these devices."),
        QStringLiteral("addr:kind"));
    const QCommandLineOption faultAt(
        QStringLiteral("fault-at"),
        QStringLiteral("A scripted fault for the panel at one address only, repeatable: "
                       "ADDR:SCRIPT (the script as for --fault)."),
        QStringLiteral("addr:script"));
    const QCommandLineOption save(QStringLiteral("save"),
                                  QStringLiteral("Save the panel's image to a configuration file "
                                                 "when stopped."),
                                  QStringLiteral("file"));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral(
            "A scripted fault for every panel, repeatable: kind[,kind...][,key=value...]. Kinds: "
            "no-answer, "
            "crc, exception, busy, apply-not-started, delay, late, short, extra, foreign, discard. "
            "Keys: request=any|ident|poll|version|read-block|write-block|apply, "
            "block=n, count=n (-1 always), code=n, delay=ms, by=n (short), "
            "bytes=n (extra), as-address=n and as-function=n (foreign: an intact "
            "answer as if for another panel or request)."),
        QStringLiteral("script"));
    parser.addOptions({portName, portsDir, address, family, ident, firmware, revision, load, save,
                       fault, faultAt, device, noPacing, turnaround, gap, echo, listen, mbap,
                       networkDelay});
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
    uint8_t major = 0;
    uint8_t minor = 0;
    if (!ParseFirmwareOption(parser.value(firmware), major, minor))
        return Fail(QStringLiteral("--firmware takes major.minor, e.g. 1.7"));
    panel.SetFirmware(major, minor);
    uint8_t revisionValue = 0;
    if (!ParseByteOption(parser.value(revision), revisionValue))
        return Fail(QStringLiteral("--revision takes 0..255"));
    panel.SetHardwareRevision(revisionValue);

    LineBehaviour behaviour;
    behaviour.Paced = !parser.isSet(noPacing);
    behaviour.Echo = parser.isSet(echo);
    if (!ParseMilliseconds(parser.value(turnaround), 10000, behaviour.TurnaroundUs))
        return Fail(QStringLiteral("--turnaround takes milliseconds 0..10000, e.g. 5"));
    if (!ParseMilliseconds(parser.value(gap), 1000, behaviour.GapUs))
        return Fail(QStringLiteral("--gap takes milliseconds 0..1000, e.g. 0.5"));
    int delayUs = 0;
    if (!ParseMilliseconds(parser.value(networkDelay), 10000, delayUs) || delayUs % 1000 != 0)
        return Fail(QStringLiteral("--network-delay takes whole milliseconds 0..10000"));
    if ((parser.isSet(mbap) || parser.isSet(networkDelay)) && !parser.isSet(listen))
        return Fail(QStringLiteral("--mbap and --network-delay need --listen"));
    panel.SetLineBehaviour(behaviour);

    // The devices of the line: the panels of --address (unless --device
    // alone names the line), then those of --device, in that order.
    QList<DeviceOption> line;
    if (!parser.isSet(device) || parser.isSet(address)) {
        for (const uint8_t a : *addresses) {
            DeviceOption one;
            one.Address = a;
            one.Family = familyCode;
            line << one;
        }
    }
    const qsizetype fromAddressOption = line.size();
    for (const QString& option : parser.values(device)) {
        QString error;
        const auto parsed = DeviceOption::Parse(option, &error);
        if (!parsed)
            return Fail(QStringLiteral("--device %1: %2").arg(option, error));
        for (const DeviceOption& other : line) {
            if (other.Address == parsed->Address)
                return Fail(QStringLiteral("--device %1: address %2 is taken already")
                                .arg(option)
                                .arg(parsed->Address));
        }
        line << *parsed;
    }
    QList<PanelFault> faults;
    for (const QString& script : parser.values(fault)) {
        QString error;
        const auto parsed = PanelFault::Parse(script, &error);
        if (!parsed)
            return Fail(QStringLiteral("--fault %1: %2").arg(script, error));
        faults << *parsed;
        std::printf("fault: %s\n", qPrintable(parsed->Describe()));
    }
    QList<QPair<uint8_t, PanelFault>> faultsAt;
    for (const QString& option : parser.values(faultAt)) {
        const qsizetype colon = option.indexOf(QLatin1Char(':'));
        uint8_t at = 0;
        if (colon <= 0 || !ParseByteOption(option.left(colon), at) || at == 0)
            return Fail(
                QStringLiteral("--fault-at %1: takes ADDR:SCRIPT, e.g. 3:no-answer").arg(option));
        const bool panelThere = std::any_of(line.begin(), line.end(), [at](const auto& d) {
            return d.Address == at && d.DeviceKind == DeviceOption::Kind::Panel;
        });
        if (!panelThere)
            return Fail(
                QStringLiteral("--fault-at %1: no panel at address %2").arg(option).arg(at));
        QString error;
        const auto parsed = PanelFault::Parse(option.mid(colon + 1), &error);
        if (!parsed)
            return Fail(QStringLiteral("--fault-at %1: %2").arg(option, error));
        faultsAt << qMakePair(at, *parsed);
        std::printf("fault at address %d: %s\n", at, qPrintable(parsed->Describe()));
    }

    // The first panel is the one set up above; the others join it.
    const auto first = std::find_if(line.begin(), line.end(), [](const DeviceOption& d) {
        return d.DeviceKind == DeviceOption::Kind::Panel;
    });
    if (first == line.end()) {
        panel.RemoveDevice(panel.Identity().Address);  // a line without panels
    } else {
        panel.SetAddress(first->Address);
        if (first - line.begin() >= fromAddressOption) {
            panel.SetFamily(first->Family);
            panel.SetFirmware(first->FirmwareMajor.value_or(major),
                              first->FirmwareMajor ? first->FirmwareMinor : minor);
            panel.SetHardwareRevision(first->Revision.value_or(revisionValue));
        }
    }
    for (qsizetype i = 0; i < line.size(); ++i) {
        const DeviceOption& d = line[i];
        if (d.DeviceKind == DeviceOption::Kind::Modbus) {
            panel.AddModbusDevice(d.Address, d.IdentException);
            continue;
        }
        if (d.DeviceKind == DeviceOption::Kind::Garbled) {
            panel.AddGarbledDevice(d.Address);
            continue;
        }
        if (line.begin() + i != first) {
            panel.AddPanel(d.Address);
            if (i >= fromAddressOption) {
                panel.SetFamilyAt(d.Address, d.Family);
                panel.SetFirmwareAt(d.Address, d.FirmwareMajor.value_or(major),
                                    d.FirmwareMajor ? d.FirmwareMinor : minor);
                panel.SetHardwareRevisionAt(d.Address, d.Revision.value_or(revisionValue));
            }
            if (parser.isSet(load)) {
                // The file's configuration, with the panel's own address in block 1.
                ConfigImage image = panel.Image();
                image[MBusSettings::NetAddress] = d.Address;
                panel.SetImageAt(d.Address, image);
            }
        }
        for (const PanelFault& f : faults)
            panel.AddFaultAt(d.Address, f);
    }
    for (const auto& [at, f] : faultsAt)
        panel.AddFaultAt(at, f);

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
    const QString devicePath = panel.DevicePath();
    PortRegistration registration;
    if (!registration.Register(dir, name, devicePath, &error))
        return Fail(error);
    std::printf("Simulated line: port %s -> %s\n", qPrintable(name), qPrintable(devicePath));
    // The devices by address, as a site's list has them.
    const QList<uint8_t> at = panel.Addresses();
    const QStringList described = panel.DeviceDescriptions();
    QList<qsizetype> order(at.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&at](qsizetype a, qsizetype b) { return at[a] < at[b]; });
    for (const qsizetype i : order)
        std::printf("device at %s\n",
                    qPrintable(described.value(i).mid(QStringLiteral("address ").size())));
    if (behaviour.Paced)
        std::printf("Answers paced at the port's baud rate");
    else
        std::printf("Answers in one burst");
    std::printf(", turnaround %g ms, gap %g ms%s\n", behaviour.TurnaroundUs / 1000.0,
                behaviour.GapUs / 1000.0, behaviour.Echo ? ", echo" : "");
    TcpBridge bridge;
    if (parser.isSet(listen)) {
        BridgeOptions options;
        options.Mbap = parser.isSet(mbap);
        options.DelayMs = delayUs / 1000;
        options.LineEchoes = behaviour.Echo;
        if (!bridge.Start(parser.value(listen), devicePath, &error, options))
            return Fail(error);
        std::printf("Serving the line at tcp://%s%s\n", qPrintable(parser.value(listen)),
                    options.Mbap ? " as a Modbus TCP gateway" : "");
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
