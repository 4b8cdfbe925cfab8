#include "app_fixture.h"
#include "pages/outputs_page.h"
#include "pages/structure_page.h"
#include "widgets/click_grid.h"
#include "widgets/picture_button.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

namespace {
const QColor Orange(255, 128, 0);
const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor Silver(192, 192, 192);
const QColor Yellow(255, 255, 0);
const QString Version = QStringLiteral(" ver 1.70");
const QString WindowRange = QStringLiteral(" Окно вне диапазона 1 - 32");
const QString RelayRange = QStringLiteral(" Реле вне диапазона 1 - 8");
const QString Window = QStringLiteral("  Окно сигнализации:");
const QString None = QStringLiteral("  —");
constexpr int KindCol = 10;
constexpr int NumberCol = 11;

// One user action on a row and what the row and the status line show after it.
struct Step {
    QString action;  // "pick window", "pick none", or a number typed into column 11
    int code;        // the row's byte of block 3 afterwards
    QString number;  // the number cell's text
    bool yellow;
    QString status;
    QColor numberColour;
};
using Steps = QList<Step>;

// The main window shown on the page "Структура", so the grid takes clicks
// and opens its editors as it does for a user.
struct StructureFixture : AppFixture {
    TStructurePage* page = main->AdvOfficePage7;
    ClickGrid* grid = page->ASGCrossBar;

    StructureFixture()
    {
        main->show();
        main->AdvOfficePager->setActivePage(page);
        if (!QTest::qWaitForWindowExposed(main))
            qFatal("window not exposed");
    }

    void click(int col, int row)
    {
        if (row == 0) {  // the frozen first row stands above the cells
            QHeaderView* strip = grid->horizontalHeader();
            QTest::mouseClick(strip->viewport(), Qt::LeftButton, {},
                              QPoint(strip->sectionViewportPosition(col) + 5, 10));
            return;
        }
        grid->scrollTo(grid->model()->index(row, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(col, row).center());
    }

    QWidget* openEditor() const
    {
        for (QWidget* w : grid->viewport()->findChildren<QWidget*>())
            if (w->isVisible() && (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w)))
                return w;
        return nullptr;
    }

    void type(int row, const QString& text)
    {
        click(NumberCol, row);
        auto* edit = qobject_cast<QLineEdit*>(openEditor());
        QVERIFY(edit);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_VERIFY(!grid->isEditing());
    }

    void pick(int row, int position)
    {
        click(KindCol, row);
        QComboBox* list = nullptr;
        QTRY_VERIFY((list = qobject_cast<QComboBox*>(openEditor())) && list->view()->isVisible());
        QAbstractItemView* view = list->view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          view->visualRect(view->model()->index(position, 0)).center());
        QTRY_VERIFY(!grid->isEditing());
    }

    // Leaves an open editor without a pick or an entry.
    void cancelEdit()
    {
        if (auto* list = qobject_cast<QComboBox*>(openEditor())) {
            QTest::keyClick(list->view(), Qt::Key_Escape);
            QTRY_VERIFY(!list->view()->isVisible());
        }
        if (QWidget* editor = openEditor())
            QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!grid->isEditing());
    }

    void load(const std::function<void(ConfigImage&)>& change)
    {
        ConfigImage image = main->State().Image;
        change(image);
        main->ReplaceImage(image, 0);
    }

    void clickMenu(QAction* item)
    {
        QTest::mouseClick(page->SBFillCrossBar, Qt::LeftButton);
        QMenu* menu = page->PMFillCrossBar;
        QTRY_VERIFY(menu->isVisible());
        // Below the button, left edges aligned unless the screen's edge is nearer.
        const QPoint below = page->SBFillCrossBar->mapToGlobal(QPoint(0, 25));
        const int right = menu->screen()->availableGeometry().right() + 1;
        QCOMPARE(menu->pos(), QPoint(qMin(below.x(), right - menu->width()), below.y()));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QTRY_VERIFY(!menu->isVisible());
    }

    // Whether the relay cell shows its relay as activated, in both colours.
    bool relayShownOn(int row, int relay) const
    {
        const int col = relay + 1;
        const bool on = grid->cellBackground(col, row) == Orange;
        const QColor text = on ? White : Black;
        if (grid->cellFontColor(col, row) != text ||
            (!on && grid->cellBackground(col, row) != grid->bandColor(row)))
            qFatal("relay cell %d,%d drawn in mixed colours", col, row);
        return on;
    }
};
}  // namespace

