#include "app_fixture.h"
#include "ink.h"
#include "pages/outputs_page.h"
#include "pages/structure_page.h"
#include "rapid_presses.h"
#include "widgets/click_grid.h"
#include "widgets/picture_button.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

namespace {
const QColor Orange(255, 128, 0), White(255, 255, 255), Black(0, 0, 0);
const QColor Silver(192, 192, 192), Yellow(255, 255, 0);
const QString Version = QStringLiteral(" ver 1.70");
const QString WindowRange = QStringLiteral(" Окно вне диапазона 1 - 32");
const QString RelayRange = QStringLiteral(" Реле вне диапазона 1 - 8");
const QString Window = QStringLiteral("  Окно сигнализации:");
const QString None = QStringLiteral("  —");
constexpr int KindCol = 10;
constexpr int NumberCol = 11;

// A user action on a row ("window", "none": a pick in the list; "Пусто":
// that fill; else a number typed into column 11), then the row's code and
// number cell and the status line.
struct Step {
    QString action;
    int code;
    QString number;
    bool yellow;
    QString status;
    QColor numberColour;
};
using Steps = QList<Step>;

// The main window shown on the page "Структура", so the grid takes clicks
// and opens its editors as it does for a user.
struct StructureFixture : AppFixture {
    TStructurePage* page = Page7();
    ClickGrid* grid = page->ASGCrossBar;

    StructureFixture()
    {
        // Partly beyond the screen's left edge, so that the fill menu at the
        // page's right fits below its button on the small offscreen screen.
        main->move(-60, 0);
        main->show();
        Pager()->setActivePage(page);
        if (!QTest::qWaitForWindowExposed(main))
            qFatal("window not exposed");
    }

    void click(int col, int row)
    {
        QWidget* target = grid->viewport();
        QPoint at;
        if (row == 0) {  // the frozen first row stands above the cells
            target = grid->horizontalHeader()->viewport();
            at = QPoint(grid->horizontalHeader()->sectionViewportPosition(col) + 5, 10);
        } else {
            grid->scrollTo(grid->model()->index(row, col));
            at = grid->cellRect(col, row).center();
        }
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
    }

    template <typename T>
    T* editor() const
    {
        for (T* w : grid->viewport()->findChildren<T*>())
            if (w->isVisible())
                return w;
        return nullptr;
    }

    void act(int row, const QString& action)
    {
        if (action == "Пусто")
            return fill(page->N19);
        if (action == "window" || action == "none") {
            click(KindCol, row);
            QComboBox* list = nullptr;
            QTRY_VERIFY((list = editor<QComboBox>()) && list->view()->isVisible());
            QAbstractItemView* view = list->view();
            const QModelIndex item = view->model()->index(action == "window" ? 0 : 1, 0);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                              view->visualRect(item).center());
        } else {
            click(NumberCol, row);
            QLineEdit* edit = editor<QLineEdit>();
            QVERIFY(edit);
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(edit, action.isEmpty() ? QStringLiteral("\b") : action);
            QTest::keyClick(edit, Qt::Key_Return);
        }
        QTRY_VERIFY(!grid->isEditing());
    }

