// orlix-report-bench DIR [RUNS]: how long `orlix-cli report` takes for a
// rich configuration file, from reading the file to the finished HTML (the
// median of RUNS, default 25). The file is written to DIR/rich.cfg first.
#include "files/config_file.h"
#include "report/config_report.h"
#include "rich_config.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: orlix-report-bench DIR [RUNS]\n");
        return 2;
    }
    const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath("rich.cfg");
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 25;
    WriteConfigFile(path, EncodeConfigFile(Rich::Image(), 0, QDateTime::currentDateTime()));
    std::vector<double> ms;
    qsizetype length = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const LoadedConfig loaded = LoadConfigFile(path, [] { return false; });
        const QString html = ConfigReportHtml(
            {loaded.Image, loaded.FamilyCode, "rich.cfg", DateTimeFrom1899(loaded.SavedAt)});
        length = html.toUtf8().size();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%.2f %lld\n", ms[ms.size() / 2], static_cast<long long>(length));
    return 0;
}
