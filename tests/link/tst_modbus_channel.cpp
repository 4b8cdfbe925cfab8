// The serial channel over a real pseudo-terminal: the test plays the panel
// on the master side byte by byte.
#include "link/modbus.h"
#include "link/serial_line.h"
#include "pseudo_terminal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <atomic>
#include <thread>

namespace {

int Open96002None(TModbus& m, const QString& path)
{
    return m.OpenPort(path, 9600, 2, 0, true, 256);
}

QByteArray ReadMaster(int fd, int count, int timeoutMs = 1000)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    char buf[256];
    while (got.size() < count && timer.elapsed() < timeoutMs) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, int(n));
        else
            ::usleep(2000);
    }
    return got;
}

void WriteMaster(int fd, const QByteArray& bytes)
{
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
}

}  // namespace

class TestModbusChannel : public QObject {
    Q_OBJECT

    PseudoTerminal m_pty;
    std::unique_ptr<TModbus> m_modbus;
    QStringList m_status;

    void OpenChannel()
    {
        QVERIFY(Open96002None(*m_modbus, m_pty.SlavePath()) >= 0);
        m_status.clear();
    }

private slots:
    void init()
    {
        QString error;
        QVERIFY2(m_pty.Open(&error), qPrintable(error));
        m_modbus = std::make_unique<TModbus>();
        m_status.clear();
        m_modbus->SetStatusSink([this](const QString& s) { m_status << s; });
    }

    void cleanup()
    {
        m_modbus.reset();
        m_pty.Close();
    }

    void constructedClosed()
    {
        const TModbus m;
        QCOMPARE(m.PortHandle, TModbus::ClosedMarker);
        QCOMPARE(m.Buffer, nullptr);
        QCOMPARE(m.AnswerTimeout, 1000u);
        QCOMPARE(m.ReadTimeoutConstant, 1000u);
    }

    void openShowsPathAndAllocatesBuffer()
    {
        const int handle = Open96002None(*m_modbus, m_pty.SlavePath());
        QVERIFY(handle >= 0);
        QCOMPARE(m_modbus->PortHandle, handle);
        QVERIFY(m_modbus->Buffer != nullptr);
        QCOMPARE(m_modbus->BufferSize(), 256);
        QVERIFY(m_modbus->IsPseudoTerminal());
        QCOMPARE(m_status, QStringList{m_pty.SlavePath()});
        QVERIFY(m_pty.SlavePath().startsWith(QLatin1String("/dev/pts/")));
    }

