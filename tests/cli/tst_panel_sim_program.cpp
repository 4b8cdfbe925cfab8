// The real orlix-panel-sim program beside orlix-cli: what becomes of its
// port name when it is killed, how it treats files and folders that are
// not what they should be, and the line its options set up.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <csignal>
#include <memory>

namespace {
struct Result {
    int exitCode = -1;
    QString out;
    QString err;
};

class TestPanelSimProgram : public QObject {
    Q_OBJECT
    QTemporaryDir m_root;
    QString m_ports;

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("ORLIX_PORTS_DIR", m_ports);
        return env;
    }

    // A simulator serving until stopped; null when it did not come up.
    // What it printed at start in `printed`.
    std::unique_ptr<QProcess> StartSim(const QStringList& extra = {}, QString* printed = nullptr)
    {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(Environment());
        p->start(QStringLiteral(ORLIX_SIM_PATH), QStringList{"--ports-dir", m_ports} + extra);
        QElapsedTimer clock;
        clock.start();
        QByteArray out;
        while (clock.elapsed() < 5000 && !out.contains("Registered in")) {
            p->waitForReadyRead(100);
            out += p->readAllStandardOutput();
        }
        if (printed)
            *printed = QString::fromUtf8(out);
        if (!out.contains("Registered in"))
            return nullptr;
        return p;
    }

