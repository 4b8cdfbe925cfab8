// The simulated line as a master sees it through the pseudo-terminal: the
// pace, turnaround and echo of answers, requests of unknown functions, the
// other kinds of device, and the Modbus TCP gateway in front of the line.
#include "line_behaviour.h"
#include "model/crc16.h"
#include "panel_responder.h"
#include "simulated_panel.h"
#include "tcp_bridge.h"

#include <QElapsedTimer>
#include "closed_frame.h"

#include <QTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <chrono>
#include <cmath>

namespace {

qint64 NowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

bool Intact(const QByteArray& frame)
{
    return frame.size() >= 4 && FrameIntact(frame);
}

speed_t Speed(int baudRate)
{
    return baudRate == 115200 ? B115200 : baudRate == 19200 ? B19200 : B9600;
}

// The master's end of the line: the pseudo-terminal's device, opened as a
// serial port is.
class MasterEnd {
public:
    bool Open(const QString& path, int baudRate)
    {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd < 0)
            return false;
        termios tio{};
        ::tcgetattr(m_fd, &tio);
        ::cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD | CSTOPB;
        ::cfsetspeed(&tio, Speed(baudRate));
        return ::tcsetattr(m_fd, TCSANOW, &tio) == 0;
    }
    ~MasterEnd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    // Sends `bytes`; returns when it began to (nothing can arrive sooner).
    qint64 Send(const QByteArray& bytes)
    {
        const qint64 at = NowUs();
        [[maybe_unused]] const ssize_t n = ::write(m_fd, bytes.constData(), size_t(bytes.size()));
        return at;
    }

    // Reads until `count` bytes came or the line was quiet for `quietMs`;
    // the time each byte arrived in `times`.
    QByteArray Receive(int count, int quietMs, QList<qint64>* times = nullptr)
    {
        QByteArray got;
        while (got.size() < count) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0)
                break;
            char buffer[512];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            const qint64 at = NowUs();
            for (ssize_t i = 0; i < n; ++i) {
                got.append(buffer[i]);
                if (times)
                    *times << at;
            }
        }
        return got;
    }

private:
    int m_fd = -1;
};

// A panel request of function 70 for reading block `block`.
QByteArray ReadBlock(int block)
{
    QByteArray body = Hex("0146000201");
    body.append(char(block));
    return ClosedFrame(body);
}

// The block whose read answer is longest, and that answer.
QByteArray LongestBlockAnswer(int* block)
{
    PanelResponder panel;
    QByteArray longest;
    for (int b = 0; b < 10; ++b) {
        const QByteArray answer = panel.Respond(ReadBlock(b)).Bytes;
        if (answer.size() > longest.size()) {
            longest = answer;
            *block = b;
        }
    }
    return longest;
}

// A TCP client of the gateway.
class NetworkEnd {
public:
    bool Connect(int port)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~NetworkEnd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    qint64 Send(const QByteArray& bytes)
    {
        const qint64 at = NowUs();
        [[maybe_unused]] const ssize_t n = ::send(m_fd, bytes.constData(), size_t(bytes.size()), 0);
        return at;
    }
    // Up to `count` bytes within `timeoutMs`; `closed` set when the peer
    // closed the connection.
    QByteArray Receive(int count, int timeoutMs, bool* closed = nullptr)
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.size() < count && clock.elapsed() < timeoutMs) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(timeoutMs - clock.elapsed())) <= 0)
                break;
            char buffer[512];
            const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                if (closed)
                    *closed = true;
                break;
            }
            got.append(buffer, int(n));
        }
        return got;
    }

private:
    int m_fd = -1;
};

// A unit of Modbus TCP: transaction, protocol, length, unit id, PDU.
QByteArray Unit(uint16_t transaction, uint8_t unit, const QByteArray& pdu, uint16_t protocol = 0)
{
    QByteArray adu;
    for (uint16_t word : {transaction, protocol, uint16_t(pdu.size() + 1)}) {
        adu.append(char(word >> 8));
        adu.append(char(word & 0xFF));
    }
    adu.append(char(unit));
    return adu + pdu;
}

}  // namespace

class TestLineEmulator : public QObject {
    Q_OBJECT

