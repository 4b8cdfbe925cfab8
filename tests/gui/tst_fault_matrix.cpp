// Every device command against every fault the simulated panel can play:
// the message, the closed port, the restored flags and cursor, what the
// configuration keeps, and that nothing is sent after the failing step.
#include "app/tfmbparam.h"
#include "panel_fixture.h"

#include <QGuiApplication>
#include <QLabel>

namespace {
enum class Command { Read, Write, Apply, Info };

// The requests a command sends when all goes well.
QStringList FullSequence(Command c)
{
    QStringList kinds{"ident", "version"};
    switch (c) {
        case Command::Read:
            for (int n = 0; n < 7; ++n)
                kinds << QStringLiteral("read %1").arg(n);
            break;
        case Command::Write:
            for (int n = 0; n < 7; ++n)
                kinds << QStringLiteral("write %1").arg(n) << "poll";
            break;
        case Command::Apply: kinds << "apply"; break;
        case Command::Info: kinds << "version"; break;
    }
    return kinds;
}

// The request a fault aims at: block 3 of a read, block 2 of a write, the
// apply, the version request after connecting.
QString Target(Command c)
{
    switch (c) {
        case Command::Read: return QStringLiteral("request=read-block,block=3");
        case Command::Write: return QStringLiteral("request=write-block,block=2");
        case Command::Apply: return QStringLiteral("request=apply");
        case Command::Info: return QStringLiteral("request=version,after=1");
    }
    return {};
}

int TargetIndex(Command c)
{
    switch (c) {
        case Command::Read: return 5;
        case Command::Write: return 6;
        default: return 2;
    }
}

const char* Name(Command c)
{
    switch (c) {
        case Command::Read: return "read";
        case Command::Write: return "write";
        case Command::Apply: return "apply";
        case Command::Info: return "information";
    }
    return "";
}

// What a cell must end with.
enum class Ends { Completes, FailsAtTarget, FailsAtIdent, FailsAtVersion, FailsInPolls };

const QString Io = QStringLiteral("Ошибка I/O.");
const QString NoMessage;
}  // namespace

Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(Ends)

class TestFaultMatrix : public QObject {
    Q_OBJECT
private slots:
    void matrix_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("fault");  // a fault script, or ident/firmware
        QTest::addColumn<QString>("message");
        QTest::addColumn<Ends>("ends");

