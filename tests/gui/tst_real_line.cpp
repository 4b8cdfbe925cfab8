// The window's device commands on a line as sites have it: answers paced at
// the baud rate after a turnaround, an adapter that echoes every request,
// gaps inside frames, junk still arriving after an answer, an adapter
// pulled in the middle of a command.
#include "app/tfmbparam.h"
#include "image_compare.h"
#include "model/block_crc.h"
#include "model/new_configuration.h"
#include "panel_fixture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

namespace {
ConfigImage Recognisable()
{
    ConfigImage image = NewConfigurationImage();
    for (int i = BlockDirectory[2].Offset; i < BlockDirectory[7].Offset; ++i)
        image[i] = uint8_t(0x21 + i * 7);
    StampBlockCrcs(image);
    return image;
}

// The baud rate entry of the port settings panel for a rate.
int BaudEntry(int baud)
{
    const QList<int> rates{9600, 14400, 19200, 28800, 38400, 57600, 115200};
    return int(rates.indexOf(baud));
}
}  // namespace

class TestRealLine : public QObject {
    Q_OBJECT
private slots:
    void commands_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<bool>("echo");
        QTest::addColumn<int>("turnaroundMs");
        QTest::addColumn<bool>("gaps");  // one character time between the bytes of an answer
        QTest::addColumn<int>("junk");   // bytes after every answer to block 3
        QTest::newRow("echo, 9600") << 9600 << true << 5 << false << 0;
        QTest::newRow("echo, 115200") << 115200 << true << 5 << false << 0;
        QTest::newRow("turnaround 20 ms, gaps") << 9600 << false << 20 << true << 0;
        QTest::newRow("echo, turnaround 20 ms, gaps, 115200") << 115200 << true << 20 << true << 0;
        QTest::newRow("40 junk bytes after block 3") << 9600 << false << 5 << false << 40;
        QTest::newRow("echo, turnaround 20 ms, junk") << 9600 << true << 20 << false << 40;
    }

    // Information, read, write and apply each do what they do on a kind
    // line, with no message, and nothing of the echo or the junk ends in
    // the configuration.
    void commands()
    {
        QFETCH(int, baud);
        QFETCH(bool, echo);
        QFETCH(int, turnaroundMs);
        QFETCH(bool, gaps);
        QFETCH(int, junk);

        PanelFixture f;
        const int charUs = 11 * 1000000 / baud;
        f.panel.SetLineBehaviour({true, turnaroundMs * 1000, gaps ? charUs : 0, echo});
        f.panel.SetLineSettings(baud, true);
        f.main->PortPanel().CBBaudRate->setCurrentIndex(BaudEntry(baud));
        const ConfigImage panelImage = Recognisable();
        f.panel.SetImage(panelImage);
        if (junk > 0) {
            for (const char* request : {"read-block", "write-block"})
                f.panel.AddFault(*PanelFault::Parse(
                    QStringLiteral("extra,bytes=%1,request=%2,block=3").arg(junk).arg(request)));
        }

        f.Action("N20")->trigger();
        QCOMPARE(f.messageTexts().size(), 1);
        QVERIFY2(f.messageTexts()[0].contains("ОРЛ-07"), qPrintable(f.messageTexts()[0]));
        f.app->prompts.shown.clear();

        f.Tool("SBReadConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList());
        QVERIFY(SameBlocks(f.main->State().Image, panelImage, 0, 6));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[Readed] - Orlix Configuration tool"));
        // The status label tells that the line echoes.
        QCOMPARE(f.L4()->text().contains(QStringLiteral("эхо")), echo);

        // A changed configuration goes to the panel whole.
        f.main->State().Image[BlockDirectory[2].Offset] ^= 0xFF;
        ConfigImage sent = f.main->State().Image;
        f.Tool("SBWriteConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList());
        QVERIFY(SameBlocks(f.panel.Image(), f.main->State().Image, 0, 6));
        QVERIFY(SameBlocks(f.panel.Image(), sent, 2, 2));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Orlix Configuration tool"));

        f.Tool("SBApplyConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.panel.ApplyCount(), 1);
        QVERIFY(!f.main->Channel().IsOpen());
    }

    // On an echoing line a panel that stays silent to its polls does not
    // answer them with the echo: the write polls 25 times, as on a line
    // without echo.
    void silentPollsOnEchoingLine()
    {
        PanelFixture f;
        f.panel.SetLineBehaviour({true, 5000, 0, true});
        f.panel.AddFault(*PanelFault::Parse("no-answer,request=poll"));
        f.Tool("SBWriteConfig")->click();
        // Every block's wait ends with its 25th silent poll, as the wait rules
        // of the write have it; no poll was taken as answered by its echo.
        QStringList kinds = f.requestKinds();
        QCOMPARE(kinds.count("poll"), 7);
        QCOMPARE(f.L4()->text(), QStringLiteral("Сбой приема"));
    }

    // The adapter is pulled while the panel takes a request: the command
    // ends at once with its message and, as its second paragraph, the
    // system's reason.
    void adapterPulled_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("request");
        QTest::newRow("read") << "read"
                              << "read-block";
        QTest::newRow("write") << "write"
                               << "write-block";
        QTest::newRow("apply") << "apply"
                               << "apply";
        QTest::newRow("information") << "info"
                                     << "version";
    }
    void adapterPulled()
    {
        QFETCH(QString, command);
        QFETCH(QString, request);
        PanelFixture f;
        f.panel.AddFault(*PanelFault::Parse(
            QStringLiteral("vanish,request=%1%2")
                .arg(request)
                .arg(request == "version" ? QStringLiteral(",after=1") : QString())));
        QElapsedTimer timer;
        timer.start();
        if (command == "read")
            f.Tool("SBReadConfig")->click();
        else if (command == "write")
            f.Tool("SBWriteConfig")->click();
        else if (command == "apply")
            f.Tool("SBApplyConfig")->click();
        else
            f.Action("N20")->trigger();
        QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));
        const auto& boxes = f.app->prompts.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("Ошибка I/O."));
        QVERIFY2(boxes[0].detail.startsWith(QStringLiteral("Адаптер отключён: ")),
                 qPrintable(boxes[0].detail + " / L4: " + f.L4()->text()));
        QVERIFY(boxes[0].detail.size() > QStringLiteral("Адаптер отключён: ").size());
        QVERIFY(!f.main->Channel().IsOpen());
    }
};

QTEST_MAIN(TestRealLine)
#include "tst_real_line.moc"
