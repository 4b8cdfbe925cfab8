#include "app_fixture.h"
#include "pages/external_net_page.h"
#include "pages/mb_master_form.h"
#include "widgets/row_select_grid.h"
#include "widgets/wrapping_cell_delegate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
// Image offsets of the count bytes of the three tables.
constexpr int Requests = 233;
constexpr int Acks = 316;
constexpr int Resets = 399;

// A record of five bytes: device, function, address (low byte first), count.
void Put(ConfigImage& image, int table, int k, int device, int function, int address, int count)
{
    uint8_t* r = image.data() + table + 1 + 5 * k;
    r[0] = uint8_t(device);
    r[1] = uint8_t(function);
    r[2] = uint8_t(address & 0xFF);
    r[3] = uint8_t(address >> 8);
    r[4] = uint8_t(count);
}

// What the request-details dialog shows, field by field; an address field
// that is disabled is marked "(off)".
QStringList Shown(const TFMBMaster* d)
{
    auto address = [](const QLineEdit* e) { return e->text() + (e->isEnabled() ? "" : "(off)"); };
    return {d->EDevice->text(),
            d->CBFunction->currentText() + '#' + QString::number(d->CBFunction->currentIndex()),
            d->EAddress->text(),
            d->ECount->text(),
            (d->CBAck->isChecked() ? "ack " : "no ack ") + address(d->EAckAddress),
            (d->CBReset->isChecked() ? "reset " : "no reset ") + address(d->EResetAddress)};
}

// The main window shown with the external network page in front (its tab
// stays hidden; the page is reached from code only).
struct ExternalNetFixture : AppFixture {
    TExternalNetPage* page = Page8();
    RowSelectGrid* grid = page->ASGExternalNet;

    ExternalNetFixture()
    {
        main->show();
        Pager()->setActivePage(page);
        if (!QTest::qWaitForWindowExposed(main))
            qFatal("window not exposed");
    }

    void load(const std::function<void(ConfigImage&)>& change)
    {
        ConfigImage image = main->State().Image;
        change(image);
        main->ReplaceImage(image, 0);
    }

    QPoint centre(int col, int row) const { return grid->cellRect(col, row).center(); }
    void click(int col, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre(col, row));
    }
    void doubleClick(int col, int row)
    {
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre(col, row));
    }
};
}  // namespace

class TestExternalNetPage : public QObject {
    Q_OBJECT
private slots:
    void layout()
    {
        ExternalNetFixture f;
        RowSelectGrid* g = f.grid;
        QVERIFY(!f.Pager()->isTabVisible(f.Pager()->indexOf(f.page)));
        QCOMPARE(g->geometry(), QRect(20, 10, 524, 400));
        QList<int> widths;
        for (int col = 0; col < g->columnCount(); ++col)
            widths << g->columnWidth(col);
        QCOMPARE(widths, (QList<int>{60, 80, 80, 60, 80, 80, 80}));
        QCOMPARE(g->rowCount(), 18);
        // Every row 22 pixels on screen, the two header rows included: the
        // merged headers span 44.
        for (int row = 0; row < 17; ++row)
            QCOMPARE(g->rowViewportPosition(row + 1) - g->rowViewportPosition(row), 22);
        QCOMPARE(g->cellRect(0, 2).top() - g->cellRect(0, 0).top(), 44);

        // Header texts, the cells they cover, and the lines they take.
        const QList<std::tuple<int, int, int, int, QString, QStringList>> headers{
            {0, 0, 1, 2, "Устрой- ство", {"Устрой-", "ство"}},
            {1, 0, 1, 2, "Функция ModBus", {"Функция", "ModBus"}},
            {2, 0, 3, 1, "Данные", {"Данные"}},
            {2, 1, 1, 1, "Адрес", {"Адрес"}},
            {3, 1, 1, 1, "Кол-во", {"Кол-во"}},
            {4, 1, 1, 1, "№ Входа", {"№ Входа"}},
            {5, 0, 1, 2, "Квитиро- вание", {"Квитиро-", "вание"}},
            {6, 0, 1, 2, "Cброс", {"Cброс"}},
        };
        QFont bold = g->font();
        bold.setBold(true);
        for (const auto& [col, row, colSpan, rowSpan, text, lines] : headers) {
            QCOMPARE(g->cellText(col, row), text);
            QCOMPARE(QSize(g->columnSpan(row, col), g->rowSpan(row, col)), QSize(colSpan, rowSpan));
            QVERIFY(g->item(row, col)->textAlignment() & Qt::AlignHCenter);
            const int room = WrappingCellDelegate::textRect(g->cellRect(col, row)).width();
            QCOMPARE(WrapAtBlanks(text, QFontMetrics(bold), room), lines);
        }
        QCOMPARE(g->cellText(6, 0).at(0), QChar(u'C'));  // Latin, not Cyrillic

        // Request rows: banded, column 4 on its own colour, columns 0..3
        // right-aligned and 4..6 centred.
        for (int row = 2; row < 18; ++row) {
            const QColor band =
                g->palette().color(row % 2 ? QPalette::Base : QPalette::ToolTipBase);
            for (int col = 0; col < 7; ++col) {
                QCOMPARE(g->cellBackground(col, row), col == 4 ? QColor(226, 228, 245) : band);
                QVERIFY(g->item(row, col)->textAlignment() &
                        (col < 4 ? Qt::AlignRight : Qt::AlignHCenter));
            }
        }
        QCOMPARE(f.page->SBDownRequestRow->geometry(), QRect(558, 146, 35, 35));
        QVERIFY(f.page->Button27->isHidden() && !f.page->Button28->isHidden());
    }

