// "Журнал обмена": the window's commands on a paced, echoing simulated line
// as the journal lists them, its filter and save, and what recording costs.
#include "app/journal_model.h"
#include "app/journal_window.h"
#include "panel_fixture.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTreeView>

namespace {

// The journal window, opened from the menu.
TFJournal* OpenJournal(PanelFixture& f)
{
    f.Action("MIJournal")->trigger();
    auto* window = f.main->findChild<TFJournal*>(QStringLiteral("FJournal"));
    if (window)
        window->Refresh();
    return window;
}

// Column `column` of the frames under the last command, as the view shows them.
QStringList LastCommandColumn(QAbstractItemModel& model, int column, QString* command = nullptr)
{
    const QModelIndex group = model.index(model.rowCount() - 1, 0);
    if (command)
        *command = model.index(group.row(), JournalModel::Direction).data().toString();
    QStringList out;
    for (int row = 0; row < model.rowCount(group); ++row)
        out << model.index(row, column, group).data().toString();
    return out;
}

QStringList Requests(QAbstractItemModel& model, QString* command = nullptr)
{
    const QStringList directions = LastCommandColumn(model, JournalModel::Direction, command);
    const QStringList notes = LastCommandColumn(model, JournalModel::Note);
    QStringList out;
    for (int i = 0; i < notes.size(); ++i)
        if (directions[i] == QStringLiteral("передано"))
            out << notes[i];
    return out;
}

}  // namespace

class TestJournalWindow : public QObject {
    Q_OBJECT
private slots:
    // A read lists the connection's two requests and the seven block reads
    // under "Считать", with the echoes of the line, and faults by name.
    void readOnAnEchoingLine()
    {
        PanelFixture f;
        f.panel.SetLineBehaviour({true, 3000, 0, true});
        TFJournal* journal = OpenJournal(f);
        QVERIFY(journal);
        QCOMPARE(journal->windowTitle(), QStringLiteral("Журнал обмена"));
        QVERIFY(journal->isVisible());

        f.Tool("SBReadConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList());
        journal->Refresh();
        JournalModel& model = journal->Model();
        QString command;
        QCOMPARE(Requests(model, &command),
                 (QStringList{"идентификация", "чтение версии", "чтение блока 0", "чтение блока 1",
                              "чтение блока 2", "чтение блока 3", "чтение блока 4",
                              "чтение блока 5", "чтение блока 6"}));
        QCOMPARE(command, QStringLiteral("Считать"));
        const QStringList notes = LastCommandColumn(model, JournalModel::Note);
        QCOMPARE(notes.count(QStringLiteral("эхо запроса")), 9);
        QCOMPARE(notes.count(QStringLiteral("ответ")), 9);
        const QStringList times = LastCommandColumn(model, JournalModel::Time);
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}$"))
                     .match(times.first())
                     .hasMatch(),
                 qPrintable(times.first()));

        // A CRC fault ends the next read; an exception the one after it.
        f.panel.AddFault(*PanelFault::Parse("crc,request=read-block,block=4,count=1"));
        f.Tool("SBReadConfig")->click();
        f.panel.AddFault(*PanelFault::Parse("exception,request=read-block,block=1,count=1,code=2"));
        f.Tool("SBReadConfig")->click();
        QCOMPARE(f.messageTexts().size(), 2);
        journal->Refresh();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(LastCommandColumn(model, JournalModel::Note).last(), "исключение 02");
        const QModelIndex second = model.index(1, 0);
        QCOMPARE(model.index(model.rowCount(second) - 1, JournalModel::Note, second).data(),
                 QVariant("ошибка CRC"));
    }

    // The filter keeps the frames that match and the commands they are in;
    // the save is the lines orlix-cli --trace prints, a block per command.
    void filterAndSave()
    {
        PanelFixture f;
        TFJournal* journal = OpenJournal(f);
        f.Action("N20")->trigger();
        f.Tool("SBReadConfig")->click();
        journal->Refresh();
        auto* view = journal->findChild<QTreeView*>(QStringLiteral("JournalList"));
        QAbstractItemModel* shown = view->model();
        QCOMPARE(shown->rowCount(), 2);

        journal->findChild<QLineEdit*>(QStringLiteral("JournalFilter"))->setText("блока 3");
        QCOMPARE(shown->rowCount(), 1);
        const QModelIndex group = shown->index(0, 0);
        QCOMPARE(shown->index(0, JournalModel::Direction).data().toString(), "Считать");
        QCOMPARE(shown->rowCount(group), 1);
        QCOMPARE(shown->index(0, JournalModel::Note, group).data().toString(), "чтение блока 3");

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("journal.txt"));
        f.app->prompts.fileNames.enqueue(path);
        journal->findChild<QPushButton*>(QStringLiteral("JournalSave"))->click();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        const QRegularExpression frame(
            QStringLiteral("^ *\\d+ ms (->|<-) [0-9A-F]{2}( [0-9A-F]{2})*$"));
        QCOMPARE(lines.first(), QStringLiteral("# Инфо"));
        const int read = int(lines.indexOf(QStringLiteral("# Считать")));
        QVERIFY(read > 0);
        QCOMPARE(lines[read - 1], QString());
        int frames = 0;
        for (const QString& line : lines)
            if (!line.isEmpty() && !line.startsWith(QLatin1Char('#'))) {
                QVERIFY2(frame.match(line).hasMatch(), qPrintable(line));
                ++frames;
            }
        // Info: the connection's ident and version, then its own version
        // read; the read: ident, version, 7 blocks; each answered.
        QCOMPARE(frames, 2 * (3 + 2 + 7));
        QVERIFY2(lines[1].endsWith(QStringLiteral(" ms -> 01 11 C0 2C")), qPrintable(lines[1]));
    }

    // Recording is a copy and a few string operations per frame: far below
    // the millisecond an exchange's timing may change by.
    void recordingCost()
    {
        FrameJournal journal;
        journal.BeginCommand(QStringLiteral("Считать"));
        QByteArray answer(72, '\x21');
        QElapsedTimer clock;
        clock.start();
        constexpr int Frames = 30000;  // past the journal's bound
        for (int i = 0; i < Frames; ++i) {
            journal.Record(TraceKind::Sent,
                           reinterpret_cast<const uint8_t*>("\x01\x46\x00\x02\x01\x03\x00\x00"), 8);
            journal.Record(TraceKind::Received,
                           reinterpret_cast<const uint8_t*>(answer.constData()), 72);
        }
        const double usPerFrame = double(clock.nsecsElapsed()) / 1000.0 / (2 * Frames);
        QCOMPARE(journal.Size(), FrameJournal::DefaultCapacity);
        QVERIFY2(usPerFrame < 100, qPrintable(QStringLiteral("%1 µs a frame").arg(usPerFrame)));

        JournalModel model;
        model.TakeChanges(journal);
        QCOMPARE(model.FrameCount(), FrameJournal::DefaultCapacity);
        journal.Record(TraceKind::Sent, reinterpret_cast<const uint8_t*>("\x01\x0E\x81\xE4"), 4);
        model.TakeChanges(journal);
        QCOMPARE(model.FrameCount(), FrameJournal::DefaultCapacity);
        const QModelIndex last = model.index(model.rowCount() - 1, 0);
        QCOMPARE(model.index(model.rowCount(last) - 1, JournalModel::Note, last).data(),
                 QVariant("опрос"));
    }
};

QTEST_MAIN(TestJournalWindow)
#include "tst_journal_window.moc"
