#include "app/tfmbparam.h"
#include "fake_port_line.h"
#include "image_compare.h"
#include "model/block_crc.h"
#include "panel_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

#include <atomic>

namespace {
// A recognisable configuration for a panel of the given family.
ConfigImage PanelImage(int family)
{
    ConfigImage image{};
    for (int i = 0; i < ConfigImageSize; ++i)
        image[i] = uint8_t(0x80 + i * 3);
    image[0] = family == 1 ? 0 : 1;
    image[1] = family == 1 ? 0 : 1;
    image[2] = family == 1 ? 12 : 16;
    image[3] = 0x01;
    image[5] = 20;
    image[22] = 9;
    image[23] = 3;
    image[24] = 0x30;
    return image;
}

// Every device command ends with the port closed, the cursor back and its
// flag set again, whatever happened.
void VerifyClosed(PanelFixture& f)
{
    QVERIFY(!f.main->Channel().IsOpen());
    QVERIFY(f.main->Channel().Buffer == nullptr);
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(TFMain::ReadMayStart());
    QVERIFY(TFMain::WriteMayStart());
}
}  // namespace

class TestDeviceCommands : public QObject {
    Q_OBJECT
private slots:
    void read_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("model");
        QTest::newRow("ОРЛ-07") << 0 << "ОРЛ-07-02";
        QTest::newRow("ОРЛ-09") << 1 << "ОРЛ-09";
    }

    // The family comes from the identification and is set before the pages
    // refresh: the ОРЛ-09 bytes 0, 0, 12 only find their model with family 1.
    void read()
    {
        QFETCH(int, family);
        QFETCH(QString, model);
        PanelFixture f;
        f.panel.SetFamily(family);
        f.panel.SetImage(PanelImage(family));
        ConfigState& state = f.main->State();
        for (int i = BlockDirectory[7].Offset; i < ConfigImageSize; ++i)
            state.Image[i] = 0x5A;
        state.HasFileName = true;
        state.CurrentFileName = "/tmp/bound.cfg";
        f.Page3()->ENetAddress->setText("77");  // not collected: overwritten

        f.Tool("SBReadConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.requestKinds(), (QStringList{"ident", "version", "read 0", "read 1", "read 2",
                                                "read 3", "read 4", "read 5", "read 6"}));
        // 20 ms before the version request, after connecting plus before block
        // 0, and before every further block.
        const QString shortfall = f.pauseShortfall({0, 20, 40, 20, 20, 20, 20, 20, 20});
        QVERIFY2(shortfall.isEmpty(), qPrintable(shortfall));
        QVERIFY(SameBlocks(state.Image, PanelImage(family), 0, 6));
        for (int i = BlockDirectory[7].Offset; i < ConfigImageSize; ++i)
            QCOMPARE(int(state.Image[i]), 0x5A);  // blocks 7..9 kept
        QCOMPARE(state.FamilyCode, family);
        QCOMPARE(f.Page2()->CBConfig->currentText(), model);
        QCOMPARE(f.Page2()->CBMBusTimeout->currentIndex(), 19);
        QCOMPARE(f.Page3()->ENetAddress->text(), QStringLiteral("9"));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[Readed] - Orlix Configuration tool"));
        QCOMPARE(f.app->app.Title, f.main->windowTitle());
        QCOMPARE(f.main->StatusText(), QStringLiteral(" ver 1.70"));
        QVERIFY(!state.HasFileName);
        VerifyClosed(f);

        // Save asks for a name even though a file had been bound before.
        f.main->SBSaveFileClick();
        QCOMPARE(f.app->prompts.shown.last().kind, FakePrompts::Shown::FileDialog);
    }

    // The tool holds an ОРЛ-07 configuration and reads an ОРЛ-09 panel:
    // nothing of the panel's, its family included, is taken.
    // A spoilt answer to block 3, or an intact one for another request
    // (another panel at the address, a repeater), fails the read there.
    void readFailsAtBlock3_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("corrupted CRC") << QStringLiteral("crc,request=read-block,block=3");
        QTest::newRow("from another address")
            << QStringLiteral("foreign,request=read-block,block=3,as-address=2");
        QTest::newRow("another function")
            << QStringLiteral("foreign,request=read-block,block=3,as-function=3");
    }
    void readFailsAtBlock3()
    {
        QFETCH(QString, fault);
        PanelFixture f;
        f.panel.SetFamily(1);
        f.panel.SetImage(PanelImage(1));
        f.panel.AddFault(*PanelFault::Parse(fault));
        f.main->SBNewConfigClick();
        const ConfigImage before = f.main->State().Image;
        const QString title = f.main->windowTitle();

        f.Action("MIRead")->trigger();
        QCOMPARE(f.messageTexts(), QStringList{"Ошибка I/O."});
        QCOMPARE(f.L4()->text(), QStringLiteral("Block: 3"));
        QVERIFY(f.main->State().Image == before);
        QCOMPARE(f.main->State().FamilyCode, 0);
        QCOMPARE(f.Page2()->CBConfig->currentText(), QStringLiteral("ОРЛ-07"));
        QCOMPARE(f.main->windowTitle(), title);
        QCOMPARE(f.requestKinds().last(), QStringLiteral("read 3"));
        VerifyClosed(f);
    }

    void writeCancelled()
    {
        PanelFixture f;
        f.Page2()->CBLineControl->setChecked(true);
        f.app->prompts.answers.enqueue(false);
        f.Tool("SBWriteConfig")->click();
        const auto& q = f.app->prompts.shown.first();
        QCOMPARE(q.kind, FakePrompts::Shown::Question);
        QCOMPARE(q.text, QStringLiteral("Передать данные программирования?"));
        QCOMPARE(q.caption, QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(q.icon, Prompts::Icon::Question);
        QVERIFY(!q.okIsDefault);
        QVERIFY(f.panel.Requests().isEmpty());
        QCOMPARE(int(f.main->State().Image[5]), 0);  // not collected
        VerifyClosed(f);
    }

    void writeToReadyPanel()
    {
        PanelFixture f;
        ConfigImage panelBefore{};
        panelBefore.fill(0xEE);
        f.panel.SetImage(panelBefore);
        // Bound to a file: the write resets the title but keeps the binding.
        QTemporaryDir dir;
        const QString file = dir.filePath("bound.cfg");
        f.app->prompts.fileNames.enqueue(file);
        f.main->SBSaveAsFileClick(true);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[bound.cfg] - Orlix Configuration tool"));
        f.Page2()->CBLineControl->setChecked(true);
        f.Page2()->CBMBusTimeout->setCurrentIndex(29);
        for (int i = 233; i < ConfigImageSize; ++i)
            f.main->State().Image[i] = 0x11;

        f.Action("MIWrite")->trigger();
        QCOMPARE(f.messageTexts(), QStringList());
        QStringList expected{"ident", "version"};
        for (int n = 0; n < 7; ++n)
            expected << QStringLiteral("write %1").arg(n) << QStringLiteral("poll");
        QCOMPARE(f.requestKinds(), expected);
        // 20 ms before each block and before each poll.
        QList<int> pauses{0, 20};
        for (int n = 0; n < 7; ++n)
            pauses << 20 << 20;
        const QString shortfall = f.pauseShortfall(pauses);
        QVERIFY2(shortfall.isEmpty(), qPrintable(shortfall));
        const ConfigImage held = f.panel.Image();
        QCOMPARE(int(f.main->State().Image[5]), 30);  // collected before sending
        QVERIFY(SameBlocks(held, f.main->State().Image, 0, 6));
        QVERIFY(SameBlocks(held, panelBefore, 7, 9));  // blocks 7..9 never travel
        // The write of block 1: 15 bytes with the count 0x09.
        const QByteArray write1 = f.panel.Requests()[4];
        QCOMPARE(write1.size(), 15);
        QCOMPARE(int(write1[3]), 0x09);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(f.app->app.Title, QStringLiteral("Orlix Configuration tool"));
        QVERIFY(f.main->State().HasFileName);
        VerifyClosed(f);

        const int shown = f.app->prompts.shown.size();
        f.main->SBSaveFileClick();
        QCOMPARE(f.app->prompts.shown.size(), shown);  // no dialog
        QCOMPARE(int(QFile(file).size()), 514);
    }

    // A busy panel, or ready answers that come from another panel, never
    // end the wait for block 0.
    void writeToBusyPanelFailsAfter25Polls_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("busy") << QStringLiteral("busy");
        QTest::newRow("ready, from another address")
            << QStringLiteral("foreign,request=poll,as-address=2");
    }
    void writeToBusyPanelFailsAfter25Polls()
    {
        QFETCH(QString, fault);
        PanelFixture f;
        f.panel.AddFault(*PanelFault::Parse(fault));
        f.Tool("SBWriteConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList{"Ошибка I/O."});
        QStringList expected{"ident", "version", "write 0"};
        for (int i = 0; i < 25; ++i)
            expected << QStringLiteral("poll");
        QCOMPARE(f.requestKinds(), expected);
        VerifyClosed(f);
    }

    // A block write that fails, by a spoilt answer or by the panel's
    // refusal, ends the write there: the blocks before it are on the panel,
    // nothing after it is sent, and the title does not claim success.
    void writeBlockFails_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("corrupted answer") << false;
        QTest::newRow("refused by the panel") << true;
    }
    void writeBlockFails()
    {
        QFETCH(bool, refused);
        PanelFixture f;
        ConfigImage panelBefore{};
        panelBefore.fill(0xEE);
        f.panel.SetImage(panelBefore);
        PanelFault bad;
        bad.Request = PanelRequest::WriteBlock;
        bad.Block = 2;
        if (refused) {
            bad.Kind = PanelFault::Action::Exception;
            bad.ExceptionCode = 0x04;
        } else {
            bad.CorruptCrc = true;
        }
        f.panel.AddFault(bad);
        QTemporaryDir dir;
        f.app->prompts.fileNames.enqueue(dir.filePath("bound.cfg"));
        f.main->SBSaveAsFileClick(true);

        f.Tool("SBWriteConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList{"Ошибка I/O."});
        QCOMPARE(f.L4()->text(), QStringLiteral("2"));
        QCOMPARE(f.requestKinds(), (QStringList{"ident", "version", "write 0", "poll", "write 1",
                                                "poll", "write 2"}));
        const ConfigImage held = f.panel.Image();
        QVERIFY(SameBlocks(held, f.main->State().Image, 0, 1));
        QVERIFY(SameBlocks(held, panelBefore, 3, 6));
        if (refused)
            QVERIFY(SameBlocks(held, panelBefore, 2, 2));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[bound.cfg] - Orlix Configuration tool"));
        VerifyClosed(f);
    }

    // A line whose frames never leave (a stuck adapter) ends the command
    // at the send limit with its message and its closing steps.
    void stuckLineEndsTheCommand_data()
    {
        QTest::addColumn<bool>("inDrain");
        QTest::newRow("the driver takes no byte") << false;
        QTest::newRow("the bytes never leave") << true;
    }
    void stuckLineEndsTheCommand()
    {
        QFETCH(bool, inDrain);
        PanelFixture f;
        auto script = std::make_shared<FakePortLine::Script>();
        script->Stalls = inDrain ? FakePortLine::Stall::Drain : FakePortLine::Stall::Write;
        f.main->Channel().SetLineFactory(FakePortLine::Factory(script));
        QElapsedTimer timer;
        timer.start();
        f.Tool("SBReadConfig")->click();
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(f.messageTexts(),
                 QStringList{"Устройство № 1  (ORL-SIM1)  не отвечает на запросы."});
        QCOMPARE(f.L4()->text(), QStringLiteral("Сбой посылки"));
        const int limit = f.main->Channel().SendLimitMs(4);
        QVERIFY2(elapsed >= limit && elapsed < limit + 2000, qPrintable(QString::number(elapsed)));
        QCOMPARE(script->Events.last(), QStringLiteral("close"));
        VerifyClosed(f);
    }

    void apply_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("answers 1") << QStringLiteral("apply-not-started,request=apply")
                                   << QStringList{"Программирование не запускалось."};
        QTest::newRow("answers 0") << QString() << QStringList();
        QTest::newRow("exception 4") << QStringLiteral("exception,code=4,request=apply")
                                     << QStringList{"Панель отвергла применение: код 4."};
        // An exception whose code is 1 is a refusal, not the answer 1.
        QTest::newRow("exception 1") << QStringLiteral("exception,code=1,request=apply")
                                     << QStringList{"Панель отвергла применение: код 1."};
        QTest::newRow("another panel's answer 1")
            << QStringLiteral("apply-not-started,request=apply,as-address=7")
            << QStringList{"Ошибка I/O."};
    }

    void apply()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, messages);
        PanelFixture f;
        if (!fault.isEmpty())
            f.panel.AddFault(*PanelFault::Parse(fault));
        const ConfigImage before = f.main->State().Image;
        f.Tool("SBApplyConfig")->click();
        QCOMPARE(f.messageTexts(), messages);
        QCOMPARE(f.requestKinds(), (QStringList{"ident", "version", "apply"}));
        const QString shortfall = f.pauseShortfall({0, 20, 20});
        QVERIFY2(shortfall.isEmpty(), qPrintable(shortfall));
        QCOMPARE(f.requestsHex().last(), QStringLiteral("01 46 00 01 03 4D 19"));
        QVERIFY(f.main->State().Image == before);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Orlix Configuration tool"));
        VerifyClosed(f);
    }

    // Firmware 1.6 is refused by read, write and apply alike.
    void versionConflict()
    {
        PanelFixture f;
        f.panel.SetFirmware(1, 6);
        f.Tool("SBReadConfig")->click();
        f.Tool("SBWriteConfig")->click();
        f.Tool("SBApplyConfig")->click();
        const QString message =
            QStringLiteral("Конфликт версий ПО - требуется программатор v1.60.");
        QCOMPARE(f.messageTexts(), (QStringList{message, message, message}));
        QCOMPARE(f.requestKinds(),
                 (QStringList{"ident", "version", "ident", "version", "ident", "version"}));
        VerifyClosed(f);
    }

    void versionMessageFormat()
    {
        PanelFixture f;
        f.panel.SetFirmware(2, 0);
        f.Tool("SBApplyConfig")->click();
        QCOMPARE(f.messageTexts(),
                 QStringList{"Конфликт версий ПО - требуется программатор v2.00."});
    }

    void wrongDevice()
    {
        PanelFixture f;
        f.panel.SetIdentBytes({0x03, 0x20, 0x07, 0x33});
        f.EDeviceAddr()->setText("1");
        f.Tool("SBReadConfig")->click();
        QCOMPARE(f.messageTexts(),
                 QStringList{"Устройство № 1  (ORL-SIM1)  не является ОРЛ-07 или ОРЛ-09."});
        VerifyClosed(f);
        // Closed for real: another program can take the port now.
        TModbus other;
        QVERIFY(other.OpenPort(f.panel.DevicePath(), 9600, 2, 0, true, 256) !=
                TModbus::ClosedMarker);
    }

    void noAnswer()
    {
        PanelFixture f;
        f.panel.SetAddress(5);  // nobody at address 1
        QElapsedTimer timer;
        timer.start();
        f.Tool("SBReadConfig")->click();
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(f.messageTexts(),
                 QStringList{"Устройство № 1  (ORL-SIM1)  не отвечает на запросы."});
        QVERIFY2(elapsed >= 950 && elapsed < 2500, qPrintable(QString::number(elapsed)));
        QCOMPARE(f.L4()->text(), QStringLiteral("Сбой приема"));
        VerifyClosed(f);
    }

    // The port cannot be had: the box says why, in the tool's words.
    void portHeldElsewhere_data()
    {
        QTest::addColumn<bool>("openFolder");
        QTest::addColumn<QString>("why");
        QTest::newRow("held by another program") << false << "порт занят другой программой";
        QTest::newRow("ports folder open to all")
            << true << "к ней есть доступ у группы или у всех (права 777)";
    }
    void portHeldElsewhere()
    {
        QFETCH(bool, openFolder);
        QFETCH(QString, why);
        PanelFixture f;
        TModbus other;
        if (openFolder)
            QVERIFY(QFile::setPermissions(f.portsDir.path(), QFileDevice::Permissions(0x7777)));
        else
            QVERIFY(other.OpenPort(f.panel.DevicePath(), 9600, 2, 0, true, 256) !=
                    TModbus::ClosedMarker);
        f.Tool("SBApplyConfig")->click();
        const auto boxes = f.app->prompts.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Невозможно открыть порт ORL-SIM1."));
        QVERIFY2(boxes[0].detail.contains(why), qPrintable(boxes[0].detail));
        QVERIFY(f.panel.Requests().isEmpty());
        VerifyClosed(f);
    }

    void emptyPortList()
    {
        PanelFixture f;
        f.main->PortPanel().CBCOMPort->clear();
        f.Tool("SBReadConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList{"Невозможно открыть порт "});
        VerifyClosed(f);
    }

    // A pasted address stops read and write before anything is sent; apply
    // stops inside the connection.
    void badAddress()
    {
        PanelFixture f;
        f.EDeviceAddr()->setText("12ab");
        f.Tool("SBReadConfig")->click();
        f.Tool("SBWriteConfig")->click();
        f.Tool("SBApplyConfig")->click();
        const QString m = QStringLiteral("'12ab' is not a valid integer value.");
        QCOMPARE(f.messageTexts(), (QStringList{m, m, m}));
        QVERIFY(f.panel.Requests().isEmpty());
        VerifyClosed(f);
    }

    void addressOnTheWire()
    {
        PanelFixture f;
        f.panel.SetAddress(200);
        f.EDeviceAddr()->setText("200");
        f.Tool("SBApplyConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList());
        QVERIFY(f.requestsHex().first().startsWith(QStringLiteral("C8 11")));
    }

    void flagsGuardReentry_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");        // asked for while the first ends
        QTest::addColumn<QStringList>("commands");  // the exchanges the panel saw
        QTest::newRow("read during a read") << "read"
                                            << "read" << QStringList{"read"};
        QTest::newRow("write during a write") << "write"
                                              << "write" << QStringList{"write"};
        QTest::newRow("write during a read") << "read"
                                             << "write" << QStringList{"read", "write"};
        QTest::newRow("read during a write") << "write"
                                             << "read" << QStringList{"write", "read"};
    }

    // A second command, asked for while the first still runs (it arrives
    // with the window messages the first lets through at its end), does not
    // start when it is of the same kind; one of the other kind does.
    void flagsGuardReentry()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QStringList, commands);
        PanelFixture f;
        auto command = [](const QString& kind) {
            return kind == "read" ? &TFMain::ReadDataFromDevice : &TFMain::WriteDataToDevice;
        };
        std::atomic<bool> asked{false};
        const auto secondCommand = command(second);
        // The last block of the first command is on the line: the second
        // request waits in the window messages.
        f.panel.SetFrameLogger([&](SimulatedPanel::Direction dir, const QByteArray& frame) {
            const bool lastBlock = frame.size() > 5 && uint8_t(frame[1]) == 0x46 &&
                                   (frame[4] == 1 || frame[4] == 2) && frame[5] == 6;
            if (dir != SimulatedPanel::Direction::Request || !lastBlock || asked.exchange(true))
                return;
            QMetaObject::invokeMethod(
                f.main,
                [&f, secondCommand] {
                    f.app->app.RunCommand([&f, secondCommand] { (f.main->*secondCommand)(); });
                },
                Qt::QueuedConnection);
        });
        QVERIFY(f.app->app.RunCommand([&] { (f.main->*command(first))(); }));
        QCoreApplication::processEvents();
        f.panel.SetFrameLogger({});
        QVERIFY(asked);

        QStringList seen;
        for (const QString& kind : f.requestKinds())
            if (kind == "ident")
                seen << QString();
            else if (kind.startsWith("read") || kind.startsWith("write"))
                seen.last() = kind.section(' ', 0, 0);
        QCOMPARE(seen, commands);
        // One question per write that started, and no error.
        QCOMPARE(f.app->prompts.shown.size(), int(commands.count("write")));
        QCOMPARE(f.app->prompts.messages().size(), 0);
        QVERIFY(TFMain::ReadMayStart() && TFMain::WriteMayStart());
    }
};

QTEST_MAIN(TestDeviceCommands)
#include "tst_device_commands.moc"