    void fill(QAction* item)
    {
        QTest::mouseClick(page->SBFillCrossBar, Qt::LeftButton);
        QMenu* menu = page->PMFillCrossBar;
        QTRY_VERIFY(menu->isVisible());
        // Below the button, left edges aligned; the window stands where the
        // menu fits on the screen, so nothing may move it.
        const QPoint below = page->SBFillCrossBar->mapToGlobal(QPoint(0, 25));
        QVERIFY2(menu->screen()->availableGeometry().contains(QRect(below, menu->size())),
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(below.x())
                                .arg(below.y())
                                .arg(menu->width())
                                .arg(menu->height())));
        QCOMPARE(menu->pos(), below);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
        QTRY_VERIFY(!menu->isVisible());
    }

    // Replaces the image with a changed copy; returns the image as sent.
    ConfigImage load(const std::function<void(ConfigImage&)>& change)
    {
        ConfigImage image = main->State().Image;
        change(image);
        main->ReplaceImage(image, 0);
        return image;
    }

    // Whether the relay cell shows its relay activated; either way both
    // of its colours must agree.
    bool relayOn(int row, int relay) const
    {
        const QColor back = grid->cellBackground(relay + 1, row);
        const bool on = back == Orange;
        if (grid->cellFontColor(relay + 1, row) != (on ? White : Black) ||
            (!on && back != grid->bandColor(row)))
            qFatal("relay cell %d of row %d in mixed colours", relay, row);
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
        const QList<int> widths{25, 25, 24, 24, 24, 24, 24, 24, 25, 24, 175, 55};
        for (int col = 0; col < 12; ++col)
            QCOMPARE(g->columnWidth(col), widths[col]);
        QCOMPARE(QStringList({g->cellText(0, 0), g->cellText(2, 0), g->cellText(10, 0),
                              g->cellText(11, 0), g->cellText(0, 1), g->cellText(0, 33)}),
                 QStringList({"Вход", "Активация выходов", "Назначение", "№",
                              "Д  и  с  к  р  е  т  н  ы  е    в  х  о  д  ы",
                              "В  х  о  д  ы    M  o  d  B  u  s"}));
        QCOMPARE(QList<int>({g->rowCount(), g->columnSpan(0, 0), g->columnSpan(0, 2),
                             g->rowSpan(1, 0), g->rowSpan(33, 0)}),
                 QList<int>({65, 2, 8, 32, 32}));
        QCOMPARE(QStringList({g->cellText(1, 64), g->cellText(9, 64)}), QStringList({"64", "8"}));
        QCOMPARE(g->dropDownItems(), QStringList({Window, None}));

        // Where the texts are drawn in a row without activated relays: the
        // relay numbers and the input number centred, the kind on the left,
        // the window number on the right.
        const QImage shot = g->viewport()->grab().toImage();
        const struct {
            int col;
            Qt::Alignment alignment;
        } placed[] = {{1, Qt::AlignHCenter},
                      {2, Qt::AlignHCenter},
                      {9, Qt::AlignHCenter},
                      {10, Qt::AlignLeft},
                      {11, Qt::AlignRight}};
        for (const auto& [col, alignment] : placed) {
            const QRect cell = g->cellRect(col, 10).adjusted(0, 0, -1, -1);
            const QRect ink = InkBox(shot, cell);
            QVERIFY2(!ink.isEmpty(), qPrintable(QString::number(col)));
            const int left = ink.left() - cell.left(), right = cell.right() - ink.right();
            const QString where =
                QStringLiteral("column %1: %2 | %3").arg(col).arg(left).arg(right);
            if (alignment == Qt::AlignHCenter)
                QVERIFY2(qAbs(left - right) <= 2, qPrintable(where));
            else if (alignment == Qt::AlignLeft)
                // after the two blanks the kind texts begin with
                QVERIFY2(left <= 16 && right > left + 10, qPrintable(where));
            else
                QVERIFY2(right <= 8 && left > right + 10, qPrintable(where));
        }

        // The discrete inputs' caption reads upwards: a tall narrow strip of
        // ink whose word gap (the first word is the longer) lies above its
        // middle. The grid is made tall enough to show the whole cell.
        const QSize size = g->size();
        g->resize(size.width(), 32 * 22 + 60);
        const QImage tall = g->viewport()->grab().toImage();
        g->resize(size);
        const QRect caption = InkBox(tall, g->cellRect(0, 1).adjusted(0, 0, -1, -1));
        QVERIFY2(caption.height() > 150 && caption.width() < 16,
                 qPrintable(QStringLiteral("%1x%2").arg(caption.width()).arg(caption.height())));
        int gapTop = 0, gapLength = 0;
        for (int y = caption.top(), run = 0; y <= caption.bottom(); ++y) {
            run =
                InkBox(tall, QRect(caption.left(), y, caption.width(), 1)).isEmpty() ? run + 1 : 0;
            if (run > gapLength) {
                gapLength = run;
                gapTop = y - run + 1;
            }
        }
        QVERIFY2(gapTop + gapLength / 2 < caption.center().y(),
                 qPrintable(
                     QStringLiteral("gap at %1, middle %2").arg(gapTop).arg(caption.center().y())));

        // The scroll bar is always there; the wheel scrolls nothing.
        QVERIFY(g->verticalScrollBar()->isVisible());
        for (QWidget* target : QList<QWidget*>{g->viewport(), g->verticalScrollBar()}) {
            QWheelEvent wheel(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), {}, {0, -480},
                              Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(target, &wheel);
            QCOMPARE(g->verticalScrollBar()->value(), 0);
        }

        // Row 0 stays above the scrolled cells, 22 high, "Активация выходов"
        // drawn across its eight columns with no line inside.
        g->scrollToBottom();
        QHeaderView* strip = g->horizontalHeader();
        QVERIFY(g->isRowHidden(0) && strip->isVisible() && strip->height() == 22);
        const QImage top = strip->viewport()->grab().toImage();
        const QColor face = g->cellBackground(2, 0);
        QCOMPARE(top.pixelColor(strip->sectionViewportPosition(3) - 1, 5), face);
        QVERIFY(top.pixelColor(strip->sectionViewportPosition(10) - 1, 5) != face);

        QCOMPARE(f.page->SBFillCrossBar->geometry(), QRect(555, 10, 40, 25));
        QVERIFY(f.page->SBFillCrossBar->font().bold());
        QCOMPARE(f.page->SBFillCrossBar->palette().color(QPalette::ButtonText), QColor(0, 0, 255));
        QStringList items;
        for (QAction* a : f.page->PMFillCrossBar->actions())
            items << a->objectName() + "=" + a->text();
        QCOMPARE(items, QStringList({"N71=С модулей БВХ-7", "ModBus2=С ModBus", "N19=Пусто"}));
        QTest::mouseClick(f.page->SBFillCrossBar, Qt::RightButton);
        QTest::qWait(20);
        QVERIFY(!f.page->PMFillCrossBar->isVisible());
    }

    void steps_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("code");  // loaded into the row's byte
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Steps>("steps");
        QTest::newRow("window on an empty number")
            << 40 << 255 << None
            << Steps{{"window", 255, "", true, WindowRange, Black},
                     {"7", 6, "7", false, Version, Black}};
        QTest::newRow("33 and 0 rejected") << 2 << 1 << Window
                                           << Steps{{"33", 1, "33", true, WindowRange, Black},
                                                    {"0", 1, "0", true, WindowRange, Black},
                                                    {"32", 31, "32", false, Version, Black}};
        QTest::newRow("none at once, window re-checks")
            << 3 << 2 << Window
            << Steps{{"none", 255, "3", false, Version, Silver},
                     {"window", 2, "3", false, Version, Black}};
        QTest::newRow("relay acknowledge 4") << 10 << 103 << "  Квитирование реле:"
                                             << Steps{{"9", 103, "9", true, RelayRange, Black},
                                                      {"6", 105, "6", false, Version, Black}};
        QTest::newRow("reset of relay 16") << 64 << 131 << "  Сброс реле:"
                                           << Steps{{"", 131, "", true, RelayRange, Black},
                                                    {"8", 123, "8", false, Version, Black}};
        QTest::newRow("code 200") << 20 << 200 << None
                                  << Steps{{"window", 200, "", true, WindowRange, Black},
                                           {"none", 255, "", false, Version, Silver}};
        QTest::newRow("Пусто, then window on row 5")
            << 5 << 4 << Window
            << Steps{{"Пусто", 255, "5", false, Version, Silver},
                     {"window", 4, "5", false, Version, Black}};
        QTest::newRow("Пусто, then window on row 40")
            << 40 << 0 << Window
            << Steps{{"Пусто", 255, "", false, Version, Black},
                     {"window", 255, "", true, WindowRange, Black}};
    }

    // A step changes at most the row's byte of block 3 (a fill: the blocks
    // it fills); a rejected number stays in view on yellow with the message.
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
            ConfigImage expected = f.main->State().Image;
            if (s.action == "Пусто") {
                std::fill(expected.begin() + 41, expected.begin() + 105, uint8_t(255));
                std::fill(expected.begin() + 167, expected.begin() + 231, uint8_t(0));
            }
            expected[41 + row - 1] = uint8_t(s.code);
            f.act(row, s.action);
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
        QTest::addColumn<int>("mask");    // the bit of the row's byte of block 6; 0: none
        QTest::addColumn<int>("clicks");  // quick clicks in a row
        QTest::newRow("relay 1 of input 1, a click") << 2 << 1 << 0x01 << 1;
        QTest::newRow("relay 1 of input 1, a double click") << 2 << 1 << 0x01 << 2;
        QTest::newRow("relay 8 of input 64, a triple click") << 9 << 64 << 0x80 << 3;
        QTest::newRow("relay 3 of input 40, a double click") << 4 << 40 << 0x04 << 2;
        QTest::newRow("relay 5 of input 2, four clicks") << 6 << 2 << 0x10 << 4;
        QTest::newRow("header") << 5 << 0 << 0 << 1;
        QTest::newRow("column 0, a double click") << 0 << 5 << 0 << 2;
        QTest::newRow("input number, a triple click") << 1 << 5 << 0 << 3;
        QTest::newRow("kind list") << 10 << 5 << 0 << 1;
        QTest::newRow("number of a window row") << 11 << 5 << 0 << 1;
        QTest::newRow("number of a none row, a double click") << 11 << 40 << 0 << 2;
    }

    // Every press on a relay cell flips its bit, colours included: a double
    // click leaves it as it was, a triple click flipped. Other cells toggle
    // nothing (an editor opens only where editable).
    void clicks()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(int, mask);
        QFETCH(int, clicks);
        StructureFixture f;
        f.load([](ConfigImage& image) {
            for (int i = 167; i < 231; ++i)
                image[i] = uint8_t(i * 29);
        });
        ConfigImage expected = f.main->State().Image;
        if (clicks % 2)
            expected[167 + row - 1] ^= uint8_t(mask);
        f.grid->scrollTo(f.grid->model()->index(qMax(row, 1), col));
        if (row == 0) {
            QHeaderView* strip = f.grid->horizontalHeader();
            QuickClicks(strip->viewport(), QPoint(strip->sectionViewportPosition(col) + 5, 10),
                        clicks);
        } else {
            QuickClicks(f.grid->viewport(), f.grid->cellRect(col, row).center(), clicks);
        }
        QVERIFY(f.main->State().Image == expected);
        if (mask)
            QCOMPARE(f.relayOn(row, col - 1), bool(expected[167 + row - 1] & mask));
        QCOMPARE(f.grid->isEditing(), col >= 10 && row == 5);
    }

    void keyboard_data()
    {
        QTest::addColumn<QString>("keys");        // s: Space, l r u d: the arrow keys
        QTest::addColumn<QList<int>>("flipped");  // 8 * input + relay - 1, for each flip
        QTest::newRow("Space twice") << "ss" << QList<int>{8 * 3 + 2, 8 * 3 + 2};
        QTest::newRow("right, Space") << "rs" << QList<int>{8 * 3 + 3};
        QTest::newRow("down, left, Space") << "dls" << QList<int>{8 * 4 + 1};
        QTest::newRow("up twice, Space, right, Space")
            << "uusrs" << QList<int>{8 * 1 + 2, 8 * 1 + 3};
    }

    // From relay 3 of input 3 the arrow keys move between the cells and
    // Space toggles the current relay cell, as a click does.
    void keyboard()
    {
        QFETCH(QString, keys);
        QFETCH(QList<int>, flipped);
        StructureFixture f;
        f.grid->setFocus();
        f.grid->setCurrentIndex(f.grid->model()->index(3, 4));
        ConfigImage expected = f.main->State().Image;
        for (int bit : flipped)
            expected[167 + bit / 8 - 1] ^= uint8_t(1 << (bit % 8));
        const QMap<QChar, Qt::Key> key{{'s', Qt::Key_Space},
                                       {'l', Qt::Key_Left},
                                       {'r', Qt::Key_Right},
                                       {'u', Qt::Key_Up},
                                       {'d', Qt::Key_Down}};
        for (QChar k : keys)
            QTest::keyClick(f.grid, key[k]);
        QVERIFY(f.main->State().Image == expected);
        QVERIFY(!f.grid->isEditing());
    }

    void fills_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("firstWindowRow");  // rows r..r+31 on windows 1..32; 0: none
        QTest::newRow("New") << "New" << 1;
        QTest::newRow("С модулей БВХ-7") << "N71" << 1;
        QTest::newRow("С ModBus") << "ModBus2" << 33;
        QTest::newRow("Пусто") << "N19" << 0;
    }

    // New and the fills rewrite both blocks and the grid and clear a yellow
    // mark and its message; a fill changes nothing else in the image and
    // empties the external inputs of the Outputs page while block 5 keeps
    // its bytes.
    void fills()
    {
        QFETCH(QString, item);
        QFETCH(int, firstWindowRow);
        StructureFixture f;
        f.load([](ConfigImage& image) {
            std::fill(image.begin() + 149, image.begin() + 165, uint8_t(4));
            std::fill(image.begin() + 167, image.begin() + 231, uint8_t(0xA5));
        });
        f.act(2, "33");
        ConfigImage expected = f.main->State().Image;
        StringGrid* outputs = f.Page4()->ASGOutBase;
        QCOMPARE(outputs->cellText(4, 2), QStringLiteral("5"));

        if (item == "New")
            f.main->SBNewConfigClick();
        else
            f.fill(f.page->PMFillCrossBar->findChild<QAction*>(item));
        // New: input k activates relay k (1..8).
        const int diagonal = item == "New" ? 8 : 0;
        for (int row = 1; row <= 64; ++row) {
            const int window = firstWindowRow && row >= firstWindowRow && row < firstWindowRow + 32
                                   ? row - firstWindowRow + 1
                                   : 0;
            expected[41 + row - 1] = window ? uint8_t(window - 1) : uint8_t(255);
            expected[167 + row - 1] = row <= diagonal ? uint8_t(1 << (row - 1)) : 0;
            QCOMPARE(f.grid->cellText(KindCol, row), window ? Window : None);
            // "Пусто" leaves rows 1..32 their own number, grey.
            const bool grey = item == "N19" && row <= 32;
            QCOMPARE(f.grid->cellText(NumberCol, row), window ? QString::number(window)
                                                       : grey ? QString::number(row)
                                                              : "");
            QCOMPARE(f.grid->cellFontColor(NumberCol, row), grey ? Silver : Black);
            QCOMPARE(f.grid->cellBackground(NumberCol, row), f.grid->bandColor(row));
            for (int relay = 1; relay <= 8; ++relay)
                QCOMPARE(f.relayOn(row, relay), relay == row && row <= diagonal);
        }
        QCOMPARE(f.bytes(41, 64), QList<int>(expected.begin() + 41, expected.begin() + 105));
        QCOMPARE(f.bytes(167, 64), QList<int>(expected.begin() + 167, expected.begin() + 231));
        QVERIFY(item == "New" || f.main->State().Image == expected);
        QCOMPARE(f.main->StatusText(), Version);
        for (int row = 2; row < 10; ++row)
            QVERIFY(outputs->cellText(4, row).isEmpty() && outputs->cellText(7, row).isEmpty());
    }

    // Every byte value of both blocks shows as the model reads it, and
    // showing writes nothing.
    void everyByteShows()
    {
        StructureFixture f;
        for (int base = 0; base < 256; base += 64) {
            const ConfigImage loaded = f.load([&](ConfigImage& image) {
                for (int i = 0; i < 64; ++i)
                    image[41 + i] = image[167 + i] = uint8_t(base + i);
            });
            for (int row = 1; row <= 64; ++row) {
                const auto code = uint8_t(base + row - 1);
                const auto number = AssignmentNumber(code);
                QCOMPARE(f.grid->cellText(KindCol, row),
                         AssignmentKindText(AssignmentKindOf(code)));
                QCOMPARE(f.grid->cellText(NumberCol, row), number ? QString::number(*number) : "");
                for (int relay = 1; relay <= 8; ++relay)
                    QCOMPARE(f.relayOn(row, relay), bool(code & (1 << (relay - 1))));
            }
            QVERIFY(f.main->State().Image == loaded);
        }
    }
};

QTEST_MAIN(TestStructurePage)
#include "tst_structure_page.moc"
