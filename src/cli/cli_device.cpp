#include "cli/cli_device.h"

#include "cli/cli_files.h"
#include "cli/cli_report.h"
#include "cli/cli_texts.h"

#include "files/config_file.h"
#include "link/modbus.h"
#include "link/panel_link.h"
#include "link/panel_programming.h"
#include "link/panel_scan.h"
#include "link/pause.h"
#include "link/port_registry.h"
#include "link/trace_text.h"
#include "model/block_crc.h"
#include "model/command_error.h"
#include "model/device_models.h"
#include "names/native_name.h"
#include "text/panel_check.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

#include <optional>

namespace {
constexpr unsigned long StepPauseMs = 20;
using Status = CliReport::Status;

QJsonObject FirmwareJson(const FirmwareInfo& fw)
{
    return {{"major", fw.Major}, {"minor", fw.Minor}, {"hardware_revision", fw.HardwareRevision}};
}

// --trace: every run of bytes on the line with the time since the channel
// was set up, "->" sent, "<-" received; an echo or bytes dropped before a
// request say so.
void TraceFrames(TModbus& channel, QTextStream& err)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    channel.SetTraceSink([clock, &err](TraceKind kind, const uint8_t* data, int count) {
        err << TraceLine(clock->elapsed(), kind, data, count) << '\n';
        err.flush();
    });
}

// One panel: connect, the command's steps, disconnect on every path.
class PanelRun {
public:
    PanelRun(const CliOptions& options, const QString& devicePath, QTextStream& err)
        : m_options(options), m_link(m_channel), m_err(err)
    {
        m_settings.PortName = options.Port;
        m_settings.DevicePath = devicePath;
        m_settings.Line = options.Line;
        if (options.Trace)
            TraceFrames(m_channel, m_err);
    }
    ~PanelRun() { m_link.Disconnect(); }

    // The result of one panel; throws CommandError when a step fails, with
    // `json` and `after` holding what is known by then.
    Status Run(uint8_t address, const std::optional<LoadedConfig>& file, int panels, QString& text,
               QJsonObject& json, uint8_t& after, QStringList& details)
    {
        m_settings.AddressText = QString::number(address);
        after = address;
        const QString& command = m_options.Command;
        if (command == QLatin1String("info")) {
            const int family = m_link.Connect(m_settings, false);
            Pause(StepPauseMs);
            const FirmwareInfo fw = m_link.ReadFirmware(address);
            json.insert("family", family);
            json.insert("family_text", FamilyName(family));
            json.insert("firmware", FirmwareJson(fw));
            text = FamilyName(family) + QStringLiteral(", ") + PanelText::FirmwareText(fw);
            return Status::Ok;
        }
        if (command == QLatin1String("read")) {
            const QString name = ReadOutputName(m_options.Output, address, panels > 1);
            RefuseFolder(name);
            const int family = m_link.Connect(m_settings, true);
            Pause(StepPauseMs);
            // Blocks 7..9 are not the panel's: from the base file, else those
            // of the new configuration (empty).
            ConfigImage image = file ? file->Image : ConfigImage{};
            m_link.ReadBlocks(address, image);
            StampBlockCrcs(image);
            WriteConfigFile(name, EncodeConfigFile(image, family, QDateTime::currentDateTime()));
            json.insert("family", family);
            json.insert("family_text", FamilyName(family));
            json.insert("file", name);
            text = QStringLiteral("%1 считана в %2").arg(FamilyName(family), name);
            return Status::Ok;
        }
        if (command == QLatin1String("write")) {
            WritePlan plan;
            plan.Image = file->Image;
            plan.Family = file->FamilyCode;
            plan.Force = m_options.Force;
            plan.Apply = m_options.Apply;
            plan.Verify = m_options.Verify;
            plan.WaitMs = m_options.WaitSeconds * 1000;
            if (m_options.NetAddress == QLatin1String("file")) {
                plan.AddressRule = WritePlan::Address::File;
            } else if (!m_options.NetAddress.isEmpty()) {
                plan.AddressRule = WritePlan::Address::Given;
                plan.GivenAddress = uint8_t(m_options.NetAddress.toInt());
            }
            PanelResult r;
            try {
                WritePanel(m_link, m_settings, plan, r);
            } catch (const CommandError&) {
                after = r.AddressAfter ? r.AddressAfter : address;
                throw;
            }
            after = r.AddressAfter;
            json.insert("family", r.PanelFamily);
            json.insert("applied", m_options.Apply);
            const ReadBackReport readBack = NameReadBack(r);
            InsertReadBackJson(readBack, json);
            text = r.Message;
            if (readBack.FirstOffset)
                text = QStringLiteral("ошибка: при проверке ") + FirstDifferenceText(readBack);
            return CliReport::StatusOf(r.Outcome);
        }
        if (command == QLatin1String("verify")) {
            const PanelCheck check =
                VerifyPanelFields(m_link, m_settings, file->Image, file->FamilyCode);
            json.insert("family", check.Result.PanelFamily);
            InsertReadBackJson(check.ReadBack, json);
            details << ReadBackLines(check.ReadBack);
            text = check.Result.Message;
            return CliReport::StatusOf(check.Result.Outcome);
        }
        m_link.Connect(m_settings, true);  // apply
        Pause(StepPauseMs);
        if (!m_link.Apply(address)) {
            text = PanelText::ApplyUnanswered();
            return Status::NotConfirmed;
        }
        text = QStringLiteral("применено");
        return Status::Ok;
    }

private:
    static void RefuseFolder(const QString& name)
    {
        if (QFileInfo(name).isDir())
            throw CommandError(CliText::FolderNotFile.arg(name));
    }

