// How long the device commands take against the simulated panel, from the
// click to their end, beside the pauses the protocol prescribes: the rest
// is the tool's own cost. A benchmark: it reports, it does not time out.
#include "panel_fixture.h"

#include <QToolButton>

#include <chrono>

namespace {
qint64 NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

class TestCommandTiming : public QObject {
    Q_OBJECT
private slots:
    void command_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("pausesMs");  // 20 between identification and version, then its own
        QTest::addColumn<int>("requests");
        QTest::newRow("read") << "read" << 20 + 20 + 7 * (20 + 10) << 9;
        QTest::newRow("write") << "write" << 20 + 7 * (20 + 10 + 20) << 16;
        QTest::newRow("apply") << "apply" << 20 + 20 + 10 << 3;
        QTest::newRow("information") << "information" << 20 + 20 << 3;
    }

    // Reports the time, with how much of it came before the first request
    // and after the last answer (the window's own part).
    void command()
    {
        QFETCH(QString, command);
        QFETCH(int, pausesMs);
        QFETCH(int, requests);
        PanelFixture f;
        qint64 startUs = 0;
        qint64 endUs = 0;
        // Looked up before the clock starts: finding a control is no part of
        // the command.
        QToolButton* button = command == "read"    ? f.Tool("SBReadConfig")
                              : command == "write" ? f.Tool("SBWriteConfig")
                              : command == "apply" ? f.Tool("SBApplyConfig")
                                                   : nullptr;
        QAction* information = f.Action("N20");
        QBENCHMARK_ONCE
        {
            f.panel.ClearRequests();
            startUs = NowUs();
            if (button)
                button->click();
            else
                information->trigger();
            endUs = NowUs();
        }
        QCOMPARE(f.panel.Requests().size(), requests);
        QCOMPARE(f.messageTexts().size(), command == "information" ? 1 : 0);
        const auto timeline = f.panel.Timeline();
        const double ms = (endUs - startUs) / 1000.0;
        const double budget = 1.02 * pausesMs + 10;
        qInfo(
            "%s: %.1f ms for %d ms of pauses (budget %.1f ms): %s; %.1f ms before the first "
            "request, %.1f ms after the last answer",
            qPrintable(command), ms, pausesMs, budget, ms <= budget ? "within" : "OVER",
            (timeline.first().AtUs - startUs) / 1000.0, (endUs - timeline.last().AtUs) / 1000.0);
    }
};

QTEST_MAIN(TestCommandTiming)
#include "tst_command_timing.moc"
