// How long the device commands take against the simulated panel, from the
// click to their end, beside the pauses the protocol prescribes: the rest
// is the tool's own cost. A benchmark: it reports, it does not time out.
#include "panel_fixture.h"

#include <QElapsedTimer>
#include <QToolButton>

namespace {
// The prescribed pauses of each command (ms): 20 between identification
// and version, then the command's own.
constexpr int ReadPausesMs = 20 + 20 + 7 * (20 + 10);
constexpr int WritePausesMs = 20 + 7 * (20 + 10 + 20);
constexpr int ApplyPausesMs = 20 + 20 + 10;
constexpr int InfoPausesMs = 20 + 20;

void Report(const char* command, int pausesMs, qint64 elapsedNs)
{
    const double ms = elapsedNs / 1e6;
    const double budget = 1.02 * pausesMs + 10;
    qInfo("%s: %.1f ms for %d ms of pauses (budget %.1f ms): %s", command, ms, pausesMs, budget,
          ms <= budget ? "within" : "OVER");
}
}  // namespace

class TestCommandTiming : public QObject {
    Q_OBJECT
private slots:
    void read()
    {
        PanelFixture f;
        qint64 ns = 0;
        QBENCHMARK_ONCE
        {
            QElapsedTimer t;
            t.start();
            f.main->SBReadConfig->click();
            ns = t.nsecsElapsed();
        }
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.panel.Requests().size(), 9);
        Report("read", ReadPausesMs, ns);
    }

    void write()
    {
        PanelFixture f;
        qint64 ns = 0;
        QBENCHMARK_ONCE
        {
            QElapsedTimer t;
            t.start();
            f.main->SBWriteConfig->click();
            ns = t.nsecsElapsed();
        }
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.panel.Requests().size(), 16);
        Report("write", WritePausesMs, ns);
    }

    void apply()
    {
        PanelFixture f;
        qint64 ns = 0;
        QBENCHMARK_ONCE
        {
            QElapsedTimer t;
            t.start();
            f.main->SBApplyConfig->click();
            ns = t.nsecsElapsed();
        }
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.panel.ApplyCount(), 1);
        Report("apply", ApplyPausesMs, ns);
    }

    void information()
    {
        PanelFixture f;
        qint64 ns = 0;
        QBENCHMARK_ONCE
        {
            QElapsedTimer t;
            t.start();
            f.main->N20->trigger();
            ns = t.nsecsElapsed();
        }
        QCOMPARE(f.app->prompts.messages().size(), 1);
        Report("information", InfoPausesMs, ns);
    }
};

QTEST_MAIN(TestCommandTiming)
#include "tst_command_timing.moc"
