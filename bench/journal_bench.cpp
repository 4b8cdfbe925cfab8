// orlix-journal-bench [RUNS]: the span of the window's read on a simulated
// line paced at 9600 baud with a 5 ms turnaround, with the traffic journal's
// window closed and open, in turn (the median of RUNS each, default 9).
// The journal records in both; open, its window also takes the frames.
#include "app/application.h"
#include "app/tfmain.h"
#include "app/tfmbparam.h"
#include "link/port_registry.h"
#include "printed_prompts.h"
#include "simulated_panel.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    QTemporaryDir ports;
    qputenv("ORLIX_PORTS_DIR", ports.path().toLocal8Bit());
    SimulatedPanel panel;
    panel.SetLineBehaviour({true, 5000, 0, false});
    panel.SetLineSettings(9600, true);
    QString error;
    if (!panel.Start(&error) ||
        !PortRegistry::RegisterVirtualPort(ports.path(), QStringLiteral("ORL-SIM1"),
                                           panel.DevicePath(), &error)) {
        std::fprintf(stderr, "simulated panel: %s\n", qPrintable(error));
        return 1;
    }
    PrintedPrompts prompts;
    TApplication app(prompts);
    app.CreateForms();
    TFMain* main = app.FMain();
    QComboBox* list = main->PortPanel().CBCOMPort;
    list->setCurrentIndex(list->findText(QStringLiteral("ORL-SIM1")));
    main->show();
    qapp.processEvents();

    std::vector<double> closed, open;
    for (int i = 0; i < 2 * runs + 1; ++i) {
        // The first read only warms up.
        const bool journalOpen = i % 2 == 0;
        if (journalOpen)
            app.RunCommand([&] { main->ShowJournal(); });
        else if (QWidget* journal = main->findChild<QWidget*>(QStringLiteral("FJournal")))
            journal->hide();
        qapp.processEvents();
        QElapsedTimer t;
        t.start();
        app.RunCommand([&] { main->ReadDataFromDevice(); });
        const double ms = t.nsecsElapsed() / 1e6;
        // Let an open journal take the read's frames, as it would after it.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 250)
            qapp.processEvents(QEventLoop::AllEvents, 50);
        if (i > 0)
            (journalOpen ? open : closed).push_back(ms);
    }
    if (prompts.Messages > 0)
        return 1;
    const double c = Median(closed), o = Median(open);
    std::printf("%.2f %.2f %.2f\n", c, o, o - c);
    return 0;
}
