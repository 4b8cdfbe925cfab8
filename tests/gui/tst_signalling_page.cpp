#include "app_fixture.h"
#include "pages/signalling_page.h"
#include "widgets/bevel_panel.h"
#include "widgets/picture_button.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>

namespace {
constexpr int Types = 107;  // image offset of the window types

const QColor Grey(224, 224, 224), Green(0, 255, 0), Yellow(255, 255, 0), Red(255, 0, 0),
    Orange(255, 165, 0), Magenta(255, 0, 255), Neutral(128, 128, 128);
const QList<QColor> ByCode{Grey, Green, Yellow, Red, Orange, Magenta};

// The main window shown on the page "Сигнализация".
struct SignallingFixture : AppFixture {
    TSignallingPage* page = Page6();

    SignallingFixture()
    {
        main->show();
        Pager()->setActivePage(page);
        if (!QTest::qWaitForWindowExposed(main))
            qFatal("window not exposed");
    }

    // Replaces the image with a changed copy; returns the image as sent.
    ConfigImage load(const std::function<void(ConfigImage&)>& change, int32_t family = 0)
    {
        ConfigImage image = main->State().Image;
        change(image);
        main->ReplaceImage(image, family);
        return image;
    }

    // Picks an item of a menu that is open, as the user does.
    static void pick(QMenu* menu, const QString& item)
    {
        QTRY_VERIFY(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(menu->findChild<QAction*>(item)).center());
        QTRY_VERIFY(!menu->isVisible());
    }

    BevelPanel* window(bool wide, int w) const
    {
        return wide ? page->PWDisplay[w - 1] : page->PDisplay[w - 1];
    }
    // The colours of windows 1..32 of the narrow layout.
    QList<QColor> narrowColours() const
    {
        QList<QColor> out;
        for (BevelPanel* b : page->PDisplay)
            out << b->colour();
        return out;
    }
};
}  // namespace

