// The six requests of the programming protocol against the simulated panel
// on a pseudo-terminal, through the real serial port.
#include "link/block_lengths.h"
#include "link/frame_crc.h"
#include "link/link_texts.h"
#include "link/modbus.h"
#include "model/crc16.h"
#include "simulated_panel.h"

#include "closed_frame.h"

#include <QElapsedTimer>
#include <QTest>

#include <functional>

namespace {

using Request = std::function<bool(TModbus&)>;

enum class Kind { Ident, Poll, Version, ReadBlock3, WriteBlock2, Apply };

const uint8_t Block2Payload[8] = {1, 2, 3, 4, 5, 6, 7, 8};

bool Run(TModbus& m, Kind kind)
{
    switch (kind) {
        case Kind::Ident: return m.ReportSlaveId(1, 8);
        case Kind::Poll: return m.PollStatus(1);
        case Kind::Version: return m.ReadVersion(1);
        case Kind::ReadBlock3: return m.ReadBlock(1, 3);
        case Kind::WriteBlock2: return m.WriteBlock(1, 2, Block2Payload);
        case Kind::Apply: return m.ApplyConfig(1);
    }
    return false;
}

QByteArray Closed(const char* hex)
{
    return ClosedFrame(QByteArray::fromHex(hex));
}

PanelFault Fault(const QString& script)
{
    const auto fault = PanelFault::Parse(script);
    if (!fault)
        qFatal("bad fault script in the test");
    return *fault;
}

QByteArray BufferBytes(const TModbus& m, int count)
{
    return QByteArray(reinterpret_cast<const char*>(m.Buffer), count);
}

}  // namespace

Q_DECLARE_METATYPE(Kind)

class TestModbusRequests : public QObject {
    Q_OBJECT

    std::unique_ptr<SimulatedPanel> m_panel;
    std::unique_ptr<TModbus> m_modbus;
    QStringList m_status;
    int m_alerts = 0;

    QByteArray LastRequest() const
    {
        const QList<QByteArray> requests = m_panel->Requests();
        return requests.isEmpty() ? QByteArray() : requests.last();
    }

private slots:
    void init()
    {
        m_panel = std::make_unique<SimulatedPanel>();
        QString error;
        QVERIFY2(m_panel->Start(&error), qPrintable(error));
        m_modbus = std::make_unique<TModbus>();
        m_modbus->SetStatusSink([this](const QString& s) { m_status << s; });
        m_modbus->SetAlertSink([this] { ++m_alerts; });
        QVERIFY(m_modbus->OpenPort(m_panel->DevicePath(), 9600, 2, 0, true, 256) >= 0);
        m_status.clear();
        m_alerts = 0;
    }

    void cleanup()
    {
        m_modbus.reset();
        m_panel.reset();
    }