    // A panel at address 1 and a Modbus device at 2 on a started line, the
    // master's end open at `baudRate`.
    bool StartLine(SimulatedPanel& line, MasterEnd& master, const LineBehaviour& behaviour,
                   int baudRate = 9600)
    {
        line.SetLineSettings(baudRate, true);
        line.SetLineBehaviour(behaviour);
        line.AddModbusDevice(2);
        return line.Start() && master.Open(line.DevicePath(), baudRate);
    }

private slots:
    // Answer bytes leave one character time apart: 11 bits at two stop
    // bits, scheduled without drift, so the whole block answer takes its
    // length in characters.
    void pacing_data()
    {
        QTest::addColumn<int>("baudRate");
        QTest::newRow("9600") << 9600;
        QTest::newRow("115200") << 115200;
    }
    void pacing()
    {
        QFETCH(int, baudRate);
        int block = 0;
        const QByteArray expected = LongestBlockAnswer(&block);
        QCOMPARE(expected.size(), 89);
        SimulatedPanel line;
        MasterEnd master;
        QVERIFY(StartLine(line, master, {true, 0, 0, false}, baudRate));
        const double charUs = 11e6 / baudRate;
        // A late wake-up only lengthens an answer (a busy machine); a pace
        // that drifts lengthens every one. The best of a few tries counts.
        double bestTook = 1e12;
        double bestSpan = 1e12;
        for (int attempt = 0; attempt < 5; ++attempt) {
            line.ClearRequests();
            QList<qint64> times;
            const qint64 sentUs = master.Send(ReadBlock(block));
            QCOMPARE(master.Receive(89, 500, &times), expected);
            QVERIFY(line.WaitForAnswersSent(attempt + 1, 500));
            const auto answer = line.Timeline().last();
            QCOMPARE(answer.Bytes, expected);
            const double took = double(times.last() - sentUs);
            const double span = double(answer.EndUs - answer.AtUs);
            if (std::abs(took - 89 * charUs) < std::abs(bestTook - 89 * charUs))
                bestTook = took;
            if (std::abs(span - 88 * charUs) < std::abs(bestSpan - 88 * charUs))
                bestSpan = span;
        }
        // At the master: from the request to the last byte, 89 characters.
        QVERIFY2(
            bestTook > 89 * charUs * 0.95 && bestTook < 89 * charUs * 1.05,
            qPrintable(QStringLiteral("%1 us for 89 bytes of %2 us").arg(bestTook).arg(charUs)));
        // The panel's own record: first and last byte 88 characters apart.
        QVERIFY2(bestSpan > 88 * charUs * 0.95 && bestSpan < 88 * charUs * 1.05,
                 qPrintable(QString::number(bestSpan)));
    }

