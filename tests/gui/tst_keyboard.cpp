// The window driven with the keyboard alone: Tab order, grids that Tab
// leaves, every page's edits, and every shortcut and Alt letter.
#include "app/tfmbparam.h"
#include "key_script.h"
#include "pages/outputs_page.h"
#include "pages/structure_page.h"
#include "panel_fixture.h"
#include "widgets/click_grid.h"
#include "widgets/pager_tab_bar.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>

namespace {
// "SBTypeContact1" ... "SBTypeContact32" and the like.
QStringList Numbered(const char* prefix, int first, int last)
{
    QStringList names;
    for (int k = first; k <= last; ++k)
        names << QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(k);
    return names;
}

const QStringList ToolBar{"SBNewConfig",  "SBLoadFile",    "SBSaveFile",    "SBMBusParameters",
                          "SBReadConfig", "SBWriteConfig", "SBApplyConfig", "EDeviceAddr"};

// The offsets at which two images differ, with the new bytes.
QList<QPair<int, int>> Changes(const ConfigImage& before, const ConfigImage& after)
{
    QList<QPair<int, int>> out;
    for (int i = 0; i < int(before.size()); ++i)
        if (before[i] != after[i])
            out.append({i, after[i]});
    return out;
}

using ByteChanges = QList<QPair<int, int>>;

// `count` bytes from `offset`, all set to `value`.
ByteChanges Run(int offset, int count, int value)
{
    ByteChanges out;
    for (int i = 0; i < count; ++i)
        out.append({offset + i, value});
    return out;
}
}  // namespace

Q_DECLARE_METATYPE(ByteChanges)

