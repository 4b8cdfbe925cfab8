#include "app_fixture.h"
#include "pages/inputs_page.h"
#include "widgets/icons.h"
#include "widgets/picture_button.h"
#include "widgets/rounded_group_box.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>

namespace {
bool ShowsClosed(const PictureButton* button)
{
    return button->picture().toImage() == Icons::Picture(Icons::ContactClosed).toImage();
}

bool ShowsOpen(const PictureButton* button)
{
    return button->picture().toImage() == Icons::Picture(Icons::ContactOpen).toImage();
}

// The image with the master flag and the eight input type bytes given.
void Load(AppFixture& f, bool master, const QList<int>& types)
{
    ConfigImage image = f.main->State().Image;
    image[3] = uint8_t(master ? image[3] | 0x02 : image[3] & ~0x02);
    for (int i = 0; i < 8; ++i)
        image[31 + i] = uint8_t(types[i]);
    f.main->ReplaceImage(image, 0);
}
}  // namespace

class TestInputsPage : public QObject {
    Q_OBJECT
private slots:
    void afterNew()
    {
        AppFixture f;
        TInputsPage* p = f.Page5();
        Load(f, true, QList<int>(8, 0xFF));
        f.main->SBNewConfigClick();
        QCOMPARE(f.bytes(31, 8), QList<int>(8, 0));
        for (int k = 1; k <= 64; ++k) {
            const auto* button =
                f.find<PictureButton>(qPrintable(QStringLiteral("SBTypeContact%1").arg(k)));
            QVERIFY2(ShowsOpen(button), qPrintable(button->objectName()));
            QCOMPARE(button->accessibleName(), QStringLiteral("Вход %1").arg(k));
            QCOMPARE(button->size(), QSize(32, 22));
        }
        QVERIFY(p->AGBoxMODBUS->isHidden());
        QCOMPARE(p->SBFillInputType->geometry(), QRect(225, 10, 40, 25));

        QCOMPARE(p->AGBoxBVH->geometry(), QRect(20, 10, 186, 390));
        QCOMPARE(p->AGBoxMODBUS->geometry(), QRect(230, 10, 186, 390));
        QCOMPARE(p->AGBoxBVH->title(), QStringLiteral(" Дискретные "));
        QCOMPARE(p->AGBoxMODBUS->title(), QStringLiteral(" ModBus "));
        QCOMPARE(p->AGBoxBVH->captionPlace(), RoundedGroupBox::CaptionPlace::BottomCentre);
        // Two columns of 16 per group; input 33 starts the Modbus group.
        QCOMPARE(p->SBTypeContact[0]->parentWidget(), p->AGBoxBVH);
        QCOMPARE(p->SBTypeContact[0]->pos(), QPoint(16, 16));
        QCOMPARE(p->SBTypeContact[16]->pos(), QPoint(112, 16));
        QCOMPARE(p->SBTypeContact[31]->pos(), QPoint(112, 331));
        QCOMPARE(p->SBTypeContact[32]->parentWidget(), p->AGBoxMODBUS);
        QCOMPARE(p->SBTypeContact[47]->pos(), QPoint(16, 331));
        const auto* number = f.find<QLabel>("LInputNumber64");
        QCOMPARE(number->text(), QStringLiteral("64"));
        QCOMPARE(number->geometry(), QRect(143, 331, 26, 21));

        const QList<QAction*> items = p->PMFillInputType->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->text(), QStringLiteral(" Н.Р."));
        QCOMPARE(items[1]->text(), QStringLiteral(" Н.З."));
        QCOMPARE(items[0]->objectName(), QStringLiteral("N13"));
        QCOMPARE(items[1]->objectName(), QStringLiteral("N21"));
        QCOMPARE(items[1]->icon().pixmap(16, 16).toImage(),
                 Icons::Picture(Icons::ContactClosed).toImage());
    }

    void contactClick_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("mask");
        QTest::newRow("12") << 12 << 32 << 0x08;
        QTest::newRow("1") << 1 << 31 << 0x01;
        QTest::newRow("32") << 32 << 34 << 0x80;
        QTest::newRow("33") << 33 << 35 << 0x01;
        QTest::newRow("64") << 64 << 38 << 0x80;
    }

    // Two clicks set and clear the input's bit; nothing else in the image moves.
    void contactClick()
    {
        QFETCH(int, input);
        QFETCH(int, offset);
        QFETCH(int, mask);
        AppFixture f;
        Load(f, true, {0x5A, 0xA5, 0x00, 0x11, 0x22, 0x33, 0x44, 0x00});
        PictureButton* button = f.Page5()->SBTypeContact[input - 1];
        const ConfigImage before = f.main->State().Image;
        const bool wasClosed = before[offset] & mask;
        QCOMPARE(ShowsClosed(button), wasClosed);

        QTest::mouseClick(button, Qt::LeftButton);
        for (int i = 0; i < ConfigImageSize; ++i)
            QCOMPARE(int(f.main->State().Image[i]),
                     i == offset ? before[i] ^ mask : int(before[i]));
        QCOMPARE(ShowsClosed(button), !wasClosed);

        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(f.main->State().Image == before);
        QCOMPARE(ShowsClosed(button), wasClosed);
    }

    void fillMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("master");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("Н.З. slave")
            << "N21" << false << QList<int>{0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x00, 0x80, 0x7E};
        QTest::newRow("Н.З. master") << "N21" << true << QList<int>(8, 0xFF);
        QTest::newRow("Н.Р. slave")
            << "N13" << false << QList<int>{0, 0, 0, 0, 0x12, 0x00, 0x80, 0x7E};
        QTest::newRow("Н.Р. master") << "N13" << true << QList<int>(8, 0);
    }

    // The fill button drops its menu below itself; an item fills the bytes
    // of the groups on show and the buttons follow.
    void fillMenu()
    {
        QFETCH(QString, item);
        QFETCH(bool, master);
        QFETCH(QList<int>, expected);
        AppFixture f;
        TInputsPage* p = f.Page5();
        f.main->show();
        f.Pager()->setActivePage(p);
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        Load(f, master, {0x01, 0x80, 0x00, 0x10, 0x12, 0x00, 0x80, 0x7E});

        QTest::mouseClick(p->SBFillInputType, Qt::LeftButton);
        QMenu* menu = p->PMFillInputType;
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), p->SBFillInputType->mapToGlobal(QPoint(0, 25)));
        QAction* action = menu->findChild<QAction*>(item);
        QVERIFY(action);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        QTRY_VERIFY(!menu->isVisible());

        QCOMPARE(f.bytes(31, 8), expected);
        for (int k = 1; k <= 64; ++k)
            QCOMPARE(ShowsClosed(p->SBTypeContact[k - 1]),
                     bool(expected[(k - 1) / 8] & (1 << ((k - 1) % 8))));
    }

    void masterModeByLoad_data()
    {
        QTest::addColumn<QList<bool>>("masters");      // the flag of each load in turn
        QTest::addColumn<QList<QList<int>>>("types");  // the eight type bytes of each load
        const QList<int> some{0, 0, 0, 0, 0x81, 0x00, 0xFF, 0x02};
        const QList<int> other{0xFF, 0, 0, 0, 0x7E, 0xFF, 0x00, 0x40};
        QTest::newRow("on, then off") << QList<bool>{true, false} << QList<QList<int>>{some, some};
        QTest::newRow("off with Modbus bits, then on")
            << QList<bool>{false, true} << QList<QList<int>>{some, some};
        QTest::newRow("off, off with other bits, on")
            << QList<bool>{false, false, true} << QList<QList<int>>{some, other, other};
    }

    // Every load shows all 64 inputs' bits, the hidden Modbus group's
    // included, shows that group exactly in master mode, and moves the fill
    // button with it.
    void masterModeByLoad()
    {
        QFETCH(QList<bool>, masters);
        QFETCH(QList<QList<int>>, types);
        AppFixture f;
        TInputsPage* p = f.Page5();
        for (int n = 0; n < masters.size(); ++n) {
            Load(f, masters[n], types[n]);
            QCOMPARE(f.Page2()->CBMBusMaster->isChecked(), masters[n]);
            QCOMPARE(p->AGBoxMODBUS->isHidden(), !masters[n]);
            QCOMPARE(p->SBFillInputType->pos(), QPoint(masters[n] ? 435 : 225, 10));
            QCOMPARE(f.bytes(31, 8), types[n]);
            for (int k = 1; k <= 64; ++k)
                QVERIFY2(ShowsClosed(p->SBTypeContact[k - 1]) ==
                             bool(types[n][(k - 1) / 8] & (1 << ((k - 1) % 8))),
                         qPrintable(QStringLiteral("load %1, input %2").arg(n).arg(k)));
        }
    }
};

QTEST_MAIN(TestInputsPage)
#include "tst_inputs_page.moc"
