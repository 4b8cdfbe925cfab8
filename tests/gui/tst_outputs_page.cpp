#include "app_fixture.h"
#include "pages/outputs_page.h"
#include "rapid_presses.h"
#include "widgets/picture_button.h"
#include "widgets/string_grid.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>

namespace {
const QColor Silver(192, 192, 192);
const QColor Yellow(255, 255, 0);
const QString OutOfRange = QStringLiteral(" Номер входа вне диапазона 1 - 64");
const QStringList TypeTexts{"  Световая сигнализация", "  Управление", "  Звуковая сигнализация",
                            "  Управление с блок."};  // by type code

// The main window shown on the page "Выходы", so the grid takes clicks and
// opens its editors as it does for a user.
struct OutputsFixture : AppFixture {
    TOutputsPage* page = Page4();
    StringGrid* grid = page->ASGOutBase;

    OutputsFixture()
    {
        main->show();
        Pager()->setActivePage(page);
        if (!QTest::qWaitForWindowExposed(main))
            qFatal("window not exposed");
    }

    void click(int col, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(col, row).center());
    }

    QLineEdit* numberEditor() const
    {
        // A closed editor lingers hidden until it is deleted.
        for (QLineEdit* edit : grid->findChildren<QLineEdit*>(QStringLiteral("GridNumberEdit")))
            if (edit->isVisible())
                return edit;
        return nullptr;
    }

    // Clicks the cell, types over its text and presses Enter.
    void enter(int col, int row, const QString& text)
    {
        click(col, row);
        QLineEdit* edit = numberEditor();
        QVERIFY(edit);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!numberEditor());
    }

    // Opens the type list with one click and picks the item at a position.
    void pickType(int row, int position)
    {
        click(TOutputsPage::TypeColumn, row);
        QComboBox* list = nullptr;
        QTRY_VERIFY((list = grid->findChild<QComboBox*>(QStringLiteral("GridDropDown"))) &&
                    list->view()->isVisible());
        QAbstractItemView* view = list->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(position, 0)).center());
        QTRY_VERIFY(!grid->isEditing());
    }

    // Replaces the image with a changed copy; returns the image as sent.
    ConfigImage load(const std::function<void(ConfigImage&)>& change)
    {
        ConfigImage image = main->State().Image;
        change(image);
        main->ReplaceImage(image, 0);
        return image;
    }
};
}  // namespace

class TestOutputsPage : public QObject {
    Q_OBJECT
private slots:
    void layout()
    {
        OutputsFixture f;
        StringGrid* g = f.grid;
        QCOMPARE(g->geometry(), QRect(20, 10, 524, 224));
        QCOMPARE(g->accessibleName(), QStringLiteral("Выходы"));
        const QList<int> widths{40, 165, 50, 50, 50, 55, 55, 55};
        for (int col = 0; col < 8; ++col)
            QCOMPARE(g->columnWidth(col), widths[col]);
        for (int row = 0; row < 10; ++row)
            QCOMPARE(g->rowHeight(row), 22);
        QCOMPARE((QList<int>{g->rowSpan(0, 0), g->rowSpan(0, 1), g->columnSpan(0, 2),
                             g->columnSpan(0, 5)}),
                 (QList<int>{2, 2, 3, 3}));
        QCOMPARE(g->cellText(1, 0), QStringLiteral("Тип выхода"));
        QCOMPARE(g->cellText(2, 0), QStringLiteral("  Квитирование"));
        QCOMPARE(g->cellText(5, 0), QStringLiteral("Сброс"));
        const QStringList sources{"Панель", "ModBus", "Внешн.", "Панель", "ModBus", "Внешн."};
        for (int col = 2; col < 8; ++col)
            QCOMPARE(g->cellText(col, 1), sources[col - 2]);
        for (int row = 2; row < 10; ++row) {
            QCOMPARE(g->cellText(0, row), QString::number(row - 1));
            QVERIFY(g->isFixedCell(0, row));
            for (int col : {2, 3, 5, 6})
                QVERIFY(g->hasCheckBox(col, row));
            for (int col : {4, 7})
                QVERIFY(g->item(row, col)->textAlignment() & Qt::AlignRight);
        }
        QCOMPARE(g->dropDownItems(),
                 (QStringList{TypeTexts[0], TypeTexts[2], TypeTexts[1], TypeTexts[3]}));
        QCOMPARE(f.page->SBFillOutDataBase->geometry(), QRect(21, 250, 40, 25));
        QStringList fills;
        for (QAction* a : f.page->PMFillOutDataBase->actions())
            fills << a->objectName() + QLatin1Char('=') + a->text();
        QCOMPARE(fills, (QStringList{"N18=Световая", "N22=Звуковая", "N31=Управление",
                                     "N41=Управление с блок."}));
        // Banded data rows: tooltip background, then window colour.
        QCOMPARE(g->cellBackground(3, 2), g->palette().color(QPalette::ToolTipBase));
        QCOMPARE(g->cellBackground(3, 3), g->palette().color(QPalette::Base));
    }