    const CliOptions& m_options;
    TModbus m_channel;
    PanelLink m_link;
    LinkSettings m_settings;
    QTextStream& m_err;
};
}  // namespace

QString ReadOutputName(const QString& output, uint8_t address, bool several)
{
    if (!several)
        return output;
    const QFileInfo info(output);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? output : output.left(output.size() - suffix.size() - 1);
    return stem + QStringLiteral("-%1").arg(address) +
           (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
}

int RunPorts(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    const PortRegistry registry;
    CliReport report(options, out, err);
    for (const QString& name : registry.PortNames())
        report.Add(Status::Ok, PrintableName(name), QString(),
                   QJsonObject{{"name", name}, {"device", registry.DevicePath(name)}});
    const QString problem = registry.FolderProblem();
    if (!problem.isEmpty())
        err << problem << '\n';
    return report.Finish("ports");
}

int RunDeviceCommand(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    // The file a write sends or a verify compares, or the base of a read.
    std::optional<LoadedConfig> file;
    const bool takesFile =
        options.Command == QLatin1String("write") || options.Command == QLatin1String("verify");
    if (takesFile || (options.Command == QLatin1String("read") && !options.Base.isEmpty())) {
        const QString& path = takesFile ? options.Files.first() : options.Base;
        file = LoadCliFile(path, err);
        if (!file)
            return CliExit::Failed;
        if (file->IsImport)
            err << QStringLiteral("%1: файл версии 1.60 импортирован\n").arg(path);
    }

    const QString devicePath = PortDevicePath(options.Port);
    const int panels = int(options.Addresses.size());
    CliReport report(options, out, err);
    int done = 0;
    for (const uint8_t address : options.Addresses) {
        report.Progress(++done, panels, address);
        QString text;
        QStringList details;
        QJsonObject json{{"address", address}};
        uint8_t after = address;
        Status status;
        try {
            PanelRun run(options, devicePath, err);
            status = run.Run(address, file, panels, text, json, after, details);
        } catch (const CommandError& e) {
            status = Status::Failed;
            text = QStringLiteral("ошибка: ") + ErrorBoxText(e.Message());
            // A line that failed under the command is said on its line.
            if (e.LineLost())
                text += QLatin1Char(' ') + e.Detail();
            else if (!e.Detail().isEmpty())
                err << e.Detail() << '\n';
        }
        json.insert("address_after", after);
        const QString message = CliReport::MessageOf(status, text);
        // Every line says the address the panel answers at afterwards.
        QString line = QStringLiteral("№%1 (адрес %2): %3").arg(address).arg(after).arg(message);
        if (!details.isEmpty())
            line += QLatin1Char('\n') + details.join(QLatin1Char('\n'));
        report.Add(status, line, message, json);
        if (status == Status::Failed && options.StopOnError)
            break;
    }
    if (panels > 1 && !options.Json)
        err << QStringLiteral("Панелей: %1\n").arg(done);
    return report.Finish("panels", QJsonObject{{"port", options.Port}});
}

int RunScan(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    TModbus channel;
    PanelScan scan(channel);
    LinkSettings settings;
    settings.PortName = options.Port;
    settings.DevicePath = PortDevicePath(options.Port);
    settings.Line = options.Line;
    if (options.Trace)
        TraceFrames(channel, err);
    const QList<LinkSettings> tries =
        options.AllSettings ? PanelScan::EveryLineSetting(settings) : QList<LinkSettings>{settings};
    CliReport report(options, out, err);
    QList<uint8_t> left = options.Addresses;
    QElapsedTimer clock;
    clock.start();
    try {
        for (const LinkSettings& s : tries) {
            const auto progress = [&](int done, int total) {
                if (report.LiveLine())
                    report.Progress(done, total, left.value(done - 1));
            };
            for (const ScanHit& hit : scan.Scan(s, left, options.TimeoutMs, progress)) {
                left.removeAll(hit.Address);
                QString text = hit.Device;
                if (hit.HasFirmware)
                    text += QStringLiteral(", ") + PanelText::FirmwareText(hit.Firmware);
                const QString line = QStringLiteral("№%1: %2; %3 бод, стоп-битов %4, паритет %5")
                                         .arg(hit.Address)
                                         .arg(text)
                                         .arg(hit.Line.BaudRate)
                                         .arg(hit.Line.StopBits)
                                         .arg(ParityWord(hit.Line.Parity));
                QJsonObject json{{"address", hit.Address},
                                 {"device", hit.Device},
                                 {"kind", hit.Answer.KindWord()},
                                 {"family", hit.Family},
                                 {"baud_rate", hit.Line.BaudRate},
                                 {"stop_bits", hit.Line.StopBits},
                                 {"parity", ParityWord(hit.Line.Parity)}};
                json.insert("firmware", hit.HasFirmware ? QJsonValue(FirmwareJson(hit.Firmware))
                                                        : QJsonValue(QJsonValue::Null));
                report.Add(Status::Ok, line, text, json);
            }
        }
    } catch (const CommandError& e) {
        err << QStringLiteral("orlix-cli: ") << ErrorBoxText(e.Message()) << '\n';
        report.Finish("panels", QJsonObject{{"port", options.Port}});
        return CliExit::Failed;
    }
    err << QStringLiteral("Опрошено адресов: %1 за %2 мс\n")
               .arg(options.Addresses.size())
               .arg(clock.elapsed());
    return report.Finish(
        "panels", QJsonObject{{"port", options.Port}, {"elapsed_ms", qint64(clock.elapsed())}});
}
