#include "cli/cli_device.h"

#include "cli/cli_files.h"

#include "files/config_file.h"
#include "files/native_name.h"
#include "link/block_crc.h"
#include "link/hex_text.h"
#include "link/modbus.h"
#include "link/panel_link.h"
#include "link/pause.h"
#include "link/port_registry.h"
#include "model/command_error.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>

#include <optional>

namespace {
constexpr unsigned long StepPauseMs = 20;

// One panel: connect, the command's steps, disconnect on every path.
class PanelRun {
public:
    PanelRun(const CliOptions& options, const QString& devicePath, QTextStream& err)
        : m_options(options), m_link(m_channel), m_err(err)
    {
        m_settings.PortName = options.Port;
        m_settings.DevicePath = devicePath;
        m_settings.BaudRate = options.BaudRate;
        m_settings.StopBits = options.StopBits;
        m_settings.Parity = options.Parity;
        if (options.Trace) {
            m_clock.start();
            m_channel.SetTraceSink([this](bool sent, const uint8_t* data, int count) {
                m_err << QStringLiteral("%1 ms %2 %3\n")
                             .arg(m_clock.elapsed(), 6)
                             .arg(sent ? QStringLiteral("->") : QStringLiteral("<-"),
                                  HexText(data, count));
                m_err.flush();
            });
        }
    }
    ~PanelRun() { m_link.Disconnect(); }

    // The summary of a panel that went well; throws CommandError otherwise.
    QString Run(uint8_t address, const std::optional<LoadedConfig>& file, int panels)
    {
        m_settings.AddressText = QString::number(address);
        const QString& command = m_options.Command;
        if (command == QLatin1String("info")) {
            const int family = m_link.Connect(m_settings, false);
            Pause(StepPauseMs);
            const FirmwareInfo fw = m_link.ReadFirmware(address);
            return QStringLiteral("%1, ПО %2.%3, ревизия аппаратуры 0x%4")
                .arg(PanelText::FamilyName(family))
                .arg(fw.Major)
                .arg(fw.Minor)
                .arg(QStringLiteral("%1")
                         .arg(fw.HardwareRevision, 2, 16, QLatin1Char('0'))
                         .toUpper());
        }
        if (command == QLatin1String("read")) {
            const int family = m_link.Connect(m_settings, true);
            Pause(StepPauseMs);
            // Blocks 7..9 are not the panel's: from the base file, else those
            // of the new configuration (empty).
            ConfigImage image = file ? file->Image : ConfigImage{};
            m_link.ReadBlocks(address, image);
            StampBlockCrcs(image);
            const QString name = ReadOutputName(m_options.Output, address, panels > 1);
            WriteConfigFile(name, EncodeConfigFile(image, family, QDateTime::currentDateTime()));
            return QStringLiteral("%1 считана в %2").arg(PanelText::FamilyName(family), name);
        }
        if (command == QLatin1String("write")) {
            m_link.Connect(m_settings, true);
            m_link.WriteBlocks(address, file->Image);
            if (!m_options.Apply)
                return QStringLiteral("записано");
            Pause(StepPauseMs);
            m_link.Apply(address);
            return QStringLiteral("записано и применено");
        }
        m_link.Connect(m_settings, true);  // apply
        Pause(StepPauseMs);
        m_link.Apply(address);
        return QStringLiteral("применено");
    }

private:
    const CliOptions& m_options;
    TModbus m_channel;
    PanelLink m_link;
    LinkSettings m_settings;
    QTextStream& m_err;
    QElapsedTimer m_clock;
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

int RunPorts(QTextStream& out, QTextStream& err)
{
    const PortRegistry registry;
    for (const QString& name : registry.PortNames())
        out << PrintableName(name) << '\n';
    const QString problem = registry.FolderProblem();
    if (!problem.isEmpty())
        err << problem << '\n';
    return CliExit::Ok;
}

int RunDeviceCommand(const CliOptions& options, QTextStream& out, QTextStream& err)
{
    // The file the write sends, or the base of a read.
    std::optional<LoadedConfig> file;
    const bool write = options.Command == QLatin1String("write");
    if (write || (options.Command == QLatin1String("read") && !options.Base.isEmpty())) {
        const QString& path = write ? options.Files.first() : options.Base;
        file = LoadCliFile(path, err);
        if (!file)
            return CliExit::Failed;
        if (file->IsImport)
            err << QStringLiteral("%1: файл версии 1.60 импортирован\n").arg(path);
    }

    const PortRegistry registry;
    const QString devicePath = registry.DevicePath(options.Port);
    const int panels = int(options.Addresses.size());
    int failed = 0;
    int done = 0;
    for (const uint8_t address : options.Addresses) {
        ++done;
        if (panels > 1)
            err << QStringLiteral("[%1/%2] №%3\n").arg(done).arg(panels).arg(address);
        err.flush();
        QString summary;
        bool ok = true;
        try {
            PanelRun run(options, devicePath, err);
            summary = run.Run(address, file, panels);
        } catch (const CommandError& e) {
            ok = false;
            summary = QStringLiteral("ошибка: ") + ErrorBoxText(e.Message());
            if (!e.Detail().isEmpty())
                err << e.Detail() << '\n';
        }
        out << QStringLiteral("№%1: %2\n").arg(address).arg(summary);
        out.flush();
        if (!ok) {
            ++failed;
            if (options.StopOnError)
                break;
        }
    }
    if (panels > 1)
        err << QStringLiteral("Панелей: %1, с ошибкой: %2\n").arg(done).arg(failed);
    return failed == 0 ? CliExit::Ok : CliExit::Failed;
}
