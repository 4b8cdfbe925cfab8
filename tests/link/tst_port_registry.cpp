// The port list: system ports plus virtual ports registered as links.
#include "link/modbus.h"
#include "link/port_holder.h"
#include "link/port_registration.h"
#include "link/port_registry.h"
#include "simulated_panel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPortInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

namespace {
constexpr uid_t OtherUser = 65534;  // "nobody"

enum class FolderState { Private, OpenToAll, OtherOwner, Link, ParentOpen, Missing };

QString MakeFile(const QTemporaryDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path;
}

class EnvGuard {
public:
    explicit EnvGuard(const char* name)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_value(qgetenv(name))
    {
    }
    ~EnvGuard()
    {
        if (m_had)
            qputenv(m_name, m_value);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    bool m_had;
    QByteArray m_value;
};

}  // namespace

Q_DECLARE_METATYPE(FolderState)

class TestPortRegistry : public QObject {
    Q_OBJECT

    QTemporaryDir m_devices;  // stand-ins for device nodes
    QTemporaryDir m_root;
    QString m_ports;

private slots:
    void init()
    {
        QVERIFY(m_devices.isValid() && m_root.isValid());
        m_ports = QDir(m_root.path()).filePath(QStringLiteral("orlix/ports"));
        QDir(m_ports).removeRecursively();
    }

    void defaultFolder()
    {
        EnvGuard ports("ORLIX_PORTS_DIR");
        EnvGuard runtime("XDG_RUNTIME_DIR");
        qputenv("ORLIX_PORTS_DIR", "/somewhere/ports");
        qputenv("XDG_RUNTIME_DIR", "/run/user/1234");
        QCOMPARE(PortRegistry::DefaultVirtualPortsDir(), QStringLiteral("/somewhere/ports"));
        qunsetenv("ORLIX_PORTS_DIR");
        QCOMPARE(PortRegistry::DefaultVirtualPortsDir(),
                 QStringLiteral("/run/user/1234/orlix/ports"));
        qunsetenv("XDG_RUNTIME_DIR");
        QCOMPARE(PortRegistry::DefaultVirtualPortsDir(),
                 QDir(QDir::tempPath()).filePath(QStringLiteral("orlix-%1/ports").arg(::getuid())));
        QCOMPARE(PortRegistry().VirtualPortsDir(), PortRegistry::DefaultVirtualPortsDir());
        QCOMPARE(PortRegistry(m_ports).VirtualPortsDir(), m_ports);
    }

