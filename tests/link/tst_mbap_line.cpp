// Modbus TCP gateways: the ADU framing, the line over a real TCP connection
// on 127.0.0.1 (the test holds the gateway's end, or a gateway thread with a
// simulated panel behind it answers), and the channel's requests through it.
#include "link/frame_crc.h"
#include "link/mbap_frame.h"
#include "link/mbap_port_line.h"
#include "link/modbus.h"
#include "link/tcp_port_line.h"
#include "panel_responder.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <functional>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using MbapFrame::Adu;
using Fault = MbapFrame::Decoder::Fault;

QByteArray Hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray Pair(char first, char second)
{
    QByteArray bytes(1, first);
    return bytes.append(second);
}

QString HexOf(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString Describe(const Adu& adu)
{
    return QStringLiteral("%1 %2 %3").arg(adu.Transaction).arg(adu.Unit).arg(HexOf(adu.Pdu));
}

// An ADU built by hand, independently of the code under test.
QByteArray AduBytes(uint16_t transaction, uint8_t unit, const QByteArray& pdu,
                    uint16_t protocol = 0)
{
    const int length = int(pdu.size()) + 1;
    QByteArray adu;
    for (int word : {int(transaction), int(protocol), length}) {
        adu.append(char(word >> 8));
        adu.append(char(word & 0xFF));
    }
    return adu + char(unit) + pdu;
}

// An RTU frame with a CRC that checks: a pseudo-random body of `count` - 2 bytes.
QByteArray RtuFrame(int count)
{
    QByteArray frame(count, '\0');
    for (int i = 0; i < count - 2; ++i)
        frame[i] = char(i * 37 + 11);
    CloseFrame(reinterpret_cast<uint8_t*>(frame.data()), count - 2);
    return frame;
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A listening socket on 127.0.0.1 at a free port, and the gateway's end of
// the connection a line makes to it. The kernel completes the handshake
// before accept, so one thread plays both sides in turn.
class GatewayEnd {
public:
    GatewayEnd()
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
            ::listen(m_listen, 4) == 0 &&
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len) == 0)
            m_port = ntohs(a.sin_port);
    }
    ~GatewayEnd()
    {
        CloseConnection();
        CloseListener();
    }

    int Port() const { return m_port; }
    int ListenFd() const { return m_listen; }
    QString Path(const char* scheme = "mbtcp") const
    {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(scheme)).arg(m_port);
    }
    bool Accept()
    {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 2000) <= 0)
            return false;
        m_conn = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        return m_conn >= 0;
    }
    // Up to `count` bytes, as many as arrive within `timeoutMs`.
    QByteArray Receive(int count, int timeoutMs = 2000)
    {
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count) {
            pollfd p{m_conn, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
            char buffer[4096];
            const ssize_t n = ::recv(m_conn, buffer, size_t(count - got.size()), 0);
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }
    void Send(const QByteArray& bytes)
    {
        QCOMPARE(::send(m_conn, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL),
                 ssize_t(bytes.size()));
    }
    // Closes with a reset instead of an orderly end.
    void Reset()
    {
        const linger l{1, 0};
        ::setsockopt(m_conn, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        CloseConnection();
    }
    void CloseConnection()
    {
        if (m_conn >= 0)
            ::close(m_conn);
        m_conn = -1;
    }
    void CloseListener()
    {
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
    }

private:
    int m_listen = -1;
    int m_conn = -1;
    int m_port = 0;
};

// A Modbus TCP gateway in a thread: it takes one connection on 127.0.0.1,
// frames the request ADUs by their length fields, records them, and sends
// back what `answer` makes of each, or drops the connection.
class GatewayThread {
public:
    struct Request {
        uint16_t Transaction = 0;
        uint16_t Protocol = 0;
        uint16_t Length = 0;
        uint8_t Unit = 0;
        QByteArray Pdu;
    };
    struct Reply {
        QByteArray Bytes;   // nothing: no answer
        bool Drop = false;  // close the connection instead
    };
    using Answer = std::function<Reply(const Request&)>;

    explicit GatewayThread(Answer answer) : m_answer(std::move(answer))
    {
        if (::pipe2(m_wake, O_CLOEXEC) == 0)
            m_thread = std::thread([this] { Serve(); });
    }
    ~GatewayThread()
    {
        if (m_thread.joinable()) {
            (void)!::write(m_wake[1], "x", 1);
            m_thread.join();
        }
        ::close(m_wake[0]);
        ::close(m_wake[1]);
    }

    QString Path() const { return m_end.Path(); }
    QList<Request> Requests() const
    {
        QMutexLocker lock(&m_mutex);
        return m_requests;
    }

private:
    // Waits for the listening socket or the connection; false when told to stop.
    bool WaitFor(int fd)
    {
        pollfd p[2] = {{fd, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        return ::poll(p, 2, -1) > 0 && !(p[1].revents & POLLIN);
    }

    void Serve()
    {
        if (!WaitFor(m_end.ListenFd()))
            return;
        const int conn = ::accept4(m_end.ListenFd(), nullptr, nullptr, SOCK_CLOEXEC);
        QByteArray in;
        while (conn >= 0 && WaitFor(conn)) {
            char buffer[1024];
            const ssize_t n = ::recv(conn, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            in.append(buffer, n);
            bool dropped = false;
            while (!dropped && in.size() >= 7) {
                const int length = (uint8_t(in[4]) << 8) | uint8_t(in[5]);
                if (in.size() < 6 + length)
                    break;
                Request r;
                r.Transaction = uint16_t((uint8_t(in[0]) << 8) | uint8_t(in[1]));
                r.Protocol = uint16_t((uint8_t(in[2]) << 8) | uint8_t(in[3]));
                r.Length = uint16_t(length);
                r.Unit = uint8_t(in[6]);
                r.Pdu = in.mid(7, length - 1);
                in.remove(0, 6 + length);
                {
                    QMutexLocker lock(&m_mutex);
                    m_requests << r;
                }
                const Reply reply = m_answer(r);
                dropped = reply.Drop;
                if (!dropped && !reply.Bytes.isEmpty())
                    (void)!::send(conn, reply.Bytes.constData(), size_t(reply.Bytes.size()),
                                  MSG_NOSIGNAL);
            }
            if (dropped)
                break;
        }
        if (conn >= 0)
            ::close(conn);
    }

    GatewayEnd m_end;
    Answer m_answer;
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
    mutable QMutex m_mutex;
    QList<Request> m_requests;
};

}  // namespace

namespace {

// The gateway's translation for a panel on its serial line: a request ADU
// goes to the panel as an RTU frame, its answer comes back as an ADU under
// the same transaction, and its silence as exception 0x0B.
GatewayThread::Answer PanelBehind(PanelResponder& panel)
{
    return [&panel](const GatewayThread::Request& r) {
        QByteArray rtu = char(r.Unit) + r.Pdu + QByteArray(2, '\0');
        CloseFrame(reinterpret_cast<uint8_t*>(rtu.data()), int(rtu.size()) - 2);
        const PanelAnswer a = panel.Respond(rtu);
        if (!a.Send || a.Bytes.size() < 3) {
            const char function = char((r.Pdu.isEmpty() ? 0 : uint8_t(r.Pdu[0])) | 0x80);
            return GatewayThread::Reply{AduBytes(r.Transaction, r.Unit, Pair(function, 0x0B))};
        }
        return GatewayThread::Reply{
            AduBytes(r.Transaction, uint8_t(a.Bytes[0]), a.Bytes.mid(1, a.Bytes.size() - 3))};
    };
}

bool Connect(MbapPortLine& line, GatewayEnd& end, const LineSettings& settings = {})
{
    return line.Open(end.Path(), settings) && end.Accept();
}

// Writes an RTU frame to the line; false unless all of it was taken.
bool Write(PortLine& line, const QByteArray& frame)
{
    return line.Write(reinterpret_cast<const uint8_t*>(frame.constData()), frame.size(),
                      QDeadlineTimer(1000)) == frame.size();
}

struct Reading {
    QByteArray Bytes;
    bool Failed = false;
    bool Foreign = false;
};

// Reads as the channel does, in pieces of at most `piece` bytes, until
// `count` bytes came, the line failed or said foreign, or `ms` passed.
Reading ReadFor(PortLine& line, int count, int ms, int piece = 300)
{
    Reading out;
    const QDeadlineTimer deadline(ms);
    for (;;) {
        uint8_t buffer[300];
        const int want = std::min({count - int(out.Bytes.size()), piece, 300});
        const PortLine::ReadResult r = line.Read(buffer, want);
        out.Bytes.append(reinterpret_cast<const char*>(buffer), r.Count);
        out.Failed = r.Failed;
        out.Foreign = r.Foreign;
        if (r.Failed || r.Foreign || out.Bytes.size() >= count || deadline.hasExpired() ||
            !line.WaitReadable(deadline))
            return out;
    }
}

const QByteArray VersionRequest = Hex("01 46 00 01 00 0D 18");  // read version, address 1
const QByteArray VersionAdu = Hex("00 01 00 00 00 05 01 46 00 01 00");
const QByteArray VersionPdu = Hex("46 00 04 00 01 07 01");
const QByteArray VersionAnswer = Hex("01 46 00 04 00 01 07 01 C5 F3");
const QString Unframed = QStringLiteral("поток шлюза не разбирается как Modbus TCP: ");

enum class Ending { Refused, Closed, Reset, ClosedAfterAnswer };

}  // namespace

Q_DECLARE_METATYPE(Ending)

class TestMbapLine : public QObject {
    Q_OBJECT

private slots:
    // A request frame becomes one ADU: the address is the unit, the CRC goes.
    void encode_data()
    {
        QTest::addColumn<QByteArray>("rtu");
        QTest::addColumn<int>("transaction");
        QTest::addColumn<QByteArray>("adu");  // empty: refused
        QTest::newRow("identification to 1")
            << Hex("01 11 C0 2C") << 1 << Hex("00 01 00 00 00 02 01 11");
        QTest::newRow("version to 5")
            << Hex("05 46 00 01 00 FC D8") << 0x1234 << Hex("12 34 00 00 00 05 05 46 00 01 00");
        QTest::newRow("block 3 to 247") << Hex("F7 46 00 02 01 03 7C C2") << 0xFFFF
                                        << Hex("FF FF 00 00 00 06 F7 46 00 02 01 03");
        const QByteArray longest = RtuFrame(256);
        QTest::newRow("256 bytes: the longest")
            << longest << 9 << Hex("00 09 00 00 00 FE") + longest.left(254);
        QTest::newRow("257 bytes") << RtuFrame(257) << 1 << QByteArray();
        QTest::newRow("CRC does not check") << Hex("01 11 C0 2D") << 1 << QByteArray();
        QTest::newRow("CRC bytes exchanged") << Hex("01 11 2C C0") << 1 << QByteArray();
        QTest::newRow("three bytes") << Hex("01 11 C0") << 1 << QByteArray();
        QTest::newRow("nothing") << QByteArray() << 1 << QByteArray();
    }
    void encode()
    {
        QFETCH(QByteArray, rtu);
        QFETCH(int, transaction);
        QFETCH(QByteArray, adu);
        QCOMPARE(MbapFrame::Encode(reinterpret_cast<const uint8_t*>(rtu.constData()),
                                   int(rtu.size()), uint16_t(transaction)),
                 adu);
    }

    // A stream fed in pieces of every size gives the same ADUs; a header of
    // another protocol or with an impossible length stops it.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QStringList>("adus");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("faultValue");
        QTest::addColumn<int>("partial");
        const QByteArray a = AduBytes(1, 1, VersionPdu);
        const QByteArray b = AduBytes(2, 1, Hex("11 03 20 07 32"));
        const QString aText = QStringLiteral("1 1 ") + HexOf(VersionPdu);
        const QString bText = QStringLiteral("2 1 11 03 20 07 32");
        QTest::newRow("identification request")
            << Hex("00 01 00 00 00 02 01 11") << QStringList{"1 1 11"} << Fault::None << 0 << 0;
        QTest::newRow("two joined") << a + b << QStringList{aText, bText} << Fault::None << 0 << 0;
        QTest::newRow("and the start of the next")
            << a + Hex("00 03 00") << QStringList{aText} << Fault::None << 0 << 3;
        QTest::newRow("header without its body")
            << Hex("00 01 00 00 00 05 01 46") << QStringList{} << Fault::None << 0 << 8;
        QTest::newRow("high transaction and unit")
            << AduBytes(0xFFFE, 247, Hex("46 00 02 01 03"))
            << QStringList{"65534 247 46 00 02 01 03"} << Fault::None << 0 << 0;
        const QByteArray longest(253, '\x5A');
        QTest::newRow("longest: length 254")
            << AduBytes(7, 1, longest) << QStringList{"7 1 " + HexOf(longest)} << Fault::None << 0
            << 0;
        QTest::newRow("unit only")
            << Hex("00 05 00 00 00 01 09") << QStringList{"5 9 "} << Fault::None << 0 << 0;
        QTest::newRow("protocol 1")
            << AduBytes(1, 1, VersionPdu, 1) << QStringList{} << Fault::Protocol << 1 << 6;
        QTest::newRow("length 0") << Hex("00 01 00 00 00 00 01 11") << QStringList{}
                                  << Fault::Length << 0 << 6;
        QTest::newRow("length 255")
            << Hex("00 01 00 00 00 FF 01 11") << QStringList{} << Fault::Length << 255 << 6;
        QTest::newRow("length 65535")
            << Hex("00 01 00 00 FF FF 01 11") << QStringList{} << Fault::Length << 65535 << 6;
        QTest::newRow("an ADU, then a bad header")
            << a + Hex("00 02 00 07 00 02 01 46") << QStringList{aText} << Fault::Protocol << 7
            << 6;
        QTest::newRow("an RTU answer (raw TCP)")
            << Hex("01 11 03 20 07 32 7F A2") << QStringList{} << Fault::Protocol << 0x0320 << 6;
    }
    void decode()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QStringList, adus);
        QFETCH(Fault, fault);
        QFETCH(int, faultValue);
        QFETCH(int, partial);
        const auto* bytes = reinterpret_cast<const uint8_t*>(stream.constData());
        for (int piece = 1; piece <= stream.size(); ++piece) {
            MbapFrame::Decoder decoder;
            QStringList got;
            for (int at = 0; at < stream.size(); at += piece) {
                decoder.Feed(bytes + at, std::min<int64_t>(piece, stream.size() - at));
                Adu adu;
                while (decoder.Next(adu))
                    got << Describe(adu);
            }
            const QByteArray context = "pieces of " + QByteArray::number(piece);
            QVERIFY2(got == adus, context + ": " + got.join(" | ").toUtf8());
            QVERIFY2(decoder.Failure() == fault, context);
            QCOMPARE(decoder.FailureValue(), faultValue);
            QCOMPARE(decoder.Partial(), partial);
            QVERIFY(!decoder.HasAdu());
        }
        if (fault != Fault::None) {
            // Nothing is framed after the fault: the stream is lost.
            MbapFrame::Decoder decoder;
            decoder.Feed(bytes, stream.size());
            const QByteArray good = Hex("00 01 00 00 00 02 01 11");
            decoder.Feed(reinterpret_cast<const uint8_t*>(good.constData()), good.size());
            Adu adu;
            for (int i = 0; i < adus.size(); ++i)
                QVERIFY(decoder.Next(adu));
            QVERIFY(!decoder.Next(adu));
        }
    }

    // Twice the connect time, rounded up to whole ms, and 50 ms.
    void latencyForConnect_data()
    {
        QTest::addColumn<qint64>("connectNs");
        QTest::addColumn<int>("latencyMs");
        QTest::newRow("no time") << qint64(0) << 50;
        QTest::newRow("1 ns") << qint64(1) << 51;
        QTest::newRow("0.5 ms: exactly 1 ms") << qint64(500000) << 51;
        QTest::newRow("just over 0.5 ms") << qint64(500001) << 52;
        QTest::newRow("10 ms") << qint64(10000000) << 70;
        QTest::newRow("1.2 s") << qint64(1200000000) << 2450;
    }
    void latencyForConnect()
    {
        QFETCH(qint64, connectNs);
        QFETCH(int, latencyMs);
        QCOMPARE(NetworkPortLine::LatencyForConnect(connectNs), latencyMs);
    }

    // Each frame goes out as one ADU under the next transaction, all of its
    // bytes reported taken; WaitSent holds the caller for the frame's time
    // on the serial line behind the gateway.
    void writeSendsOneAduPerFrame_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<QByteArray>("rtu");
        QTest::addColumn<QByteArray>("adu");  // under transaction 1
        QTest::addColumn<int>("lineUs");
        QTest::newRow("identification, 1200 8N1")
            << 1200 << 0 << 0 << Hex("01 11 C0 2C") << Hex("00 01 00 00 00 02 01 11") << 33333;
        QTest::newRow("version, 9600 8E2")
            << 9600 << 2 << 2 << VersionRequest << VersionAdu << 8750;  // 7 bytes of 12 bits
    }
    void writeSendsOneAduPerFrame()
    {
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(int, parity);
        QFETCH(QByteArray, rtu);
        QFETCH(QByteArray, adu);
        QFETCH(int, lineUs);
        GatewayEnd end;
        MbapPortLine line;
        QVERIFY(Connect(line, end, LineSettings{baud, stopBits, parity}));
        QVERIFY(!line.IsPseudoTerminal());
        QVERIFY(line.EnableRs485RtsOnSend() && line.SetRts(true));
        for (int transaction = 1; transaction <= 3; ++transaction) {
            QElapsedTimer timer;
            timer.start();
            QVERIFY(Write(line, rtu));
            QVERIFY(line.WaitSent(QDeadlineTimer(1000)));
            const qint64 us = timer.nsecsElapsed() / 1000;
            // The frame's time, not the ADU's (at least 4 bytes longer).
            QVERIFY2(us >= lineUs && us < lineUs + 25000, QByteArray::number(us));
            QByteArray expected = adu;
            expected[1] = char(transaction);
            QCOMPARE(HexOf(end.Receive(int(adu.size()))), HexOf(expected));
        }
        QCOMPARE(line.LastTransaction(), 3);
    }

    // A frame that is not an RTU frame sends nothing and takes no transaction.
    void refusedFrameSendsNothing()
    {
        GatewayEnd end;
        MbapPortLine line;
        QVERIFY(Connect(line, end));
        const QByteArray bad = Hex("01 11 C0 2D");
        QCOMPARE(line.Write(reinterpret_cast<const uint8_t*>(bad.constData()), bad.size(),
                            QDeadlineTimer(1000)),
                 int64_t(-1));
        QCOMPARE(line.ErrorText(), end.Path() + ": запрос не является кадром RTU (4 байт)");
        QVERIFY(Write(line, Hex("01 11 C0 2C")));
        QCOMPARE(HexOf(end.Receive(9, 300)), HexOf(Hex("00 01 00 00 00 02 01 11")));
    }

    // Transactions are counted per request up to 65535, then from 1 again.
    void transactionsWrap()
    {
        GatewayEnd end;
        MbapPortLine line;
        QVERIFY(Connect(line, end));
        const QByteArray frame = Hex("01 11 C0 2C");
        for (int i = 1; i <= 65537; ++i) {
            if (!Write(line, frame))
                QFAIL(qPrintable(QStringLiteral("request %1 not taken").arg(i)));
            const QByteArray adu = end.Receive(8);
            const int transaction = adu.size() == 8 ? (uint8_t(adu[0]) << 8) | uint8_t(adu[1]) : -1;
            const int expected = i <= 65535 ? i : i - 65535;
            if (transaction != expected)
                QFAIL(qPrintable(
                    QStringLiteral("request %1: transaction %2").arg(i).arg(transaction)));
        }
    }

    // What the line makes of an answer to read version (transaction 1).
    void readOutcomes_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("delivered");
        QTest::addColumn<bool>("foreign");
        QTest::addColumn<bool>("failed");    // the line is failed afterwards
        QTest::addColumn<QString>("error");  // ErrorText(); after "PATH: " where failed
        QTest::newRow("the answer")
            << AduBytes(1, 1, VersionPdu) << VersionAnswer << false << false << QString();
        QTest::newRow("another unit's answer: as it is")
            << AduBytes(1, 2, Hex("11 03 20 07 32")) << Hex("02 11 03 20 07 32 7F 91") << false
            << false << QString();
        QTest::newRow("the panel's exception: delivered")
            << AduBytes(1, 1, Hex("C6 01")) << Hex("01 C6 01 B2 60") << false << false << QString();
        QTest::newRow("another transaction")
            << AduBytes(2, 1, VersionPdu) << QByteArray() << true << false
            << QStringLiteral("Чужой ответ: транзакция 2, ожидалась 1");
        QTest::newRow("transaction bytes exchanged")
            << AduBytes(0x0100, 1, VersionPdu) << QByteArray() << true << false
            << QStringLiteral("Чужой ответ: транзакция 256, ожидалась 1");
        QTest::newRow("gateway: path unavailable")
            << AduBytes(1, 1, Hex("C6 0A")) << QByteArray() << false << false
            << QStringLiteral("Шлюз: нет пути к устройству 1 (исключение 0x0A)");
        QTest::newRow("gateway: target silent")
            << AduBytes(1, 3, Hex("C6 0B")) << QByteArray() << false << false
            << QStringLiteral("Шлюз: устройство 3 не ответило (исключение 0x0B)");
        QTest::newRow("protocol 1")
            << AduBytes(1, 1, VersionPdu, 1) << QByteArray() << false << true
            << Unframed +
                   "идентификатор протокола 1 вместо 0 (сервер последовательного порта, "
                   "передающий кадры RTU без изменений, задаётся как tcp://)";
        QTest::newRow("an RTU answer: a raw TCP server")
            << VersionAnswer << QByteArray() << false << true
            << Unframed +
                   "идентификатор протокола 4 вместо 0 (сервер последовательного порта, "
                   "передающий кадры RTU без изменений, задаётся как tcp://)";
        QTest::newRow("length 0") << Hex("00 01 00 00 00 00") << QByteArray() << false << true
                                  << Unframed + "длина 0 вне 1 - 254";
        QTest::newRow("length 300: the answer, then the line fails")
            << AduBytes(1, 1, VersionPdu) + Hex("00 02 00 00 01 2C 01") << VersionAnswer << false
            << true << Unframed + "длина 300 вне 1 - 254";
    }
    void readOutcomes()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QByteArray, delivered);
        QFETCH(bool, foreign);
        QFETCH(bool, failed);
        QFETCH(QString, error);
        GatewayEnd end;
        MbapPortLine line;
        QVERIFY(Connect(line, end));
        QVERIFY(Write(line, VersionRequest));
        QCOMPARE(end.Receive(int(VersionAdu.size())), VersionAdu);
        end.Send(answer);
        const Reading first = ReadFor(line, delivered.isEmpty() ? 1 : int(delivered.size()), 300);
        QCOMPARE(HexOf(first.Bytes), HexOf(delivered));
        QCOMPARE(first.Foreign, foreign);

        line.WaitReadable(QDeadlineTimer(50));
        uint8_t scrap[16];
        const PortLine::ReadResult after = line.Read(scrap, sizeof scrap);
        QCOMPARE(after.Count, int64_t(0));
        QCOMPARE(after.Failed, failed);
        QCOMPARE(line.ErrorText(), failed ? end.Path() + ": " + error : error);
        if (failed) {
            // An unframed stream stays failed: a purge cannot mend it.
            line.Purge();
            QVERIFY(line.WaitReadable(QDeadlineTimer(1000)));
            QVERIFY(line.Read(scrap, sizeof scrap).Failed);
            QCOMPARE(line.Write(reinterpret_cast<const uint8_t*>(VersionRequest.constData()),
                                VersionRequest.size(), QDeadlineTimer(100)),
                     int64_t(-1));
            QCOMPARE(line.ErrorText(), end.Path() + ": " + error);
        }
    }

    // An answer that arrives in pieces is delivered whole, to reads of any size.
    void answerInPieces()
    {
        GatewayEnd end;
        MbapPortLine line;
        QVERIFY(Connect(line, end));
        QVERIFY(Write(line, VersionRequest));
        end.Receive(int(VersionAdu.size()));
        const QByteArray adu = AduBytes(1, 1, VersionPdu);
        end.Send(adu.left(4));
        QVERIFY(line.WaitReadable(QDeadlineTimer(1000)));
        uint8_t scrap[16];
        const PortLine::ReadResult early = line.Read(scrap, sizeof scrap);
        QCOMPARE(early.Count, int64_t(0));
        QVERIFY(!early.Failed && !early.Foreign);
        QVERIFY(!line.WaitReadable(QDeadlineTimer(30)));
        end.Send(adu.mid(4, 5));
        end.Send(adu.mid(9));
        const Reading got = ReadFor(line, int(VersionAnswer.size()), 1000, 3);
        QCOMPARE(HexOf(got.Bytes), HexOf(VersionAnswer));
    }

    // A purge drops the answers that have come, and one still arriving, and
    // the next answer is framed and delivered as if nothing had happened.
    void purgeDropsStaleAnswers_data()
    {
        QTest::addColumn<int>("cut");  // bytes of the stale answer before the purge
        for (int cut : {3, 6, 7, 10, 14})
            QTest::addRow("%d bytes before the purge", cut) << cut;
    }
    void purgeDropsStaleAnswers()
    {
        QFETCH(int, cut);
        GatewayEnd end;
        MbapPortLine line;
        QVERIFY(Connect(line, end));
        QVERIFY(Write(line, VersionRequest));
        end.Receive(int(VersionAdu.size()));
        const QByteArray stale = AduBytes(1, 1, VersionPdu);  // 14 bytes
        end.Send(stale.left(cut));
        QVERIFY(line.WaitReadable(QDeadlineTimer(1000)));
        line.Purge();
        end.Send(stale.mid(cut));

        const QByteArray ident = Hex("01 11 C0 2C");
        QVERIFY(Write(line, ident));
        QCOMPARE(end.Receive(8), Hex("00 02 00 00 00 02 01 11"));
        end.Send(AduBytes(2, 1, Hex("11 03 20 07 32")));
        const Reading got = ReadFor(line, 8, 1000);
        QVERIFY(!got.Failed && !got.Foreign);
        QCOMPARE(HexOf(got.Bytes), HexOf(Hex("01 11 03 20 07 32 7F A2")));
    }

    // A refused connection and one that ends give the system's reason; an
    // answer that came before the end is still delivered.
    void connectionEnds_data()
    {
        QTest::addColumn<Ending>("ending");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused") << Ending::Refused << SystemReason(ECONNREFUSED);
        QTest::newRow("closed") << Ending::Closed << QStringLiteral("соединение закрыто");
        QTest::newRow("reset") << Ending::Reset << SystemReason(ECONNRESET);
        QTest::newRow("closed after the answer")
            << Ending::ClosedAfterAnswer << QStringLiteral("соединение закрыто");
    }
    void connectionEnds()
    {
        QFETCH(Ending, ending);
        QFETCH(QString, reason);
        GatewayEnd end;
        MbapPortLine line;
        if (ending == Ending::Refused) {
            end.CloseListener();
            QVERIFY(!line.Open(end.Path(), {}));
            QCOMPARE(line.ErrorText(), end.Path() + ": " + reason);
            return;
        }
        QVERIFY(Connect(line, end));
        QVERIFY(Write(line, VersionRequest));
        end.Receive(int(VersionAdu.size()));
        if (ending == Ending::ClosedAfterAnswer)
            end.Send(AduBytes(1, 1, VersionPdu));
        if (ending == Ending::Reset)
            end.Reset();
        else
            end.CloseConnection();
        QElapsedTimer timer;
        timer.start();
        const Reading got = ReadFor(line, 100, 2000);
        QVERIFY2(timer.elapsed() < 1000, "an ended connection is no silent line");
        QCOMPARE(HexOf(got.Bytes),
                 HexOf(ending == Ending::ClosedAfterAnswer ? VersionAnswer : QByteArray()));
        QVERIFY(got.Failed);
        QCOMPARE(line.ErrorText(), end.Path() + ": " + reason);
        // The first reason stays, also when a request follows.
        QVERIFY(!Write(line, VersionRequest));
        QCOMPARE(line.ErrorText(), end.Path() + ": " + reason);
    }

    void pathForms_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("no port") << "mbtcp://127.0.0.1";
        QTest::newRow("port 0") << "mbtcp://127.0.0.1:0";
        QTest::newRow("port 65536") << "mbtcp://127.0.0.1:65536";
        QTest::newRow("a path") << "mbtcp://127.0.0.1:502/x";
        QTest::newRow("raw TCP form") << "tcp://127.0.0.1:502";
        QTest::newRow("IPv6 without brackets") << "mbtcp://::1:502";
    }
    void pathForms()
    {
        QFETCH(QString, path);
        MbapPortLine line;
        QVERIFY(!line.Open(path, {}));
        QCOMPARE(line.ErrorText(), path + ": ожидается mbtcp://УЗЕЛ:ПОРТ");
        QCOMPARE(line.Handle(), -1);
    }

    void ipv6InBrackets()
    {
        const int listener = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_loopback;
        socklen_t len = sizeof a;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
            ::listen(listener, 1) != 0) {
            if (listener >= 0)
                ::close(listener);
            QSKIP("no IPv6 loopback here");
        }
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
        MbapPortLine line;
        const bool opened =
            line.Open(QStringLiteral("mbtcp://[::1]:%1").arg(ntohs(a.sin6_port)), {});
        ::close(listener);
        QVERIFY2(opened, qPrintable(line.ErrorText()));
    }

    // Both network lines tell the channel how much later an answer may come:
    // twice the connect time they measured, and the gateway's 50 ms.
    void latency_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::newRow("raw TCP") << "tcp";
        QTest::newRow("Modbus TCP") << "mbtcp";
    }
    void latency()
    {
        QFETCH(QString, scheme);
        GatewayEnd end;
        const QString path = end.Path(qPrintable(scheme));
        const std::unique_ptr<PortLine> line = MakePortLine(path);
        QCOMPARE(line->LatencyMs(), 0);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(line->Open(path, {}));
        const qint64 outerNs = timer.nsecsElapsed();
        const int latency = line->LatencyMs();
        QVERIFY2(
            latency >= 51 && latency <= 50 + (2 * outerNs + 999999) / 1000000,
            QByteArray::number(latency) + " ms, open took " + QByteArray::number(outerNs) + " ns");
        line->Close();
        QCOMPARE(line->LatencyMs(), 0);
    }

    // The channel identifies a panel behind a gateway and reads from it:
    // requests go out as ADUs under transactions 1, 2, 3 for unit 1.
    void channelIdentifiesAndReadsBlock()
    {
        PanelResponder panel;
        const auto payload = BlockPayload(panel.Image(), 3);
        for (size_t i = 0; i < payload.size(); ++i)
            payload[i] = uint8_t(i * 5 + 3);
        const QByteArray block(reinterpret_cast<const char*>(payload.data()),
                               qsizetype(payload.size()));
        GatewayThread gateway(PanelBehind(panel));
        TModbus modbus;
        QVERIFY(modbus.OpenPort(gateway.Path(), 9600, 2, 0, true, 256) >= 0);
        QVERIFY(modbus.ReportSlaveId(1, 8));
        QCOMPARE(HexOf(QByteArray(reinterpret_cast<const char*>(modbus.Buffer), 8)),
                 HexOf(Hex("01 11 03 20 07 32 7F A2")));
        QVERIFY(modbus.ReadVersion(1));
        QCOMPARE(HexOf(QByteArray(reinterpret_cast<const char*>(modbus.Buffer), 10)),
                 HexOf(Hex("01 46 00 04 00 01 07 01 C5 F3")));
        QVERIFY(modbus.ReadBlock(1, 3));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(modbus.Buffer) + 6, 64), block);

        const QList<GatewayThread::Request> requests = gateway.Requests();
        QCOMPARE(requests.size(), 3);
        const QStringList pdus{"11", "46 00 01 00", "46 00 02 01 03"};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(requests[i].Transaction, uint16_t(i + 1));
            QCOMPARE(requests[i].Protocol, uint16_t(0));
            QCOMPARE(requests[i].Unit, uint8_t(1));
            QCOMPARE(HexOf(requests[i].Pdu), pdus[i]);
            QCOMPARE(int(requests[i].Length), int(requests[i].Pdu.size()) + 1);
        }
    }

    // An answer under another transaction fails the request; the next one
    // goes through.
    void channelForeignAnswerFails()
    {
        PanelResponder panel;
        int answered = 0;
        const auto behind = PanelBehind(panel);
        GatewayThread gateway([&](const GatewayThread::Request& r) {
            GatewayThread::Reply reply = behind(r);
            if (answered++ == 0)
                reply.Bytes[1] = char(r.Transaction + 1);
            return reply;
        });
        TModbus modbus;
        modbus.AnswerTimeout = 300;
        QVERIFY(modbus.OpenPort(gateway.Path(), 9600, 2, 0, true, 256) >= 0);
        QVERIFY(!modbus.ReadVersion(1));
        QVERIFY(modbus.ReadVersion(1));
        QCOMPARE(modbus.Buffer[6], uint8_t(7));
    }

    // The gateway's "no answer" exceptions are silence: the request fails as
    // on a serial line, but at once, without waiting out the answer wait.
    // The panel's own exception is an answer.
    void channelGatewaySilence_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("silent");
        QTest::newRow("0x0B: target silent") << 0x0B << true;
        QTest::newRow("0x0A: path unavailable") << 0x0A << true;
        QTest::newRow("0x01: the panel refuses") << 0x01 << false;
    }
    void channelGatewaySilence()
    {
        QFETCH(int, code);
        QFETCH(bool, silent);
        GatewayThread gateway([code](const GatewayThread::Request& r) {
            return GatewayThread::Reply{
                AduBytes(r.Transaction, r.Unit, Pair(char(0xC6), char(code)))};
        });
        TModbus modbus;
        modbus.AnswerTimeout = 300;
        QVERIFY(modbus.OpenPort(gateway.Path(), 9600, 2, 0, true, 256) >= 0);
        const uint8_t payload[7] = {1, 0, 0, 0, 0, 0, 0};
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!modbus.WriteBlock(1, 1, payload));
        const qint64 ms = timer.elapsed();
        // Either way the request ends at once: the gateway has said all.
        QVERIFY2(ms < 200, QByteArray::number(ms));
        QVERIFY(!modbus.LastAnswerForeign());
        if (!silent) {
            QCOMPARE(HexOf(QByteArray(reinterpret_cast<const char*>(modbus.Buffer), 5)),
                     HexOf(Hex("01 C6 01 B2 60")));
        }
    }

    // A gateway that drops the connection fails the request at once.
    void channelDroppedConnection()
    {
        GatewayThread gateway([](const GatewayThread::Request&) {
            return GatewayThread::Reply{{}, true};
        });
        TModbus modbus;
        QVERIFY(modbus.OpenPort(gateway.Path(), 9600, 2, 0, true, 256) >= 0);
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!modbus.ReadVersion(1));
        QVERIFY2(timer.elapsed() < 500, QByteArray::number(timer.elapsed()));
    }
};

QTEST_GUILESS_MAIN(TestMbapLine)
#include "tst_mbap_line.moc"