class TestSignallingPage : public QObject {
    Q_OBJECT
private slots:
    void layout()
    {
        SignallingFixture f;
        TSignallingPage* p = f.page;
        const QList<std::pair<const char*, QRect>> places{
            {"PDisplay1", {29, 30, 60, 28}},    {"PDisplay8", {449, 30, 60, 28}},
            {"PDisplay9", {29, 60, 60, 28}},    {"PDisplay32", {449, 120, 60, 28}},
            {"PWDisplay4", {389, 30, 120, 28}}, {"PWDisplay13", {29, 120, 120, 28}},
        };
        for (const auto& [name, rect] : places) {
            auto* b = f.find<BevelPanel>(name);
            const bool wide = rect.width() == 120;
            QCOMPARE(b->parentWidget()->objectName(), QLatin1String(wide ? "Wide" : "Default"));
            QCOMPARE(b->geometry(), rect);
            QCOMPARE(b->caption(), QString::number(b->tag() + 1));
            QVERIFY(QString(name).endsWith(b->caption()));
        }
        QCOMPARE(p->Panel1->geometry(), QRect(0, 160, 606, 115));
        QCOMPARE(p->SBFillDispSettings->geometry(), QRect(229, 10, 40, 25));
        QStringList legend;
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(p->LegendSwatch[k]->geometry(), QRect(10, 12 + 20 * k, 18, 12));
            legend << p->LegendLabel[k]->text() + '=' +
                          p->LegendSwatch[k]->palette().color(QPalette::Window).name();
        }
        QCOMPARE(legend, (QStringList{"Индикация=#00ff00", "Предупредительная=#ffff00",
                                      "Аварийная=#ff0000", "Отсутствует=#e0e0e0"}));
    }

    void menus_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("items");
        QTest::newRow("single window")
            << "PMSetDispSettings"
            << "N23=Индикация|N24=Предупред.|N25=Аварийная|N26=Отсутствует|-|"
               "INDPREV1=Обратная предупред.|INDEMM1=Обратная аварийная";
        QTest::newRow("fill") << "PMFillDispSettings"
                              << "N14=Индикация|N15=Предупредит.|N16=Аварийная|N17=Отсутствует|-|"
                                 "INDPREV2=Обратная предупред.|INDEMM2=Обратная аварийная";
    }

    // Items in tag order 0..3, a separator, 4 and 5, each with a lamp of
    // the colour of its list entry (green, yellow, red, grey, orange, magenta).
    void menus()
    {
        QFETCH(QString, menu);
        QFETCH(QString, items);
        SignallingFixture f;
        const QList<QColor> lamps{Green, Yellow, Red, Grey, Orange, Magenta};
        QStringList shown;
        int position = 0;
        for (QAction* a : f.find<QMenu>(qPrintable(menu))->actions()) {
            shown << (a->isSeparator() ? "-" : a->objectName() + '=' + a->text());
            if (a->isSeparator())
                continue;
            QCOMPARE(a->data().toInt(), position);
            QCOMPARE(a->icon().pixmap(16).toImage().pixelColor(8, 8), lamps[position++]);
        }
        QCOMPARE(shown.join('|'), items);
    }

    // New colours all 32 windows green on the narrow layout.
    void afterNew()
    {
        SignallingFixture f;
        f.load([](ConfigImage& image) { std::fill_n(image.begin() + Types, 32, 3); }, 1);
        f.main->SBNewConfigClick();
        QCOMPARE(f.bytes(Types, 32), QList<int>(32, 1));
        QCOMPARE(f.page->DISPNBook->currentWidget(), f.page->DefaultLayout);
        QCOMPARE(f.narrowColours(), QList<QColor>(32, Green));
        // The colour is what the window is painted with.
        QCOMPARE(f.page->PDisplay[5]->grab().toImage().pixelColor(4, 4), Green);
    }

    void layoutByModel_data()
    {
        QTest::addColumn<int>("windowCount");
        QTest::addColumn<int>("family");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("height");
        QTest::newRow("32/0") << 32 << 0 << false << 160;
        QTest::newRow("16/0") << 16 << 0 << true << 160;
        QTest::newRow("12/1") << 12 << 1 << true << 129;
        QTest::newRow("32/1") << 32 << 1 << true << 129;
        QTest::newRow("12/0") << 12 << 0 << false << 160;
    }

    // A loaded image chooses the notebook page and its height; the band
    // below follows the notebook; the 12-window layout hides windows 13..16.
    void layoutByModel()
    {
        QFETCH(int, windowCount);
        QFETCH(int, family);
        QFETCH(bool, wide);
        QFETCH(int, height);
        SignallingFixture f;
        // Start from the other layout, so that every change shows.
        f.load([&](ConfigImage& image) { image[2] = wide ? 32 : 16; }, 1 - family);
        f.load(
            [&](ConfigImage& image) {
                image[2] = uint8_t(windowCount);
                for (int w = 0; w < 32; ++w)
                    image[Types + w] = uint8_t(w % 6);
            },
            family);
        TSignallingPage* p = f.page;
        QCOMPARE(p->DISPNBook->currentWidget(), wide ? p->WideLayout : p->DefaultLayout);
        QCOMPARE(p->DISPNBook->height(), height);
        QCOMPARE(p->Panel1->y(), height);
        for (int w = 1; w <= 32; ++w) {
            QCOMPARE(p->PDisplay[w - 1]->colour(), ByCode[(w - 1) % 6]);
            if (w > 16)
                continue;
            QCOMPARE(p->PWDisplay[w - 1]->colour(), ByCode[(w - 1) % 6]);
            QCOMPARE(p->PWDisplay[w - 1]->isVisibleTo(p->WideLayout), w <= 12 || height == 160);
        }
    }

    // The model chosen on the configuration page lays the windows out at
    // once; the types of windows the 16-window layout lacks stay.
    void modelChangeKeepsTypes()
    {
        SignallingFixture f;
        f.load([](ConfigImage& image) { std::fill_n(image.begin() + Types + 16, 16, 3); });
        QComboBox* model = f.Page2()->CBConfig;
        model->setCurrentIndex(2);  // ОРЛ-07-02, 16 windows
        emit model->activated(2);
        QCOMPARE(f.page->DISPNBook->currentWidget(), f.page->WideLayout);
        QCOMPARE(f.bytes(Types, 32), QList<int>(16, 1) + QList<int>(16, 3));
        model->setCurrentIndex(0);  // ОРЛ-07, 32 windows
        emit model->activated(0);
        QCOMPARE(f.page->DISPNBook->currentWidget(), f.page->DefaultLayout);
        QCOMPARE(f.narrowColours(), QList<QColor>(16, Green) + QList<QColor>(16, Red));
    }

    void leftClicks_data()
    {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("start");
        QTest::addColumn<QList<int>>("steps");  // the code after each click
        QTest::newRow("green round") << false << 5 << 1 << QList<int>{2, 3, 0, 1};
        QTest::newRow("orange") << false << 32 << 4 << QList<int>{0};
        QTest::newRow("magenta, wide 16") << true << 16 << 5 << QList<int>{0, 1};
        QTest::newRow("code 6") << false << 1 << 6 << QList<int>{0};
        QTest::newRow("code 255, wide 1") << true << 1 << 255 << QList<int>{0};
    }

    // Each left click steps the type in the window's byte and recolours the
    // window; the bevel is lowered while the button is down. Other buttons
    // and other bytes are left alone.
    void leftClicks()
    {
        QFETCH(bool, wide);
        QFETCH(int, window);
        QFETCH(int, start);
        QFETCH(QList<int>, steps);
        SignallingFixture f;
        f.load([&](ConfigImage& image) {
            image[2] = wide ? 16 : 32;
            for (int w = 0; w < 32; ++w)
                image[Types + w] = uint8_t(40 + w);
            image[Types + window - 1] = uint8_t(start);
        });
        BevelPanel* b = f.window(wide, window);
        QCOMPARE(b->colour(), start < 6 ? ByCode[start] : Neutral);
        ConfigImage expected = f.main->State().Image;
        QTest::mouseClick(b, Qt::MiddleButton);
        QVERIFY(f.main->State().Image == expected);
        for (int code : steps) {
            QTest::mousePress(b, Qt::LeftButton);
            QVERIFY(!b->outerRaised());
            QTest::mouseRelease(b, Qt::LeftButton);
            QVERIFY(b->outerRaised());
            expected[Types + window - 1] = uint8_t(code);
            QVERIFY(f.main->State().Image == expected);
            QCOMPARE(b->colour(), ByCode[code]);
        }
    }

    void rightClickMenu_data()
    {
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("code");
        QTest::newRow("7 Обратная аварийная") << false << 7 << "INDEMM1" << 5;
        QTest::newRow("32 Индикация") << false << 32 << "N23" << 1;
        QTest::newRow("wide 16 Обратная предупред.") << true << 16 << "INDPREV1" << 4;
        QTest::newRow("wide 2 Предупред.") << true << 2 << "N24" << 2;
    }

    // The menu opens at the pointer and sets the byte of the window it was
    // last opened on; only that window is recoloured, the legend stays.
    void rightClickMenu()
    {
        QFETCH(bool, wide);
        QFETCH(int, window);
        QFETCH(QString, item);
        QFETCH(int, code);
        SignallingFixture f;
        f.load([&](ConfigImage& image) {
            image[2] = wide ? 16 : 32;
            std::fill_n(image.begin() + Types, 32, 200);
        });
        ConfigImage expected = f.main->State().Image;
        QTest::mouseClick(f.window(wide, 3), Qt::RightButton);
        f.pick(f.page->PMSetDispSettings, "N26");
        expected[Types + 2] = 0;
        BevelPanel* b = f.window(wide, window);
        QTest::mouseClick(b, Qt::RightButton, {}, QPoint(5, 6));
        QTRY_COMPARE(f.page->PMSetDispSettings->pos(), b->mapToGlobal(QPoint(5, 6)));
        QVERIFY(f.main->State().Image == expected);
        f.pick(f.page->PMSetDispSettings, item);
        expected[Types + window - 1] = uint8_t(code);
        QVERIFY(f.main->State().Image == expected);
        QCOMPARE(b->colour(), ByCode[code]);
        QList<QColor> others = f.narrowColours();
        others.remove(window - 1);
        others.remove(2);
        QCOMPARE(others, QList<QColor>(30, Neutral));
        QCOMPARE(f.page->LegendSwatch[0]->palette().color(QPalette::Window), Green);
    }

    void fillMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("code");
        QTest::newRow("Индикация") << "N14" << 1;
        QTest::newRow("Предупредит.") << "N15" << 2;
        QTest::newRow("Аварийная") << "N16" << 3;
        QTest::newRow("Отсутствует") << "N17" << 0;
        QTest::newRow("Обратная предупред.") << "INDPREV2" << 4;
        QTest::newRow("Обратная аварийная") << "INDEMM2" << 5;
    }

    // The fill drops down below its button and sets all 32 bytes, also
    // those of windows the 12-window layout does not show, and nothing else.
    void fillMenu()
    {
        QFETCH(QString, item);
        QFETCH(int, code);
        SignallingFixture f;
        f.load(
            [](ConfigImage& image) {
                for (int i = 0; i < ConfigImageSize; ++i)
                    image[i] = uint8_t(i * 13 + 7);
            },
            1);
        ConfigImage expected = f.main->State().Image;
        std::fill_n(expected.begin() + Types, 32, uint8_t(code));
        QTest::mouseClick(f.page->SBFillDispSettings, Qt::LeftButton);
        QTRY_COMPARE(f.page->PMFillDispSettings->pos(),
                     f.page->SBFillDispSettings->mapToGlobal(QPoint(0, 25)));
        f.pick(f.page->PMFillDispSettings, item);
        QVERIFY(f.main->State().Image == expected);
        QCOMPARE(f.narrowColours(), QList<QColor>(32, ByCode[code]));
        QCOMPARE(f.page->PWDisplay[11]->colour(), ByCode[code]);
    }

    // A window and its twin on the other notebook page share one byte; the
    // twin shows the change at the next refresh.
    void twinWindows()
    {
        SignallingFixture f;
        QTest::mouseClick(f.page->PWDisplay[2], Qt::LeftButton);
        QCOMPARE(int(f.main->State().Image[Types + 2]), 2);
        QCOMPARE(f.page->PDisplay[2]->colour(), Green);
        f.main->GetDispSettings();
        QCOMPARE(f.page->PDisplay[2]->colour(), Yellow);
    }

    // Every byte value shows without harm: codes 0..5 in their colours,
    // any other in the neutral colour; the image is left as it was.
    void everyByteShows()
    {
        SignallingFixture f;
        for (int value = 0; value < 256; ++value) {
            const ConfigImage loaded =
                f.load([&](ConfigImage& image) { image[Types + 31] = uint8_t(value); });
            QCOMPARE(f.page->PDisplay[31]->colour(), value < 6 ? ByCode[value] : Neutral);
            QVERIFY(f.main->State().Image == loaded);
        }
    }
};

QTEST_MAIN(TestSignallingPage)
#include "tst_signalling_page.moc"
