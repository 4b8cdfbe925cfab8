#include "app_fixture.h"
#include "model/dev_config.h"
#include "pages/dev_config_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>

// Picks a list item as a user does: the list's own "activated" path.
static void Pick(QComboBox* box, int index)
{
    box->setCurrentIndex(index);
    emit box->activated(index);
}

class TestDevConfigPage : public QObject {
    Q_OBJECT
private slots:
    void controls()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        QCOMPARE(p->size(), QSize(606, 422));
        QCOMPARE(p->CBConfig->count(), 5);
        QCOMPARE(p->CBConfig->itemText(0), QStringLiteral("ОРЛ-07"));
        QCOMPARE(p->CBConfig->itemText(4), QStringLiteral("ОРЛ-09"));
        QCOMPARE(p->CBConfig->geometry().topLeft(), QPoint(20, 20));
        QCOMPARE(p->STConfig->geometry(), QRect(145, 21, 150, 18));
        QCOMPARE(p->STWindow->geometry(), QRect(302, 21, 80, 18));
        QCOMPARE(p->CBFixConfig->text(), QStringLiteral("Зафиксировать конфигурацию"));
        QCOMPARE(p->CBLineControl->text(), QStringLiteral("Контроль линии связи"));
        QCOMPARE(p->Label11->text(), QStringLiteral("Таймаут"));
        QCOMPARE(p->CBMBusMaster->text(), QStringLiteral("Режим Modbus Master  < Beta >"));
        QVERIFY(p->CBMBusMaster->isHidden());
        QCOMPARE(p->CBMBusTimeout->count(), 60);
        QCOMPARE(p->CBMBusTimeout->itemText(0), QStringLiteral("1 с"));
        QCOMPARE(p->CBMBusTimeout->itemText(59), QStringLiteral("60 с"));
        QCOMPARE(p->CBMBusTimeout->maxVisibleItems(), 10);
        for (const char* name : {"CBConfig", "STConfig", "STWindow", "CBFixConfig", "CBLineControl",
                                 "Label11", "CBMBusTimeout", "CBMBusMaster"})
            QVERIFY2(p->findChild<QWidget*>(name), name);
    }

    void newShowsOrl07()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        f.main->SBNewConfigClick();
        QCOMPARE(p->CBConfig->currentText(), QStringLiteral("ОРЛ-07"));
        QCOMPARE(p->STConfig->text(), QStringLiteral("2 * БВХ-7 + БРК-54"));
        QCOMPARE(p->STWindow->text(), QStringLiteral("32 окна"));
        QVERIFY(p->CBFixConfig->isChecked());
        QVERIFY(!p->CBLineControl->isChecked());
        QCOMPARE(p->CBMBusTimeout->currentIndex(), 4);
        QVERIFY(!p->CBMBusTimeout->isEnabled());
        QVERIFY(!p->Label11->isEnabled());
        QCOMPARE(f.bytes(0, 6), (QList<int>{2, 1, 32, 1, 0, 0}));
        QCOMPARE(f.main->State().FamilyCode, 0);
    }

    void pickOrl09()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        ConfigImage& image = f.main->State().Image;
        image[3] = 0xA5;  // bits 2..7 and a set fix bit
        image[5] = 9;
        Pick(p->CBConfig, 4);
        QCOMPARE(f.bytes(0, 3), (QList<int>{0, 0, 12}));
        QCOMPARE(f.main->State().FamilyCode, 1);
        QCOMPARE(p->STConfig->text(), QStringLiteral("\u2014\u2014"));
        QCOMPARE(p->STWindow->text(), QStringLiteral("12 окон"));
        QCOMPARE(int(image[3]), 0xA5);
        QCOMPARE(int(image[5]), 9);

        Pick(p->CBConfig, 2);
        QCOMPARE(f.bytes(0, 3), (QList<int>{1, 1, 16}));
        QCOMPARE(f.main->State().FamilyCode, 0);
        QCOMPARE(p->STConfig->text(), QStringLiteral("БВХ-7 + БРК-54"));
        QCOMPARE(p->STWindow->text(), QStringLiteral("16 окон"));
    }

    // Selecting an item from code raises nothing.
    void selectionFromCodeWritesNothing()
    {
        AppFixture f;
        f.Page2()->CBConfig->setCurrentIndex(4);
        QCOMPARE(f.bytes(0, 3), (QList<int>{2, 1, 32}));
        QCOMPARE(f.main->State().FamilyCode, 0);
    }

    void lineControlOnlyOnSet()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        QTest::mouseClick(p->CBLineControl, Qt::LeftButton, {},
                          QPoint(4, p->CBLineControl->height() / 2));
        QVERIFY(p->CBLineControl->isChecked());
        QVERIFY(p->CBMBusTimeout->isEnabled());
        QVERIFY(p->Label11->isEnabled());
        Pick(p->CBMBusTimeout, 59);
        QCOMPARE(int(f.main->State().Image[5]), 0);
        f.Page2()->SetDevConfig();
        QCOMPARE(int(f.main->State().Image[5]), 60);

        p->CBLineControl->setChecked(false);
        QVERIFY(!p->CBMBusTimeout->isEnabled());
        f.Page2()->SetDevConfig();
        QCOMPARE(int(f.main->State().Image[5]), 0);
    }

    void lineTimeoutShown_data()
    {
        QTest::addColumn<int>("timeout");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("afterSet");
        QTest::newRow("7") << 7 << true << 6 << 7;
        QTest::newRow("1") << 1 << true << 0 << 1;
        QTest::newRow("60") << 60 << true << 59 << 60;
        QTest::newRow("61") << 61 << true << -1 << 0;
        QTest::newRow("255") << 255 << true << -1 << 0;
        QTest::newRow("0 keeps item") << 0 << false << 4 << 0;
    }

    void lineTimeoutShown()
    {
        QFETCH(int, timeout);
        QFETCH(bool, ticked);
        QFETCH(int, index);
        QFETCH(int, afterSet);
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        ConfigImage image = f.main->State().Image;
        image[5] = uint8_t(timeout);
        f.main->ReplaceImage(image, 0);
        QCOMPARE(p->CBLineControl->isChecked(), ticked);
        QCOMPARE(p->CBMBusTimeout->isEnabled(), ticked);
        QCOMPARE(p->Label11->isEnabled(), ticked);
        QCOMPARE(p->CBMBusTimeout->currentIndex(), index);
        f.Page2()->SetDevConfig();
        QCOMPARE(int(f.main->State().Image[5]), afterSet);
    }

    // A read or load replaces what the user left in the collected controls.
    void refreshOverwritesUncollectedEdits()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        p->CBLineControl->setChecked(true);
        Pick(p->CBMBusTimeout, 30);
        ConfigImage image = f.main->State().Image;
        image[5] = 12;
        f.main->ReplaceImage(image, 0);
        QCOMPARE(p->CBMBusTimeout->currentIndex(), 11);
    }

    void flagsAndByte4Survive()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        ConfigImage image = f.main->State().Image;
        image[3] = 0xFC;  // bits 2..7 set, fix and master clear
        image[4] = 0x5A;
        for (int i = 6; i < 20; ++i)
            image[i] = uint8_t(i);
        f.main->ReplaceImage(image, 0);
        QVERIFY(!p->CBFixConfig->isChecked());
        f.Page2()->SetDevConfig();
        Pick(p->CBConfig, 3);
        QTest::mouseClick(p->CBFixConfig, Qt::LeftButton, {},
                          QPoint(4, p->CBFixConfig->height() / 2));
        QCOMPARE(int(f.main->State().Image[3]), 0xFD);
        QCOMPARE(int(f.main->State().Image[4]), 0x5A);
        f.main->SBNewConfigClick();
        QCOMPARE(int(f.main->State().Image[3]), 0xFD);
        QCOMPARE(int(f.main->State().Image[4]), 0x5A);
        for (int i = 6; i < 20; ++i)
            QCOMPARE(int(f.main->State().Image[i]), 0);
    }

    void masterFlagFollowsImage()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        ConfigImage image = f.main->State().Image;
        image[3] = 0x03;
        f.main->ReplaceImage(image, 0);
        QVERIFY(p->CBMBusMaster->isChecked());
        QCOMPARE(int(f.main->State().Image[3]), 0x03);
        image[3] = 0x00;
        f.main->ReplaceImage(image, 0);
        QVERIFY(!p->CBMBusMaster->isChecked());
        QVERIFY(!p->CBFixConfig->isChecked());
        QCOMPARE(int(f.main->State().Image[3]), 0x00);
    }

    void noMatchingModel()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        ConfigImage image = f.main->State().Image;
        image[0] = 2;
        image[1] = 1;
        image[2] = 16;
        f.main->ReplaceImage(image, 0);
        QCOMPARE(p->CBConfig->currentIndex(), -1);
        QVERIFY(p->STConfig->text().isEmpty());
        QVERIFY(p->STWindow->text().isEmpty());
        QCOMPARE(f.bytes(0, 3), (QList<int>{2, 1, 16}));
        // The ОРЛ-07 bytes with family 1 match nothing either.
        image[2] = 32;
        f.main->ReplaceImage(image, 1);
        QCOMPARE(p->CBConfig->currentIndex(), -1);
        QCOMPARE(f.main->State().FamilyCode, 1);
    }

    void familyDecidesModel()
    {
        AppFixture f;
        TDevConfigPage* p = f.Page2();
        ConfigImage image = f.main->State().Image;
        image[0] = 0;
        image[1] = 0;
        image[2] = 12;
        f.main->ReplaceImage(image, 1);
        QCOMPARE(p->CBConfig->currentText(), QStringLiteral("ОРЛ-09"));
        QCOMPARE(p->STWindow->text(), QStringLiteral("12 окон"));
    }
};

QTEST_MAIN(TestDevConfigPage)
#include "tst_dev_config_page.moc"