    void selection_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("clicks");    // rows clicked in turn
        QTest::addColumn<QList<int>>("selected");  // the selected row after each, -1 none
        QTest::newRow("count 0") << 0 << QList<int>{2, 3, 17, 0} << QList<int>{-1, -1, -1, -1};
        QTest::newRow("count 3") << 3 << QList<int>{2, 4, 5, 1, 3} << QList<int>{2, 4, 4, 4, 3};
        QTest::newRow("count 16") << 16 << QList<int>{17, 2} << QList<int>{17, 2};
        QTest::newRow("damaged count 200") << 200 << QList<int>{17, 9} << QList<int>{17, 9};
    }

    // Only the rows of requests in use take the selection, drawn over the
    // whole row; a click elsewhere leaves it where it was.
    void selection()
    {
        QFETCH(int, count);
        QFETCH(QList<int>, clicks);
        QFETCH(QList<int>, selected);
        ExternalNetFixture f;
        f.load([&](ConfigImage& image) { image[Requests] = uint8_t(count); });
        const ConfigImage loaded = f.main->State().Image;
        QCOMPARE(f.grid->selectedRow(), -1);
        for (int i = 0; i < clicks.size(); ++i) {
            f.click(i % 7, clicks[i]);
            QCOMPARE(f.grid->selectedRow(), selected[i]);
            const QImage drawn = f.grid->viewport()->grab().toImage();
            for (int row : {2, 9, 17}) {
                const QPoint inside = f.grid->cellRect(4, row).topLeft() + QPoint(3, 3);
                QCOMPARE(drawn.pixelColor(inside),
                         row == selected[i] ? f.grid->palette().color(QPalette::Highlight)
                                            : QColor(226, 228, 245));
            }
        }
        QVERIFY(f.main->State().Image == loaded);
        QVERIFY(!f.page->FMBMaster->isVisible());
    }

    // The cursor keys cannot leave the rows in use either.
    void keysStayOnRequests()
    {
        ExternalNetFixture f;
        f.load([](ConfigImage& image) { image[Requests] = 3; });
        f.click(1, 3);
        f.grid->setFocus();
        QList<int> rows;
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_End, Qt::Key_PageDown, Qt::Key_Up,
                            Qt::Key_Up, Qt::Key_Up, Qt::Key_Home}) {
            QTest::keyClick(f.grid, key);
            rows << f.grid->selectedRow();
        }
        QCOMPARE(rows, (QList<int>{4, 4, 4, 4, 3, 2, 2, 2}));
    }

    void doubleClick_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("record");  // the record shown, -1 no dialog
        QTest::newRow("count 0, row 2") << 0 << 2 << -1;
        QTest::newRow("count 3, row 4") << 3 << 4 << 2;
        QTest::newRow("count 3, row 5") << 3 << 5 << -1;
        QTest::newRow("count 3, header row 0") << 3 << 0 << -1;
        QTest::newRow("count 3, header row 1") << 3 << 1 << -1;
        QTest::newRow("damaged count 255, row 17") << 255 << 17 << 15;
    }

    // A double click on a request row in use opens its details modally,
    // without blocking; closing the dialog leaves the image as it was.
    void doubleClick()
    {
        QFETCH(int, count);
        QFETCH(int, row);
        QFETCH(int, record);
        ExternalNetFixture f;
        f.load([&](ConfigImage& image) {
            image[Requests] = uint8_t(count);
            for (int k = 0; k < 16; ++k)
                Put(image, Requests, k, 100 + k, 3, 0, k);
        });
        const ConfigImage loaded = f.main->State().Image;
        TFMBMaster* dialog = f.page->FMBMaster;
        for (int col : {0, 4, 6}) {
            f.doubleClick(col, row);
            QCOMPARE(dialog->isVisible(), record >= 0);
            if (record < 0)
                continue;
            QCOMPARE(dialog->EDevice->text(), QString::number(100 + record));
            QCOMPARE(dialog->windowModality(), Qt::WindowModal);
            QTest::mouseClick(dialog->BClose, Qt::LeftButton);
            QVERIFY(!dialog->isVisible());
        }
        QVERIFY(f.main->State().Image == loaded);
    }

    void details_data()
    {
        using Fill = std::function<void(ConfigImage&)>;
        QTest::addColumn<Fill>("fill");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("device 7, function 2, ack, no reset") << Fill([](ConfigImage& image) {
            image[Requests] = 1;
            Put(image, Requests, 0, 7, 2, 0x0010, 8);
            image[Acks] = 2;
            Put(image, Acks, 0, 3, 5, 0x0200, 1);
            Put(image, Acks, 1, 7, 5, 0x0100, 1);
            image[Resets] = 1;
            Put(image, Resets, 0, 8, 5, 0x0300, 1);
        }) << QStringList{"7", "2   R.Disc#1", "0x0010", "8", "ack 0x0100", "no reset 0x0001(off)"};
        QTest::newRow("function 3 shows 0x03")
            << Fill([](ConfigImage& image) {
                   image[Requests] = 1;
                   Put(image, Requests, 0, 7, 3, 31, 0);
               })
            << QStringList{
                   "7", "0x03#-1", "0x001F", "0", "no ack 0x0000(off)", "no reset 0x0001(off)"};
        QTest::newRow("function 1, largest values") << Fill([](ConfigImage& image) {
            image[Requests] = 1;
            Put(image, Requests, 0, 255, 1, 0xFFFF, 255);
            image[Resets] = 1;
            Put(image, Resets, 0, 255, 0, 0xABCD, 0);
        }) << QStringList{"255", "1   R.Coil #0",      "0xFFFF",
                          "255", "no ack 0x0000(off)", "reset 0xABCD"};
        QTest::newRow("two records of the device: the first") << Fill([](ConfigImage& image) {
            image[Requests] = 1;
            Put(image, Requests, 0, 9, 0xAB, 0x1234, 16);
            image[Acks] = 3;
            Put(image, Acks, 0, 1, 5, 0x0001, 1);
            Put(image, Acks, 1, 9, 5, 0x0A0B, 1);
            Put(image, Acks, 2, 9, 5, 0x0C0D, 1);
            image[Resets] = 2;
            Put(image, Resets, 0, 9, 5, 0x00FE, 1);
            Put(image, Resets, 1, 9, 5, 0x00FF, 1);
        }) << QStringList{"9", "0xAB#-1", "0x1234", "16", "ack 0x0A0B", "reset 0x00FE"};
        QTest::newRow("records past the count are not found") << Fill([](ConfigImage& image) {
            image[Requests] = 1;
            Put(image, Requests, 0, 4, 2, 0, 1);
            image[Acks] = 1;
            Put(image, Acks, 0, 5, 5, 0x0010, 1);
            Put(image, Acks, 1, 4, 5, 0x0020, 1);
            image[Resets] = 0;
            Put(image, Resets, 0, 4, 5, 0x0030, 1);
        }) << QStringList{"4", "2   R.Disc#1",       "0x0000",
                          "1", "no ack 0x0000(off)", "no reset 0x0001(off)"};
        // A damaged count reaches the 16 records and no further: the bytes
        // after a table (its CRC and the next table) hold no record.
        QTest::newRow("damaged counts stop at 16 records") << Fill([](ConfigImage& image) {
            image[Requests] = 200;
            Put(image, Requests, 0, 6, 1, 0x0002, 4);
            image[Acks] = 200;
            image[Resets] = 200;
            for (int k = 0; k < 16; ++k) {
                Put(image, Acks, k, 50 + k, 5, 0x1000, 1);
                Put(image, Resets, k, 50 + k, 5, 0x1000, 1);
            }
            Put(image, Resets, 15, 6, 5, 0x0BAD, 1);  // the last record there is room for
            image[Acks + 81] = 6;                     // where a record 16 would begin
        }) << QStringList{"6", "1   R.Coil #0",      "0x0002",
                          "4", "no ack 0x0000(off)", "reset 0x0BAD"};
    }

    // The dialog shows the request of the row and the first acknowledge and
    // reset records of its device, as far as they exist.
    void details()
    {
        QFETCH(std::function<void(ConfigImage&)>, fill);
        QFETCH(QStringList, expected);
        ExternalNetFixture f;
        f.load([](ConfigImage& image) {  // a request shown before leaves nothing behind
            image[Requests] = 1;
            Put(image, Requests, 0, 7, 1, 0x5555, 5);
            image[Acks] = image[Resets] = 1;
            Put(image, Acks, 0, 7, 5, 0x6666, 1);
            Put(image, Resets, 0, 7, 5, 0x7777, 1);
        });
        f.doubleClick(0, 2);
        f.page->FMBMaster->reject();
        f.load([&](ConfigImage& image) {
            std::fill(image.begin() + Requests, image.end(), 0);
            fill(image);
        });
        f.doubleClick(1, 2);
        QVERIFY(f.page->FMBMaster->isVisible());
        QCOMPARE(Shown(f.page->FMBMaster), expected);
        f.page->FMBMaster->reject();
    }
};

QTEST_MAIN(TestExternalNetPage)
#include "tst_external_net_page.moc"
