#include "app_fixture.h"
#include "pages/mbus_settings_page.h"
#include "widgets/rounded_group_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

class TestMBusSettingsPage : public QObject {
    Q_OBJECT
private slots:
    void controls()
    {
        AppFixture f;
        TMBusSettingsPage* p = f.Page3();
        QCOMPARE(p->Label2->text(), QStringLiteral("Сетевой адрес"));
        QCOMPARE(p->Label3->text(), QStringLiteral("Скорость"));
        QVERIFY(p->Label2->font().bold());
        QCOMPARE(p->ENetAddress->geometry().topLeft(), QPoint(144, 18));
        QCOMPARE(p->ENetAddress->width(), 40);
        const QStringList rates{"9600     бод", "14400   бод", "19200   бод", "28800   бод",
                                "38400   бод",  "57600   бод", "115200 бод"};
        QCOMPARE(p->CBBaudRate->count(), 7);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(p->CBBaudRate->itemText(i), rates[i]);
        QCOMPARE(p->AGBStopBits->title(), QStringLiteral(" Стоп-биты "));
        QCOMPARE(p->AGBStopBits->geometry(), QRect(20, 76, 167, 59));
        QCOMPARE(p->AGBParity->title(), QStringLiteral(" Паритет "));
        QCOMPARE(p->AGBParity->geometry(), QRect(20, 140, 167, 100));
        QCOMPARE(p->RBTwoStopBits->text(), QStringLiteral("Два"));
        QCOMPARE(p->RBOneStopBits->text(), QStringLiteral("Один"));
        QCOMPARE(p->RBNoParity->text(), QStringLiteral("Отсутствует"));
        QCOMPARE(p->RBEvenParity->text(), QStringLiteral("Четный"));
        QCOMPARE(p->RBOddParity->text(), QStringLiteral("Нечетный"));
        QCOMPARE(p->RBOddParity->pos(), QPoint(14, 72));
        QCOMPARE(p->RBOneStopBits->pos(), QPoint(86, 26));
    }

    void newDefaults()
    {
        AppFixture f;
        TMBusSettingsPage* p = f.Page3();
        f.main->SBNewConfigClick();
        QCOMPARE(p->ENetAddress->text(), QStringLiteral("1"));
        QCOMPARE(p->CBBaudRate->currentText(), QStringLiteral("9600     бод"));
        QVERIFY(p->RBTwoStopBits->isChecked());
        QVERIFY(p->RBNoParity->isChecked());
        QCOMPARE(f.bytes(22, 7), (QList<int>{1, 47, 8, 115, 6, 0, 0}));
    }

    void setStoresControls_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("twoStop");
        QTest::addColumn<QString>("parity");
        QTest::addColumn<QList<int>>("stored");  // bytes 1..4
        QTest::newRow("115200 one odd") << 6 << false << "odd" << QList<int>{3, 0x30, 115, 6};
        QTest::newRow("9600 two even") << 0 << true << "even" << QList<int>{47, 0x28, 115, 6};
        QTest::newRow("57600 two none") << 5 << true << "none" << QList<int>{7, 0x08, 115, 6};
        QTest::newRow("14400 one even") << 1 << false << "even" << QList<int>{31, 0x20, 115, 6};
        QTest::newRow("38400 two odd") << 4 << true << "odd" << QList<int>{11, 0x38, 115, 6};
    }

    void setStoresControls()
    {
        QFETCH(int, rate);
        QFETCH(bool, twoStop);
        QFETCH(QString, parity);
        QFETCH(QList<int>, stored);
        AppFixture f;
        TMBusSettingsPage* p = f.Page3();
        ConfigImage& image = f.main->State().Image;
        image[27] = 0xEE;
        image[28] = 0xDD;
        p->CBBaudRate->setCurrentIndex(rate);
        QTest::mouseClick(twoStop ? p->RBTwoStopBits : p->RBOneStopBits, Qt::LeftButton, {},
                          QPoint(4, 6));
        QRadioButton* r = parity == "odd"    ? p->RBOddParity
                          : parity == "even" ? p->RBEvenParity
                                             : p->RBNoParity;
        QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(4, 6));
        QCOMPARE(int(r->isChecked()), 1);
        QCOMPARE(f.bytes(23, 4), (QList<int>{47, 8, 115, 6}));  // nothing until Set
        f.Page3()->SetMBusSettings();
        QCOMPARE(f.bytes(23, 4), stored);
        QCOMPARE(int(image[27]), 0xEE);
        QCOMPARE(int(image[28]), 0xDD);
    }

    void getShowsImage()
    {
        AppFixture f;
        TMBusSettingsPage* p = f.Page3();
        ConfigImage image = f.main->State().Image;
        image[22] = 17;
        image[23] = 3;
        image[24] = 0x30;
        f.main->ReplaceImage(image, 0);
        QCOMPARE(p->ENetAddress->text(), QStringLiteral("17"));
        QCOMPARE(p->CBBaudRate->currentIndex(), 6);
        QVERIFY(p->RBOneStopBits->isChecked());
        QVERIFY(p->RBOddParity->isChecked());
    }

    // Values the controls cannot show leave them as they were; Set then
    // writes what is shown.
    void unshowableValues()
    {
        AppFixture f;
        TMBusSettingsPage* p = f.Page3();
        p->CBBaudRate->setCurrentIndex(2);
        p->RBEvenParity->setChecked(true);
        ConfigImage image = f.main->State().Image;
        image[22] = 0;     // shown as 1
        image[23] = 99;    // no rate row
        image[24] = 0x10;  // one stop bit, parity bits 01
        image[25] = 1;
        image[26] = 2;
        f.main->ReplaceImage(image, 0);
        QCOMPARE(p->ENetAddress->text(), QStringLiteral("1"));
        QCOMPARE(p->CBBaudRate->currentIndex(), 2);
        QVERIFY(p->RBOneStopBits->isChecked());
        QVERIFY(p->RBEvenParity->isChecked());
        f.Page3()->SetMBusSettings();
        QCOMPARE(f.bytes(22, 5), (QList<int>{1, 23, 0x20, 115, 6}));
    }

    void addressRules()
    {
        AppFixture f;
        QLineEdit* e = f.Page3()->ENetAddress;
        e->clear();
        QCOMPARE(e->text(), QStringLiteral("1"));
        e->selectAll();
        QTest::keyClicks(e, "300");
        QCOMPARE(e->text(), QStringLiteral("255"));
        QTest::keyClicks(e, "x");
        QCOMPARE(e->text(), QStringLiteral("255"));
    }

    void pastedTextFailsSet()
    {
        AppFixture f;
        QLineEdit* e = f.Page3()->ENetAddress;
        e->setText("12ab");
        try {
            f.Page3()->SetMBusSettings();
            QFAIL("Set accepted a non-number");
        } catch (const CommandError& err) {
            QCOMPARE(err.Message(), QStringLiteral("'12ab' is not a valid integer value"));
        }
        QCOMPARE(int(f.main->State().Image[22]), 1);
    }

    void collectRunsBoth()
    {
        AppFixture f;
        f.Page2()->CBLineControl->setChecked(true);
        f.Page2()->CBMBusTimeout->setCurrentIndex(9);
        f.Page3()->ENetAddress->setText("77");
        f.main->CollectPages();
        QCOMPARE(int(f.main->State().Image[5]), 10);
        QCOMPARE(int(f.main->State().Image[22]), 77);
    }
};

QTEST_MAIN(TestMBusSettingsPage)
#include "tst_mbus_settings_page.moc"
