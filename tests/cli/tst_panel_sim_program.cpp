// The real orlix-panel-sim program beside orlix-cli: what becomes of its
// port name when it is killed, and how it treats files and folders that
// are not what they should be.
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
    std::unique_ptr<QProcess> StartSim(const QStringList& extra = {})
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
};
}  // namespace

QTEST_GUILESS_MAIN(TestPanelSimProgram)
#include "tst_panel_sim_program.moc"