class TestKeyboard : public QObject {
    Q_OBJECT
private slots:
    // From the page column through the page's controls in reading order to
    // the tool bar, and round to the page column.
    void tabOrder_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Конфигурация")
            << 1 << QStringList{"CBConfig", "CBFixConfig", "CBLineControl"};
        QTest::newRow("ModBus") << 2
                                << QStringList{"ENetAddress", "CBBaudRate", "RBTwoStopBits",
                                               "RBNoParity"};
        QTest::newRow("Входы") << 3
                               << Numbered("SBTypeContact", 1, 32) + QStringList{"SBFillInputType"};
        QTest::newRow("Выходы") << 4 << QStringList{"ASGOutBase", "SBFillOutDataBase"};
        QTest::newRow("Структура") << 5 << QStringList{"ASGCrossBar", "SBFillCrossBar"};
        QTest::newRow("Сигнализация")
            << 6 << Numbered("PDisplay", 1, 32) + QStringList{"SBFillDispSettings"};
        QTest::newRow("Внешняя сеть")
            << 7
            << QStringList{"ASGExternalNet",   "SBAddRequest", "SBDelRequest", "SBUpRequestRow",
                           "SBDownRequestRow", "Button28",     "Button17"};
    }
    void tabOrder()
    {
        QFETCH(int, page);
        QFETCH(QStringList, order);
        AppFixture f;
        QVERIFY(f.ShowWithPageColumnFocused(page));
        const QStringList expected = order + ToolBar + QStringList{"PageColumn"};
        QCOMPARE(TabWalk(f.main, int(expected.size())), expected);
        // Shift+Tab walks back the same way.
        QStringList back = TabWalk(f.main, 0);
        for (int i = 0; i < int(expected.size()) - 1; ++i) {
            TypeKeys(f.main, QStringLiteral("Shift+Backtab"));
            back << QApplication::focusWidget()->objectName();
        }
        QStringList reversed(expected.rbegin() + 1, expected.rend());
        QCOMPARE(back, reversed);
    }

    // One Tab leaves a grid, wherever its current cell is; Shift+Tab too.
    void tabLeavesGrid_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QString>("next");
        QTest::newRow("outputs") << 4 << "Down Down Right Right"
                                 << "SBFillOutDataBase";
        QTest::newRow("crossbar") << 5 << "Down Down Down Right Right Right"
                                  << "SBFillCrossBar";
        QTest::newRow("external network") << 7 << "Down"
                                          << "SBAddRequest";
    }
    void tabLeavesGrid()
    {
        QFETCH(int, page);
        QFETCH(QString, moves);
        QFETCH(QString, next);
        AppFixture f;
        QVERIFY(f.ShowWithPageColumnFocused(page));
        TypeKeys(f.main, QStringLiteral("Tab"));
        QWidget* grid = QApplication::focusWidget();
        QVERIFY(qobject_cast<StringGrid*>(grid));
        TypeKeys(f.main, moves + QStringLiteral(" Tab"));
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
        TypeKeys(f.main, QStringLiteral("Shift+Backtab"));
        QCOMPARE(QApplication::focusWidget(), grid);
        TypeKeys(f.main, QStringLiteral("Shift+Backtab"));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("PageColumn"));
    }

    // Every editable thing of the pages changed from the keyboard, and the
    // bytes it changes (input n: bit n-1 at 31; window w: byte 106+w;
    // relay k of input r: bit k-1 of byte 166+r; output o: mode byte 140+o,
    // external input numbers at 148+o and 156+o; assignments at 40+r).
    void pageEdits_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<ByteChanges>("changes");
        QTest::newRow("config: unfix the configuration")
            << 1 << "Tab Tab Space" << ByteChanges{{3, 0x00}};
        QTest::newRow("modbus: network address") << 2 << "Tab End 7" << ByteChanges{{22, 17}};
        QTest::newRow("inputs: Space on input 3")
            << 3 << "Tab Tab Tab Space" << ByteChanges{{31, 0x04}};
        QTest::newRow("inputs: Enter on input 9")
            << 3 << QString("Tab ").repeated(9) + "Return" << ByteChanges{{32, 0x01}};
        QTest::newRow("inputs: fill menu, Н.З.")
            << 3 << QString("Tab ").repeated(33) + "Down Down Down Return"
            << ByteChanges{{31, 0xFF}, {32, 0xFF}, {33, 0xFF}, {34, 0xFF}};
        QTest::newRow("outputs: Space on the panel acknowledge box of output 1")
            << 4 << "Tab Down Right Right Space" << ByteChanges{{141, 30}};
        QTest::newRow("outputs: external input typed, Enter")
            << 4 << "Tab Down Right Right Right Right 1 2 Return" << ByteChanges{{149, 11}};
        QTest::newRow("outputs: Escape drops the number")
            << 4 << "Tab Down Right Right Right Right 1 2 Escape" << ByteChanges{};
        QTest::newRow("outputs: fill menu by Space, Управление")
            << 4 << "Tab Tab Space Down Down Down Return" << Run(141, 8, 61);
        QTest::newRow("structure: Space on relay 2 of input 1")
            << 5 << "Tab Right Right Right Space" << ByteChanges{{167, 0x03}};
        QTest::newRow("structure: Enter on relay 1 of input 2")
            << 5 << "Tab Right Down Right Return" << ByteChanges{{168, 0x03}};
        QTest::newRow("structure: reached by Ctrl+Tab from the inputs")
            << 3 << "Tab Ctrl+Tab Ctrl+Tab Tab Right Right Right Space" << ByteChanges{{167, 0x03}};
        QTest::newRow("structure: window number of input 40")
            << 5
            << QString("Tab Right") + QString(" Down").repeated(39) +
                   QString(" Right").repeated(9) + " Return Up Return Right 5 Return"
            << ByteChanges{{80, 4}};
        QTest::newRow("signalling: Space steps window 1")
            << 6 << "Tab Space" << ByteChanges{{107, 2}};
        QTest::newRow("signalling: menu key on window 2, Обратная аварийная")
            << 6 << "Tab Tab Menu Up Return" << ByteChanges{{108, 5}};
        QTest::newRow("signalling: Shift+F10 on window 3, Аварийная")
            << 6 << "Tab Tab Tab Shift+F10 Down Down Down Return" << ByteChanges{{109, 3}};
        QTest::newRow("signalling: fill menu by Enter, Отсутствует")
            << 6 << QString("Tab ").repeated(33) + "Return Down Down Down Down Return"
            << Run(107, 32, 0);
    }
    void pageEdits()
    {
        QFETCH(int, page);
        QFETCH(QString, keys);
        QFETCH(ByteChanges, changes);
        AppFixture f;
        QVERIFY(f.ShowWithPageColumnFocused(page));
        const ConfigImage before = f.main->State().Image;
        TypeKeys(f.main, keys);
        // The first two pages give their controls to the image when a
        // command reads it (a save, a write).
        f.main->CollectPages();
        QCOMPARE(Changes(before, f.main->State().Image), changes);
    }

    // Moving down the crossbar keeps the current cell in view, and the
    // editor opens on it.
    void crossbarFollowsTheCurrentCell()
    {
        AppFixture f;
        QVERIFY(f.ShowWithPageColumnFocused(5));
        ClickGrid* grid = f.Page7()->ASGCrossBar;
        TypeKeys(f.main, QStringLiteral("Tab Right") + QStringLiteral(" Down").repeated(39) +
                             QStringLiteral(" Right").repeated(9));
        QCOMPARE(grid->currentRow(), 40);
        QCOMPARE(grid->currentColumn(), TStructurePage::KindColumn);
        const QRect cell = grid->cellRect(TStructurePage::KindColumn, 40);
        QVERIFY2(grid->viewport()->rect().contains(cell), "input 40 is out of view");
        TypeKeys(f.main, QStringLiteral("Return"));
        auto* editor = grid->findChild<QComboBox*>(QStringLiteral("GridDropDown"));
        QVERIFY(editor);
        QCOMPARE(editor->geometry(), cell);
        QCOMPARE(editor->accessibleName(), QStringLiteral("Назначение, 40"));
    }

    // Enter on a request row opens its details, as a double click does.
    void externalNetEnterOpensRequest()
    {
        AppFixture f;
        ConfigImage image = f.main->State().Image;
        image[233] = 2;  // two requests: devices 7 and 9
        image[234] = 7;
        image[239] = 9;
        f.main->ReplaceImage(image, 0);
        QVERIFY(f.ShowWithPageColumnFocused(7));
        TypeKeys(f.main, QStringLiteral("Tab Down Down Down Return"));
        auto* details = f.main->findChild<QDialog*>(QStringLiteral("FMBMaster"));
        QVERIFY(details && details->isVisible());
        auto* device = details->findChild<QLineEdit*>(QStringLiteral("EDevice"));
        QVERIFY(device);
        QCOMPARE(device->text(), QStringLiteral("9"));  // the third Down stops at the last row
    }

    // Every shortcut and every Alt letter runs its command.
    void commandKeys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("effect");
        const struct {
            const char* Shortcut;
            const char* Letters;
            const char* Effect;
        } commands[] = {
            {"Ctrl+N", "Alt+к н", "title [New] - Orlix Configuration tool"},
            {"Ctrl+O", "Alt+ф о", "dialog Открыть"},
            {"Ctrl+S", "Alt+ф с", "dialog Сохранить как"},
            {"Ctrl+Shift+S", "Alt+ф к", "dialog Сохранить как"},
            {"Ctrl+R", "Alt+к с", "request read 0"},
            {"Ctrl+W", "Alt+к з", "request write 0"},
            {"Ctrl+Shift+A", "Alt+к п", "request apply"},
            {"Ctrl+L", "Alt+с", "panel"},
            {"Ctrl+I", "Alt+и", "box —  Тип прибора:"},
            {"Ctrl+Q", "Alt+ф в", "closed"},
            {"Ctrl+P", "Alt+ф п", "preview Конфигурация панели ОРЛ"},
        };
        for (const auto& c : commands) {
            QTest::newRow(c.Shortcut) << QString(c.Shortcut) << QString::fromUtf8(c.Effect);
            QTest::newRow(c.Letters) << QString::fromUtf8(c.Letters) << QString::fromUtf8(c.Effect);
        }
        // Enter on a tool button (the first page's three controls, then the bar).
        QTest::newRow("Alt+ф ч") << "Alt+ф ч"
                                 << "dialog Сохранить отчёт";
        QTest::newRow("Return on SBNewConfig") << "Tab Tab Tab Tab Return"
                                               << "title [New] - Orlix Configuration tool";
        QTest::newRow("Return on SBLoadFile") << "Tab Tab Tab Tab Tab Return"
                                              << "dialog Открыть";
    }
    void commandKeys()
    {
        QFETCH(QString, keys);
        QFETCH(QString, effect);
        PanelFixture f;
        QVERIFY(f.app->ShowWithPageColumnFocused(1));
        TypeKeys(f.main, keys);
        const QString kind = effect.section(' ', 0, 0);
        const QString what = effect.section(' ', 1);
        if (kind == "title") {
            QCOMPARE(f.main->windowTitle(), what);
        } else if (kind == "dialog") {
            QVERIFY(!f.app->prompts.shown.isEmpty());
            QCOMPARE(f.app->prompts.shown.last().dialog.Title, what);
        } else if (kind == "request") {
            QVERIFY2(f.requestKinds().contains(what), qPrintable(f.requestKinds().join(", ")));
        } else if (kind == "panel") {
            QTRY_VERIFY(f.main->PortPanel().isVisible());
            TypeKeys(f.main, QStringLiteral("Escape"));
            QVERIFY(!f.main->PortPanel().isVisible());
            // The focus is back where it was.
            QTRY_COMPARE(QApplication::focusWidget(), f.Pager()->tabBar());
        } else if (kind == "preview") {
            QVERIFY(!f.app->prompts.shown.isEmpty());
            QCOMPARE(f.app->prompts.shown.last().kind, FakePrompts::Shown::PrintPreview);
            QCOMPARE(f.app->prompts.shown.last().caption, what);
        } else if (kind == "box") {
            QVERIFY(!f.messageTexts().isEmpty());
            QVERIFY2(f.messageTexts().last().startsWith(what), qPrintable(f.messageTexts().last()));
        } else {
            QCOMPARE(kind, QStringLiteral("closed"));
            QVERIFY(!f.main->isVisible());
            QVERIFY(f.app->prompts.shown.isEmpty());  // no closing question
        }
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
