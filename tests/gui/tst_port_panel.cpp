#include "app/tfmbparam.h"
#include "link/port_registry.h"
#include "panel_fixture.h"
#include "widgets/rounded_group_box.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <termios.h>

class TestPortPanel : public QObject {
    Q_OBJECT
private slots:
    void controls()
    {
        PanelFixture f;
        TFMBParam* p = &f.main->PortPanel();
        QCOMPARE(p->size(), QSize(175, 226));
        QVERIFY(qAbs(p->windowOpacity() - 240.0 / 255.0) < 0.01);
        QVERIFY(p->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(!p->isVisible());
        QCOMPARE(p->Label1->text(), QStringLiteral("COM-порт"));
        QCOMPARE(p->Label2->text(), QStringLiteral("Скорость"));
        QCOMPARE(p->CBBaudRate->count(), 7);
        QCOMPARE(p->CBBaudRate->itemText(0), QStringLiteral("9600     бод"));
        QCOMPARE(p->CBBaudRate->itemText(6), QStringLiteral("115200 бод"));
        QCOMPARE(p->CBBaudRate->currentIndex(), 0);
        QCOMPARE(p->AGBStopBits->title(), QStringLiteral(" Стоп-биты"));
        QCOMPARE(p->AGBParity->title(), QStringLiteral(" Паритет "));
        QVERIFY(p->RBTwoStopBits->isChecked());
        QVERIFY(p->RBNoParity->isChecked());
        QCOMPARE(p->RBOneStopBits->text(), QStringLiteral("Один"));
        QCOMPARE(p->RBEvenParity->text(), QStringLiteral("Четный"));
        QCOMPARE(p->RBOddParity->text(), QStringLiteral("Нечетный"));
        const LinkSettings s = p->Settings();
        QCOMPARE(s.Line.BaudRate, 9600);
        QCOMPARE(s.Line.StopBits, 2);
        QVERIFY(s.Line.Parity == Parity::None);
        QCOMPARE(s.AddressText, QStringLiteral("1"));
        QCOMPARE(s.DevicePath, f.panel.DevicePath());
    }

    // The list is filled from the registry, sorted, with entry 0 selected.
    void portListAtCreation()
    {
        QTemporaryDir dir;
        qputenv("ORLIX_PORTS_DIR", dir.path().toLocal8Bit());
        QVERIFY(PortRegistry::RegisterVirtualPort(dir.path(), "ZZ-LAST", "/dev/null"));
        QVERIFY(PortRegistry::RegisterVirtualPort(dir.path(), "AA-FIRST", "/dev/null"));
        AppFixture a;
        QComboBox* ports = a.main->PortPanel().CBCOMPort;
        QStringList names;
        for (int i = 0; i < ports->count(); ++i)
            names << ports->itemText(i);
        QVERIFY(names.contains("AA-FIRST") && names.contains("ZZ-LAST"));
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end(), [](const QString& x, const QString& y) {
            return x.compare(y, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(names, sorted);
        QCOMPARE(ports->currentIndex(), 0);
        qunsetenv("ORLIX_PORTS_DIR");
    }

    // Showing the panel lists the ports anew and keeps the chosen one.
    void portListRefreshedOnShow()
    {
        PanelFixture f;
        TFMBParam* p = &f.main->PortPanel();
        QVERIFY(PortRegistry::RegisterVirtualPort(f.portsDir.path(), "AAA-NEW", "/dev/null"));
        QVERIFY(p->CBCOMPort->findText("AAA-NEW") < 0);
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        f.Tool("SBMBusParameters")->click();
        QVERIFY(p->isVisible());
        QVERIFY(p->CBCOMPort->findText("AAA-NEW") >= 0);
        QCOMPARE(p->CBCOMPort->currentText(), QStringLiteral("ORL-SIM1"));
        p->hide();
        // A port that went away leaves the first entry chosen.
        QVERIFY(PortRegistry::UnregisterVirtualPort(f.portsDir.path(), "ORL-SIM1"));
        f.Tool("SBMBusParameters")->click();
        QCOMPARE(p->CBCOMPort->currentIndex(), 0);
        QVERIFY(p->CBCOMPort->findText("ORL-SIM1") < 0);
        p->hide();
    }

    // The panel drops down under the tool button, overlapping its bottom
    // row, from the button and from the menu alike; the button looks raised
    // while it is open.
    void placementAndLook()
    {
        PanelFixture f;
        TFMBParam* p = &f.main->PortPanel();
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        QToolButton* b = f.Tool("SBMBusParameters");
        const QPoint expected = b->mapToGlobal(QPoint(0, b->height() - 1));
        QVERIFY(b->autoRaise());
        b->click();
        QVERIFY(p->isVisible());
        QCOMPARE(p->pos(), expected);
        QVERIFY(!b->autoRaise());
        p->hide();
        QVERIFY(b->autoRaise());
        f.Action("MIConnection")->trigger();
        QVERIFY(p->isVisible());
        QCOMPARE(p->pos(), expected);
        p->hide();
    }

    void closeKeysKeepChoices_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Esc") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }

    void closeKeysKeepChoices()
    {
        QFETCH(int, key);
        PanelFixture f;
        TFMBParam* p = &f.main->PortPanel();
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        f.Tool("SBMBusParameters")->click();
        QVERIFY(p->isVisible());
        QTest::mouseClick(p->RBOddParity, Qt::LeftButton, {},
                          QPoint(4, p->RBOddParity->height() / 2));
        QTest::mouseClick(p->RBOneStopBits, Qt::LeftButton, {},
                          QPoint(4, p->RBOneStopBits->height() / 2));
        QTest::keyClick(p->CBCOMPort, Qt::Key(key));
        QVERIFY(!p->isVisible());
        QVERIFY(p->RBOddParity->isChecked());
        const LinkSettings s = p->Settings();
        QVERIFY(s.Line.Parity == Parity::Odd);
        QCOMPARE(s.Line.StopBits, 1);
    }

    // The line is opened with the chosen settings: looked at on the open
    // port as the last frame goes out. The port is let go before the
    // information box waits for the user.
    void lineSettings_data()
    {
        QTest::addColumn<int>("rateIndex");
        QTest::addColumn<int>("speed");
        QTest::newRow("115200") << 6 << int(B115200);
        QTest::newRow("19200") << 2 << int(B19200);
        QTest::newRow("9600") << 0 << int(B9600);
    }

    void lineSettings()
    {
        QFETCH(int, rateIndex);
        QFETCH(int, speed);
        PanelFixture f;
        f.main->PortPanel().CBBaudRate->setCurrentIndex(rateIndex);
        QCOMPARE(f.main->PortPanel().Settings().Line.BaudRate,
                 f.main->PortPanel().CBBaudRate->currentText().section(' ', 0, 0).toInt());
        // The panel answers only at its own rate.
        f.panel.SetLineSettings(f.main->PortPanel().Settings().Line.BaudRate, true);
        int seen = -1;
        f.main->Channel().SetTraceSink([&](TraceKind, const uint8_t*, int) {
            termios tio{};
            if (tcgetattr(f.main->Channel().PortHandle, &tio) == 0)
                seen = int(cfgetospeed(&tio));
        });
        bool open = true;
        f.app->prompts.onShow = [&](const FakePrompts::Shown&) {
            open = f.main->Channel().IsOpen();
        };
        f.Action("N20")->trigger();
        QCOMPARE(f.app->prompts.messages().size(), 1);
        QVERIFY(!open);
        QCOMPARE(seen, speed);
        QVERIFY(!f.main->Channel().IsOpen());
    }

    void information_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");
        QTest::newRow("ОРЛ-07 1.7 rev 3")
            << 0 << 1 << 7 << 3
            << "—  Тип прибора:            ОРЛ-07\n—  Firmware version:     1.7\n"
               "—  Hardware revision:    0x03";
        QTest::newRow("ОРЛ-09 1.10 rev 255")
            << 1 << 1 << 10 << 255
            << "—  Тип прибора:            ОРЛ-09\n—  Firmware version:     1.10\n"
               "—  Hardware revision:    0xFF";
        QTest::newRow("firmware 1.6 still shown")
            << 0 << 1 << 6 << 10
            << "—  Тип прибора:            ОРЛ-07\n—  Firmware version:     1.6\n"
               "—  Hardware revision:    0x0A";
    }

    void information()
    {
        QFETCH(int, family);
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        PanelFixture f;
        f.panel.SetFamily(family);
        f.panel.SetFirmware(uint8_t(major), uint8_t(minor));
        f.panel.SetHardwareRevision(uint8_t(revision));
        f.Action("N20")->trigger();
        const auto boxes = f.app->prompts.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].caption, QStringLiteral("Информация об устройстве №1  (ORL-SIM1)"));
        QCOMPARE(boxes[0].text, text);
        QCOMPARE(boxes[0].icon, Prompts::Icon::Information);
        // The version is asked twice: in the connection and for the box.
        QCOMPARE(f.requestKinds(), (QStringList{"ident", "version", "version"}));
        // The version goes to the panel twice, 20 ms after the answer before.
        const QString shortfall = f.pauseShortfall({0, 20, 20});
        QVERIFY2(shortfall.isEmpty(), qPrintable(shortfall));
        QVERIFY(!f.main->Channel().IsOpen());
    }

