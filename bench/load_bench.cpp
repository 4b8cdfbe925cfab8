// orlix-load-bench A.cfg B.cfg [RUNS]: how long loading a configuration file
// and refreshing every page takes, loading the two files in turn so that
// every refresh has new values to show (the median of RUNS, default 25).
#include "app/application.h"
#include "app/tfmain.h"
#include "printed_prompts.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: orlix-load-bench A.cfg B.cfg [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 25;
    const QString files[2] = {QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])};
    PrintedPrompts prompts;
    TApplication app(prompts);
    app.CreateForms();
    app.FMain()->show();
    qapp.processEvents();
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (!app.RunCommand([&] { app.FMain()->LoadFile(files[i % 2]); }))
            return 1;
        qapp.processEvents();  // the shown page repaints
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%.2f\n", ms[ms.size() / 2]);
    return 0;
}
