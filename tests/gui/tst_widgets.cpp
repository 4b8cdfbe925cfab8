#include "message_guard.h"
#include "widgets/icons.h"
#include "widgets/picture_button.h"
#include "widgets/popup_menu.h"
#include "widgets/rounded_group_box.h"
#include "widgets/string_grid.h"
#include "widgets/vertical_pager.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {
const QStringList Captions{"ТЕСТЫ",  "Конфигурация", "ModBus",       "Входы",
                           "Выходы", "Структура",    "Сигнализация", "Внешняя сеть"};

bool IsInk(QRgb pixel)
{
    return qAlpha(pixel) > 0 && qMax(qMax(qRed(pixel), qGreen(pixel)), qBlue(pixel)) < 70;
}

// Nearly black on an opaque white ground.
bool IsDark(QRgb pixel)
{
    return qRed(pixel) < 90 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}

int CountDark(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += IsDark(image.pixel(x, y)) ? 1 : 0;
    }
    return n;
}

QImage Rendered(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

int ColourDistance(QColor a, QColor b)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

// A pager with the main window's eight pages, the first and the last tab
// hidden; tall enough for six tabs of full height unless told otherwise.
struct PagerFixture {
    explicit PagerFixture(int height = 600)
    {
        pager.resize(692, height);
        for (int i = 0; i < Captions.size(); ++i) {
            auto* page = new QWidget;
            page->setObjectName(QStringLiteral("AdvOfficePage%1").arg(i + 1));
            pages.append(page);
            pager.addPage(page, Captions[i], Icons::PageConfig());
        }
        pager.setTabVisible(0, false);
        pager.setTabVisible(7, false);
    }
    VerticalPager pager;
    QList<QWidget*> pages;
};
}  // namespace

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { FailOnEditingFailed(); }

    // ---- VerticalPager ----

    void pagerKeepsPagesInOrder()
    {
        PagerFixture f;
        QCOMPARE(f.pager.count(), 8);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(f.pager.page(i), f.pages[i]);
            QCOMPARE(f.pager.page(i)->objectName(), QStringLiteral("AdvOfficePage%1").arg(i + 1));
            QCOMPARE(f.pager.caption(i), Captions[i]);
            QCOMPARE(f.pager.indexOf(f.pages[i]), i);
        }
        QCOMPARE(f.pager.page(8), nullptr);
        QCOMPARE(f.pager.caption(-1), QString());
        // Adding a page twice keeps one tab.
        QCOMPARE(f.pager.addPage(f.pages[3], "again", QIcon()), 3);
        QCOMPARE(f.pager.count(), 8);
    }

    void pagerFirstPageBecomesActive()
    {
        VerticalPager pager;
        QSignalSpy changed(&pager, &VerticalPager::activePageChanged);
        QCOMPARE(pager.activeIndex(), -1);
        QCOMPARE(pager.activePage(), nullptr);
        auto* first = new QWidget;
        pager.addPage(first, "a", QIcon());
        pager.addPage(new QWidget, "b", QIcon());
        QCOMPARE(pager.activePage(), first);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), 0);
    }

    void pagerTabGeometry()
    {
        PagerFixture f;
        f.pager.setActivePage(f.pages[1]);
        f.pager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.pager));
        QCOMPARE(f.pager.tabBar()->width(), 86);
        QCOMPARE(f.pages[1]->width(), 606);  // the editor pages' width beside the column
        QCOMPARE(f.pages[1]->height(), 600);

        QVERIFY(!f.pager.isTabVisible(0));
        QVERIFY(!f.pager.isTabVisible(7));
        QVERIFY(f.pager.tabRect(0).isEmpty());
        QVERIFY(f.pager.tabRect(7).isEmpty());
        // The visible tabs close up from the top, 85 pixels each.
        for (int i = 1; i <= 6; ++i) {
            QVERIFY(f.pager.isTabVisible(i));
            const QRect r = f.pager.tabRect(i);
            QCOMPARE(r.height(), 85);
            QCOMPARE(r.top(), (i - 1) * 85);
            QCOMPARE(r.width(), 86);
        }
        f.pager.setTabVisible(3, false);
        QCOMPARE(f.pager.tabRect(4).top(), 2 * 85);
        f.pager.setTabVisible(3, true);
        QCOMPARE(f.pager.tabRect(4).top(), 3 * 85);
        QVERIFY(!f.pager.isTabVisible(99));
    }

    void pagerTabsShareShortColumn_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("tabHeight");
        QTest::newRow("room for all") << 510 << 85;
        QTest::newRow("the main window's page area") << 425 << 70;
        QTest::newRow("far too short") << 200 << 60;
    }

    void pagerTabsShareShortColumn()
    {
        QFETCH(int, height);
        QFETCH(int, tabHeight);
        PagerFixture f(height);
        f.pager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.pager));
        QCOMPARE(f.pager.tabBar()->height(), height);
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(f.pager.tabRect(i), QRect(0, (i - 1) * tabHeight, 86, tabHeight));
        // With fewer tabs shown they grow back, never beyond 85.
        for (int i = 2; i <= 5; ++i)
            f.pager.setTabVisible(i, false);
        QCOMPARE(f.pager.tabRect(6).height(), qMin(85, height / 2));
    }

    void pagerClickActivatesTab_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 1; i <= 6; ++i)
            QTest::newRow(qPrintable(Captions[i])) << i;
    }

    void pagerClickActivatesTab()
    {
        QFETCH(int, index);
        PagerFixture f;
        f.pager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.pager));
        f.pager.setActivePage(f.pages[index == 1 ? 2 : 1]);
        QSignalSpy changed(&f.pager, &VerticalPager::activePageChanged);

        QTest::mouseClick(f.pager.tabBar(), Qt::LeftButton, {}, f.pager.tabRect(index).center());
        QCOMPARE(f.pager.activeIndex(), index);
        QCOMPARE(f.pager.activePage(), f.pages[index]);
        QVERIFY(f.pages[index]->isVisible());
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toInt(), index);

        // A second click on the chosen tab changes nothing.
        QTest::mouseClick(f.pager.tabBar(), Qt::LeftButton, {}, f.pager.tabRect(index).center());
        QCOMPARE(changed.count(), 1);
    }

    void pagerHiddenTabsCannotBeClicked()
    {
        PagerFixture f(425);  // as in the main window: every tab must stay within reach
        f.pager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.pager));
        f.pager.setActivePage(f.pages[1]);
        QSignalSpy changed(&f.pager, &VerticalPager::activePageChanged);
        // Sweep the whole column: only shown tabs ever become active.
        QSet<int> reached;
        for (int y = 2; y < f.pager.tabBar()->height(); y += 7) {
            QTest::mouseClick(f.pager.tabBar(), Qt::LeftButton, {}, QPoint(40, y));
            reached.insert(f.pager.activeIndex());
        }
        QCOMPARE(reached, (QSet<int>{1, 2, 3, 4, 5, 6}));
        for (const QList<QVariant>& signal : changed)
            QVERIFY(signal.at(0).toInt() != 0 && signal.at(0).toInt() != 7);
        // Below the last tab nothing is hit.
        f.pager.setActivePage(f.pages[2]);
        const int belowLast = f.pager.tabRect(6).bottom() + 2;
        QVERIFY(belowLast < f.pager.tabBar()->height());
        QTest::mouseClick(f.pager.tabBar(), Qt::LeftButton, {}, QPoint(40, belowLast));
        QCOMPARE(f.pager.activeIndex(), 2);
        // A right click does not choose a tab.
        QTest::mouseClick(f.pager.tabBar(), Qt::RightButton, {}, f.pager.tabRect(5).center());
        QCOMPARE(f.pager.activeIndex(), 2);
    }

    void pagerShowsPageOfHiddenTab()
    {
        PagerFixture f;
        f.pager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.pager));
        QSignalSpy changed(&f.pager, &VerticalPager::activePageChanged);
        f.pager.setActivePage(f.pages[7]);
        QCOMPARE(f.pager.activeIndex(), 7);
        QCOMPARE(f.pager.activePage(), f.pages[7]);
        QVERIFY(f.pages[7]->isVisible());
        QVERIFY(!f.pager.isTabVisible(7));
        QCOMPARE(changed.count(), 1);

        f.pager.setActivePage(f.pages[7]);  // already shown: no news
        QWidget stranger;
        f.pager.setActivePage(&stranger);
        f.pager.setActivePage(nullptr);
        QCOMPARE(f.pager.activeIndex(), 7);
        QCOMPARE(changed.count(), 1);
    }

    void pagerArrowKeysSkipHiddenTabs()
    {
        PagerFixture f;
        f.pager.setTabVisible(3, false);
        f.pager.setActivePage(f.pages[2]);
        QTest::keyClick(f.pager.tabBar(), Qt::Key_Down);
        QCOMPARE(f.pager.activeIndex(), 4);
        QTest::keyClick(f.pager.tabBar(), Qt::Key_Up);
        QCOMPARE(f.pager.activeIndex(), 2);
        QTest::keyClick(f.pager.tabBar(), Qt::Key_Up);
        QCOMPARE(f.pager.activeIndex(), 1);
        QTest::keyClick(f.pager.tabBar(), Qt::Key_Up);  // the tests tab is hidden
        QCOMPARE(f.pager.activeIndex(), 1);
        f.pager.setActivePage(f.pages[6]);
        QTest::keyClick(f.pager.tabBar(), Qt::Key_Down);  // so is the network tab
        QCOMPARE(f.pager.activeIndex(), 6);
    }

    void pagerDeletedPageLosesItsTab()
    {
        PagerFixture f;
        f.pager.setActivePage(f.pages[5]);
        delete f.pages[2];
        QCOMPARE(f.pager.count(), 7);
        QCOMPARE(f.pager.caption(2), Captions[3]);
        QCOMPARE(f.pager.activePage(), f.pages[5]);
        QCOMPARE(f.pager.activeIndex(), 4);
        QCOMPARE(f.pager.tabRect(2).top(), f.pager.tabRect(1).bottom() + 1);
        QCOMPARE(f.pager.tabRect(5).top(), 4 * f.pager.tabRect(1).height());
        QCOMPARE(f.pager.caption(6), Captions[7]);
        QVERIFY(f.pager.tabRect(6).isEmpty());  // still hidden
    }

    void pagerAntialiasingSwitch()
    {
        PagerFixture f;
        f.pager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.pager));
        f.pager.setActivePage(f.pages[2]);
        QVERIFY(f.pager.tabsAntialiased());
        const QImage smooth = Rendered(*f.pager.tabBar());
        f.pager.setTabsAntialiased(false);
        QVERIFY(!f.pager.tabsAntialiased());
        const QImage plain = Rendered(*f.pager.tabBar());
        QVERIFY(smooth != plain);
        f.pager.setTabsAntialiased(true);
        QCOMPARE(Rendered(*f.pager.tabBar()), smooth);
    }

    void pagerHighlightsActiveTab()
    {
        PagerFixture f;
        f.pager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.pager));
        f.pager.setActivePage(f.pages[1]);
        const QImage before = Rendered(*f.pager.tabBar());
        f.pager.setActivePage(f.pages[4]);
        const QImage after = Rendered(*f.pager.tabBar());
        // Only the old and the new tab are drawn differently.
        for (int i = 1; i <= 6; ++i) {
            const QRect r = f.pager.tabRect(i);
            const bool same = before.copy(r) == after.copy(r);
            QCOMPARE(same, i != 1 && i != 4);
        }
    }

    // ---- Icons ----

    void lampPictures_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("green") << 0 << QColor(0, 255, 0);
        QTest::newRow("yellow") << 1 << QColor(255, 255, 0);
        QTest::newRow("red") << 2 << QColor(255, 0, 0);
        QTest::newRow("light grey") << 3 << QColor(224, 224, 224);
        QTest::newRow("orange") << 4 << QColor(255, 165, 0);
        QTest::newRow("magenta") << 5 << QColor(255, 0, 255);
    }

    void lampPictures()
    {
        QFETCH(int, index);
        QFETCH(QColor, colour);
        const QImage picture = Icons::Picture(index).toImage();
        QCOMPARE(picture.size(), QSize(16, 16));
        const QColor middle = picture.pixelColor(8, 8);
        QCOMPARE(middle.alpha(), 255);
        QVERIFY2(ColourDistance(middle, colour) <= 12, qPrintable(middle.name()));
        QCOMPARE(Icons::LampColour(index), colour);
        // The closest of the six lamp colours is its own.
        for (int other = 0; other < 6; ++other) {
            if (other != index)
                QVERIFY(ColourDistance(middle, Icons::LampColour(other)) > 60);
        }
        QCOMPARE(qAlpha(picture.pixel(0, 0)), 0);  // a round lamp on a clear ground
        QCOMPARE(qAlpha(picture.pixel(15, 15)), 0);
    }

    void pictureListBounds()
    {
        for (int i = 0; i < Icons::PictureCount; ++i) {
            QVERIFY(!Icons::Picture(i).isNull());
            QCOMPARE(Icons::Picture(i).size(), QSize(16, 16));
        }
        QVERIFY(Icons::Picture(-1).isNull());
        QVERIFY(Icons::Picture(Icons::PictureCount).isNull());
        QVERIFY(!Icons::LampColour(6).isValid());
        // A cached picture is the same picture.
        QCOMPARE(Icons::Picture(2).toImage(), Icons::Picture(2).toImage());
    }

    void contactPictures()
    {
        const QImage open = Icons::Picture(Icons::ContactOpen).toImage();
        const QImage closed = Icons::Picture(Icons::ContactClosed).toImage();
        QVERIFY(open != closed);
        // Black on a clear ground, nothing else.
        for (const QImage* image : {&open, &closed}) {
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const QRgb p = image->pixel(x, y);
                    QVERIFY(qAlpha(p) == 0 || IsInk(p));
                }
            }
            // Both leads on one line: row 11, left of column 6 and right of column 9.
            for (int x : {1, 3, 5, 10, 12, 14})
                QVERIFY(IsInk(image->pixel(x, 11)));
            QCOMPARE(qAlpha(image->pixel(8, 11)), 0);  // the gap between them
        }
        // Open: the blade rises to the upper right and stays clear of the right lead.
        QVERIFY(IsInk(open.pixel(9, 8)));
        for (int x = 10; x <= 14; ++x) {
            QCOMPARE(qAlpha(open.pixel(x, 10)), 0);
            QCOMPARE(qAlpha(open.pixel(x, 9)), 0);
        }
        QCOMPARE(qAlpha(open.pixel(5, 7)), 0);  // no post
        // Closed: two posts, the left one taller, the blade resting on the right one.
        for (int y = 6; y <= 10; ++y)
            QVERIFY(IsInk(closed.pixel(5, y)));
        for (int y = 9; y <= 10; ++y)
            QVERIFY(IsInk(closed.pixel(10, y)));
        QCOMPARE(qAlpha(closed.pixel(10, 6)), 0);
        QVERIFY(IsInk(closed.pixel(8, 7)));
        QVERIFY(IsInk(closed.pixel(10, 8)));
    }

    void fillButtonPicture()
    {
        const QImage picture = Icons::FillButtonPicture().toImage();
        QCOMPARE(picture.size(), QSize(29, 17));
        auto inkInRow = [&](int y, int from, int to) {
            int n = 0;
            for (int x = from; x <= to; ++x)
                n += IsInk(picture.pixel(x, y)) ? 1 : 0;
            return n;
        };
        // A downward arrow at the right: wide on top, one pixel at the tip.
        QCOMPARE(inkInRow(7, 20, 28), 7);
        QCOMPARE(inkInRow(8, 20, 28), 5);
        QCOMPARE(inkInRow(10, 20, 28), 1);
        QCOMPARE(inkInRow(11, 20, 28), 0);
        QCOMPARE(inkInRow(6, 20, 28), 0);
        // A clear gap between the pencil over the sheet and the arrow.
        for (int y = 0; y < 17; ++y) {
            for (int x = 19; x <= 21; ++x)
                QCOMPARE(qAlpha(picture.pixel(x, y)), 0);
        }
        // The sheet (white paper) and the pencil (yellow body) on the left.
        bool paper = false, pencil = false;
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 19; ++x) {
                const QColor c = picture.pixelColor(x, y);
                paper |= c.alpha() == 255 && c.lightness() > 235;
                pencil |=
                    c.alpha() == 255 && c.hue() >= 30 && c.hue() <= 60 && c.saturation() > 150;
            }
        }
        QVERIFY(paper);
        QVERIFY(pencil);
    }

    void commandAndPageIcons_data()
    {
        QTest::addColumn<int>("which");
        const QStringList names{"NewConfig",     "OpenFile",       "SaveFile",        "Connection",
                                "ReadConfig",    "WriteConfig",    "ApplyConfig",     "PageTests",
                                "PageConfig",    "PageModbus",     "PageInputs",      "PageOutputs",
                                "PageStructure", "PageSignalling", "PageExternalNet", "AppIcon"};
        for (int i = 0; i < names.size(); ++i)
            QTest::newRow(qPrintable(names[i])) << i;
    }

    void commandAndPageIcons()
    {
        QFETCH(int, which);
        const QIcon icon = AllIcons()[which]();
        QVERIFY(!icon.isNull());
        for (int size : {16, 24, 32}) {
            const QImage image = icon.pixmap(size, size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            int opaque = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x)
                    opaque += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
            }
            QVERIFY2(opaque > size * size / 8, "the icon is mostly empty");
            QVERIFY2(opaque < size * size, "the icon has no clear ground");
        }
        // Each command and page has an icon of its own.
        const QImage mine = icon.pixmap(32, 32).toImage();
        for (int other = 0; other < int(AllIcons().size()); ++other) {
            if (other != which)
                QVERIFY(AllIcons()[other]().pixmap(32, 32).toImage() != mine);
        }
    }

    void appIconIsLarge() { QVERIFY(Icons::AppIcon().availableSizes().contains(QSize(128, 128))); }

    // ---- RoundedGroupBox ----

    void groupBoxCaptionPlace_data()
    {
        QTest::addColumn<bool>("bottom");
        QTest::newRow("top left") << false;
        QTest::newRow("bottom centre") << true;
    }

    void groupBoxCaptionPlace()
    {
        QFETCH(bool, bottom);
        RoundedGroupBox box(" Дискретные ");
        box.resize(186, 150);
        QPalette palette = box.palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        palette.setColor(QPalette::Dark, QColor(150, 150, 150));
        box.setPalette(palette);
        QCOMPARE(box.captionPlace(), RoundedGroupBox::CaptionPlace::TopLeft);
        if (bottom)
            box.setCaptionPlace(RoundedGroupBox::CaptionPlace::BottomCentre);

        const QImage image = Rendered(box);
        const int band = QFontMetrics(box.font()).height();
        const QRect topBand(0, 0, 186, band);
        const QRect bottomBand(0, 150 - band, 186, band);
        const QRect caption = box.captionRect();
        QVERIFY(!caption.isEmpty());

        // The caption's ink is in its band and nowhere else; the frame is grey.
        const int inTop = CountDark(image, topBand);
        const int inBottom = CountDark(image, bottomBand);
        QCOMPARE(inTop + inBottom, CountDark(image, image.rect()));
        QVERIFY(bottom ? inBottom > 20 : inTop > 20);
        QCOMPARE(bottom ? inTop : inBottom, 0);

        // Where along the band: centred, or from the left.
        qint64 sumX = 0;
        int count = 0;
        for (int y = 0; y < 150; ++y) {
            for (int x = 0; x < 186; ++x) {
                if (IsDark(image.pixel(x, y))) {
                    sumX += x;
                    ++count;
                }
            }
        }
        const int meanX = int(sumX / count);
        if (bottom) {
            QVERIFY2(qAbs(meanX - 93) <= 6, qPrintable(QString::number(meanX)));
            QCOMPARE(caption.center().x(), 92);
            QCOMPARE(caption.bottom(), 149);
        } else {
            QVERIFY2(meanX < 70, qPrintable(QString::number(meanX)));
            QCOMPARE(caption.top(), 0);
            QVERIFY(caption.left() < 15);
        }

        // The frame runs down both sides.
        for (int x : {0, 184})
            QVERIFY(image.pixel(x, 75) != qRgb(255, 255, 255));
        // ...but not through the caption: the line is broken where it stands.
        const int frameRow = caption.center().y();
        QCOMPARE(image.pixel(caption.left(), frameRow), qRgb(255, 255, 255));
    }

    void groupBoxBoldOnlyForItsCaption()
    {
        RoundedGroupBox box(" Паритет ");
        auto* label = new QLabel("Отсутствует", &box);
        label->setGeometry(14, 24, 100, 20);
        QVERIFY(!box.font().bold());
        QVERIFY(!label->font().bold());
        QCOMPARE(label->geometry(), QRect(14, 24, 100, 20));  // absolute placement kept

        // The caption is drawn in bold: more ink than the same text in the plain font.
        box.resize(200, 80);
        const QImage image = Rendered(box);
        QImage plain(200, 30, QImage::Format_ARGB32);
        plain.fill(Qt::white);
        {
            QPainter p(&plain);
            p.setFont(box.font());
            p.setPen(Qt::black);
            p.drawText(box.captionRect(), Qt::AlignCenter, box.title());
        }
        const QRect captionArea = box.captionRect();
        QVERIFY(CountDark(image, captionArea) > CountDark(plain, captionArea));
    }

    void groupBoxWithoutCaption()
    {
        RoundedGroupBox box(QString{});
        box.resize(180, 99);
        box.setBorderColor(QColor(0, 0, 128));
        QCOMPARE(box.borderColor(), QColor(0, 0, 128));
        QVERIFY(box.captionRect().isEmpty());
        const QImage image = Rendered(box);
        // A closed frame in the given colour: the top and bottom edges run whole.
        for (int x : {20, 90, 160}) {
            QCOMPARE(image.pixelColor(x, 0), QColor(0, 0, 128));
            QCOMPARE(image.pixelColor(x, 97), QColor(0, 0, 128));
        }
        // Rounded corners: the very corner stays clear.
        QCOMPARE(image.pixel(0, 0), qRgb(255, 255, 255));
    }

    // ---- PictureButton ----

    void pictureButtonShowsPicture()
    {
        PictureButton button;
        button.setPicture(Icons::FillButtonPicture());
        QCOMPARE(button.iconSize(), QSize(29, 17));
        QCOMPARE(button.picture().size(), QSize(29, 17));
        button.setPicture(Icons::Picture(Icons::ContactClosed));
        QCOMPARE(button.iconSize(), QSize(16, 16));
        QCOMPARE(button.picture().toImage(), Icons::Picture(Icons::ContactClosed).toImage());
        QCOMPARE(button.focusPolicy(), Qt::StrongFocus);
        button.setTag(41);
        QCOMPARE(button.tag(), 41);
    }

    void pictureButtonDropsMenuBelow()
    {
        QWidget window;
        window.resize(300, 200);
        auto* button = new PictureButton(&window);
        button->setGeometry(25, 10, 40, 25);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!button->showPopupBelow());

        QMenu menu;
        menu.addAction(" Н.Р.");
        menu.addAction(" Н.З.");
        button->setPopupMenu(&menu);
        QCOMPARE(button->popupMenu(), &menu);
        QCOMPARE(PopupMenuOf(button), &menu);  // the main window finds the same menu
        QCOMPARE(button->popupPosition(), window.mapToGlobal(QPoint(25, 35)));

        QVERIFY(button->showPopupBelow());
        QTRY_VERIFY(menu.isVisible());
        QCOMPARE(menu.pos(), window.mapToGlobal(QPoint(25, 35)));
        menu.close();
    }

    void pictureButtonRightClick_data()
    {
        QTest::addColumn<bool>("menuOnRightClick");
        QTest::newRow("menu at the pointer") << true;
        QTest::newRow("signal only") << false;
    }

    void pictureButtonRightClick()
    {
        QFETCH(bool, menuOnRightClick);
        QWidget window;
        window.resize(300, 200);
        auto* button = new PictureButton(&window);
        button->setGeometry(229, 10, 40, 25);
        QMenu menu;
        menu.addAction("Индикация");
        button->setPopupMenu(&menu);
        button->setMenuOnRightClick(menuOnRightClick);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy right(button, &PictureButton::rightClicked);
        QSignalSpy clicked(button, &QToolButton::clicked);

        QTest::mouseClick(button, Qt::RightButton, {}, QPoint(12, 8));
        QCOMPARE(right.count(), 1);
        QCOMPARE(right.at(0).at(0).toPoint(), button->mapToGlobal(QPoint(12, 8)));
        QCOMPARE(clicked.count(), 0);
        if (menuOnRightClick) {
            QTRY_VERIFY(menu.isVisible());
            QCOMPARE(menu.pos(), button->mapToGlobal(QPoint(12, 8)));
            menu.close();
        } else {
            QTest::qWait(20);
            QVERIFY(!menu.isVisible());
        }
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 8));
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(right.count(), 1);
    }

    // ---- StringGrid ----

    // What the cells are drawn with: own colours, the bands, and no
    // highlight on the cell the user clicked.
    void gridDrawsCellColours()
    {
        StringGrid grid(3, 4);
        grid.setFixedCells(1, 1);
        grid.setColumnWidths({30, 60, 60});
        grid.setRowHeights(22);
        grid.resize(160, 100);
        grid.setCellColor(2, 2, QColor(255, 255, 0));
        grid.setCellText(1, 3, QStringLiteral("7"));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(1, 1).center());
        const QImage image = grid.viewport()->grab().toImage();
        auto colourAt = [&](int col, int row) {
            return image.pixelColor(grid.cellRect(col, row).topLeft() + QPoint(3, 3));
        };
        QCOMPARE(colourAt(2, 2), QColor(255, 255, 0));
        QCOMPARE(colourAt(1, 1), grid.palette().color(QPalette::ToolTipBase));
        QCOMPARE(colourAt(1, 2), grid.palette().color(QPalette::Base));
        QCOMPARE(colourAt(0, 2), grid.palette().color(QPalette::Button));
        grid.clearCellColor(2, 2);
        QCOMPARE(grid.cellBackground(2, 2), grid.palette().color(QPalette::Base));
    }

    // Changes from code raise nothing; a list closed without a pick and a
    // click on a fixed cell change nothing.
    void gridRaisesOnlyUserEdits()
    {
        StringGrid grid(3, 3);
        grid.setFixedCells(1, 1);
        grid.setColumnWidths({30, 60, 60});
        grid.setRowHeights(22);
        grid.resize(160, 80);
        grid.setDropDownItems({QStringLiteral("a"), QStringLiteral("b")});
        grid.setEditorTypeHandler([](int col, int) {
            return col == 1 ? StringGrid::EditorKind::DropDownList
                            : StringGrid::EditorKind::NumberEdit;
        });
        grid.addCheckBox(2, 1, false);
        grid.setCellText(1, 1, QStringLiteral("b"));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy combo(&grid, &StringGrid::comboChange);
        QSignalSpy box(&grid, &StringGrid::checkBoxClick);
        QSignalSpy validate(&grid, &StringGrid::cellValidate);

        grid.setCheckBoxState(2, 1, true);
        grid.setCellText(1, 2, QStringLiteral("a"));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(0, 1).center());
        QVERIFY(!grid.isEditing());

        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.cellRect(1, 1).center());
        QComboBox* list = nullptr;
        QTRY_VERIFY((list = grid.findChild<QComboBox*>()) && list->view()->isVisible());
        QCOMPARE(list->currentText(), QStringLiteral("b"));
        QTest::keyClick(list->view(), Qt::Key_Escape);
        QTRY_VERIFY(!list->view()->isVisible());
        QCOMPARE(grid.cellText(1, 1), QStringLiteral("b"));
        QCOMPARE(combo.count() + box.count() + validate.count(), 0);
    }

private:
    static const std::vector<std::function<QIcon()>>& AllIcons()
    {
        static const std::vector<std::function<QIcon()>> icons{
            Icons::NewConfig,     Icons::OpenFile,       Icons::SaveFile,        Icons::Connection,
            Icons::ReadConfig,    Icons::WriteConfig,    Icons::ApplyConfig,     Icons::PageTests,
            Icons::PageConfig,    Icons::PageModbus,     Icons::PageInputs,      Icons::PageOutputs,
            Icons::PageStructure, Icons::PageSignalling, Icons::PageExternalNet, Icons::AppIcon};
        return icons;
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
