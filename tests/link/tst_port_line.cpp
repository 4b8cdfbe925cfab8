// The channel's handling of the line where a pseudo-terminal cannot show
// it: RTS direction control, writes that never leave, bytes that fail their
// parity check. A scripted line stands in for the serial device.
#include "fake_port_line.h"
#include "link/frame_crc.h"
#include "link/link_texts.h"
#include "link/modbus.h"
#include "link/parity_marks.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
using Script = FakePortLine::Script;
using Stall = FakePortLine::Stall;

const QString PollFrame = QStringLiteral("write 01 0E 81 E4");

QByteArray Bytes(const uint8_t* data, int count)
{
    return QByteArray(reinterpret_cast<const char*>(data), count);
}
}  // namespace

Q_DECLARE_METATYPE(FakePortLine::Stall)

class TestPortLine : public QObject {
    Q_OBJECT

    std::shared_ptr<Script> m_script;
    std::unique_ptr<TModbus> m_modbus;
    QStringList m_status;

    void Open(int baud = 9600, int stopBits = 2, int parity = 0, bool rtsToggle = true)
    {
        QVERIFY(m_modbus->OpenPort("/dev/ttyFAKE0", baud, stopBits, parity, rtsToggle, 256) >= 0);
        m_status.clear();
    }

private slots:
    void init()
    {
        m_script = std::make_shared<Script>();
        m_modbus = std::make_unique<TModbus>();
        m_modbus->SetLineFactory(FakePortLine::Factory(m_script));
        m_modbus->SetStatusSink([this](const QString& s) { m_status << s; });
        m_status.clear();
    }

    void cleanup() { m_modbus.reset(); }

    // Where the driver has no RS-485 mode, RTS goes up right before the
    // first byte and down only after the last one has left the line; it is
    // low while the panel answers.
    void directionControl_data()
    {
        QTest::addColumn<bool>("rs485");
        QTest::addColumn<bool>("pty");
        QTest::addColumn<bool>("rtsSettable");
        QTest::addColumn<bool>("rtsToggle");
        QTest::addColumn<QStringList>("events");
        const QStringList send{"purge", PollFrame, "sent"};
        QTest::newRow("driver has no RS-485 mode: by hand")
            << false << false << true << true
            << QStringList{
                   "open /dev/ttyFAKE0", "rts 0", "purge", "rts 1", PollFrame, "sent", "rts 0"};
        QTest::newRow("driver's RS-485 mode")
            << true << false << true << true << (QStringList{"open /dev/ttyFAKE0", "rs485"} + send);
        QTest::newRow("pseudo-terminal: no modem lines")
            << false << true << true << true << (QStringList{"open /dev/ttyFAKE0"} + send);
        QTest::newRow("RTS cannot be set: adapter switches itself")
            << false << false << false << true << (QStringList{"open /dev/ttyFAKE0"} + send);
        QTest::newRow("no toggling asked: RTS held low")
            << true << false << true << false
            << (QStringList{"open /dev/ttyFAKE0", "rts 0"} + send);
    }
    void directionControl()
    {
        QFETCH(bool, rs485);
        QFETCH(bool, pty);
        QFETCH(bool, rtsSettable);
        QFETCH(bool, rtsToggle);
        QFETCH(QStringList, events);
        m_script->Rs485Supported = rs485;
        m_script->PseudoTerminal = pty;
        m_script->RtsSettable = rtsSettable;
        Open(9600, 2, 0, rtsToggle);
        const uint8_t poll[] = {0x01, 0x0E, 0x81, 0xE4};
        QVERIFY(m_modbus->SendFrame(poll, 4));
        QCOMPARE(m_script->Events, events);
        QCOMPARE(m_modbus->DrivesRtsByHand(), events.contains("rts 1"));
        QCOMPARE(m_modbus->IsRs485DirectionSet(), events.contains("rs485"));
    }

    // RTS drops also when the frame never leaves, and what is stuck is
    // discarded.
    void directionControlOnStalledWrite()
    {
        m_script->Stalls = Stall::Drain;
        Open();
        const uint8_t poll[] = {0x01, 0x0E, 0x81, 0xE4};
        QVERIFY(!m_modbus->SendFrame(poll, 4));
        QCOMPARE(m_script->Events.mid(2),
                 (QStringList{"purge", "rts 1", PollFrame, "drain stalled", "rts 0", "purge"}));
    }

