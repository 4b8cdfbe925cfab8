// orlix-line-bench ORLIX-CLI: the read and write commands of orlix-cli on a
// simulated line paced at 9600 baud with a 5 ms turnaround, against the
// floor that the line and the protocol's pauses set, and a scan of 1-247
// that finds a panel answering 20 ms after each request.
//
// The floor of a command is the sum, over its exchanges, of the pause the
// protocol prescribes before the request and the longer of the pause after
// it and the answer's turnaround plus its bytes' time on the line (requests
// reach a pseudo-terminal at once, and the simulated line hands each byte
// over at the start of its character time, so an answer of n bytes is
// complete n - 1 character times after its first). The span runs from the
// first request the panel received to the last byte of the last answer.
#include "link/port_registry.h"
#include "simulated_panel.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {
constexpr int Baud = 9600;
constexpr double CharMs = 11.0 * 1000.0 / Baud;

struct Pauses {
    int Before;
    int After;
};

// The pauses around a request, as the command takes them.
Pauses PausesOf(const QByteArray& request, bool firstBlock)
{
    const uint8_t function = uint8_t(request.at(1));
    if (function == 0x11)
        return {0, 0};
    if (function == 0x0E)
        return {20, 0};
    switch (request.size() > 4 ? request.at(4) : -1) {
        case 0: return {20, 0};                     // version, after the identification
        case 1: return {firstBlock ? 40 : 20, 10};  // read: 20 after connecting, 20 a block
        case 2: return {20, 10};                    // write
        default: return {20, 10};                   // apply
    }
}

struct Span {
    double Ms = 0;
    double FloorMs = 0;
};

Span Measure(const QList<SimulatedPanel::TimedFrame>& timeline, int turnaroundMs)
{
    Span s;
    qint64 firstUs = -1;
    qint64 lastUs = 0;
    bool firstBlock = true;
    for (qsizetype i = 0; i < timeline.size(); ++i) {
        const auto& f = timeline[i];
        if (f.Dir == SimulatedPanel::Direction::Answer) {
            lastUs = f.EndUs;
            continue;
        }
        if (firstUs < 0)
            firstUs = f.AtUs;
        const bool block = f.Bytes.size() > 4 && uint8_t(f.Bytes[1]) == 0x46 && f.Bytes[4] == 1;
        const Pauses p = PausesOf(f.Bytes, block && firstBlock);
        firstBlock = firstBlock && !block;
        const int answer =
            i + 1 < timeline.size() && timeline[i + 1].Dir == SimulatedPanel::Direction::Answer
                ? int(timeline[i + 1].Bytes.size())
                : 0;
        s.FloorMs += (i == 0 ? 0 : p.Before) +
                     std::max<double>(p.After, turnaroundMs + std::max(0, answer - 1) * CharMs);
    }
    s.Ms = (lastUs - firstUs) / 1000.0;
    return s;
}

bool Run(const QString& cli, const QStringList& args, const QString& ports,
         QByteArray* out = nullptr)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORLIX_PORTS_DIR", ports);
    p.setProcessEnvironment(env);
    p.start(cli, args);
    p.waitForFinished(120000);
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void Report(const char* name, const Span& s)
{
    const double limit = 1.02 * s.FloorMs + 10;
    std::printf(
        "%-9s  %4.0f ms from the first request to the last answer, floor %.0f ms, "
        "limit %.0f ms: %s\n",
        name, s.Ms, s.FloorMs, limit, s.Ms <= limit ? "within" : "OVER");
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orlix-line-bench ORLIX-CLI\n");
        return 2;
    }
    const QString cli = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir ports;
    QTemporaryDir files;
    SimulatedPanel panel;
    QString error;
    if (!panel.Start(&error) || !PortRegistry::RegisterVirtualPort(ports.path(), "BENCH-LINE",
                                                                   panel.DevicePath(), &error)) {
        std::fprintf(stderr, "orlix-line-bench: %s\n", qPrintable(error));
        return 1;
    }
    const QStringList line{"--port", "BENCH-LINE"};
    const QString file = files.filePath("read.cfg");
    int status = 0;

    panel.SetLineBehaviour({true, 5000, 0, false});
    if (!Run(cli, QStringList{"read", "-o", file} + line, ports.path()))
        return std::fprintf(stderr, "orlix-line-bench: read failed\n"), 1;
    const Span read = Measure(panel.Timeline(), 5);
    panel.ClearRequests();
    if (!Run(cli, QStringList{"write", file} + line, ports.path()))
        return std::fprintf(stderr, "orlix-line-bench: write failed\n"), 1;
    const Span write = Measure(panel.Timeline(), 5);
    Report("read:", read);
    Report("write:", write);
    status |= read.Ms > 1.02 * read.FloorMs + 10 || write.Ms > 1.02 * write.FloorMs + 10;

    panel.SetLineBehaviour({true, 20000, 0, false});
    panel.SetAddress(200);
    QByteArray out;
    Run(cli, QStringList{"scan", "--json"} + line, ports.path(), &out);
    const QJsonObject root = QJsonDocument::fromJson(out).object();
    const QJsonArray found = root["panels"].toArray();
    const bool foundIt = found.size() == 1 && found[0]["address"].toInt() == 200;
    const qint64 elapsed = root["elapsed_ms"].toInteger();
    std::printf(
        "scan:      addresses 1-247 at 9600 baud in %lld ms (%.1f ms an address), the panel "
        "answering after 20 ms %s; limit 9000 ms: %s\n",
        elapsed, elapsed / 247.0, foundIt ? "found" : "MISSED",
        elapsed <= 9000 && foundIt ? "within" : "OVER");
    status |= elapsed > 9000 || !foundIt;
    panel.Stop();
    return status;
}
