// How long the device commands take against the simulated panel, from the
// click to their end, beside the pauses the protocol prescribes: the rest
// is the tool's own cost. A benchmark: it reports, it does not time out.
#include "panel_fixture.h"

#include <QToolButton>

#include <chrono>
#include <functional>

namespace {
// The prescribed pauses of each command (ms): 20 between identification
// and version, then the command's own.
constexpr int ReadPausesMs = 20 + 20 + 7 * (20 + 10);
constexpr int WritePausesMs = 20 + 7 * (20 + 10 + 20);
constexpr int ApplyPausesMs = 20 + 20 + 10;
constexpr int InfoPausesMs = 20 + 20;

qint64 NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// Runs the command and reports its time, with how much of it came before
// the first request and after the last answer (the window's own part).
void Measure(PanelFixture& f, const char* command, int pausesMs, const std::function<void()>& run)
{
    f.panel.ClearRequests();
    const qint64 startUs = NowUs();
    run();
    const qint64 endUs = NowUs();
    const auto timeline = f.panel.Timeline();
    const double ms = (endUs - startUs) / 1000.0;
    const double budget = 1.02 * pausesMs + 10;
    const double headMs = timeline.isEmpty() ? 0 : (timeline.first().AtUs - startUs) / 1000.0;
    const double tailMs = timeline.isEmpty() ? 0 : (endUs - timeline.last().AtUs) / 1000.0;
    qInfo(
        "%s: %.1f ms for %d ms of pauses (budget %.1f ms): %s; %.1f ms before the first "
        "request, %.1f ms after the last answer",
        command, ms, pausesMs, budget, ms <= budget ? "within" : "OVER", headMs, tailMs);
}
}  // namespace

class TestCommandTiming : public QObject {
    Q_OBJECT
private slots:
    void read()
    {
        PanelFixture f;
        QBENCHMARK_ONCE
        {
            Measure(f, "read", ReadPausesMs, [&] { f.main->SBReadConfig->click(); });
        }
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.panel.Requests().size(), 9);
    }

    void write()
    {
        PanelFixture f;
        QBENCHMARK_ONCE
        {
            Measure(f, "write", WritePausesMs, [&] { f.main->SBWriteConfig->click(); });
        }
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.panel.Requests().size(), 16);
    }

    void apply()
    {
        PanelFixture f;
        QBENCHMARK_ONCE
        {
            Measure(f, "apply", ApplyPausesMs, [&] { f.main->SBApplyConfig->click(); });
        }
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.panel.Requests().size(), 3);
    }

    void information()
    {
        PanelFixture f;
        QBENCHMARK_ONCE
        {
            Measure(f, "information", InfoPausesMs, [&] { f.main->N20->trigger(); });
        }
        QCOMPARE(f.app->prompts.messages().size(), 1);
        QCOMPARE(f.panel.Requests().size(), 3);
    }
};

QTEST_MAIN(TestCommandTiming)
#include "tst_command_timing.moc"