    void afterNew()
    {
        OutputsFixture f;
        f.load([](ConfigImage& image) {
            image.fill(0x07);
            image[141] = 0x01;  // bits 6..7 clear
        });
        f.main->SBNewConfigClick();
        QList<int> expected{0x3E, 0x3E, 0x3E, 0x3E, 0x3C, 0x3C, 0x3C, 0x3C};
        expected += QList<int>(16, 255);
        QCOMPARE(f.bytes(141, 24), expected);
        for (int row = 2; row < 10; ++row) {
            QCOMPARE(f.grid->cellText(1, row), TypeTexts[row < 6 ? 2 : 0]);
            for (int col : {2, 3, 5, 6})
                QVERIFY(f.grid->checkBoxState(col, row));
            for (int col : {4, 7}) {
                QVERIFY(f.grid->cellText(col, row).isEmpty());
                QCOMPARE(f.grid->cellFontColor(col, row), QColor(Qt::black));
            }
        }
    }

    void typeChoice_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("ackLocked");
        QTest::addColumn<bool>("resetLocked");
        QTest::newRow("Управление on 3") << 3 << 2 << 1 << true << true;
        QTest::newRow("Управление с блок. on 3") << 3 << 3 << 3 << true << false;
        QTest::newRow("Световая on 1") << 1 << 0 << 0 << false << false;
        QTest::newRow("Управление on 8") << 8 << 2 << 1 << true << true;
    }

    // A picked type replaces bits 0..1 only, greys the locked numbers, and
    // the locked columns refuse clicks while open ones take them.
    void typeChoice()
    {
        QFETCH(int, output);
        QFETCH(int, position);
        QFETCH(int, code);
        QFETCH(bool, ackLocked);
        QFETCH(bool, resetLocked);
        OutputsFixture f;
        const int row = output + 1;
        const int mode = 141 + output - 1;
        f.load([&](ConfigImage& image) {
            image[mode] = 0xFE;  // sound signalling, every source, bits 6..7 set
            image[149 + output - 1] = 4;
            image[157 + output - 1] = 9;
        });
        f.pickType(row, position);
        QCOMPARE(f.grid->cellText(1, row), TypeTexts[code]);
        QCOMPARE(int(f.main->State().Image[mode]), 0xFC | code);
        QCOMPARE(f.grid->cellText(4, row), QStringLiteral("5"));
        QCOMPARE(f.grid->cellFontColor(4, row), ackLocked ? Silver : QColor(Qt::black));
        QCOMPARE(f.grid->cellFontColor(7, row), resetLocked ? Silver : QColor(Qt::black));

        for (int col = 2; col < 8; ++col) {
            const bool locked = col < 5 ? ackLocked : resetLocked;
            const ConfigImage before = f.main->State().Image;
            f.click(col, row);
            if (col == 4 || col == 7) {
                QCOMPARE(f.numberEditor() != nullptr, !locked);
                if (f.numberEditor())
                    QTest::keyClick(f.numberEditor(), Qt::Key_Escape);
                QVERIFY(f.main->State().Image == before);
                continue;
            }
            QCOMPARE(f.grid->checkBoxState(col, row), locked);
            QCOMPARE(f.main->State().Image == before, locked);
            if (!locked)
                f.click(col, row);
            QVERIFY(f.main->State().Image == before);
        }
    }

    void externalInput_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("output");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("stored");  // -1: rejected, the byte keeps 12
        QTest::newRow("64 into reset of 1") << 7 << 1 << "64"
                                            << "64" << 63;
        QTest::newRow("empty") << 7 << 1 << ""
                               << "" << 255;
        QTest::newRow("0") << 7 << 1 << "0"
                           << "0" << -1;
        QTest::newRow("65") << 7 << 1 << "65"
                            << "65" << -1;
        QTest::newRow("digits only, two") << 7 << 1 << "1a23"
                                          << "12" << 11;
        QTest::newRow("1 into ack of 5") << 4 << 5 << "1"
                                         << "1" << 0;
        QTest::newRow("99 into ack of 8") << 4 << 8 << "99"
                                          << "99" << -1;
    }

    // An accepted number is stored as number - 1 (empty as 255); a rejected
    // one stays on yellow with the message and the byte unchanged, also
    // through Get, until a valid entry clears both.
    void externalInput()
    {
        QFETCH(int, col);
        QFETCH(int, output);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, stored);
        OutputsFixture f;
        const int row = output + 1;
        const int offset = (col == 4 ? 149 : 157) + output - 1;
        f.load([&](ConfigImage& image) { image[offset] = 12; });
        const ConfigImage before = f.main->State().Image;

        f.enter(col, row, typed);
        QCOMPARE(f.grid->cellText(col, row), shown);
        ConfigImage expected = before;
        if (stored >= 0)
            expected[offset] = uint8_t(stored);
        QVERIFY(f.main->State().Image == expected);
        QCOMPARE(f.main->StatusText(), stored >= 0 ? QStringLiteral(" ver 1.70") : OutOfRange);
        QCOMPARE(f.grid->cellBackground(col, row),
                 stored >= 0 ? f.grid->cellBackground(2, row) : Yellow);
        if (stored >= 0)
            return;
        // Get shows the image's number again; the mark and the message stay.
        f.Page4()->GetOutDataBase();
        QCOMPARE(f.grid->cellText(col, row), QStringLiteral("13"));
        QCOMPARE(f.grid->cellBackground(col, row), Yellow);
        QCOMPARE(f.main->StatusText(), OutOfRange);
        f.enter(col, row, QStringLiteral("5"));
        QCOMPARE(int(f.main->State().Image[offset]), 4);
        QCOMPARE(f.grid->cellBackground(col, row), f.grid->cellBackground(2, row));
        QCOMPARE(f.main->StatusText(), QStringLiteral(" ver 1.70"));
    }

    // Leaving the cell, here by closing the window, accepts the entry.
    void editEndsWithWindow()
    {
        OutputsFixture f;
        f.click(7, 2);
        QVERIFY(f.numberEditor());
        QTest::keyClicks(f.numberEditor(), QStringLiteral("33"));
        f.main->hide();
        QCOMPARE(int(f.main->State().Image[157]), 32);
        QCOMPARE(f.grid->cellText(7, 2), QStringLiteral("33"));
    }

    // Every byte value shows without harm: numbers 1..64 or nothing, the
    // type of bits 0..1, the source bits; the image is left as it was.
    void everyByteShows()
    {
        OutputsFixture f;
        for (int value = 0; value < 256; ++value) {
            const ConfigImage loaded = f.load([&](ConfigImage& image) {
                image[141] = uint8_t(value);
                image[149] = uint8_t(value);
                image[164] = uint8_t(value);
            });
            const QString number = value < 64 ? QString::number(value + 1) : QString();
            QCOMPARE(f.grid->cellText(4, 2), number);
            QCOMPARE(f.grid->cellText(7, 9), number);
            QCOMPARE(f.grid->cellText(1, 2), TypeTexts[value & 3]);
            QCOMPARE(f.grid->checkBoxState(2, 2), bool(value & 0x20));
            QCOMPARE(f.grid->checkBoxState(3, 2), bool(value & 0x08));
            QCOMPARE(f.grid->checkBoxState(5, 2), bool(value & 0x10));
            QCOMPARE(f.grid->checkBoxState(6, 2), bool(value & 0x04));
            QCOMPARE(f.grid->cellFontColor(4, 2), (value & 3) % 2 ? Silver : QColor(Qt::black));
            QCOMPARE(f.grid->cellFontColor(7, 2), (value & 3) == 1 ? Silver : QColor(Qt::black));
            QVERIFY(f.main->State().Image == loaded);
        }
    }

    void fillMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("fill");
        QTest::newRow("Световая") << "N18" << 0x3C;
        QTest::newRow("Звуковая") << "N22" << 0x3E;
        QTest::newRow("Управление") << "N31" << 0x3D;
        QTest::newRow("Управление с блок.") << "N41" << 0x3F;
    }

    void fillMenu()
    {
        QFETCH(QString, item);
        QFETCH(int, fill);
        OutputsFixture f;
        f.load([](ConfigImage& image) {
            for (int i = 141; i < 165; ++i)
                image[i] = uint8_t(0xC0 + i % 8);
        });
        QTest::mouseClick(f.page->SBFillOutDataBase, Qt::LeftButton);
        QMenu* menu = f.page->PMFillOutDataBase;
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), f.page->SBFillOutDataBase->mapToGlobal(QPoint(0, 25)));
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->findChild<QAction*>(item)).center());
        QTRY_VERIFY(!menu->isVisible());

        QCOMPARE(f.bytes(141, 8), QList<int>(8, fill));
        QCOMPARE(f.bytes(149, 16), QList<int>(16, 255));
        for (int row = 2; row < 10; ++row) {
            QCOMPARE(f.grid->cellText(1, row), TypeTexts[fill & 3]);
            QVERIFY(f.grid->cellText(4, row).isEmpty());
            QVERIFY(f.grid->cellText(7, row).isEmpty());
        }
    }

    void checkBox_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("bit");
        QTest::addColumn<int>("clicks");  // quick clicks in a row
        QTest::newRow("ack panel, a click") << 2 << 0x20 << 1;
        QTest::newRow("ack modbus, a double click") << 3 << 0x08 << 2;
        QTest::newRow("reset panel, a triple click") << 5 << 0x10 << 3;
        QTest::newRow("reset modbus, a double click") << 6 << 0x04 << 2;
        QTest::newRow("ack panel, a triple click") << 2 << 0x20 << 3;
    }

    // Every press on a box of output 8 flips its bit of image byte 148 and
    // nothing else: a double click leaves it as it was, a triple click
    // flipped. Space on the cell flips it once more; the arrow keys move to
    // the next box, which Space flips too.
    void checkBox()
    {
        QFETCH(int, col);
        QFETCH(int, bit);
        QFETCH(int, clicks);
        OutputsFixture f;
        f.load([](ConfigImage& image) { image[148] = 0xE6; });
        ConfigImage expected = f.main->State().Image;
        if (clicks % 2)
            expected[148] ^= uint8_t(bit);
        QuickClicks(f.grid->viewport(), f.grid->cellRect(col, 9).center(), clicks);
        QVERIFY(f.main->State().Image == expected);
        QCOMPARE(f.grid->checkBoxState(col, 9), bool(expected[148] & bit));
        QTest::keyClick(f.grid, Qt::Key_Space);
        expected[148] ^= uint8_t(bit);
        QVERIFY(f.main->State().Image == expected);
        // Up to output 7: its box in the same column.
        QTest::keyClick(f.grid, Qt::Key_Up);
        QTest::keyClick(f.grid, Qt::Key_Space);
        expected[147] ^= uint8_t(bit);
        QVERIFY(f.main->State().Image == expected);
    }

    // The crossbar's relay inputs (the last input naming a relay) replace
    // what columns 4 and 7 show; the image keeps its external inputs.
    void crossBarExtInputs()
    {
        OutputsFixture f;
        f.load([](ConfigImage& image) {
            for (int i = 149; i < 165; ++i)
                image[i] = 20;
            std::fill(image.begin() + 41, image.begin() + 105, 255);
            image[41 + 1] = 100;   // input 2 acknowledges relay 1,
            image[41 + 4] = 100;   // and input 5 after it wins
            image[41 + 63] = 123;  // input 64 resets relay 8
            image[41 + 6] = 108;   // relay 9 has no row
        });
        const ConfigImage before = f.main->State().Image;
        f.main->ShowCrossBarExtInputs();
        for (int row = 2; row < 10; ++row) {
            QCOMPARE(f.grid->cellText(4, row), row == 2 ? QStringLiteral("5") : QString());
            QCOMPARE(f.grid->cellText(7, row), row == 9 ? QStringLiteral("64") : QString());
        }
        QVERIFY(f.main->State().Image == before);
    }
};

QTEST_MAIN(TestOutputsPage)
#include "tst_outputs_page.moc"