    Result Cli(const QStringList& arguments)
    {
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.start(QStringLiteral(ORLIX_CLI_PATH), arguments);
        if (!p.waitForFinished(15000))
            p.kill();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void init()
    {
        QVERIFY(m_root.isValid());
        m_ports = m_root.filePath("ports");
        QDir(m_ports).removeRecursively();
    }

    // After kill -9 the dead simulator's name is not listed and leads
    // nowhere; the next simulator takes it over and is reached by it.
    void killedSimulatorsNameIsFreed()
    {
        auto first = StartSim({"--firmware", "1.6"});
        QVERIFY(first);
        QVERIFY(Cli({"ports"}).out.split('\n').contains("ORL-SIM1"));
        ::kill(pid_t(first->processId()), SIGKILL);
        QVERIFY(first->waitForFinished(5000));

        const Result listed = Cli({"ports"});
        QVERIFY2(!listed.out.split('\n').contains("ORL-SIM1"), qPrintable(listed.out));
        const Result dead = Cli({"info", "--port", "ORL-SIM1"});
        QCOMPARE(dead.exitCode, 1);
        QVERIFY2(dead.out.contains("Невозможно открыть порт ORL-SIM1"), qPrintable(dead.out));

        auto second = StartSim();
        QVERIFY2(second, "the name of the killed simulator was not taken over");
        QVERIFY(Cli({"ports"}).out.split('\n').contains("ORL-SIM1"));
        const Result info = Cli({"info", "--port", "ORL-SIM1"});
        QCOMPARE(info.exitCode, 0);
        QVERIFY2(info.out.contains("ПО 1.7"), qPrintable(info.out));  // the new one answers

        ::kill(pid_t(second->processId()), SIGINT);  // stops and removes its port
        QVERIFY(second->waitForFinished(5000));
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(!QFileInfo(QDir(m_ports).filePath("ORL-SIM1")).isSymLink());
    }

    // Stopped with Ctrl+C, a simulator told to save onto a FIFO refuses to
    // replace it, says why and ends with a failure.
    void saveOntoFifoRefused()
    {
        const QString fifo = m_root.filePath("saved.cfg");
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        auto sim = StartSim({"--save", fifo});
        QVERIFY(sim);
        ::kill(pid_t(sim->processId()), SIGINT);
        QVERIFY(sim->waitForFinished(5000));
        QCOMPARE(sim->exitCode(), 1);
        const QString err = QString::fromUtf8(sim->readAllStandardError());
        QVERIFY2(err.contains("это не обычный файл, а именованный канал (FIFO)"), qPrintable(err));
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    // Files and folders that are not what they should be are refused at
    // once, with the reason; the program never hangs on them.
    void refusedAtStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("--load FIFO") << "load-fifo"
                                     << "это не обычный файл, а именованный канал";
        QTest::newRow("ports folder open to all")
            << "open-folder"
            << "к ней есть доступ у группы или у всех (права 777)";
        QTest::newRow("--save into a folder") << "save-folder"
                                              << "--save";
        QTest::newRow("--save into a missing folder") << "save-missing"
                                                      << "--save";
    }
    void refusedAtStart()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QStringList arguments{"--ports-dir", m_ports};
        if (kind == "load-fifo") {
            const QString fifo = m_root.filePath("pipe.cfg");
            QFile::remove(fifo);
            QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
            arguments << "--load" << fifo;
        } else if (kind == "save-folder") {
            arguments << "--save" << m_root.path();
        } else if (kind == "save-missing") {
            arguments << "--save"
                      << "/nonexistent/panel.cfg";
        } else {
            QVERIFY(QDir().mkpath(m_ports));
            QCOMPARE(::chmod(QFile::encodeName(m_ports).constData(), 0777), 0);
        }
        QProcess p;
        p.start(QStringLiteral(ORLIX_SIM_PATH), arguments);
        QElapsedTimer clock;
        clock.start();
        const bool ended = p.waitForFinished(5000);
        if (!ended)
            p.kill();
        QVERIFY2(ended && clock.elapsed() < 3000, "the simulator hung");
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(message), qPrintable(err));
    }

    // Options out of range or not understood are refused at once, each
    // with what it takes.
    void refusedOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString turnaround = "--turnaround takes milliseconds 0..10000";
        QTest::newRow("turnaround negative") << QStringList{"--turnaround", "-1"} << turnaround;
        QTest::newRow("turnaround not a number")
            << QStringList{"--turnaround", "5ms"} << turnaround;
        QTest::newRow("gap too long") << QStringList{"--gap", "1500"} << "--gap takes milliseconds";
        QTest::newRow("network delay in fractions")
            << QStringList{"--listen", "127.0.0.1:0", "--network-delay", "1.5"}
            << "--network-delay takes whole milliseconds";
        QTest::newRow("mbap alone") << QStringList{"--mbap"} << "need --listen";
        QTest::newRow("device address 0")
            << QStringList{"--device", "0:panel07"} << "--device 0:panel07: the address must be";
        QTest::newRow("device without kind")
            << QStringList{"--device", "3"} << "--device 3: takes ADDR:KIND";
        QTest::newRow("unknown kind")
            << QStringList{"--device", "3:panel08"} << "unknown kind \"panel08\"";
        QTest::newRow("firmware of a Modbus device")
            << QStringList{"--device", "3:modbus,firmware=1.6"}
            << "\"firmware=1.6\" does not apply to modbus";
        QTest::newRow("ident exception of a panel")
            << QStringList{"--device", "3:panel09,ident-exception"}
            << "\"ident-exception\" does not apply to panel09";
        QTest::newRow("bad firmware")
            << QStringList{"--device", "3:panel07,firmware=17"} << "firmware takes major.minor";
        QTest::newRow("address twice")
            << QStringList{"--device", "3:modbus", "--device", "3:garbled"}
            << "--device 3:garbled: address 3 is taken already";
        QTest::newRow("address of --address")
            << QStringList{"--address", "1-3", "--device", "2:modbus"}
            << "address 2 is taken already";
        QTest::newRow("fault for a Modbus device")
            << QStringList{"--device", "2:modbus", "--fault-at", "2:no-answer"}
            << "--fault-at 2:no-answer: no panel at address 2";
        QTest::newRow("fault nobody takes")
            << QStringList{"--fault-at", "5:no-answer"} << "no panel at address 5";
        QTest::newRow("fault not understood")
            << QStringList{"--fault-at", "1:explode"} << "--fault-at 1:explode: ";
        QTest::newRow("fault without address")
            << QStringList{"--fault-at", "no-answer"} << "takes ADDR:SCRIPT";
    }
    void refusedOptions()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QProcess p;
        p.setProcessEnvironment(Environment());
        p.start(QStringLiteral(ORLIX_SIM_PATH), QStringList{"--ports-dir", m_ports} + arguments);
        const bool ended = p.waitForFinished(5000);
        if (!ended)
            p.kill();
        QVERIFY2(ended, "the simulator did not refuse");
        QCOMPARE(p.exitCode(), 1);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(!QFileInfo(QDir(m_ports).filePath("ORL-SIM1")).exists());
    }

    // --device alone names the whole line; the tool finds the panels on
    // it at the realistic pace and turnaround, and the Modbus device
    // disturbs nothing.
    void deviceLine()
    {
        QString printed;
        auto sim = StartSim({"--device", "5:modbus,ident-exception", "--device",
                             "7:panel09,firmware=1.6,revision=3", "--device", "9:panel07",
                             "--fault-at", "9:no-answer,request=version"},
                            &printed);
        QVERIFY2(sim, qPrintable(printed));
        QStringList devices;
        for (const QString& line : printed.split('\n')) {
            if (line.startsWith("device at "))
                devices << line;
        }
        QCOMPARE(devices, (QStringList{"device at 5: Modbus device (refuses function 17)",
                                       "device at 7: panel ОРЛ-09, firmware 1.6, revision 3",
                                       "device at 9: panel ОРЛ-07, firmware 1.7, revision 1"}));
        QVERIFY2(printed.contains("paced at the port's baud rate, turnaround 5 ms"),
                 qPrintable(printed));
        const Result info = Cli({"info", "--port", "ORL-SIM1", "--address", "7"});
        QCOMPARE(info.exitCode, 0);
        QVERIFY2(info.out.contains("ПО 1.6"), qPrintable(info.out));
        // The fault is the panel's at 9 alone.
        QCOMPARE(Cli({"info", "--port", "ORL-SIM1", "--address", "9"}).exitCode, 1);
        QCOMPARE(Cli({"info", "--port", "ORL-SIM1", "--address", "1"}).exitCode, 1);
        ::kill(pid_t(sim->processId()), SIGINT);
        QVERIFY(sim->waitForFinished(5000));
        const QString log = QString::fromUtf8(sim->readAllStandardOutput());
        QVERIFY2(log.contains("request  01 11"), qPrintable(log));  // asked, nobody answered
    }
};
}  // namespace

QTEST_GUILESS_MAIN(TestPanelSimProgram)
#include "tst_panel_sim_program.moc"