    void listsRegisteredPortsSortedSkippingDangling()
    {
        const QString gone = MakeFile(m_devices, QStringLiteral("gone"));
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("sim-b"),
                                                  MakeFile(m_devices, QStringLiteral("b"))));
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("SIM-A"),
                                                  MakeFile(m_devices, QStringLiteral("a"))));
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("sim-c"), gone));
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("ORL-SIM1"),
                                                  MakeFile(m_devices, QStringLiteral("d"))));
        QFile::remove(gone);
        MakeFile(m_root, QStringLiteral("orlix/ports/plain-file"));  // not a link: not a port

        const PortRegistry registry(m_ports);
        QCOMPARE(registry.VirtualPortNames(), (QStringList{"ORL-SIM1", "SIM-A", "sim-b"}));
        const QStringList all = registry.PortNames();
        for (const char* name : {"ORL-SIM1", "SIM-A", "sim-b"})
            QCOMPARE(all.count(QLatin1String(name)), 1);
        QVERIFY(!all.contains(QStringLiteral("sim-c")));
        QVERIFY(!all.contains(QStringLiteral("plain-file")));
        for (int i = 1; i < all.size(); ++i)
            QVERIFY2(QString::compare(all[i - 1], all[i], Qt::CaseInsensitive) <= 0,
                     qPrintable(all.join(QLatin1Char(' '))));
        QVERIFY(all.indexOf(QStringLiteral("SIM-A")) < all.indexOf(QStringLiteral("sim-b")));
        for (const QString& system : PortRegistry::SystemPortNames())
            QVERIFY(all.contains(system));
    }

    // The system's ports as sysfs shows them: ttys on hardware, not UART
    // lines without a chip, not virtual terminals.
    void systemPortsFromSysfs()
    {
        QTemporaryDir sys;
        struct Tty {
            const char* name;
            bool device;
            const char* type;  // nullptr: no type attribute
        };
        for (const Tty& t : {Tty{"ttyS0", true, "4"}, Tty{"ttyS1", true, "0"},
                             Tty{"ttyUSB0", true, nullptr}, Tty{"ttyACM3", true, nullptr},
                             Tty{"tty1", false, nullptr}, Tty{"ptmx", false, nullptr}}) {
            const QString dir = sys.filePath(t.name);
            QVERIFY(QDir().mkpath(dir));
            if (t.device)
                QVERIFY(QDir().mkpath(dir + "/device"));
            if (t.type) {
                QFile f(dir + "/type");
                QVERIFY(f.open(QIODevice::WriteOnly));
                f.write(QByteArray(t.type) + "\n");
            }
        }
        QCOMPARE(PortRegistry::SystemPortNames(sys.path()),
                 (QStringList{"ttyACM3", "ttyS0", "ttyUSB0"}));
        // On this machine the list is the one QSerialPortInfo gives.
        QStringList qt;
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
            qt << info.portName();
        qt.sort();
        QStringList ours = PortRegistry::SystemPortNames();
        ours.sort();
        QCOMPARE(ours, qt);
    }

    void devicePath()
    {
        const QString target = MakeFile(m_devices, QStringLiteral("dev"));
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("V1"), target));
        const PortRegistry registry(m_ports);
        QCOMPARE(registry.DevicePath(QStringLiteral("V1")), QFileInfo(target).canonicalFilePath());
        QCOMPARE(registry.DevicePath(QStringLiteral("ttyUSB7")), QStringLiteral("/dev/ttyUSB7"));
        QCOMPARE(registry.DevicePath(QString()), QStringLiteral("/dev/"));
        QCOMPARE(registry.DevicePath(QStringLiteral("../etc")), QStringLiteral("/dev/../etc"));
        for (const QString& system : PortRegistry::SystemPortNames())
            QCOMPARE(registry.DevicePath(system), QStringLiteral("/dev/") + system);
    }

    // A network line registered by hand, as a link whose target is its
    // address: listed under its name and resolved to that address, under
    // the folder's other rules.
    void networkLinks_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("staleLock");   // a lock file no program holds
        QTest::addColumn<bool>("openFolder");  // the folder open to all
        QTest::addColumn<bool>("listed");
        QTest::newRow("Modbus TCP gateway") << "mbtcp://192.0.2.10:502" << false << false << true;
        QTest::newRow("serial device server") << "tcp://192.0.2.11:4001" << false << false << true;
        QTest::newRow("IPv6 in brackets") << "mbtcp://[2001:db8::7]:502" << false << false << true;
        QTest::newRow("no port") << "mbtcp://192.0.2.10" << false << false << false;
        QTest::newRow("another scheme") << "http://192.0.2.10:80" << false << false << false;
        QTest::newRow("its program has ended")
            << "mbtcp://192.0.2.10:502" << true << false << false;
        QTest::newRow("folder open to all") << "mbtcp://192.0.2.10:502" << false << true << false;
    }
    void networkLinks()
    {
        QFETCH(QString, target);
        QFETCH(bool, staleLock);
        QFETCH(bool, openFolder);
        QFETCH(bool, listed);
        QCOMPARE(PortRegistry::PrepareFolder(m_ports), QString());
        // As a user makes it: ln -s mbtcp://HOST:PORT "$ports/GW1"
        const QByteArray link = QFile::encodeName(QDir(m_ports).filePath(QStringLiteral("GW1")));
        QCOMPARE(::symlink(target.toUtf8().constData(), link.constData()), 0);
        if (staleLock)
            MakeFile(m_root, QStringLiteral("orlix/ports/.GW1.lock"));
        if (openFolder)
            QCOMPARE(::chmod(QFile::encodeName(m_ports).constData(), 0777), 0);

        const PortRegistry registry(m_ports);
        QCOMPARE(registry.VirtualPortNames(), listed ? QStringList{"GW1"} : QStringList{});
        QCOMPARE(registry.PortNames().contains(QStringLiteral("GW1")), listed);
        QCOMPARE(registry.DevicePath(QStringLiteral("GW1")),
                 listed ? target : QStringLiteral("/dev/GW1"));
        // Taken while listed, as a live device's name is.
        QCOMPARE(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("GW1"),
                                                   MakeFile(m_devices, QStringLiteral("gw"))),
                 !listed && !openFolder);
    }

    void registrationRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("deviceExists");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain name") << "ORL-SIM2" << true << true;
        QTest::newRow("empty name") << "" << true << false;
        QTest::newRow("dot") << "." << true << false;
        QTest::newRow("dot dot") << ".." << true << false;
        QTest::newRow("slash") << "a/b" << true << false;
        QTest::newRow("missing device") << "ORL-SIM3" << false << false;
    }
    void registrationRules()
    {
        QFETCH(QString, name);
        QFETCH(bool, deviceExists);
        QFETCH(bool, accepted);
        const QString device = deviceExists ? MakeFile(m_devices, QStringLiteral("x"))
                                            : m_devices.filePath(QStringLiteral("none"));
        QString error;
        QCOMPARE(PortRegistry::RegisterVirtualPort(m_ports, name, device, &error), accepted);
        QCOMPARE(error.isEmpty(), accepted);
        QCOMPARE(PortRegistry(m_ports).VirtualPortNames().size(), accepted ? 1 : 0);
    }

    // A live registration is not taken over; a dangling one is replaced.
    void takenAndDanglingNames()
    {
        const QString first = MakeFile(m_devices, QStringLiteral("first"));
        const QString second = MakeFile(m_devices, QStringLiteral("second"));
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("P"), first));
        QString error;
        QVERIFY(!PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("P"), second, &error));
        QVERIFY(!error.isEmpty());
        QFile::remove(first);
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("P"), second));
        QCOMPARE(PortRegistry(m_ports).DevicePath(QStringLiteral("P")),
                 QFileInfo(second).canonicalFilePath());
    }

    // Only the owner's registration is removed.
    void unregister()
    {
        const QString mine = MakeFile(m_devices, QStringLiteral("mine"));
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("P"), mine));
        QVERIFY(!PortRegistry::UnregisterVirtualPort(m_ports, QStringLiteral("P"),
                                                     m_devices.filePath(QStringLiteral("other"))));
        QCOMPARE(PortRegistry(m_ports).VirtualPortNames(), QStringList{"P"});
        QVERIFY(PortRegistry::UnregisterVirtualPort(m_ports, QStringLiteral("P"), mine));
        QVERIFY(PortRegistry(m_ports).VirtualPortNames().isEmpty());
        QVERIFY(!QFileInfo(QDir(m_ports).filePath(QStringLiteral("P"))).isSymLink());
        QVERIFY(PortRegistry::UnregisterVirtualPort(m_ports, QStringLiteral("P")));
    }

    // The folder of the virtual ports is used only while it is the user's
    // own: a real folder, no access for others, its parent too where the
    // tool made it. Otherwise its entries are neither listed nor followed,
    // nothing is registered in it, and the problem says why.
    void folderRules_data()
    {
        QTest::addColumn<FolderState>("state");
        QTest::addColumn<QString>("why");  // empty: the folder is used
        QTest::newRow("private") << FolderState::Private << QString();
        QTest::newRow("missing: made 0700") << FolderState::Missing << QString();
        QTest::newRow("mode 777") << FolderState::OpenToAll
                                  << QStringLiteral(
                                         "к ней есть доступ у группы или у всех "
                                         "(права 777)");
        QTest::newRow("another owner")
            << FolderState::OtherOwner
            << QStringLiteral("её владелец — другой пользователь (uid 65534)");
        QTest::newRow("a link") << FolderState::Link << QStringLiteral("это символическая ссылка");
        QTest::newRow("parent open to all")
            << FolderState::ParentOpen
            << QStringLiteral("к ней есть доступ у группы или у всех (права 777)");
    }
    void folderRules()
    {
        QFETCH(FolderState, state);
        QFETCH(QString, why);
        EnvGuard ports("ORLIX_PORTS_DIR");
        EnvGuard runtime("XDG_RUNTIME_DIR");
        qunsetenv("ORLIX_PORTS_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_root.path()));
        // The default folder: the tool makes it and its parent "orlix".
        const QString dir = PortRegistry::DefaultVirtualPortsDir();
        QCOMPARE(dir, m_ports);
        const QString parent = QFileInfo(dir).path();
        QDir(parent).removeRecursively();
        const QString device = MakeFile(m_devices, QStringLiteral("dev"));
        if (state != FolderState::Missing) {
            QVERIFY(QDir().mkpath(dir));
            QCOMPARE(::chmod(QFile::encodeName(parent).constData(), 0700), 0);
            QCOMPARE(::chmod(QFile::encodeName(dir).constData(), 0700), 0);
            QVERIFY(QFile::link(device, QDir(dir).filePath(QStringLiteral("PLANTED"))));
        }
        const QByteArray dir8 = QFile::encodeName(dir);
        switch (state) {
            case FolderState::Private:
            case FolderState::Missing: break;
            case FolderState::OpenToAll: QCOMPARE(::chmod(dir8.constData(), 0777), 0); break;
            case FolderState::OtherOwner:
                if (::geteuid() != 0)
                    QSKIP("a folder of another owner needs root to make");
                QCOMPARE(::chown(dir8.constData(), OtherUser, OtherUser), 0);
                break;
            case FolderState::Link: {
                const QString real = parent + QStringLiteral("/elsewhere");
                QVERIFY(QDir().rename(dir, real));
                QVERIFY(QFile::link(real, dir));
                break;
            }
            case FolderState::ParentOpen:
                QCOMPARE(::chmod(QFile::encodeName(parent).constData(), 0777), 0);
                break;
        }

        const PortRegistry registry;
        QString error;
        const bool registered =
            PortRegistry::RegisterVirtualPort(dir, QStringLiteral("MINE"), device, &error);
        if (why.isEmpty()) {
            QVERIFY2(registered, qPrintable(error));
            QCOMPARE(registry.FolderProblem(), QString());
            QStringList expected{QStringLiteral("MINE")};
            if (state != FolderState::Missing)
                expected.append(QStringLiteral("PLANTED"));
            QCOMPARE(registry.VirtualPortNames(), expected);
            struct stat st {};
            QCOMPARE(::lstat(dir8.constData(), &st), 0);
            QCOMPARE(st.st_mode & 0777, mode_t(0700));
            QCOMPARE(::lstat(QFile::encodeName(parent).constData(), &st), 0);
            QCOMPARE(st.st_mode & 0777, mode_t(0700));
        } else {
            const QString problem = registry.FolderProblem();
            QVERIFY2(problem.contains(why), qPrintable(problem));
            QVERIFY2(problem.contains(QStringLiteral("chmod 700")), qPrintable(problem));
            QVERIFY(!registered);
            QCOMPARE(error, problem);
            QVERIFY(registry.VirtualPortNames().isEmpty());
            QVERIFY(!registry.PortNames().contains(QStringLiteral("PLANTED")));
            QCOMPARE(registry.DevicePath(QStringLiteral("PLANTED")),
                     QStringLiteral("/dev/PLANTED"));
            QVERIFY(!QFileInfo(QDir(dir).filePath(QStringLiteral("MINE"))).isSymLink());
        }
    }

    // A program's registration lasts as long as the program: after kill -9
    // its name is no longer listed nor followed, and the next one takes it.
    void killedOwnerFreesTheName()
    {
        const QString device = MakeFile(m_devices, QStringLiteral("pty"));
        const QString next = MakeFile(m_devices, QStringLiteral("pty2"));
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            PortRegistration registration;
            const char ok =
                registration.Register(m_ports, QStringLiteral("ORL-SIM1"), device) ? 'y' : 'n';
            (void)!::write(ready[1], &ok, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        QCOMPARE(::read(ready[0], &ok, 1), ssize_t(1));
        ::close(ready[0]);
        QCOMPARE(ok, 'y');
        QCOMPARE(PortRegistry(m_ports).VirtualPortNames(), QStringList{"ORL-SIM1"});
        PortRegistration second;
        QString error;
        QVERIFY(!second.Register(m_ports, QStringLiteral("ORL-SIM1"), next, &error));
        QVERIFY2(error.contains(QStringLiteral("taken")), qPrintable(error));

        ::kill(child, SIGKILL);
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        const PortRegistry registry(m_ports);
        QVERIFY(QFileInfo(QDir(m_ports).filePath(QStringLiteral("ORL-SIM1"))).isSymLink());
        QVERIFY(registry.VirtualPortNames().isEmpty());
        QCOMPARE(registry.DevicePath(QStringLiteral("ORL-SIM1")), QStringLiteral("/dev/ORL-SIM1"));

        QVERIFY2(second.Register(m_ports, QStringLiteral("ORL-SIM1"), next, &error),
                 qPrintable(error));
        QCOMPARE(registry.DevicePath(QStringLiteral("ORL-SIM1")),
                 QFileInfo(next).canonicalFilePath());
        second.Unregister();
        QVERIFY(
            QDir(m_ports)
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
                .isEmpty());
    }

    // Who holds a port, as the lock files of other programs tell it: the
    // UUCP form (ten digits) and Qt's (pid, program, host); a lock of a
    // process that has ended, or one that is not a lock, tells nothing.
    void portHolderFromLockFiles_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("lockName");
        QTest::addColumn<QString>("content");  // %1: the holder's process id
        QTest::addColumn<bool>("told");
        QTest::newRow("UUCP form") << "/dev/ttyUSB0"
                                   << "LCK..ttyUSB0"
                                   << "%1\n"
                                   << true;
        QTest::newRow("Qt form, pseudo-terminal") << "/dev/pts/7"
                                                  << "LCK..pts_7"
                                                  << "%1\nsleep\nhost\n"
                                                  << true;
        QTest::newRow("ended process") << "/dev/ttyS1"
                                       << "LCK..ttyS1"
                                       << "999999999\n"
                                       << false;
        QTest::newRow("not a lock") << "/dev/ttyS2"
                                    << "LCK..ttyS2"
                                    << "hello\n"
                                    << false;
        QTest::newRow("another port's lock") << "/dev/ttyS3"
                                             << "LCK..ttyS4"
                                             << "%1\n"
                                             << false;
    }
    void portHolderFromLockFiles()
    {
        QFETCH(QString, device);
        QFETCH(QString, lockName);
        QFETCH(QString, content);
        QFETCH(bool, told);
        QProcess holder;
        holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        QTemporaryDir locks;
        QFile lock(locks.filePath(lockName));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        const qint64 pid = holder.processId();
        lock.write(content.arg(pid, 10).toLatin1());
        lock.close();
        const QString text = PortHolder(device, {locks.path()});
        holder.kill();
        holder.waitForFinished();
        QCOMPARE(text, told ? QStringLiteral("sleep, PID %1").arg(pid) : QString());
    }

    // The simulated panel registered as a port: the tool opens it by the
    // listed name and the status shows the device path.
    void simulatedPanelThroughRegistry()
    {
        SimulatedPanel panel;
        QVERIFY(panel.Start());
        QVERIFY(PortRegistry::RegisterVirtualPort(m_ports, QStringLiteral("ORL-SIM1"),
                                                  panel.DevicePath()));
        const PortRegistry registry(m_ports);
        QVERIFY(registry.PortNames().contains(QStringLiteral("ORL-SIM1")));
        const QString path = registry.DevicePath(QStringLiteral("ORL-SIM1"));
        QCOMPARE(path, panel.DevicePath());

        TModbus modbus;
        QStringList status;
        modbus.SetStatusSink([&status](const QString& s) { status << s; });
        QVERIFY(modbus.OpenPort(path, 9600, 2, 0, true, 256) >= 0);
        QCOMPARE(status, QStringList{path});
        QVERIFY(modbus.ReportSlaveId(1, 8));
        QCOMPARE(status.last(), QStringLiteral("CRC: 0"));
    }
};

QTEST_GUILESS_MAIN(TestPortRegistry)
#include "tst_port_registry.moc"