    void informationCorruptVersion()
    {
        PanelFixture f;
        PanelFault fault;
        fault.Request = PanelRequest::ReadVersion;
        fault.CorruptCrc = true;
        fault.Count = 1;
        // The first version answer (inside the connection) is intact.
        PanelFault pass;
        pass.Request = PanelRequest::ReadVersion;
        pass.Count = 1;
        f.panel.AddFault(pass);
        f.panel.AddFault(fault);
        int beeps = 0;
        f.main->Channel().SetAlertSink([&] { ++beeps; });
        f.Action("N20")->trigger();
        QCOMPARE(f.messageTexts(), QStringList{"Ошибка I/O."});
        QCOMPARE(beeps, 1);
        QVERIFY(f.L4()->text().startsWith(QStringLiteral("CRC: ")));
        QVERIFY(!f.main->Channel().IsOpen());
    }

    void informationAddressInCaption()
    {
        PanelFixture f;
        f.panel.SetAddress(42);
        f.EDeviceAddr()->setText("042");
        f.Action("N20")->trigger();
        const auto boxes = f.app->prompts.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].caption, QStringLiteral("Информация об устройстве №42  (ORL-SIM1)"));
    }
};

QTEST_MAIN(TestPortPanel)
#include "tst_port_panel.moc"