    // The time a frame may take: its characters at the line's speed
    // (start, 8 data, parity, stop bits) plus one second.
    void sendLimit_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("limitMs");
        QTest::newRow("9600 8N2, poll") << 9600 << 2 << 0 << 4 << 1005;      // 44 bits: 4.6 ms
        QTest::newRow("9600 8E1, block 3") << 9600 << 0 << 2 << 72 << 1083;  // 792 bits
        QTest::newRow("115200 8N1, block 7") << 115200 << 0 << 0 << 89 << 1008;
        QTest::newRow("14400 8O2, nothing") << 14400 << 2 << 1 << 0 << 1000;
    }
    void sendLimit()
    {
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        QFETCH(int, parity);
        QFETCH(int, count);
        QFETCH(int, limitMs);
        Open(baud, stopBits, parity);
        QCOMPARE(m_modbus->SendLimitMs(count), limitMs);
    }

    // A write that never completes ends as a send failure at its limit,
    // not in a frozen window; nothing is received afterwards.
    void stalledWriteFailsAtItsLimit_data()
    {
        QTest::addColumn<Stall>("stall");
        QTest::addColumn<QString>("count");
        QTest::newRow("the driver takes no byte") << Stall::Write << "0";
        QTest::newRow("the bytes never leave") << Stall::Drain << "4";
    }
    void stalledWriteFailsAtItsLimit()
    {
        QFETCH(Stall, stall);
        QFETCH(QString, count);
        m_script->Stalls = stall;
        m_script->Answers.enqueue(QByteArray::fromHex("0111032007320000"));
        Open();
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!m_modbus->ReportSlaveId(1, 8));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 1005 && elapsed < 3000, qPrintable(QString::number(elapsed)));
        QCOMPARE(m_status, (QStringList{count, LinkText::SendFailed()}));
    }

    // The tty layer marks a byte that failed its check as FF 00 b and
    // doubles a good FF; marks may be split between reads.
    void parityMarks_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("error");
        QTest::newRow("plain") << QList<QByteArray>{QByteArray::fromHex("014600")}
                               << QByteArray::fromHex("014600") << false;
        QTest::newRow("doubled FF") << QList<QByteArray>{QByteArray::fromHex("01FFFF02FFFF")}
                                    << QByteArray::fromHex("01FF02FF") << false;
        QTest::newRow("doubled FF split")
            << QList<QByteArray>{QByteArray::fromHex("01FF"), QByteArray::fromHex("FF02")}
            << QByteArray::fromHex("01FF02") << false;
        QTest::newRow("parity error") << QList<QByteArray>{QByteArray::fromHex("01FF0041")}
                                      << QByteArray::fromHex("01") << true;
        QTest::newRow("parity error split three ways")
            << QList<QByteArray>{QByteArray::fromHex("01FF"), QByteArray::fromHex("00"),
                                 QByteArray::fromHex("4142")}
            << QByteArray::fromHex("01") << true;
        QTest::newRow("break") << QList<QByteArray>{QByteArray::fromHex("0102FF0000")}
                               << QByteArray::fromHex("0102") << true;
        QTest::newRow("FF followed by anything else")
            << QList<QByteArray>{QByteArray::fromHex("01FF07")} << QByteArray::fromHex("01")
            << true;
        QTest::newRow("FF 00 00 pattern as data")
            << QList<QByteArray>{QByteArray::fromHex("FFFF0000")} << QByteArray::fromHex("FF0000")
            << false;
    }
    void parityMarks()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QByteArray, data);
        QFETCH(bool, error);
        ParityMarkDecoder decoder;
        QByteArray out;
        bool sawError = false;
        for (const QByteArray& chunk : chunks) {
            uint8_t buf[16] = {};
            const auto r = decoder.Decode(reinterpret_cast<const uint8_t*>(chunk.constData()),
                                          chunk.size(), buf, sizeof buf);
            out += Bytes(buf, int(r.Produced));
            if (r.Error) {
                sawError = true;
                break;
            }
            QCOMPARE(r.Consumed, int64_t(chunk.size()));
        }
        QCOMPARE(out, data);
        QCOMPARE(sawError, error);
    }

    // The decoder never writes past the room it is given and resumes where
    // it stopped.
    void parityMarksRespectRoom()
    {
        ParityMarkDecoder decoder;
        const QByteArray raw = QByteArray::fromHex("FFFF01FFFF02");
        const auto* p = reinterpret_cast<const uint8_t*>(raw.constData());
        uint8_t out[4] = {0xAA, 0xAA, 0xAA, 0xAA};
        const auto first = decoder.Decode(p, raw.size(), out, 2);
        QCOMPARE(first.Produced, int64_t(2));
        QCOMPARE(out[2], uint8_t(0xAA));
        const auto second =
            decoder.Decode(p + first.Consumed, raw.size() - first.Consumed, out + 2, 2);
        QCOMPARE(second.Produced, int64_t(2));
        QCOMPARE(Bytes(out, 4), QByteArray::fromHex("FF01FF02"));

        // A mark after the last byte that has room is left for later: an
        // error in what follows an answer does not spoil the answer.
        ParityMarkDecoder tail;
        const QByteArray raw2 = QByteArray::fromHex("0102FF0041");
        const auto r =
            tail.Decode(reinterpret_cast<const uint8_t*>(raw2.constData()), raw2.size(), out, 2);
        QCOMPARE(r.Produced, int64_t(2));
        QCOMPARE(r.Consumed, int64_t(2));
        QVERIFY(!r.Error);
        QVERIFY(!tail.InMark());
    }

    // A byte with a parity error makes its answer fail, wherever it stands;
    // it is neither dropped nor passed.
    void parityErrorSpoilsTheAnswer_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<QString>("received");
        QTest::newRow("none: the answer passes") << -1 << "10";
        QTest::newRow("first byte") << 0 << "0";
        QTest::newRow("a payload byte") << 6 << "6";
        QTest::newRow("the last CRC byte") << 9 << "9";
    }
    void parityErrorSpoilsTheAnswer()
    {
        QFETCH(int, at);
        QFETCH(QString, received);
        // A version answer whose CRC is right: only the error mark spoils it.
        uint8_t answer[10] = {0x01, 0x46, 0x00, 0x04, 0x00, 0x01, 0x07, 0x03};
        QCOMPARE(CloseFrame(answer, 8), 10);
        m_script->Answers.enqueue(Bytes(answer, 10));
        m_script->ParityErrorAt = at;
        Open(9600, 2, 2);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(m_modbus->ReadVersion(1), at < 0);
        QVERIFY(timer.elapsed() < 500);  // it fails at once, without waiting out the answer
        const QStringList expected =
            at < 0 ? QStringList{received} : QStringList{received, LinkText::ReceiveFailed()};
        QCOMPARE(m_status.mid(1), expected);
    }
};

QTEST_GUILESS_MAIN(TestPortLine)
#include "tst_port_line.moc"