Q_DECLARE_METATYPE(Steps)

class TestStructurePage : public QObject {
    Q_OBJECT
private slots:
    void layout()
    {
        StructureFixture f;
        ClickGrid* g = f.grid;
        QCOMPARE(g->geometry(), QRect(20, 10, 524, 378));
        QCOMPARE(QList<int>({g->columnCount(), g->rowCount()}), QList<int>({12, 65}));
        const QList<int> widths{25, 25, 24, 24, 24, 24, 24, 24, 25, 24, 175, 55};
        for (int col = 0; col < 12; ++col)
            QCOMPARE(g->columnWidth(col), widths[col]);
        QCOMPARE(QStringList({g->cellText(0, 0), g->cellText(2, 0), g->cellText(10, 0),
                              g->cellText(11, 0)}),
                 QStringList({"Вход", "Активация выходов", "Назначение", "№"}));
        QCOMPARE(QList<int>({g->columnSpan(0, 0), g->columnSpan(0, 2), g->rowSpan(1, 0),
                             g->rowSpan(33, 0)}),
                 QList<int>({2, 8, 32, 32}));
        QCOMPARE(g->cellText(0, 1),
                 QStringLiteral("Д  и  с  к  р  е  т  н  ы  е    в  х  о  д  ы"));
        QCOMPARE(g->cellText(0, 33), QStringLiteral("В  х  о  д  ы    M  o  d  B  u  s"));
        QCOMPARE(QList<bool>({g->isFixedCell(1, 64), g->isFixedCell(2, 1)}),
                 QList<bool>({true, false}));
        for (int row = 1; row <= 64; ++row) {
            QCOMPARE(g->cellText(1, row), QString::number(row));
            for (int relay = 1; relay <= 8; ++relay)
                QCOMPARE(g->cellText(relay + 1, row), QString::number(relay));
            QVERIFY(g->item(row, NumberCol)->textAlignment() & Qt::AlignRight);
        }
        QCOMPARE(g->dropDownItems(), QStringList({Window, None}));
        QCOMPARE(g->accessibleName(), QStringLiteral("Структура"));

        // The text of the discrete inputs' cell runs upwards: its ink is a
        // tall narrow strip inside column 0.
        const QImage shot = g->viewport()->grab().toImage();
        QRect ink;
        for (int y = g->rowViewportPosition(1); y < shot.height(); ++y)
            for (int x = 0; x < g->columnWidth(0); ++x)
                if (shot.pixelColor(x, y).lightness() < 100)
                    ink |= QRect(x, y, 1, 1);
        QVERIFY2(ink.height() > 60 && ink.width() < 16,
                 qPrintable(QStringLiteral("%1x%2").arg(ink.width()).arg(ink.height())));

        // The scroll bar is always there; the wheel scrolls nothing.
        QVERIFY(g->verticalScrollBar()->isVisible());
        for (QWidget* target : {static_cast<QWidget*>(g->viewport()),
                                static_cast<QWidget*>(g->verticalScrollBar())}) {
            QWheelEvent wheel(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), {}, {0, -480},
                              Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(target, &wheel);
            QCOMPARE(g->verticalScrollBar()->value(), 0);
        }

        // Row 0 stays above the scrolled cells, "Активация выходов" drawn
        // across its eight columns with no line inside.
        g->scrollToBottom();
        QHeaderView* strip = g->horizontalHeader();
        QVERIFY(g->isRowHidden(0) && strip->isVisible() && strip->height() == 22);
        const QImage top = strip->viewport()->grab().toImage();
        const QColor face = g->cellBackground(2, 0);
        QCOMPARE(top.pixelColor(strip->sectionViewportPosition(3) - 1, 5), face);
        QVERIFY(top.pixelColor(strip->sectionViewportPosition(10) - 1, 5) != face);
        bool title = false;
        for (int x = strip->sectionViewportPosition(10); x < strip->sectionViewportPosition(11);
             ++x)
            title = title || top.pixelColor(x, 11).lightness() < 100;
        QVERIFY(title);

        QCOMPARE(f.page->SBFillCrossBar->geometry(), QRect(555, 10, 40, 25));
        QStringList items;
        for (QAction* a : f.page->PMFillCrossBar->actions())
            items << a->objectName() + "=" + a->text();
        QCOMPARE(items, QStringList({"N71=С модулей БВХ-7", "ModBus2=С ModBus", "N19=Пусто"}));
        // A right click on the fill button opens nothing.
        QTest::mouseClick(f.page->SBFillCrossBar, Qt::RightButton);
        QTest::qWait(20);
        QVERIFY(!f.page->PMFillCrossBar->isVisible());
    }

