// The simulated panel's own parts, without a line: request framing, the
// answers it builds, its scripted faults, the pace of answers and the
// gateway's units.
#include "answer_pacer.h"
#include "mbap.h"
#include "model/block_crc.h"
#include "model/crc16.h"
#include "model/mbus_settings.h"
#include "model/new_configuration.h"
#include "panel_responder.h"
#include "request_framer.h"

#include "closed_frame.h"

#include <QTest>

namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

PanelFault Fault(const char* script)
{
    const auto fault = PanelFault::Parse(QString::fromLatin1(script));
    if (!fault)
        qFatal("bad fault script in the test");
    return *fault;
}

}  // namespace

class TestSimulatedPanel : public QObject {
    Q_OBJECT
private slots:
    void frameLength_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<int>("length");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("address only") << Hex("01") << 0;
        QTest::newRow("identification") << Hex("0111") << 4;
        QTest::newRow("poll") << Hex("010E") << 4;
        QTest::newRow("function 70 without count") << Hex("014600") << 0;
        QTest::newRow("read version") << Hex("01460001") << 7;
        QTest::newRow("write block 9") << Hex("01460053") << 89;
        QTest::newRow("count 0") << Hex("01460000") << -1;
        QTest::newRow("count too large") << Hex("0146FFFF") << -1;
        QTest::newRow("unknown function") << Hex("0103") << -1;
    }
    void frameLength()
    {
        QFETCH(QByteArray, head);
        QFETCH(int, length);
        QCOMPARE(RequestFramer::FrameLength(head), length);
    }

    void framerSplitsStream()
    {
        RequestFramer framer;
        const QByteArray ident = Hex("0111C02C");
        const QByteArray version = Hex("01460001000D18");
        // A junk byte ahead, the second frame in two pieces.
        framer.Feed(Hex("03") + ident + version.left(3), 0);
        QCOMPARE(framer.Next().value_or(QByteArray()), ident);
        QVERIFY(!framer.Next());
        QVERIFY(framer.HasPartialFrame());
        framer.Feed(version.mid(3), 10);
        QCOMPARE(framer.Next().value_or(QByteArray()), version);
        QVERIFY(!framer.Next());
        QCOMPARE(framer.DroppedBytes(), 1);
    }

    void framerForgetsPartialFrameAfterSilence()
    {
        RequestFramer framer;
        framer.Feed(Hex("014600"), 0);
        framer.Feed(Hex("010E81E4"), RequestFramer::SilenceMs + 1);
        QCOMPARE(framer.Next().value_or(QByteArray()), Hex("010E81E4"));
        QCOMPARE(framer.DroppedBytes(), 3);
    }

    void faultParsing_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("request");
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("count");
        using A = PanelFault::Action;
        using R = PanelRequest;
        QTest::newRow("no answer")
            << "no-answer" << true << int(A::NoAnswer) << int(R::Any) << -1 << -1;
        QTest::newRow("crc of block 3 once") << "crc,request=read-block,block=3,count=1" << true
                                             << int(A::Answer) << int(R::ReadBlock) << 3 << 1;
        QTest::newRow("busy 5 polls")
            << "busy,count=5" << true << int(A::Exception) << int(R::PollStatus) << -1 << 5;
        QTest::newRow("version exception") << "exception,request=version" << true
                                           << int(A::Exception) << int(R::ReadVersion) << -1 << -1;
        QTest::newRow("apply answers 1") << "apply-not-started" << true << int(A::ApplyNotStarted)
                                         << int(R::ApplyConfig) << -1 << -1;
        QTest::newRow("busy with corrupt CRC")
            << "busy,crc,count=2" << true << int(A::Exception) << int(R::PollStatus) << -1 << 2;
        QTest::newRow("unknown kind") << "explode" << false << 0 << 0 << 0 << 0;
        QTest::newRow("unknown request") << "crc,request=read" << false << 0 << 0 << 0 << 0;
        QTest::newRow("bad number") << "short,by=x" << false << 0 << 0 << 0 << 0;
        QTest::newRow("unknown key") << "late,speed=3" << false << 0 << 0 << 0 << 0;
        QTest::newRow("unknown second kind") << "late,slow" << false << 0 << 0 << 0 << 0;
        QTest::newRow("code out of range") << "exception,code=300" << false << 0 << 0 << 0 << 0;
        QTest::newRow("empty") << "" << false << 0 << 0 << 0 << 0;
    }
    void faultParsing()
    {
        QFETCH(QString, script);
        QFETCH(bool, valid);
        QString error;
        const auto fault = PanelFault::Parse(script, &error);
        QCOMPARE(bool(fault), valid);
        QCOMPARE(error.isEmpty(), valid);
        if (!fault)
            return;
        QFETCH(int, action);
        QFETCH(int, request);
        QFETCH(int, block);
        QFETCH(int, count);
        QCOMPARE(int(fault->Kind), action);
        QCOMPARE(int(fault->Request), request);
        QCOMPARE(fault->Block, block);
        QCOMPARE(fault->Count, count);
        QVERIFY(!fault->Describe().isEmpty());
    }

    void faultModifiers()
    {
        QCOMPARE(Fault("late").DelayMs, PanelFault::LateDelayMs);
        QVERIFY(PanelFault::LateDelayMs > 1000);
        QCOMPARE(Fault("delay,delay=250").DelayMs, 250);
        QCOMPARE(Fault("short,by=3").ShortBy, 3);
        QCOMPARE(Fault("extra,bytes=2").ExtraBytes, 2);
        QCOMPARE(Fault("exception,code=0x04").ExceptionCode, uint8_t(4));
        QVERIFY(Fault("crc").CorruptCrc);
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("identification") << Hex("0111C02C") << ClosedFrame(Hex("011103200732"));
        QTest::newRow("poll") << Hex("010E81E4") << Hex("010E81E4");
        QTest::newRow("version") << Hex("01460001000D18") << ClosedFrame(Hex("0146000400010701"));
        QTest::newRow("apply") << Hex("01460001034D19") << ClosedFrame(Hex("014600"));
        QTest::newRow("read block 10")
            << ClosedFrame(Hex("01460002010A")) << ClosedFrame(Hex("01C602"));
        QTest::newRow("write with wrong count")
            << ClosedFrame(Hex("0146000302010000")) << ClosedFrame(Hex("01C603"));
        QTest::newRow("unknown sub-command")
            << ClosedFrame(Hex("0146000109")) << ClosedFrame(Hex("01C601"));
        QTest::newRow("unknown function")
            << ClosedFrame(Hex("010300000001")) << ClosedFrame(Hex("018301"));
    }
    void answers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        PanelResponder panel;
        const PanelAnswer got = panel.Respond(request);
        QVERIFY(got.Send);
        QCOMPARE(got.Bytes, answer);
        QCOMPARE(got.DelayMs, 0);
    }

    void silentCases_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("another address") << ClosedFrame(Hex("0211"));
        QTest::newRow("garbled request") << Hex("0111C02D");
        QTest::newRow("too short") << Hex("0111");
    }
    void silentCases()
    {
        QFETCH(QByteArray, request);
        PanelResponder panel;
        QVERIFY(!panel.Respond(request).Send);
    }

    void identityAndFamily()
    {
        PanelResponder panel;
        panel.Identity().Address = 5;
        panel.Identity().Ident = PanelResponder::FamilyIdent(1);
        QCOMPARE(panel.Respond(ClosedFrame(Hex("0511"))).Bytes, ClosedFrame(Hex("0511030C0932")));
        QVERIFY(!panel.Respond(ClosedFrame(Hex("0111"))).Send);
    }

    // A block written is stored and read back the same; the other blocks stay.
    void blockStore()
    {
        PanelResponder panel;
        QByteArray write = Hex("014600090201");
        const QByteArray payload = Hex("0A0B0C0D0E0F10");
        write += payload;
        const PanelAnswer ack = panel.Respond(ClosedFrame(write));
        QCOMPARE(ack.Bytes, ClosedFrame(Hex("014600")));
        QCOMPARE(panel.BlocksWritten(), 1);
        const PanelAnswer read = panel.Respond(ClosedFrame(Hex("014600020101")));
        QCOMPARE(read.Bytes.size(), 15);
        QCOMPARE(read.Bytes.mid(6, 7), payload);
        QVERIFY(FrameIntact(read.Bytes));
        QVERIFY(CheckBlockCrcs(panel.Image()));
        // Block 0 as the new configuration has it.
        const ConfigImage fresh = NewConfigurationImage();
        const auto block0 = BlockPayload(fresh, 0);
        QCOMPARE(panel.Respond(ClosedFrame(Hex("014600020100"))).Bytes.mid(6, 20),
                 QByteArray(reinterpret_cast<const char*>(block0.data()), 20));
    }

    // A fault with a count is used up; one for a block spares the others.
    void faultCountsAndTargets()
    {
        PanelResponder panel;
        panel.AddFault(Fault("crc,request=read-block,block=3,count=2"));
        const QByteArray read2 = ClosedFrame(Hex("014600020102"));
        const QByteArray read3 = ClosedFrame(Hex("014600020103"));
        QVERIFY(FrameIntact(panel.Respond(read2).Bytes));
        QVERIFY(!FrameIntact(panel.Respond(read3).Bytes));
        QVERIFY(!FrameIntact(panel.Respond(read3).Bytes));
        QVERIFY(FrameIntact(panel.Respond(read3).Bytes));
    }

    void faultShapes()
    {
        const QByteArray version = Hex("01460001000D18");
        auto answer = [&](const char* script) {
            PanelResponder panel;
            panel.AddFault(Fault(script));
            return panel.Respond(version);
        };
        QVERIFY(!answer("no-answer").Send);
        QCOMPARE(answer("exception").Bytes, ClosedFrame(Hex("01C601")));
        QCOMPARE(answer("short,by=4").Bytes, ClosedFrame(Hex("0146000400010701")).left(6));
        QCOMPARE(answer("extra,bytes=2").Bytes, ClosedFrame(Hex("0146000400010701")) + Hex("A5A5"));
        QCOMPARE(answer("late").DelayMs, PanelFault::LateDelayMs);
        const QByteArray corrupt = answer("crc").Bytes;
        QCOMPARE(corrupt.size(), 10);
        QVERIFY(!FrameIntact(corrupt));
        QCOMPARE(corrupt.left(8), Hex("0146000400010701"));
    }

    void busyThenReady()
    {
        PanelResponder panel;
        panel.AddFault(Fault("busy,count=2"));
        const QByteArray poll = Hex("010E81E4");
        QCOMPARE(panel.Respond(poll).Bytes, ClosedFrame(Hex("018E06")));
        QCOMPARE(panel.Respond(poll).Bytes, ClosedFrame(Hex("018E06")));
        QCOMPARE(panel.Respond(poll).Bytes, poll);
    }

    // A write that is refused or unanswered stores nothing.
    void refusedWriteStoresNothing()
    {
        PanelResponder panel;
        panel.AddFault(Fault("exception,request=write-block,count=1"));
        const QByteArray write = ClosedFrame(Hex("01460009020101020304050607"));
        QCOMPARE(panel.Respond(write).Bytes, ClosedFrame(Hex("01C601")));
        QCOMPARE(panel.BlocksWritten(), 0);
        QCOMPARE(panel.Respond(write).Bytes, ClosedFrame(Hex("014600")));
        QCOMPARE(panel.BlocksWritten(), 1);
    }

    // An apply takes block 1's address, baud rate and stop bits into use;
    // a refused apply takes nothing.
    void applyTakesBlock1IntoUse_data()
    {
        QTest::addColumn<QByteArray>("block1");  // address, divisor, flags
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("baudRate");
        QTest::addColumn<bool>("twoStopBits");
        QTest::newRow("address 7, 19200, one stop bit")
            << Hex("071700") << "" << 7 << 19200 << false;
        QTest::newRow("address 200, 115200, two") << Hex("C80308") << "" << 200 << 115200 << true;
        QTest::newRow("address 0 is not taken") << Hex("002F08") << "" << 1 << 9600 << true;
        QTest::newRow("unknown divisor keeps the rate")
            << Hex("05FF00") << "" << 5 << 9600 << false;
        QTest::newRow("refused apply") << Hex("071700") << "apply-not-started" << 1 << 9600 << true;
    }
    void applyTakesBlock1IntoUse()
    {
        QFETCH(QByteArray, block1);
        QFETCH(QString, fault);
        QFETCH(int, address);
        QFETCH(int, baudRate);
        QFETCH(bool, twoStopBits);
        PanelResponder panel;
        QVERIFY(panel.Listens(9600, true));
        QCOMPARE(panel.Image()[MBusSettings::NetAddress], uint8_t(1));  // its own
        if (!fault.isEmpty())
            panel.AddFault(*PanelFault::Parse(fault));
        for (int i = 0; i < 3; ++i)
            panel.Image()[MBusSettings::NetAddress + i] = uint8_t(block1[i]);
        QVERIFY(panel.Respond(Hex("01460001034D19")).Send);
        QCOMPARE(int(panel.Identity().Address), address);
        QCOMPARE(panel.Listens(baudRate, twoStopBits), true);
        QCOMPARE(panel.Listens(9600, !twoStopBits), false);
    }

    // Requests of unknown length end by the line's silence; noise ahead of
    // an intact request goes, and so does a request cut short.
    void framerSilence_data()
    {
        QTest::addColumn<QString>("feeds");  // hex@us;hex@us...
        QTest::addColumn<qint64>("atUs");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<int>("dropped");
        const QString registers = QStringLiteral("010300000001840a");
        QTest::newRow("other function, silent")
            << registers + "@0" << qint64(4010) << QStringList{registers} << 0;
        QTest::newRow("other function, not yet silent")
            << registers + "@0" << qint64(4009) << QStringList{} << 0;
        QTest::newRow("other function in pieces")
            << "0103@0;0000@3000;0001840A@6000" << qint64(10010) << QStringList{registers} << 0;
        QTest::newRow("other function, then identification")
            << registers + "@0;0111C02C@5000" << qint64(5000) << QStringList{registers, "0111c02c"}
            << 0;
        QTest::newRow("noise ahead of identification")
            << "03@0;0111C02C@100" << qint64(100) << QStringList{"0111c02c"} << 1;
        QTest::newRow("two requests in one burst")
            << "0111C02C010E81E4@0" << qint64(0) << QStringList{"0111c02c", "010e81e4"} << 0;
        QTest::newRow("version cut short") << "014600@0" << qint64(4010) << QStringList{} << 3;
        QTest::newRow("cut short, then a request")
            << "01460001@0;010E81E4@4500" << qint64(4500) << QStringList{"010e81e4"} << 4;
        QTest::newRow("noise shorter than a frame")
            << "A5A5@0" << qint64(5000) << QStringList{} << 2;
    }
    void framerSilence()
    {
        QFETCH(QString, feeds);
        QFETCH(qint64, atUs);
        QFETCH(QStringList, frames);
        QFETCH(int, dropped);
        RequestFramer framer;
        framer.SetSilenceUs(4010);
        for (const QString& feed : feeds.split(';')) {
            const QStringList parts = feed.split('@');
            framer.FeedUs(QByteArray::fromHex(parts[0].toLatin1()), parts[1].toLongLong());
        }
        QStringList got;
        while (const auto frame = framer.NextFrame(atUs))
            got << QString::fromLatin1(frame->Bytes.toHex());
        QCOMPARE(got, frames);
        QCOMPARE(framer.DroppedBytes(), dropped);
    }

    // A frame's arrival times and when the bytes held end.
    void framerTimes()
    {
        RequestFramer framer;
        framer.SetSilenceUs(1750);
        QCOMPARE(framer.SilenceDeadlineUs(), qint64(-1));
        framer.FeedUs(Hex("010300"), 100);
        framer.FeedUs(Hex("000001840A"), 900);
        QCOMPARE(framer.SilenceDeadlineUs(), qint64(2650));
        QVERIFY(!framer.NextFrame(2649));
        const auto frame = framer.NextFrame(2650);
        QVERIFY(frame);
        QCOMPARE(frame->FirstUs, qint64(100));
        QCOMPARE(frame->LastUs, qint64(900));
        QCOMPARE(framer.SilenceDeadlineUs(), qint64(-1));
    }

    // Bytes are due by absolute time from the answer's start; whatever is
    // late goes at once, and the next answer waits for the line.
    void pacerSchedule()
    {
        AnswerPacer pacer;
        const QByteArray first = Hex("00010203040506070809");
        pacer.Add(first, 1000, 1'145'833);
        QCOMPARE(pacer.NextDueUs(), qint64(1000));
        QVERIFY(pacer.TakeDue(999).isEmpty());
        auto chunks = pacer.TakeDue(1000);
        QCOMPARE(chunks.size(), 1);
        QCOMPARE(chunks[0].Bytes, Hex("00"));
        QVERIFY(chunks[0].First && !chunks[0].Last);
        QCOMPARE(pacer.NextDueUs(), qint64(2145));
        // Woken late: bytes 1 to 5 together, byte 6 not before its time.
        chunks = pacer.TakeDue(1000 + 5 * 1146);
        QCOMPARE(chunks.size(), 1);
        QCOMPARE(chunks[0].Bytes, Hex("0102030405"));
        QCOMPARE(pacer.NextDueUs(), qint64(1000 + 6 * 1'145'833 / 1000));
        pacer.Add(Hex("AABB"), 0, 1'145'833);  // due already, the line is busy
        chunks = pacer.TakeDue(1000 + 9 * 1146);
        QCOMPARE(chunks.size(), 1);
        QCOMPARE(chunks[0].Bytes, Hex("06070809"));
        QVERIFY(chunks[0].Last);
        QCOMPARE(chunks[0].Answer, first);
        const qint64 lineFree = 1000 + 10 * 1'145'833 / 1000;
        QCOMPARE(pacer.NextDueUs(), lineFree);
        QVERIFY(pacer.TakeDue(lineFree - 1).isEmpty());
        chunks = pacer.TakeDue(lineFree + 100'000);
        QCOMPARE(chunks.size(), 1);
        QCOMPARE(chunks[0].Bytes, Hex("AABB"));
        QVERIFY(chunks[0].First && chunks[0].Last);
        QCOMPARE(pacer.NextDueUs(), qint64(-1));
        // Without a step an answer goes whole.
        pacer.Add(first, 5, 0);
        chunks = pacer.TakeDue(lineFree + 100'000);
        QCOMPARE(chunks.size(), 1);
        QCOMPARE(chunks[0].Bytes, first);
    }

    void mbapUnits_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("consumed");
        QTest::addColumn<int>("transaction");
        QTest::addColumn<QByteArray>("rtu");
        using S = Mbap::Parsed::Status;
        QTest::newRow("header incomplete")
            << Hex("1234000000") << int(S::NeedMore) << 0 << 0 << QByteArray();
        QTest::newRow("PDU incomplete")
            << Hex("12340000000602030000") << int(S::NeedMore) << 0 << 0 << QByteArray();
        QTest::newRow("read registers") << Hex("123400000006020300000001FF") << int(S::Request)
                                        << 12 << 0x1234 << ClosedFrame(Hex("020300000001"));
        QTest::newRow("another protocol")
            << Hex("12340001000602030000000100") << int(S::Skip) << 12 << 0 << QByteArray();
        QTest::newRow("unit id only")
            << Hex("00010000000102") << int(S::Skip) << 7 << 0 << QByteArray();
        QTest::newRow("length 0") << Hex("000100000000") << int(S::Close) << 0 << 0 << QByteArray();
        QTest::newRow("length 255")
            << Hex("0001000000FF") << int(S::Close) << 0 << 0 << QByteArray();
    }
    void mbapUnits()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, state);
        QFETCH(int, consumed);
        QFETCH(int, transaction);
        QFETCH(QByteArray, rtu);
        const Mbap::Parsed unit = Mbap::TakeUnit(stream);
        QCOMPARE(int(unit.State), state);
        QCOMPARE(unit.Consumed, consumed);
        QCOMPARE(int(unit.Transaction), transaction);
        QCOMPARE(unit.RtuFrame, rtu);
    }

    void mbapAnswer()
    {
        QCOMPARE(Mbap::AnswerUnit(0xBEEF, ClosedFrame(Hex("0703020005"))),
                 Hex("BEEF00000005") + Hex("0703020005"));
    }
};

QTEST_GUILESS_MAIN(TestSimulatedPanel)
#include "tst_simulated_panel.moc"
