// The traffic journal: what it calls each frame, how it groups and bounds
// them, and what it records of a read on a paced, echoing line.
#include "link/frame_journal.h"
#include "link/frame_notes.h"
#include "link/modbus.h"
#include "link/trace_text.h"
#include "model/crc16.h"
#include "simulated_panel.h"

#include <QRegularExpression>
#include "closed_frame.h"

#include <QTest>

namespace {

QByteArray Hex(const char* hex)
{
    return ClosedFrame(QByteArray::fromHex(hex));
}

void Record(FrameJournal& journal, TraceKind kind, const QByteArray& bytes)
{
    journal.Record(kind, reinterpret_cast<const uint8_t*>(bytes.constData()), int(bytes.size()));
}

PanelFault Fault(const QString& script)
{
    const auto fault = PanelFault::Parse(script);
    if (!fault)
        qFatal("bad fault script in the test");
    return *fault;
}

}  // namespace

class TestFrameJournal : public QObject {
    Q_OBJECT

private slots:
    void requestNotes_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("note");
        QTest::newRow("ident") << Hex("0111") << "идентификация";
        QTest::newRow("poll") << Hex("010E") << "опрос";
        QTest::newRow("version") << Hex("0146000100") << "чтение версии";
        QTest::newRow("read block") << Hex("014600020103") << "чтение блока 3";
        QTest::newRow("write block") << Hex("0146000A02020102030405060708") << "запись блока 2";
        QTest::newRow("apply") << Hex("0146000103") << "применение";
        QTest::newRow("other function") << Hex("010300000001") << "функция 3";
        QTest::newRow("unknown sub-command") << Hex("0146000109") << "функция 70";
    }
    void requestNotes()
    {
        QFETCH(QByteArray, request);
        QFETCH(QString, note);
        QCOMPARE(RequestNote(request), note);
    }

    void answerNotes_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("note");
        const QByteArray readBlock3 = Hex("014600020103");
        QByteArray block(70, '\x11');
        block[0] = 1;
        block[1] = 0x46;
        const QByteArray blockAnswer = ClosedFrame(block);
        QByteArray garbled = blockAnswer;
        garbled[30] = char(garbled[30] ^ 0x04);
        QTest::newRow("normal") << readBlock3 << blockAnswer << "ответ";
        QTest::newRow("exception") << readBlock3 << Hex("01C602") << "исключение 02";
        QTest::newRow("gateway: no answer") << readBlock3 << Hex("01C60B") << "исключение 0B";
        QTest::newRow("crc") << readBlock3 << garbled << "ошибка CRC";
        QTest::newRow("short") << readBlock3 << blockAnswer.left(20)
                               << "короткий ответ: 20 из 72 байт";
        QTest::newRow("intact but short")
            << Hex("0146000100") << Hex("0146000301") << "короткий ответ: 7 из 10 байт";
        QTest::newRow("other address")
            << readBlock3 << ClosedFrame(QByteArray(1, '\x02') + block.mid(1))
            << "Чужой ответ: адрес 2, функция 70";
        QTest::newRow("other function")
            << Hex("010E") << Hex("0103020000") << "Чужой ответ: адрес 1, функция 3";
        QTest::newRow("poll answer") << Hex("010E") << Hex("010E") << "ответ";
        QTest::newRow("two bytes")
            << Hex("010E") << QByteArray::fromHex("010E") << "короткий ответ: 2 из 4 байт";
        QTest::newRow("no request known")
            << QByteArray() << QByteArray::fromHex("FF") << "слишком короткий кадр";
    }
    void answerNotes()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(QString, note);
        QCOMPARE(AnswerNote(request, answer), note);
    }

    // A poll's exception arrives in two reads; the journal shows one answer
    // and tells a viewer that the frame it has grew.
    void answerRunsJoin()
    {
        FrameJournal journal;
        journal.BeginCommand(QStringLiteral("Записать"));
        Record(journal, TraceKind::Sent, Hex("010E"));
        const QByteArray exception = Hex("018E06");
        Record(journal, TraceKind::Received, exception.left(4));
        const quint64 seen = journal.Revision();
        QCOMPARE(journal.ChangedSince(0).last().Note, "ошибка CRC");
        Record(journal, TraceKind::Received, exception.mid(4));
        const QList<JournalFrame> changed = journal.ChangedSince(seen);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed[0].Serial, quint64(2));
        QCOMPARE(changed[0].Bytes, exception);
        QCOMPARE(changed[0].Note, "исключение 06");
        QVERIFY(changed[0].SinceRequestMs >= 0);
        QCOMPARE(journal.Size(), 2);
        // A new command's answer never joins the last one's.
        journal.BeginCommand(QStringLiteral("Считать"));
        Record(journal, TraceKind::Received, Hex("010E"));
        QCOMPARE(journal.Size(), 3);
    }

    void boundedOldestFirstOut()
    {
        FrameJournal journal(20);
        journal.BeginCommand(QStringLiteral("Инфо"));
        for (int i = 0; i < 25; ++i)
            Record(journal, TraceKind::Sent, Hex("010E"));
        QCOMPARE(journal.Size(), 20);
        const QList<JournalFrame> all = journal.ChangedSince(0);
        QCOMPARE(all.first().Serial, quint64(6));
        QCOMPARE(all.last().Serial, quint64(25));
        journal.Clear();
        QCOMPARE(journal.Size(), 0);
        QVERIFY(journal.ChangedSince(0).isEmpty());
    }

    // Saved, the journal reads as orlix-cli --trace prints a run, one block
    // per command under its name.
    void traceText()
    {
        FrameJournal journal;
        journal.BeginCommand(QStringLiteral("Считать"));
        const QByteArray ident = Hex("0111");
        Record(journal, TraceKind::Sent, ident);
        Record(journal, TraceKind::Echo, ident);
        journal.BeginCommand(QStringLiteral("Считать"));
        Record(journal, TraceKind::Discarded, QByteArray::fromHex("55"));
        const QStringList lines = journal.TraceText().split(QLatin1Char('\n'));
        const QRegularExpression frame(
            QStringLiteral("^ {0,5}\\d+ ms (->|<-) [0-9A-F ]+( +\\(.*\\))?$"));
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[0], "# Считать");
        QVERIFY(frame.match(lines[1]).hasMatch());
        QVERIFY(lines[1].endsWith(QStringLiteral(" -> 01 11 C0 2C")));
        QVERIFY(lines[2].endsWith(QStringLiteral(" <- 01 11 C0 2C  (эхо)")));
        QCOMPARE(lines[3], QString());
        QCOMPARE(lines[4], "# Считать");
        QVERIFY(lines[5].endsWith(QStringLiteral(" <- 55  (до запроса, отброшено)")));
        QCOMPARE(lines[1].left(lines[1].indexOf(QLatin1String(" ms"))).size(), 6);
        QCOMPARE(lines[6], QString());
    }

    // A read on a paced line through an echoing adapter: the journal holds
    // the two requests of the connection and the seven block reads with
    // their echoes and answers, and names a CRC fault and an exception.
    void readOnAPacedEchoingLine()
    {
        SimulatedPanel panel;
        LineBehaviour line;
        line.Paced = true;
        line.TurnaroundUs = 2000;
        line.Echo = true;
        panel.SetLineBehaviour(line);
        panel.AddFault(Fault(QStringLiteral("crc,request=read-block,block=2,count=1")));
        panel.AddFault(
            Fault(QStringLiteral("exception,request=read-block,block=5,count=1,code=2")));
        QString error;
        QVERIFY2(panel.Start(&error), qPrintable(error));
        TModbus modbus;
        FrameJournal journal;
        modbus.SetTraceSink([&](TraceKind kind, const uint8_t* data, int count) {
            journal.Record(kind, data, count);
        });
        SerialSettings settings;
        settings.BaudRate = 19200;
        settings.Echo = EchoMode::Auto;
        modbus.SetEchoMode(EchoMode::Auto);
        panel.SetLineSettings(19200, true);
        QVERIFY(modbus.OpenPort(panel.DevicePath(), settings, true, 256) >= 0);
        journal.BeginCommand(QStringLiteral("Считать"));
        QVERIFY(modbus.ReportSlaveId(1, 8));
        QVERIFY(modbus.ReadVersion(1));
        for (int block = 0; block <= 6; ++block)
            QCOMPARE(modbus.ReadBlock(1, block), block != 2 && block != 5);

        QStringList requests, answers;
        for (const JournalFrame& f : journal.ChangedSince(0)) {
            QCOMPARE(f.Command, "Считать");
            if (f.Kind == TraceKind::Sent)
                requests << f.Note;
            else if (f.Kind == TraceKind::Received)
                answers << f.Note;
            else
                QCOMPARE(f.Note, "эхо запроса");
            if (f.Kind != TraceKind::Sent)
                QVERIFY2(f.SinceRequestMs >= 0 && f.SinceRequestMs <= 1500,
                         qPrintable(QString::number(f.SinceRequestMs)));
        }
        QCOMPARE(requests, (QStringList{"идентификация", "чтение версии", "чтение блока 0",
                                        "чтение блока 1", "чтение блока 2", "чтение блока 3",
                                        "чтение блока 4", "чтение блока 5", "чтение блока 6"}));
        QCOMPARE(answers, (QStringList{"ответ", "ответ", "ответ", "ответ", "ошибка CRC", "ответ",
                                       "ответ", "исключение 02", "ответ"}));
        QCOMPARE(journal.Size(), 27);
    }
};

QTEST_GUILESS_MAIN(TestFrameJournal)
#include "tst_frame_journal.moc"