    // The frames exactly as the panel receives them.
    void requestBytes_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("answerLength");
        QTest::newRow("identification") << Kind::Ident << QByteArray::fromHex("0111C02C") << 8;
        QTest::newRow("status poll") << Kind::Poll << QByteArray::fromHex("010E81E4") << 4;
        QTest::newRow("read version")
            << Kind::Version << QByteArray::fromHex("01460001000D18") << 10;
        QTest::newRow("apply") << Kind::Apply << QByteArray::fromHex("01460001034D19") << 5;
        QTest::newRow("read block 3") << Kind::ReadBlock3 << Closed("014600020103") << 72;
        QTest::newRow("write block 2")
            << Kind::WriteBlock2 << Closed("0146000A02020102030405060708") << 5;
    }
    void requestBytes()
    {
        QFETCH(Kind, kind);
        QFETCH(QByteArray, expected);
        QFETCH(int, answerLength);
        QVERIFY(Run(*m_modbus, kind));
        QCOMPARE(m_panel->Requests(), QList<QByteArray>{expected});
        // The send count comes first, then the count received.
        QCOMPARE(m_status.first(), QString::number(expected.size()));
        QVERIFY(m_status.contains(QString::number(answerLength)));
        QCOMPARE(m_alerts, 0);
    }

    void readBlock0Bytes()
    {
        QVERIFY(m_modbus->ReadBlock(1, 0));
        QCOMPARE(LastRequest(), QByteArray::fromHex("0146000201002855"));
    }

    void addressIsSent()
    {
        m_panel->SetAddress(0xF7);
        QVERIFY(m_modbus->ReportSlaveId(0xF7, 8));
        QCOMPARE(LastRequest(), Closed("F711"));
        QCOMPARE(uint8_t(m_modbus->Buffer[0]), uint8_t(0xF7));
    }

    void identificationAnswer_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QByteArray>("ident");
        QTest::newRow("ОРЛ-07") << 0 << QByteArray::fromHex("03200732");
        QTest::newRow("ОРЛ-09") << 1 << QByteArray::fromHex("030C0932");
    }
    void identificationAnswer()
    {
        QFETCH(int, family);
        QFETCH(QByteArray, ident);
        m_panel->SetFamily(family);
        QVERIFY(m_modbus->ReportSlaveId(1, 8));
        QCOMPARE(BufferBytes(*m_modbus, 8).mid(2, 4), ident);
        QCOMPARE(m_status, (QStringList{"4", "8", "CRC: 0"}));
    }

    void versionAnswer()
    {
        m_panel->SetFirmware(1, 10);
        m_panel->SetHardwareRevision(0xFF);
        QVERIFY(m_modbus->ReadVersion(1));
        QCOMPARE(m_modbus->Buffer[5], uint8_t(1));
        QCOMPARE(m_modbus->Buffer[6], uint8_t(10));
        QCOMPARE(m_modbus->Buffer[7], uint8_t(0xFF));
        // A successful checked request leaves the count received.
        QCOMPARE(m_status, (QStringList{"7", "10"}));
    }

    void readBlockPayload()
    {
        QByteArray payload;
        for (int i = 0; i < 64; ++i)
            payload.append(char(0x40 + i));
        m_panel->SetBlockData(3, payload);
        QVERIFY(m_modbus->ReadBlock(1, 3));
        QCOMPARE(BufferBytes(*m_modbus, 72).mid(6, 64), payload);
        QCOMPARE(m_status, (QStringList{"8", "72"}));
    }

    void readLongestBlock()
    {
        m_panel->SetBlockData(9, QByteArray(81, '\x5C'));
        QVERIFY(m_modbus->ReadBlock(1, 9));
        QCOMPARE(BufferBytes(*m_modbus, 89).mid(6, 81), QByteArray(81, '\x5C'));
    }

    // Block 1: 7 payload bytes, count 0x09, 15 bytes on the line.
    void writeBlock1()
    {
        const uint8_t payload[7] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77};
        QVERIFY(m_modbus->WriteBlock(1, 1, payload));
        const QByteArray sent = LastRequest();
        QCOMPARE(sent.size(), 15);
        QCOMPARE(sent, Closed("01460009020111223344556677"));
        QCOMPARE(m_status.first(), QStringLiteral("15"));
        QCOMPARE(m_panel->BlockData(1), QByteArray::fromHex("11223344556677"));
    }

    // The payload may come from the frame buffer itself: a block read back
    // and written again unchanged.
    void writeBlockFromBuffer()
    {
        m_panel->SetBlockData(5, QByteArray(24, '\x24'));
        QVERIFY(m_modbus->ReadBlock(1, 5));
        QVERIFY(m_modbus->WriteBlock(1, 6, m_modbus->Buffer + 6));
        QCOMPARE(m_panel->BlockData(6).left(24), QByteArray(24, '\x24'));
    }

    void invalidBlockSendsNothing_data()
    {
        QTest::addColumn<int>("block");
        QTest::addColumn<bool>("write");
        QTest::newRow("read 10") << 10 << false;
        QTest::newRow("read -1") << -1 << false;
        QTest::newRow("write 10") << 10 << true;
    }
    void invalidBlockSendsNothing()
    {
        QFETCH(int, block);
        QFETCH(bool, write);
        const uint8_t payload[81] = {};
        QVERIFY(!(write ? m_modbus->WriteBlock(1, block, payload) : m_modbus->ReadBlock(1, block)));
        QCOMPARE(m_status, QStringList{LinkText::SendFailed()});
        QVERIFY(!m_panel->WaitForRequests(1, 50));
    }

    void closedChannelSendsNothing()
    {
        m_modbus->ClosePort();
        for (Kind kind : {Kind::Ident, Kind::Poll, Kind::Version, Kind::ReadBlock3,
                          Kind::WriteBlock2, Kind::Apply}) {
            m_status.clear();
            QVERIFY(!Run(*m_modbus, kind));
            QCOMPARE(m_status.last(), LinkText::SendFailed());
        }
    }

    // A checked answer with a wrong CRC: the alert sounds, "CRC: n", false.
    void enforcedCrc_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("answerLength");
        QTest::newRow("read version") << Kind::Version << "crc,request=version" << 10;
        QTest::newRow("read block 3") << Kind::ReadBlock3 << "crc,request=read-block,block=3" << 72;
        QTest::newRow("write block 2") << Kind::WriteBlock2 << "crc,request=write-block" << 5;
    }
    void enforcedCrc()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, fault);
        QFETCH(int, answerLength);
        m_panel->AddFault(Fault(fault));
        QVERIFY(!Run(*m_modbus, kind));
        QCOMPARE(m_alerts, 1);
        const uint16_t crc = Crc16(m_modbus->Buffer, size_t(answerLength));
        QVERIFY(crc != 0);
        QCOMPARE(m_status.last(), CrcStatusText(crc));
    }

    // The fault hits only the block it names.
    void corruptedBlockIsOnlyThatBlock()
    {
        m_panel->AddFault(Fault("crc,request=read-block,block=3"));
        QVERIFY(m_modbus->ReadBlock(1, 2));
        QVERIFY(!m_modbus->ReadBlock(1, 3));
        QVERIFY(m_modbus->ReadBlock(1, 4));
        QCOMPARE(m_alerts, 1);
    }

    // Identification and poll only report the CRC.
    void reportedCrc_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("answerLength");
        QTest::newRow("identification") << Kind::Ident << "crc,request=ident" << 8;
        QTest::newRow("poll") << Kind::Poll << "crc,request=poll" << 4;
        QTest::newRow("busy poll") << Kind::Poll << "busy,crc" << 5;
    }
    void reportedCrc()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, fault);
        QFETCH(int, answerLength);
        m_panel->AddFault(Fault(fault));
        QVERIFY(Run(*m_modbus, kind));
        QCOMPARE(m_alerts, 0);
        const uint16_t crc = Crc16(m_modbus->Buffer, size_t(answerLength));
        QVERIFY(crc != 0);
        QCOMPARE(m_status.last(), CrcStatusText(crc));
    }

    // An intact answer from another address or with another function code
    // belongs to another request: the request fails as a corrupted answer
    // does (the alert where the CRC is enforced) and says why.
    void foreignAnswers_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("status");  // empty: the answer is the request's own
        QTest::addColumn<int>("alerts");
        QTest::newRow("ident from address 2") << Kind::Ident << "foreign,request=ident,as-address=2"
                                              << "Чужой ответ: адрес 2, функция 17" << 0;
        QTest::newRow("ident, function 3") << Kind::Ident << "foreign,request=ident,as-function=3"
                                           << "Чужой ответ: адрес 1, функция 3" << 0;
        QTest::newRow("poll from address 9") << Kind::Poll << "foreign,request=poll,as-address=9"
                                             << "Чужой ответ: адрес 9, функция 14" << 0;
        QTest::newRow("poll, function 3") << Kind::Poll << "foreign,request=poll,as-function=3"
                                          << "Чужой ответ: адрес 1, функция 3" << 0;
        QTest::newRow("version from address 0")
            << Kind::Version << "foreign,request=version,as-address=0"
            << "Чужой ответ: адрес 0, функция 70" << 1;
        QTest::newRow("read block, function 71")
            << Kind::ReadBlock3 << "foreign,request=read-block,as-function=71"
            << "Чужой ответ: адрес 1, функция 71" << 1;
        QTest::newRow("write block from address 255")
            << Kind::WriteBlock2 << "foreign,request=write-block,as-address=255"
            << "Чужой ответ: адрес 255, функция 70" << 1;
        QTest::newRow("apply, function 17") << Kind::Apply << "foreign,request=apply,as-function=17"
                                            << "Чужой ответ: адрес 1, функция 17" << 0;
        QTest::newRow("busy poll is its own") << Kind::Poll << "busy" << QString() << 0;
        QTest::newRow("refused write is its own")
            << Kind::WriteBlock2 << "exception,request=write-block" << QString() << 0;
    }
    void foreignAnswers()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, fault);
        QFETCH(QString, status);
        QFETCH(int, alerts);
        m_panel->AddFault(Fault(fault));
        const bool ok = Run(*m_modbus, kind);
        QCOMPARE(m_modbus->LastAnswerForeign(), !status.isEmpty());
        QCOMPARE(m_alerts, alerts);
        if (status.isEmpty()) {
            QVERIFY(!m_status.last().startsWith(QStringLiteral("Чужой")));
        } else {
            QVERIFY(!ok);
            QCOMPARE(m_status.last(), status);
        }
    }

    void applyIgnoresCrc()
    {
        m_panel->AddFault(Fault("crc,request=apply"));
        QVERIFY(m_modbus->ApplyConfig(1));
        QCOMPARE(m_alerts, 0);
        QCOMPARE(m_status, (QStringList{"7", "5"}));
    }

    void applyAnswerPosition2_data()
    {
        QTest::addColumn<bool>("notStarted");
        QTest::newRow("applied") << false;
        QTest::newRow("programming not started") << true;
    }
    void applyAnswerPosition2()
    {
        QFETCH(bool, notStarted);
        if (notStarted)
            m_panel->AddFault(Fault("apply-not-started"));
        QVERIFY(m_modbus->ApplyConfig(1));
        QCOMPARE(m_modbus->Buffer[2], uint8_t(notStarted ? 1 : 0));
        QCOMPARE(m_panel->ApplyCount(), notStarted ? 0 : 1);
    }

    // A normal poll answer is 4 bytes; nothing more is read after it.
    void pollNormalReadsFourBytes()
    {
        m_panel->AddFault(Fault("extra,request=poll,bytes=1"));
        m_modbus->Buffer[4] = 0x77;
        QVERIFY(m_modbus->PollStatus(1));
        QCOMPARE(m_modbus->Buffer[1], uint8_t(0x0E));
        QCOMPARE(m_modbus->Buffer[4], uint8_t(0x77));
        QCOMPARE(m_status, (QStringList{"4", "4", "CRC: 0"}));
    }

    // An exception answer brings the fifth byte, read after the first four.
    void pollExceptionReadsFifthByte()
    {
        m_panel->AddFault(Fault("busy,count=1"));
        QVERIFY(m_modbus->PollStatus(1));
        QCOMPARE(BufferBytes(*m_modbus, 3), QByteArray::fromHex("018E06"));
        QCOMPARE(Crc16(m_modbus->Buffer, 5), uint16_t(0));
        QCOMPARE(m_status, (QStringList{"4", "4", "1", "CRC: 0"}));
        // The busy spell is over: the next poll gets the normal answer.
        QVERIFY(m_modbus->PollStatus(1));
        QCOMPARE(m_modbus->Buffer[1], uint8_t(0x0E));
    }

    // With parity checking on, the tty layer doubles every FF byte of an
    // answer; the channel gives the panel's bytes back as they were sent.
    void parityLineKeepsFFBytes_data()
    {
        QTest::addColumn<int>("parity");
        QTest::newRow("even") << 2;
        QTest::newRow("odd") << 1;
    }
    void parityLineKeepsFFBytes()
    {
        QFETCH(int, parity);
        QByteArray payload(64, '\xFF');
        payload[1] = 0x00;  // FF 00 .. as data, the shape of an error mark
        payload[2] = 0x00;
        payload[10] = 0x41;
        m_panel->SetBlockData(3, payload);
        QVERIFY(m_modbus->OpenPort(m_panel->DevicePath(), 9600, 2, parity, true, 256) >= 0);
        QVERIFY(m_modbus->ReadBlock(1, 3));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(m_modbus->Buffer) + 6, 64), payload);
        // The next exchange starts clean.
        QVERIFY(m_modbus->ReadVersion(1));
    }

    // An intact refusal of a block write is as long as the acknowledgement
    // and passes its CRC, yet the block was not written: the write fails,
    // without the CRC alert.
    void writeBlockRefusedFails()
    {
        m_panel->AddFault(Fault("exception,request=write-block,code=4"));
        QVERIFY(!m_modbus->WriteBlock(1, 2, Block2Payload));
        QCOMPARE(BufferBytes(*m_modbus, 3), QByteArray::fromHex("01C604"));
        QCOMPARE(Crc16(m_modbus->Buffer, 5), uint16_t(0));
        QCOMPARE(m_alerts, 0);
        // The acknowledgement itself still passes.
        m_panel->ClearFaults();
        QVERIFY(m_modbus->WriteBlock(1, 2, Block2Payload));
        QCOMPARE(m_modbus->Buffer[1], uint8_t(0x46));
    }

    // Answers that stop short of the expected length: "Сбой приема" after the wait.
    void shortAnswers_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("lastCount");
        QTest::newRow("version, one byte short") << Kind::Version << "short,request=version" << 9;
        QTest::newRow("version, exception") << Kind::Version << "exception,request=version" << 5;
        QTest::newRow("block, exception")
            << Kind::ReadBlock3 << "exception,request=read-block" << 5;
        QTest::newRow("poll, fifth byte missing") << Kind::Poll << "busy,short" << 0;
    }
    void shortAnswers()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, fault);
        QFETCH(int, lastCount);
        m_panel->AddFault(Fault(fault));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!Run(*m_modbus, kind));
        QVERIFY2(timer.elapsed() >= 990, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(m_status.last(), LinkText::ReceiveFailed());
        QCOMPARE(m_status.at(m_status.size() - 2), QString::number(lastCount));
        QCOMPARE(m_alerts, 0);
    }

    // A panel that never answers: every request gives up after the answer
    // wait, having received nothing; the buffer keeps the request's bytes.
    void noAnswer_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("pauseMs");
        QTest::newRow("identification") << Kind::Ident << 0;
        QTest::newRow("poll") << Kind::Poll << 0;
        QTest::newRow("read version") << Kind::Version << 0;
        QTest::newRow("read block") << Kind::ReadBlock3 << 10;
        QTest::newRow("write block") << Kind::WriteBlock2 << 10;
        QTest::newRow("apply") << Kind::Apply << 10;
    }
    void noAnswer()
    {
        QFETCH(Kind, kind);
        QFETCH(int, pauseMs);
        m_panel->AddFault(Fault("no-answer"));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!Run(*m_modbus, kind));
        const qint64 elapsed = timer.elapsed();
        QVERIFY2(elapsed >= 1000 + pauseMs - 10 && elapsed < 1800,
                 qPrintable(QString::number(elapsed)));
        QCOMPARE(m_status.mid(1), (QStringList{"0", LinkText::ReceiveFailed()}));
        QCOMPARE(m_panel->Requests().size(), 1);
        // What the callers then read: the request's own bytes.
        QCOMPARE(m_modbus->Buffer[0], uint8_t(1));
        if (kind == Kind::Poll)
            QCOMPARE(m_modbus->Buffer[1], uint8_t(0x0E));
        if (kind == Kind::Apply)
            QCOMPARE(m_modbus->Buffer[2], uint8_t(0));
    }

    // A slow panel within the wait is still heard.
    void delayedAnswerWithinWait()
    {
        m_panel->AddFault(Fault("delay,request=version,delay=300"));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(m_modbus->ReadVersion(1));
        QVERIFY(timer.elapsed() >= 290);
    }

    // An answer that arrives after its request gave up is never taken for
    // the answer to the next request.
    void lateAnswerNotTakenForNext()
    {
        m_panel->AddFault(Fault("late,request=version,count=1"));
        QVERIFY(!m_modbus->ReadVersion(1));
        QCOMPARE(m_status.last(), LinkText::ReceiveFailed());
        QVERIFY(m_panel->WaitForAnswersSent(1, 2000));
        QTest::qSleep(50);  // the late answer now waits in the line's input
        m_status.clear();
        QVERIFY(m_modbus->PollStatus(1));
        QCOMPARE(BufferBytes(*m_modbus, 4), QByteArray::fromHex("010E81E4"));
        QCOMPARE(m_status, (QStringList{"4", "4", "CRC: 0"}));
    }
};

QTEST_GUILESS_MAIN(TestModbusRequests)
#include "tst_modbus_requests.moc"