    void afterNew()
    {
        StructureFixture f;
        f.load([](ConfigImage& image) { image.fill(0x77); });
        f.main->SBNewConfigClick();
        QList<int> windows;
        for (int code = 0; code < 32; ++code)
            windows << code;
        QCOMPARE(f.bytes(41, 32), windows);
        QCOMPARE(f.bytes(73, 32), QList<int>(32, 255));
        QCOMPARE(f.bytes(167, 64), QList<int>({1, 2, 4, 8, 16, 32, 64, 128}) + QList<int>(56, 0));
        for (int row = 1; row <= 64; ++row) {
            QCOMPARE(f.grid->cellText(KindCol, row), row <= 32 ? Window : None);
            QCOMPARE(f.grid->cellText(NumberCol, row), row <= 32 ? QString::number(row) : "");
            for (int relay = 1; relay <= 8; ++relay)
                QCOMPARE(f.relayShownOn(row, relay), relay == row);
        }
        QCOMPARE(f.main->StatusText(), Version);
    }

    void steps_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("code");  // loaded into the row's byte
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Steps>("steps");
        const QString ack = QStringLiteral("  Квитирование реле:");
        QTest::newRow("window picked on an empty number")
            << 40 << 255 << None
            << Steps{{"pick window", 255, "", true, WindowRange, Black},
                     {"7", 6, "7", false, Version, Black}};
        QTest::newRow("33 and 0 rejected, 32 stored")
            << 2 << 1 << Window
            << Steps{{"33", 1, "33", true, WindowRange, Black},
                     {"0", 1, "0", true, WindowRange, Black},
                     {"32", 31, "32", false, Version, Black}};
        QTest::newRow("none stores at once, window re-checks")
            << 3 << 2 << Window
            << Steps{{"pick none", 255, "3", false, Version, Silver},
                     {"pick window", 2, "3", false, Version, Black}};
        QTest::newRow("relay acknowledge from a file")
            << 10 << 103 << ack
            << Steps{{"9", 103, "9", true, RelayRange, Black},
                     {"6", 105, "6", false, Version, Black}};
        QTest::newRow("reset of relay 16 kept until edited")
            << 64 << 131 << QStringLiteral("  Сброс реле:")
            << Steps{{"", 131, "", true, RelayRange, Black},
                     {"8", 123, "8", false, Version, Black}};
        QTest::newRow("code 200 kept until none is picked")
            << 20 << 200 << None
            << Steps{{"pick window", 200, "", true, WindowRange, Black},
                     {"pick none", 255, "", false, Version, Silver}};
    }

    // Each step changes at most the row's byte of the image; a rejected
    // number stays in view on yellow with the kind's message.
    void steps()
    {
        QFETCH(int, row);
        QFETCH(int, code);
        QFETCH(QString, kind);
        QFETCH(Steps, steps);
        StructureFixture f;
        f.load([&](ConfigImage& image) { image[41 + row - 1] = uint8_t(code); });
        QCOMPARE(f.grid->cellText(KindCol, row), kind);
        for (const Step& s : steps) {
            const ConfigImage before = f.main->State().Image;
            if (s.action == "pick window")
                f.pick(row, 0);
            else if (s.action == "pick none")
                f.pick(row, 1);
            else
                f.type(row, s.action);
            ConfigImage expected = before;
            expected[41 + row - 1] = uint8_t(s.code);
            QVERIFY2(f.main->State().Image == expected, qPrintable(s.action));
            QCOMPARE(f.grid->cellText(NumberCol, row), s.number);
            QCOMPARE(f.grid->cellBackground(NumberCol, row),
                     s.yellow ? Yellow : f.grid->bandColor(row));
            QCOMPARE(f.main->StatusText(), s.status);
            QCOMPARE(f.grid->cellFontColor(NumberCol, row), s.numberColour);
        }
    }

    void clicks_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("mask");  // the bit of the row's byte of block 6; 0: none
        QTest::newRow("relay 1 of input 1") << 2 << 1 << 0x01;
        QTest::newRow("relay 8 of input 64") << 9 << 64 << 0x80;
        QTest::newRow("relay 3 of input 40") << 4 << 40 << 0x04;
        QTest::newRow("header") << 5 << 0 << 0;
        QTest::newRow("column 0") << 0 << 5 << 0;
        QTest::newRow("input number") << 1 << 5 << 0;
        QTest::newRow("kind list") << 10 << 5 << 0;
        QTest::newRow("number of a window row") << 11 << 5 << 0;
        QTest::newRow("number of a none row") << 11 << 40 << 0;
    }

    // Two clicks on a relay cell flip its bit and back, colours included;
    // other cells toggle nothing (an editor opens only where editable).
    void clicks()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(int, mask);
        StructureFixture f;
        f.load([](ConfigImage& image) {
            for (int i = 167; i < 231; ++i)
                image[i] = uint8_t(i * 29);
        });
        const ConfigImage before = f.main->State().Image;
        const int relay = col - 1;
        const bool wasOn = mask && f.relayShownOn(row, relay);
        f.click(col, row);
        ConfigImage expected = before;
        if (mask) {
            expected[167 + row - 1] ^= uint8_t(mask);
            QCOMPARE(wasOn, bool(before[167 + row - 1] & mask));
            QCOMPARE(f.relayShownOn(row, relay), !wasOn);
        }
        QVERIFY(f.main->State().Image == expected);
        QCOMPARE(f.openEditor() != nullptr, col >= 10 && row == 5);
        f.cancelEdit();
        f.click(col, row);
        f.cancelEdit();
        QVERIFY(f.main->State().Image == before);
        if (mask)
            QCOMPARE(f.relayShownOn(row, relay), wasOn);
    }

    void fills_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("firstWindowRow");  // rows r..r+31 show windows 1..32; 0: none
        QTest::addColumn<bool>("greyNumbers");    // rows 1..32 show their number in silver
        QTest::newRow("С модулей БВХ-7") << "N71" << 1 << false;
        QTest::newRow("С ModBus") << "ModBus2" << 33 << false;
        QTest::newRow("Пусто") << "N19" << 0 << true;
    }

    // A fill rewrites both blocks and the grid, and empties the external
    // inputs the Outputs page shows while block 5 keeps its bytes.
    void fills()
    {
        QFETCH(QString, item);
        QFETCH(int, firstWindowRow);
        QFETCH(bool, greyNumbers);
        StructureFixture f;
        f.load([](ConfigImage& image) {
            std::fill(image.begin() + 149, image.begin() + 165, uint8_t(4));
            std::fill(image.begin() + 167, image.begin() + 231, uint8_t(0xA5));
        });
        f.type(2, "33");  // a yellow mark and a message the fill clears
        const ConfigImage before = f.main->State().Image;
        QCOMPARE(f.main->AdvOfficePage4->ASGOutBase->cellText(4, 2), QStringLiteral("5"));

        f.clickMenu(f.page->PMFillCrossBar->findChild<QAction*>(item));
        ConfigImage expected = before;
        for (int row = 1; row <= 64; ++row) {
            const int window = firstWindowRow && row >= firstWindowRow && row < firstWindowRow + 32
                                   ? row - firstWindowRow + 1
                                   : 0;
            expected[41 + row - 1] = window ? uint8_t(window - 1) : uint8_t(255);
            expected[167 + row - 1] = 0;
            QCOMPARE(f.grid->cellText(KindCol, row), window ? Window : None);
            const bool grey = greyNumbers && row <= 32;
            QCOMPARE(f.grid->cellText(NumberCol, row), window ? QString::number(window)
                                                       : grey ? QString::number(row)
                                                              : QString());
            QCOMPARE(f.grid->cellFontColor(NumberCol, row), grey ? Silver : Black);
            QCOMPARE(f.grid->cellBackground(NumberCol, row), f.grid->bandColor(row));
            for (int relay = 1; relay <= 8; ++relay)
                QVERIFY(!f.relayShownOn(row, relay));
        }
        QVERIFY(f.main->State().Image == expected);
        QCOMPARE(f.main->StatusText(), Version);
        for (int row = 2; row < 10; ++row) {
            QVERIFY(f.main->AdvOfficePage4->ASGOutBase->cellText(4, row).isEmpty());
            QVERIFY(f.main->AdvOfficePage4->ASGOutBase->cellText(7, row).isEmpty());
        }
    }

    // After "Пусто" the grey number of row 5 lands it on window 5 at once;
    // row 40 has no number and is rejected.
    void emptyFillThenWindow()
    {
        StructureFixture f;
        f.clickMenu(f.page->N19);
        f.pick(5, 0);
        QCOMPARE(f.bytes(41 + 4, 1), QList<int>{4});
        QCOMPARE(f.grid->cellFontColor(NumberCol, 5), Black);
        QCOMPARE(f.main->StatusText(), Version);
        f.pick(40, 0);
        QCOMPARE(f.bytes(41 + 39, 1), QList<int>{255});
        QCOMPARE(f.grid->cellBackground(NumberCol, 40), Yellow);
        QCOMPARE(f.main->StatusText(), WindowRange);
    }

    // Every byte value of both blocks shows, and showing writes nothing.
    void everyByteShows()
    {
        StructureFixture f;
        const QStringList kinds{Window, QStringLiteral("  Квитирование реле:"),
                                QStringLiteral("  Сброс реле:"), None};
        for (int base = 0; base < 256; base += 64) {
            f.load([&](ConfigImage& image) {
                for (int i = 0; i < 64; ++i)
                    image[41 + i] = image[167 + i] = uint8_t(base + i);
            });
            const ConfigImage loaded = f.main->State().Image;
            for (int row = 1; row <= 64; ++row) {
                const int code = base + row - 1;
                const int kind = code < 32    ? 0
                                 : code < 100 ? 3
                                 : code < 116 ? 1
                                 : code < 132 ? 2
                                              : 3;
                const int number = QList<int>{code + 1, code - 99, code - 115, 0}[kind];
                QCOMPARE(f.grid->cellText(KindCol, row), kinds[kind]);
                QCOMPARE(f.grid->cellText(NumberCol, row), number ? QString::number(number) : "");
                for (int relay = 1; relay <= 8; ++relay)
                    QCOMPARE(f.relayShownOn(row, relay), bool(code & (1 << (relay - 1))));
            }
            QVERIFY(f.main->State().Image == loaded);
        }
    }
};

QTEST_MAIN(TestStructurePage)
#include "tst_structure_page.moc"
