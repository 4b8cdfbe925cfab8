#include "site/site_run.h"

#include "link/modbus.h"
#include "link/panel_link.h"
#include "link/pause.h"
#include "link/port_registry.h"
#include "model/command_error.h"
#include "model/device_models.h"
#include "model/mbus_settings.h"
#include "names/native_name.h"
#include "text/config_text_file.h"

#include <QMutex>
#include <QThread>

#include <memory>

namespace {

constexpr unsigned long StepPauseMs = 20;

// One line: its channel, its panels one after another.
class LineRun {
public:
    LineRun(const SiteLine& line, int number, SiteCommand command, bool apply,
            const SiteProgress& progress)
        : m_line(line),
          m_number(number),
          m_command(command),
          m_apply(apply),
          m_progress(progress),
          m_link(m_channel)
    {
        m_settings.PortName = line.Port;
        m_settings.DevicePath = PortDevicePath(line.Port);
        m_settings.Line = line.Line;
    }

    QList<SitePanelResult> Run()
    {
        QList<SitePanelResult> results;
        int done = 0;
        for (const SitePanel& panel : m_line.Panels) {
            m_progress(m_number, QStringLiteral("панель %1 из %2 (адрес %3)")
                                     .arg(++done)
                                     .arg(m_line.Panels.size())
                                     .arg(panel.Address));
            SitePanelResult r;
            r.Line = m_number;
            r.Port = m_line.Port;
            r.Name = panel.Name;
            r.Address = panel.Address;
            try {
                m_settings.AddressText = QString::number(panel.Address);
                Panel(panel, r);
            } catch (const CommandError& e) {
                r.Outcome = PanelOutcome::Failed;
                r.Message = QStringLiteral("ошибка: ") + ErrorBoxText(e.Message());
                if (!e.Detail().isEmpty())
                    r.Message += QStringLiteral(" (%1)").arg(e.Detail().simplified());
            }
            m_link.Disconnect();
            m_progress(m_number, QStringLiteral("адрес %1: %2").arg(panel.Address).arg(r.Message));
            results << r;
        }
        return results;
    }

private:
    void Panel(const SitePanel& panel, SitePanelResult& r)
    {
        switch (m_command) {
            case SiteCommand::Write: {
                const LoadedConfig file = LoadAnyConfigFile(panel.File);
                WritePlan plan;
                plan.Image = file.Image;
                plan.Family = file.FamilyCode;
                plan.Apply = m_apply;
                plan.Verify = m_apply;
                PanelResult done;
                WritePanel(m_link, m_settings, plan, done);
                r.Outcome = done.Outcome;
                r.Message = done.Message;
                r.Compared = done.Verified;
                r.ReadBack = NameReadBack(done);
                return;
            }
            case SiteCommand::Verify: {
                LoadedConfig file = LoadAnyConfigFile(panel.File);
                // The panel is expected at the address the site gives it.
                file.Image[MBusSettings::NetAddress] = panel.Address;
                const PanelCheck done =
                    VerifyPanelFields(m_link, m_settings, file.Image, file.FamilyCode);
                r.Outcome = done.Result.Outcome;
                r.Message = done.Result.Message;
                r.Compared = true;
                r.ReadBack = done.ReadBack;
                return;
            }
            case SiteCommand::Read: {
                // Blocks 7..9 live only in files: those of the panel's file
                // where it can be read, else empty as a read makes them.
                ConfigImage image{};
                try {
                    image = LoadAnyConfigFile(panel.File).Image;
                } catch (const CommandError&) {
                }
                const int family = m_link.Connect(m_settings, true);
                Pause(StepPauseMs);
                m_link.ReadBlocks(panel.Address, image);
                WriteConfigFile(panel.File, ConfigFileBytesFor(panel.File, image, family));
                r.Message = QStringLiteral("%1 считана в %2")
                                .arg(FamilyName(family), PrintableName(panel.File));
                return;
            }
            case SiteCommand::Scan: {
                const int family = m_link.Connect(m_settings, false);
                Pause(StepPauseMs);
                const FirmwareInfo fw = m_link.ReadFirmware(panel.Address);
                r.Message = FamilyName(family) + QStringLiteral(", ") + PanelText::FirmwareText(fw);
                return;
            }
        }
    }

    const SiteLine& m_line;
    int m_number;
    SiteCommand m_command;
    bool m_apply;
    const SiteProgress& m_progress;
    TModbus m_channel;
    PanelLink m_link;
    LinkSettings m_settings;
};

}  // namespace

QList<SitePanelResult> RunSite(const Site& site, SiteCommand command, bool apply,
                               const SiteProgress& progress)
{
    QMutex lock;
    const SiteProgress serial = [&](int line, const QString& text) {
        const QMutexLocker hold(&lock);
        if (progress)
            progress(line, text);
    };
    QList<QList<SitePanelResult>> perLine(site.Lines.size());
    std::vector<std::unique_ptr<QThread>> workers;
    for (qsizetype i = 0; i < site.Lines.size(); ++i) {
        workers.emplace_back(QThread::create([&, i] {
            LineRun run(site.Lines[i], int(i) + 1, command, apply, serial);
            perLine[i] = run.Run();
        }));
        workers.back()->start();
    }
    for (auto& worker : workers)
        worker->wait();
    QList<SitePanelResult> results;
    for (const auto& line : perLine)
        results << line;
    return results;
}