    // Parity and modem lines are refused by a pseudo-terminal; that does not
    // make the open fail there.
    void openWithLineSettings_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<bool>("rtsToggle");
        QTest::newRow("defaults 9600 two none") << 9600 << 2 << 0 << true;
        QTest::newRow("115200 one even") << 115200 << 0 << 2 << true;
        QTest::newRow("19200 one odd, RTS off") << 19200 << 0 << 1 << false;
    }
    void openWithLineSettings()
    {
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(int, parity);
        QFETCH(bool, rtsToggle);
        QVERIFY(m_modbus->OpenPort(m_pty.SlavePath(), baud, stopBits, parity, rtsToggle, 256) >= 0);
        termios tio{};
        QCOMPARE(::tcgetattr(m_modbus->PortHandle, &tio), 0);
        QCOMPARE(int(::cfgetospeed(&tio)), baud == 9600     ? int(B9600)
                                           : baud == 115200 ? int(B115200)
                                                            : int(B19200));
        QCOMPARE(tio.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(bool(tio.c_cflag & CSTOPB), stopBits == 2);
        QCOMPARE(bool(tio.c_cflag & CRTSCTS), false);
        QCOMPARE(bool(tio.c_iflag & (IXON | IXOFF)), false);
        // With parity the line checks it and marks a failing byte instead of
        // dropping it; without, input is taken as it comes.
        QCOMPARE(bool(tio.c_iflag & INPCK), parity != 0);
        QCOMPARE(bool(tio.c_iflag & PARMRK), parity != 0);
        if (parity != 0)
            QVERIFY(!(tio.c_iflag & (IGNPAR | ISTRIP)));
    }

    void openRejectsBadSettings_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("bufferSize");
        QTest::newRow("parity code 7") << 9600 << 2 << 7 << 256;
        QTest::newRow("stop bits code 3") << 9600 << 3 << 0 << 256;
        QTest::newRow("baud 0") << 0 << 2 << 0 << 256;
        QTest::newRow("no buffer") << 9600 << 2 << 0 << 0;
    }
    void openRejectsBadSettings()
    {
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(int, parity);
        QFETCH(int, bufferSize);
        QCOMPARE(m_modbus->OpenPort(m_pty.SlavePath(), baud, stopBits, parity, true, bufferSize),
                 TModbus::ClosedMarker);
        QCOMPARE(m_modbus->Buffer, nullptr);
        QCOMPARE(m_modbus->PortHandle, TModbus::ClosedMarker);
        QVERIFY(!m_modbus->LastOpenErrorText().isEmpty());
        QVERIFY(m_status.isEmpty());
        // The refused open left the device free.
        TModbus other;
        QVERIFY(Open96002None(other, m_pty.SlavePath()) >= 0);
    }

    void openMissingDevice()
    {
        QCOMPARE(Open96002None(*m_modbus, QStringLiteral("/dev/orlix-no-such-port")),
                 TModbus::ClosedMarker);
        QCOMPARE(m_modbus->Buffer, nullptr);
        QCOMPARE(m_modbus->PortHandle, TModbus::ClosedMarker);
        QVERIFY(!m_modbus->LastOpenErrorText().isEmpty());
        QVERIFY(!m_modbus->LastOpenWasPermissionDenied());
        QVERIFY(m_status.isEmpty());
    }

    void openDeviceHeldElsewhere()
    {
        TModbus holder;
        QVERIFY(Open96002None(holder, m_pty.SlavePath()) >= 0);
        QCOMPARE(Open96002None(*m_modbus, m_pty.SlavePath()), TModbus::ClosedMarker);
        QCOMPARE(m_modbus->Buffer, nullptr);
        // In the tool's words, with the holder where its lock file tells.
        QCOMPARE(m_modbus->LastOpenErrorText(),
                 QStringLiteral("порт занят другой программой: tst_modbus_chan, PID %1")
                     .arg(QCoreApplication::applicationPid()));
        QVERIFY(!m_modbus->LastOpenWasPermissionDenied());
        holder.ClosePort();
        QVERIFY(Open96002None(*m_modbus, m_pty.SlavePath()) >= 0);
    }

    // Only a character device is opened as a port: a name that leads to a
    // file or a folder is refused, and the file is not touched.
    void openRefusesWhatIsNoPort_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("a regular file") << QStringLiteral("FILE");
        QTest::newRow("/etc/passwd by a relative name")
            << QStringLiteral("/dev/../../../etc/passwd");
        QTest::newRow("a folder") << QStringLiteral("/tmp");
    }
    void openRefusesWhatIsNoPort()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        if (path == QLatin1String("FILE")) {
            path = dir.filePath(QStringLiteral("port"));
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("keep");
        }
        QFile before(path);
        const QByteArray content = before.open(QIODevice::ReadOnly) ? before.readAll() : "";
        before.close();
        QCOMPARE(Open96002None(*m_modbus, path), TModbus::ClosedMarker);
        QCOMPARE(m_modbus->Buffer, nullptr);
        QCOMPARE(m_modbus->LastOpenErrorText(),
                 path + QStringLiteral(" — не последовательный порт (не символьное устройство)"));
        QFile after(path);
        QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : "", content);
    }

    // A line that keeps sending while nobody reads (between requests, or
    // while a box waits for the user) does not make the process grow: what
    // is kept of it is bounded, and the next request still works.
    // A line that never falls silent is not sent into: the request fails
    // after the answer wait with "Линия занята", and nothing was written.
    // Once it falls silent, the next request goes out.
    void busyLine()
    {
        OpenChannel();
        std::atomic<bool> stop{false};
        std::thread babble([&] {
            while (!stop) {
                [[maybe_unused]] const ssize_t n = ::write(m_pty.MasterFd(), "\x55", 1);
                ::usleep(1000);  // a byte a millisecond: never 3.5 characters of silence
            }
        });
        QElapsedTimer clock;
        clock.start();
        const bool answered = m_modbus->ReportSlaveId(1, 8);
        const qint64 elapsed = clock.elapsed();
        stop = true;
        babble.join();
        QVERIFY(!answered);
        QCOMPARE(m_status.last(), QStringLiteral("Линия занята"));
        QVERIFY2(elapsed >= 950 && elapsed < 2000, qPrintable(QString::number(elapsed)));
        QCOMPARE(ReadMaster(m_pty.MasterFd(), 4, 100), QByteArray());

        QVERIFY(!m_modbus->ReportSlaveId(1, 8));  // silent now: goes out, unanswered
        QCOMPARE(ReadMaster(m_pty.MasterFd(), 4), QByteArray::fromHex("0111C02C"));
        QCOMPARE(m_status.last(), QStringLiteral("Сбой приема"));
    }

    void streamingLineIsBounded()
    {
        OpenChannel();
        auto residentKb = [] {
            QFile statm(QStringLiteral("/proc/self/statm"));
            if (!statm.open(QIODevice::ReadOnly))
                return qint64(-1);
            return statm.readAll().split(' ').value(1).toLongLong() * (::getpagesize() / 1024);
        };
        const qint64 before = residentKb();
        if (before < 0)
            QSKIP("no /proc/self/statm");
        std::atomic<bool> stop{false};
        std::atomic<qint64> sent{0};
        std::thread stream([&] {
            const QByteArray junk(4096, '\x55');
            while (!stop) {
                const ssize_t n = ::write(m_pty.MasterFd(), junk.constData(), size_t(junk.size()));
                if (n > 0)
                    sent += n;
                else
                    ::usleep(200);
            }
        });
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 1500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        stop = true;
        stream.join();
        const qint64 grown = residentKb() - before;
        QVERIFY2(
            grown < 8 * 1024,
            qPrintable(
                QStringLiteral("grew by %1 KiB while %2 bytes came").arg(grown).arg(sent.load())));
        // The stale input is purged by the next request, which is answered.
        QVERIFY(m_modbus->SendFrame(reinterpret_cast<const uint8_t*>("\x01\x0E\x81\xE4"), 4));
        WriteMaster(m_pty.MasterFd(), QByteArray::fromHex("010E81E4"));
        uint8_t answer[4] = {};
        int received = 0;
        QVERIFY(m_modbus->ReceiveFrame(answer, 4, received, 1000));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(answer), 4),
                 QByteArray::fromHex("010E81E4"));
    }

    void openWithoutPermission()
    {
        if (::geteuid() == 0)
            QSKIP("root may open any device");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("locked"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(file.setPermissions(QFileDevice::Permissions()));
        QCOMPARE(Open96002None(*m_modbus, path), TModbus::ClosedMarker);
        QVERIFY(m_modbus->LastOpenWasPermissionDenied());
    }

    void openWhileOpenClosesEarlierPort()
    {
        PseudoTerminal second;
        QVERIFY(second.Open());
        OpenChannel();
        QVERIFY(Open96002None(*m_modbus, second.SlavePath()) >= 0);
        QCOMPARE(m_status, QStringList{second.SlavePath()});
        // The first device is free again, and the channel talks on the second.
        TModbus other;
        QVERIFY(Open96002None(other, m_pty.SlavePath()) >= 0);
        const uint8_t frame[] = {0x01, 0x0E, 0x81, 0xE4};
        QVERIFY(m_modbus->SendFrame(frame, 4));
        QCOMPARE(ReadMaster(second.MasterFd(), 4), QByteArray::fromHex("010E81E4"));
    }

    void failedReopenLeavesChannelClosed()
    {
        OpenChannel();
        QCOMPARE(Open96002None(*m_modbus, QStringLiteral("/dev/orlix-no-such-port")),
                 TModbus::ClosedMarker);
        QCOMPARE(m_modbus->Buffer, nullptr);
        QCOMPARE(m_modbus->PortHandle, TModbus::ClosedMarker);
        TModbus other;
        QVERIFY(Open96002None(other, m_pty.SlavePath()) >= 0);
    }

    void closeTwiceIsHarmless()
    {
        OpenChannel();
        m_modbus->ClosePort();
        QCOMPARE(m_modbus->Buffer, nullptr);
        QCOMPARE(m_modbus->PortHandle, TModbus::ClosedMarker);
        m_modbus->ClosePort();
        QCOMPARE(m_modbus->Buffer, nullptr);
        QCOMPARE(m_modbus->PortHandle, TModbus::ClosedMarker);
        QVERIFY(m_status.isEmpty());
        TModbus other;
        QVERIFY(Open96002None(other, m_pty.SlavePath()) >= 0);
    }

    void destructorClosesPort()
    {
        {
            TModbus scoped;
            QVERIFY(Open96002None(scoped, m_pty.SlavePath()) >= 0);
        }
        QVERIFY(Open96002None(*m_modbus, m_pty.SlavePath()) >= 0);
    }

    void closedChannelNeitherSendsNorReceives()
    {
        const uint8_t frame[] = {0x01, 0x11};
        QVERIFY(!m_modbus->SendFrame(frame, 2));
        uint8_t answer[4] = {};
        int received = -1;
        QVERIFY(!m_modbus->ReceiveFrame(answer, 4, received, 50));
        QCOMPARE(received, 0);
        QCOMPARE(m_status, (QStringList{QStringLiteral("0"), QStringLiteral("0")}));
    }

    void sendShowsBytesWritten()
    {
        OpenChannel();
        const QByteArray frame = QByteArray::fromHex("0146000201002855");
        QVERIFY(m_modbus->SendFrame(reinterpret_cast<const uint8_t*>(frame.constData()), 8));
        QCOMPARE(m_status, QStringList{QStringLiteral("8")});
        QCOMPARE(ReadMaster(m_pty.MasterFd(), 8), frame);
    }

    // Stale input (a late answer) is gone before the next frame is written.
    void sendPurgesStaleInput()
    {
        OpenChannel();
        WriteMaster(m_pty.MasterFd(), QByteArray::fromHex("DEADBEEF"));
        ::usleep(20000);
        const uint8_t frame[] = {0x01, 0x0E, 0x81, 0xE4};
        QVERIFY(m_modbus->SendFrame(frame, 4));
        WriteMaster(m_pty.MasterFd(), QByteArray::fromHex("010E"));
        uint8_t answer[2] = {};
        int received = 0;
        QVERIFY(m_modbus->ReceiveFrame(answer, 2, received, 500));
        QCOMPARE(received, 2);
        QCOMPARE(answer[0], uint8_t(0x01));
        QCOMPARE(answer[1], uint8_t(0x0E));
    }

    // The answer may arrive in pieces; the read keeps going until all are in.
    void receiveCollectsChunks()
    {
        OpenChannel();
        std::thread writer([fd = m_pty.MasterFd()] {
            for (const char* hex : {"0146", "000400", "010703"}) {
                ::usleep(30000);
                const QByteArray part = QByteArray::fromHex(hex);
                [[maybe_unused]] const ssize_t n =
                    ::write(fd, part.constData(), size_t(part.size()));
            }
        });
        uint8_t answer[8] = {};
        int received = 0;
        const bool ok = m_modbus->ReceiveFrame(answer, 8, received, 1000);
        writer.join();
        QVERIFY(ok);
        QCOMPARE(received, 8);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(answer), 8),
                 QByteArray::fromHex("0146000400010703"));
        QCOMPARE(m_status.last(), QStringLiteral("8"));
    }

    void receiveShortAnswerFails()
    {
        OpenChannel();
        WriteMaster(m_pty.MasterFd(), QByteArray::fromHex("014600"));
        uint8_t answer[5] = {};
        int received = 0;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_modbus->ReceiveFrame(answer, 5, received, 200));
        QVERIFY(timer.elapsed() >= 190);
        QCOMPARE(received, 3);
        QCOMPARE(m_status.last(), QStringLiteral("3"));
    }

    void receiveNothingWaitsTheAnswerTimeout()
    {
        OpenChannel();
        uint8_t answer[10] = {};
        int received = -1;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_modbus->ReceiveFrame(answer, 10, received, m_modbus->AnswerTimeout));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 990 && elapsed < 1800, qPrintable(QString::number(elapsed)));
        QCOMPARE(received, 0);
        QCOMPARE(m_status, QStringList{QStringLiteral("0")});
    }

    // A read never waits longer than its own limit: count + ReadTimeoutConstant.
    void readTimeoutConstantBoundsTheWait()
    {
        OpenChannel();
        m_modbus->ReadTimeoutConstant = 100;
        uint8_t answer[5] = {};
        int received = 0;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_modbus->ReceiveFrame(answer, 5, received, 1000));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 100 && elapsed < 600, qPrintable(QString::number(elapsed)));
    }

    // The other end of the line vanishing is no answer, and no hang.
    void vanishedLineIsNoAnswer()
    {
        OpenChannel();
        m_pty.Close();
        uint8_t answer[4] = {};
        int received = -1;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_modbus->ReceiveFrame(answer, 4, received, 1000));
        QVERIFY(timer.elapsed() < 1500);
        QCOMPARE(received, 0);
        m_modbus->ClosePort();
        QCOMPARE(m_modbus->Buffer, nullptr);
    }

    // On a real UART, where the machine has one: parity checked on input,
    // and RTS driven by hand where the driver has no RS-485 mode, low before
    // and after a frame.
    void realUartWhereThereIsOne()
    {
        const QString uart = QStringLiteral("/dev/ttyS0");
        QFile type(QStringLiteral("/sys/class/tty/ttyS0/type"));
        if (!type.open(QIODevice::ReadOnly) || type.readAll().trimmed() == "0")
            QSKIP("no UART on this machine");
        TModbus m;
        if (m.OpenPort(uart, 9600, 2, 2, true, 256) == TModbus::ClosedMarker)
            QSKIP(
                qPrintable(QStringLiteral("cannot open %1: %2").arg(uart, m.LastOpenErrorText())));
        QVERIFY(!m.IsPseudoTerminal());
        QVERIFY(!(m.IsRs485DirectionSet() && m.DrivesRtsByHand()));
        termios tio{};
        QCOMPARE(::tcgetattr(m.PortHandle, &tio), 0);
        QVERIFY(tio.c_cflag & PARENB);
        QCOMPARE(tio.c_iflag & (INPCK | PARMRK | IGNPAR), tcflag_t(INPCK | PARMRK));
        if (m.DrivesRtsByHand()) {
            int lines = 0;
            QCOMPARE(::ioctl(m.PortHandle, TIOCMGET, &lines), 0);
            QVERIFY(!(lines & TIOCM_RTS));
            const uint8_t poll[] = {0x01, 0x0E, 0x81, 0xE4};
            QVERIFY(m.SendFrame(poll, 4));
            QCOMPARE(::ioctl(m.PortHandle, TIOCMGET, &lines), 0);
            QVERIFY(!(lines & TIOCM_RTS));
        }
    }

    void pseudoTerminalDetection()
    {
        const int slave =
            ::open(QFile::encodeName(m_pty.SlavePath()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(slave >= 0);
        QVERIFY(SerialLine::IsPseudoTerminal(slave));
        ::close(slave);
        QVERIFY(!SerialLine::IsPseudoTerminal(m_pty.MasterFd()));
        const int null = ::open("/dev/null", O_RDWR);
        QVERIFY(!SerialLine::IsPseudoTerminal(null));
        ::close(null);
        QVERIFY(!SerialLine::IsPseudoTerminal(-1));
        QVERIFY(SerialLine::IsPseudoTerminalMajor(136));
        QVERIFY(!SerialLine::IsPseudoTerminalMajor(4));    // ttyS
        QVERIFY(!SerialLine::IsPseudoTerminalMajor(188));  // ttyUSB
    }
};

QTEST_GUILESS_MAIN(TestModbusChannel)
#include "tst_modbus_channel.moc"