    // The turnaround counts from the request's last byte; an extra gap
    // spreads the answer without a pace.
    void turnaroundAndGap_data()
    {
        QTest::addColumn<int>("turnaroundUs");
        QTest::addColumn<int>("gapUs");
        QTest::newRow("at once") << 0 << 0;
        QTest::newRow("turnaround 30 ms") << 30000 << 0;
        QTest::newRow("gap 3 ms") << 0 << 3000;
        QTest::newRow("both") << 10000 << 2500;
    }
    void turnaroundAndGap()
    {
        QFETCH(int, turnaroundUs);
        QFETCH(int, gapUs);
        SimulatedPanel line;
        MasterEnd master;
        QVERIFY(StartLine(line, master, {false, turnaroundUs, gapUs, false}));
        // Never early; late only on a busy machine, so the best of three counts.
        qint64 firstUs = 0;
        qint64 spanUs = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            QList<qint64> times;
            const qint64 sentUs = master.Send(Hex("0111C02C"));
            QCOMPARE(master.Receive(8, 500, &times), ClosedFrame(Hex("011103200732")));
            QVERIFY(line.WaitForAnswersSent(attempt + 1, 500));
            const auto answer = line.Timeline().last();
            firstUs = times.first() - sentUs;
            spanUs = answer.EndUs - answer.AtUs;
            QVERIFY2(firstUs >= turnaroundUs, qPrintable(QString::number(firstUs)));
            if (firstUs < turnaroundUs + 3000 && std::abs(spanUs - 7 * gapUs) < 1000)
                break;
        }
        QVERIFY2(firstUs < turnaroundUs + 3000, qPrintable(QString::number(firstUs)));
        QVERIFY2(std::abs(spanUs - 7 * gapUs) < 1000, qPrintable(QString::number(spanUs)));
    }

    // An echoing line returns every byte at once, the answer after it:
    // frames for others and noise too.
    void echoPrecedesAnswer()
    {
        SimulatedPanel line;
        MasterEnd master;
        QVERIFY(StartLine(line, master, {true, 5000, 0, true}));
        const QByteArray request = Hex("01460001000D18");
        const QByteArray answer = ClosedFrame(Hex("0146000400010701"));
        master.Send(request);
        QCOMPARE(master.Receive(int(request.size() + answer.size()), 500), request + answer);
        QVERIFY(line.WaitForAnswersSent(1, 500));
        const auto timeline = line.Timeline();
        QCOMPARE(timeline.size(), 2);
        QVERIFY(timeline[1].AtUs - timeline[0].EndUs >= 5000);

        for (const QByteArray& other : {ClosedFrame(Hex("0911")), Hex("FF00A5")}) {
            master.Send(other);
            QCOMPARE(master.Receive(64, 100), other);
        }
    }

    // A master speaking another function to the panel gets "illegal
    // function" once the line has been silent 3.5 characters; the panel's
    // own functions are answered the moment they are complete.
    void framingByLengthOrSilence_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("endsBySilence");
        QTest::newRow("identification")
            << Hex("0111C02C") << ClosedFrame(Hex("011103200732")) << false;
        QTest::newRow("version") << Hex("01460001000D18") << ClosedFrame(Hex("0146000400010701"))
                                 << false;
        QTest::newRow("read holding registers")
            << ClosedFrame(Hex("010300000001")) << ClosedFrame(Hex("018301")) << true;
        QTest::newRow("write a register")
            << ClosedFrame(Hex("010600010005")) << ClosedFrame(Hex("018601")) << true;
    }
    void framingByLengthOrSilence()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(bool, endsBySilence);
        SimulatedPanel line;
        MasterEnd master;
        QVERIFY(StartLine(line, master, {}));
        master.Send(request);
        QCOMPARE(master.Receive(answer.size(), 500), answer);
        QVERIFY(line.WaitForAnswersSent(1, 500));
        const auto timeline = line.Timeline();
        QCOMPARE(timeline.size(), 2);
        QCOMPARE(timeline[0].Bytes, request);
        const qint64 waitedUs = timeline[1].AtUs - timeline[0].EndUs;
        const qint64 silenceUs = LineTiming::FrameSilenceUs(9600, true);
        QCOMPARE(silenceUs, qint64(4010));
        if (endsBySilence)
            QVERIFY2(waitedUs >= silenceUs, qPrintable(QString::number(waitedUs)));
        else
            QVERIFY2(waitedUs < silenceUs / 2, qPrintable(QString::number(waitedUs)));
    }

    // The generic Modbus device and the garbling one, through the line.
    void otherDevices_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("long identification") << "modbus" << ClosedFrame(Hex("0511"))
                                             << ClosedFrame(Hex("05110AB4FF4C4D42332E312E36"));
        QTest::newRow("identification refused")
            << "modbus-ident-exception" << ClosedFrame(Hex("0511")) << ClosedFrame(Hex("059101"));
        QTest::newRow("holding registers 16..18") << "modbus" << ClosedFrame(Hex("050300100003"))
                                                  << ClosedFrame(Hex("050306001000110012"));
        QTest::newRow("input register 65535")
            << "modbus" << ClosedFrame(Hex("0504FFFF0001")) << ClosedFrame(Hex("050402FFFF"));
        QTest::newRow("126 registers")
            << "modbus" << ClosedFrame(Hex("05030000007E")) << ClosedFrame(Hex("058303"));
        QTest::newRow("no register")
            << "modbus" << ClosedFrame(Hex("050300000000")) << ClosedFrame(Hex("058303"));
        QTest::newRow("past the last register")
            << "modbus" << ClosedFrame(Hex("0503FFFF0002")) << ClosedFrame(Hex("058302"));
        QTest::newRow("write a register")
            << "modbus" << ClosedFrame(Hex("050600010005")) << ClosedFrame(Hex("058601"));
        QTest::newRow("programming function")
            << "modbus" << ClosedFrame(Hex("0546000100")) << ClosedFrame(Hex("05C601"));
        QTest::newRow("bad CRC") << "modbus" << Hex("05030000000100FF") << QByteArray();
        QTest::newRow("another address")
            << "modbus" << ClosedFrame(Hex("060300000001")) << QByteArray();
    }
    void otherDevices()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        SimulatedPanel line;
        QVERIFY(line.AddModbusDevice(5, kind == "modbus-ident-exception"));
        QVERIFY(!line.AddGarbledDevice(5));  // taken
        MasterEnd master;
        QVERIFY(line.Start() && master.Open(line.DevicePath(), 9600));
        master.Send(request);
        QCOMPARE(master.Receive(64, 150), answer);
        QVERIFY(line.WaitForRequests(1, 500));
    }

    // A garbling device answers as long as a panel would (an exception to
    // a function it does not know), at its address, its CRC wrong.
    void garbledDevice_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("length");
        QTest::newRow("identification") << ClosedFrame(Hex("0711")) << 8;
        QTest::newRow("poll") << ClosedFrame(Hex("070E")) << 4;
        QTest::newRow("version") << ClosedFrame(Hex("0746000100")) << 10;
        QTest::newRow("registers") << ClosedFrame(Hex("070300000001")) << 5;
    }
    void garbledDevice()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, length);
        SimulatedPanel line;
        QVERIFY(line.AddGarbledDevice(7));
        QCOMPARE(line.Addresses(), (QList<uint8_t>{1, 7}));
        MasterEnd master;
        QVERIFY(line.Start() && master.Open(line.DevicePath(), 9600));
        master.Send(request);
        const QByteArray got = master.Receive(64, 150);
        QCOMPARE(got.size(), length);
        QCOMPARE(got.at(0), request.at(0));
        QVERIFY(!Intact(got));
    }

    // The junk after an answer leaves at the line's pace with it: 14 bytes
    // over 13 character times.
    void extraBytesPaced()
    {
        SimulatedPanel line;
        line.AddFault(*PanelFault::Parse(QStringLiteral("extra,bytes=4,request=version")));
        MasterEnd master;
        QVERIFY(StartLine(line, master, {true, 0, 0, false}));
        const double charUs = 11e6 / 9600;
        double best = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            master.Send(Hex("01460001000D18"));
            QCOMPARE(master.Receive(14, 500),
                     ClosedFrame(Hex("0146000400010701")) + Hex("A5A5A5A5"));
            QVERIFY(line.WaitForAnswersSent(attempt + 1, 500));
            const auto answer = line.Timeline().last();
            best = double(answer.EndUs - answer.AtUs);
            if (std::abs(best - 13 * charUs) < 13 * charUs * 0.05)
                break;
        }
        QVERIFY2(std::abs(best - 13 * charUs) < 13 * charUs * 0.05,
                 qPrintable(QString::number(best)));
    }

    // A panel taken off the line leaves the others; with no panel left
    // the first panel's calls reach nobody on the line.
    void removeDevices()
    {
        SimulatedPanel line;
        QVERIFY(line.AddModbusDevice(2));
        QVERIFY(line.AddPanel(3));
        QVERIFY(line.RemoveDevice(1));
        QCOMPARE(line.Addresses(), (QList<uint8_t>{2, 3}));
        QCOMPARE(int(line.Identity().Address), 3);  // the first panel now
        QVERIFY(line.RemoveDevice(3));
        QVERIFY(!line.RemoveDevice(3));
        QVERIFY(line.AddModbusDevice(1));
        QCOMPARE(line.Addresses(), (QList<uint8_t>{2, 1}));
        MasterEnd master;
        QVERIFY(line.Start() && master.Open(line.DevicePath(), 9600));
        master.Send(ClosedFrame(Hex("0111")));
        QCOMPARE(master.Receive(64, 150), ClosedFrame(Hex("01110AB4FF4C4D42332E312E36")));
    }

    // The gateway: a unit becomes an RTU frame, the intact answer comes
    // back under the same transaction id with the answer's address; no
    // answer gives exception 0B, and the next request is served after it.
    void gatewayRoundTrip_data()
    {
        QTest::addColumn<bool>("echo");
        QTest::newRow("quiet line") << false;
        QTest::newRow("echoing line") << true;
    }
    void gatewayRoundTrip()
    {
        QFETCH(bool, echo);
        SimulatedPanel line;
        line.AddModbusDevice(2);
        line.SetLineBehaviour({true, 2000, 0, echo});
        QVERIFY(line.Start());
        TcpBridge bridge;
        QString error;
        QVERIFY2(bridge.Start("127.0.0.1:0", line.DevicePath(), &error, {true, 0, echo}),
                 qPrintable(error));
        NetworkEnd client;
        QVERIFY(client.Connect(bridge.Port()));

        client.Send(Unit(0x1234, 2, Hex("0300100002")));
        QCOMPARE(client.Receive(64, 1500), Unit(0x1234, 2, Hex("030400100011")));
        // The poll's answer is its request again: not taken for the echo.
        client.Send(Unit(0x0001, 1, Hex("0E")));
        QCOMPARE(client.Receive(64, 1500), Unit(0x0001, 1, Hex("0E")));
        // Nobody at 9: after its time-out the gateway says so (exception
        // 0B), and the next request is answered.
        client.Send(Unit(0x0002, 9, Hex("11")) + Unit(0x0003, 1, Hex("11")));
        QElapsedTimer clock;
        clock.start();
        const QByteArray expected =
            Unit(0x0002, 9, Hex("910B")) + Unit(0x0003, 1, Hex("1103200732"));
        QByteArray got = client.Receive(64, 2500);
        QVERIFY(clock.elapsed() >= TcpBridge::AnswerTimeoutMs);
        while (got.size() < expected.size() && clock.elapsed() < 4000)
            got += client.Receive(64, 500);
        QCOMPARE(got, expected);
        QCOMPARE(line.Requests(),
                 (QList<QByteArray>{ClosedFrame(Hex("020300100002")), ClosedFrame(Hex("010E")),
                                    ClosedFrame(Hex("0911")), ClosedFrame(Hex("0111"))}));
    }

    // Units the gateway cannot use: another protocol is passed over by its
    // length, a garbled answer sends nothing, an impossible length closes.
    void gatewayMalformedUnits()
    {
        SimulatedPanel line;
        line.AddGarbledDevice(7);
        QVERIFY(line.Start());
        TcpBridge bridge;
        QVERIFY(bridge.Start("127.0.0.1:0", line.DevicePath(), nullptr, {true, 0, false}));
        NetworkEnd client;
        QVERIFY(client.Connect(bridge.Port()));
        client.Send(Unit(5, 1, Hex("11"), 1) + Unit(6, 7, Hex("11")) + Unit(7, 1, Hex("0E")));
        QCOMPARE(client.Receive(64, 2000), Unit(7, 1, Hex("0E")));
        QCOMPARE(line.Requests().size(), 2);  // the other protocol never reached the line
        bool closed = false;
        client.Send(Hex("000800000000") + Unit(9, 1, Hex("0E")));
        QCOMPARE(client.Receive(64, 1500, &closed), QByteArray());
        QVERIFY(closed);
        QCOMPARE(line.Requests().size(), 2);
    }

    // The network's delay is held in each direction: a round trip longer
    // by twice the delay.
    void networkDelay_data()
    {
        QTest::addColumn<bool>("mbap");
        QTest::newRow("serial server") << false;
        QTest::newRow("gateway") << true;
    }
    void networkDelay()
    {
        QFETCH(bool, mbap);
        auto roundTripUs = [mbap](int delayMs) {
            SimulatedPanel line;
            if (!line.Start())
                return qint64(-1);
            TcpBridge bridge;
            NetworkEnd client;
            if (!bridge.Start("127.0.0.1:0", line.DevicePath(), nullptr, {mbap, delayMs, false}) ||
                !client.Connect(bridge.Port()))
                return qint64(-1);
            const QByteArray request = mbap ? Unit(1, 1, Hex("0E")) : ClosedFrame(Hex("010E"));
            const qint64 sentUs = client.Send(request);
            if (client.Receive(int(request.size()), 2000) != request)
                return qint64(-1);
            return NowUs() - sentUs;
        };
        const qint64 direct = roundTripUs(0);
        const qint64 delayed = roundTripUs(15);
        QVERIFY(direct >= 0 && delayed >= 0);
        QVERIFY2(delayed >= 30000 && delayed < direct + 30000 + 8000,
                 qPrintable(QStringLiteral("%1 us, %2 us direct").arg(delayed).arg(direct)));
    }
};

QTEST_GUILESS_MAIN(TestLineEmulator)
#include "tst_line_emulator.moc"