        const QString wrong = "Устройство № 1  (ORL-SIM1)  не является ОРЛ-07 или ОРЛ-09.";
        const QString version = "Конфликт версий ПО - требуется программатор v1.60.";
        const QString notStarted = "Программирование не запускалось.";
        struct Cell {
            QString message;
            Ends ends;
        };
        // Columns: read, write, apply, information.
        const QList<std::pair<QString, std::array<Cell, 4>>> rows{
            {"no-answer",
             {{{Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {NoMessage, Ends::Completes},  // apply does not judge its answer
               {Io, Ends::FailsAtTarget}}}},
            {"crc",
             {{{Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {NoMessage, Ends::Completes},
               {Io, Ends::FailsAtTarget}}}},
            {"exception,code=4",  // apply: refused like a block write
             {{{Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {"Панель отвергла применение: код 4.", Ends::Completes},
               {Io, Ends::FailsAtTarget}}}},
            // Intact answers for another request: another panel, another function.
            {"foreign,as-address=2",
             {{{Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget}}}},
            {"foreign,as-function=3",
             {{{Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget}}}},
            {"short",
             {{{Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {NoMessage, Ends::Completes},
               {Io, Ends::FailsAtTarget}}}},
            {"extra,bytes=3",  // junk after the answer: the next send purges it
             {{{NoMessage, Ends::Completes},
               {NoMessage, Ends::Completes},
               {NoMessage, Ends::Completes},
               {NoMessage, Ends::Completes}}}},
            {"late",
             {{{Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {NoMessage, Ends::Completes},
               {Io, Ends::FailsAtTarget}}}},
            {"busy",
             {{{NoMessage, Ends::Completes},
               {Io, Ends::FailsInPolls},
               {NoMessage, Ends::Completes},
               {NoMessage, Ends::Completes}}}},
            {"ident",
             {{{wrong, Ends::FailsAtIdent},
               {wrong, Ends::FailsAtIdent},
               {wrong, Ends::FailsAtIdent},
               {wrong, Ends::FailsAtIdent}}}},
            {"firmware",
             {{{version, Ends::FailsAtVersion},
               {version, Ends::FailsAtVersion},
               {version, Ends::FailsAtVersion},
               {NoMessage, Ends::Completes}}}},  // information takes any firmware
            {"apply-not-started",
             {{{NoMessage, Ends::Completes},
               {NoMessage, Ends::Completes},
               {notStarted, Ends::Completes},
               {NoMessage, Ends::Completes}}}},
            // The line goes dead as the panel takes the request; the box says
            // so, with the system's reason (an apply too: a dead line is no
            // silent panel).
            {"vanish",
             {{{Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget},
               {Io, Ends::FailsAtTarget}}}},
        };
        for (const auto& [fault, cells] : rows) {
            for (int c = 0; c < 4; ++c) {
                const Command command = Command(c);
                QTest::addRow("%s, %s", Name(command), qPrintable(fault))
                    << command << fault << cells[c].message << cells[c].ends;
            }
        }
    }

    void matrix()
    {
        QFETCH(Command, command);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(Ends, ends);

        PanelFixture f;
        ConfigImage panelImage{};
        panelImage.fill(0x11);
        f.panel.SetImage(panelImage);
        f.panel.SetFamily(1);
        if (fault == "ident") {
            f.panel.SetIdentBytes({0x03, 0x20, 0x07, 0x33});
        } else if (fault == "firmware") {
            f.panel.SetFirmware(1, 6);
        } else {
            const bool anyRequest = fault == "busy" || fault == "apply-not-started";
            const auto parsed =
                PanelFault::Parse(anyRequest ? fault : fault + "," + Target(command));
            QVERIFY(parsed);
            f.panel.AddFault(*parsed);
        }
        f.main->SBNewConfigClick();
        const ConfigImage image = f.main->State().Image;
        const QString title = f.main->windowTitle();

        switch (command) {
            case Command::Read: f.Tool("SBReadConfig")->click(); break;
            case Command::Write: f.Tool("SBWriteConfig")->click(); break;
            case Command::Apply: f.Tool("SBApplyConfig")->click(); break;
            case Command::Info: f.Action("N20")->trigger(); break;
        }

        // The message, and for information the box of a success.
        QStringList boxes = f.messageTexts();
        if (command == Command::Info && message.isEmpty()) {
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes[0].startsWith("—  Тип прибора:"), qPrintable(boxes[0]));
            boxes.clear();
        }
        QCOMPARE(boxes, message.isEmpty() ? QStringList() : QStringList{message});
        if (fault == "vanish") {
            const QString detail = f.app->prompts.messages().constFirst().detail;
            QVERIFY2(detail.startsWith(QStringLiteral("Адаптер отключён: ")), qPrintable(detail));
        }

        // Nothing after the failing step.
        const QStringList full = FullSequence(command);
        QStringList expected = full;
        switch (ends) {
            case Ends::Completes: break;
            case Ends::FailsAtTarget: expected = full.mid(0, TargetIndex(command) + 1); break;
            case Ends::FailsAtIdent: expected = full.mid(0, 1); break;
            case Ends::FailsAtVersion: expected = full.mid(0, 2); break;
            case Ends::FailsInPolls:
                expected = full.mid(0, 3);
                for (int i = 0; i < 25; ++i)
                    expected << "poll";
                break;
        }
        QCOMPARE(f.requestKinds(), expected);
        if (command == Command::Read && ends == Ends::FailsAtTarget)
            QCOMPARE(f.L4()->text(), QStringLiteral("Block: 3"));
        if (command == Command::Write && ends == Ends::FailsAtTarget)
            QCOMPARE(f.L4()->text(), QStringLiteral("2"));

        // What the configuration keeps: everything, unless a read or a
        // write went through.
        const bool success = ends == Ends::Completes && message.isEmpty();
        if (command == Command::Read && success) {
            QCOMPARE(f.main->State().FamilyCode, 1);
            QCOMPARE(f.main->windowTitle(), QStringLiteral("[Readed] - Orlix Configuration tool"));
        } else {
            QVERIFY(f.main->State().Image == image);
            QCOMPARE(f.main->State().FamilyCode, 0);
            const bool written = command == Command::Write && success;
            QCOMPARE(f.main->windowTitle(),
                     written ? QStringLiteral("Orlix Configuration tool") : title);
        }

        // Closed, restored, and the port free for another program at once.
        QVERIFY(!f.main->Channel().IsOpen());
        QVERIFY(f.main->Channel().Buffer == nullptr);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QVERIFY(TFMain::ReadMayStart());
        QVERIFY(TFMain::WriteMayStart());
        if (fault != "vanish") {
            TModbus other;
            QVERIFY(other.OpenPort(f.panel.DevicePath(), 9600, 2, 0, true, 256) !=
                    TModbus::ClosedMarker);
        }
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "tst_fault_matrix.moc"
