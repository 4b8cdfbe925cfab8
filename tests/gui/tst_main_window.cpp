#include "app/ui_texts.h"
#include "app_fixture.h"
#include "pages/structure_page.h"
#include "test_files.h"
#include "widgets/bevel_panel.h"
#include "widgets/click_grid.h"
#include "widgets/popup_menu.h"
#include "widgets/vertical_pager.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startState()
    {
        AppFixture f;
        QCOMPARE(f.main->windowTitle(), QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(f.app.Title, QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(f.main->StatusText(), QStringLiteral(" ver 1.70"));
        QCOMPARE(f.Pager()->activePage()->objectName(), QStringLiteral("AdvOfficePage2"));
        QCOMPARE(f.find<QLabel>("L4")->text(), QStringLiteral("<Статус>"));
        QCOMPARE(f.EDeviceAddr()->text(), QStringLiteral("1"));
        QVERIFY(!f.main->State().HasFileName);
        QVERIFY(f.main->State().CurrentFileName.isEmpty());
        QVERIFY(f.prompts.shown.isEmpty());
    }

    // After start-up, blocks 7..9, byte 4 of block 0 and the CRC words are zero.
    void startImage()
    {
        AppFixture f;
        const ConfigImage& image = f.main->State().Image;
        for (int i = BlockDirectory[7].Offset; i < ConfigImageSize; ++i)
            QCOMPARE(int(image[i]), 0);
        QCOMPARE(int(image[4]), 0);
        for (const ConfigBlock& b : BlockDirectory) {
            QCOMPARE(int(image[b.CrcOffset()]), 0);
            QCOMPARE(int(image[b.CrcOffset() + 1]), 0);
        }
        QCOMPARE(f.bytes(0, 6), (QList<int>{2, 1, 32, 1, 0, 0}));
    }

    void frame()
    {
        AppFixture f;
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        QCOMPARE(f.main->centralWidget()->size().width(), 692);
        QCOMPARE(f.main->width(), 692);
        QCOMPARE(f.main->height() - f.main->menuBar()->sizeHint().height(), 482);
        QCOMPARE(f.main->minimumSize(), f.main->maximumSize());

        // Tool buttons in order with their hints.
        const QList<QPair<const char*, QString>> buttons{{"SBNewConfig", "Новая конфигурация"},
                                                         {"SBLoadFile", "Открыть"},
                                                         {"SBSaveFile", "Сохранить"},
                                                         {"SBMBusParameters", "Параметры связи"},
                                                         {"SBReadConfig", "Считать конфигурацию"},
                                                         {"SBWriteConfig", "Записать конфигурацию"},
                                                         {"SBApplyConfig", "Применить изменения"}};
        int lastX = -1;
        for (const auto& [name, hint] : buttons) {
            auto* b = f.find<QToolButton>(name);
            QCOMPARE(b->toolTip(), hint);
            QVERIFY2(b->x() > lastX, name);
            lastX = b->x();
        }
        QCOMPARE(f.Tool("SBMBusParameters")->width(), 38);
        QVERIFY(f.EDeviceAddr()->x() > lastX);
        QCOMPARE(f.EDeviceAddr()->toolTip(), QStringLiteral("Адрес устройства в сети"));
        QCOMPARE(f.EDeviceAddr()->width(), 40);
        const QLabel* label = f.find<QLabel>("LDeviceAddr");
        QCOMPARE(label->text(), QStringLiteral("Адрес устройства"));
        QVERIFY(label->font().bold());
    }

    void menu()
    {
        AppFixture f;
        QStringList top;
        for (QAction* a : f.main->menuBar()->actions())
            top << QString(a->text()).remove('&');  // the Alt letter marks aside
        QCOMPARE(top, (QStringList{"Файл", "Конфигурация", "Связь", "Инфо", "Диагностика"}));
        auto items = [&](int i) {
            QStringList texts;
            for (QAction* a : f.main->menuBar()->actions()[i]->menu()->actions())
                texts << (a->isSeparator() ? QStringLiteral("-") : QString(a->text()).remove('&'));
            return texts;
        };
        QCOMPARE(items(0), (QStringList{"Открыть", "Сохранить", "Сохранить как...", "-",
                                        "Печать...", "Отчёт...", "-", "Выход"}));
        QCOMPARE(f.Action("MIPrint")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
        QCOMPARE(items(1), (QStringList{"Считать", "Записать", "Применить", "Сверить с панелью",
                                        "-", "Новая"}));
        QCOMPARE(f.Action("MIVerify")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
        QVERIFY(!f.main->menuBar()->actions()[2]->menu());
        QCOMPARE(f.main->menuBar()->actions()[3]->objectName(), QStringLiteral("N20"));
        QCOMPARE(QString(f.Action("N7")->text()).remove('&'), QStringLiteral("Выход"));
        QCOMPARE(items(4), (QStringList{"Поиск панелей...", "Журнал обмена"}));
    }

    // Tools outside the window (screen readers, UI automation, the tests)
    // reach its parts by name only: each name is carried by exactly one
    // object of the window, of the expected kind; a menu item by the item
    // with its text.
    void partsByName_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("text");
        for (const char* name : {"SBNewConfig", "SBLoadFile", "SBSaveFile", "SBMBusParameters",
                                 "SBReadConfig", "SBWriteConfig", "SBApplyConfig"})
            QTest::newRow(name) << "QToolButton" << QString();
        QTest::newRow("LDeviceAddr") << "QLabel" << QString();
        QTest::newRow("EDeviceAddr") << "QLineEdit" << QString();
        QTest::newRow("L4") << "QLabel" << QString();
        QTest::newRow("StatusBar") << "QLabel" << QString();
        QTest::newRow("AdvOfficePager") << "VerticalPager" << QString();
        QTest::newRow("AdvOfficePage1") << "QWidget" << QString();
        QTest::newRow("AdvOfficePage2") << "TDevConfigPage" << QString();
        QTest::newRow("AdvOfficePage3") << "TMBusSettingsPage" << QString();
        QTest::newRow("AdvOfficePage4") << "TOutputsPage" << QString();
        QTest::newRow("AdvOfficePage5") << "TInputsPage" << QString();
        QTest::newRow("AdvOfficePage6") << "TSignallingPage" << QString();
        QTest::newRow("AdvOfficePage7") << "TStructurePage" << QString();
        QTest::newRow("AdvOfficePage8") << "TExternalNetPage" << QString();
        const QList<QPair<const char*, QString>> items{
            {"MIOpen", "Открыть"},    {"MISave", "Сохранить"},   {"MISaveAs", "Сохранить как..."},
            {"MIPrint", "Печать..."}, {"MIReport", "Отчёт..."},  {"N7", "Выход"},
            {"MIRead", "Считать"},    {"MIWrite", "Записать"},   {"MIApply", "Применить"},
            {"MINew", "Новая"},       {"MIConnection", "Связь"}, {"N20", "Инфо"}};
        for (const auto& [name, text] : items)
            QTest::newRow(name) << "QAction" << text;
        QTest::newRow("MIVerify") << "QAction" << QStringLiteral("Сверить с панелью");
    }

    void partsByName()
    {
        QFETCH(QString, className);
        QFETCH(QString, text);
        AppFixture f;
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        const QList<QObject*> named = f.main->findChildren<QObject*>(name);
        QCOMPARE(named.size(), 1);
        QVERIFY2(named[0]->inherits(qPrintable(className)), named[0]->metaObject()->className());
        if (!text.isEmpty())
            QCOMPARE(qobject_cast<QAction*>(named[0])->text().remove('&'), text);
    }

    void pages()
    {
        AppFixture f;
        VerticalPager* pager = f.Pager();
        QCOMPARE(pager->count(), 8);
        const QStringList names{"AdvOfficePage1", "AdvOfficePage2", "AdvOfficePage3",
                                "AdvOfficePage5", "AdvOfficePage4", "AdvOfficePage7",
                                "AdvOfficePage6", "AdvOfficePage8"};
        const QStringList captions{"ТЕСТЫ",  "Конфигурация", "ModBus",       "Входы",
                                   "Выходы", "Структура",    "Сигнализация", "Внешняя сеть"};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(pager->page(i)->objectName(), names[i]);
            QCOMPARE(pager->caption(i), captions[i]);
            QCOMPARE(pager->isTabVisible(i), i != 0 && i != 7);
        }
    }

    void addressField_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("300") << ""
                             << "300"
                             << "255";
        QTest::newRow("letter ignored") << "12"
                                        << "a"
                                        << "12";
        QTest::newRow("minus ignored") << "12"
                                       << "-"
                                       << "12";
        QTest::newRow("two digits") << ""
                                    << "42"
                                    << "42";
    }

    // Typing goes through the key filter and the range rule.
    void addressField()
    {
        QFETCH(QString, start);
        QFETCH(QString, typed);
        QFETCH(QString, result);
        AppFixture f;
        QLineEdit* edit = f.EDeviceAddr();
        edit->setText(start);
        edit->selectAll();
        if (!start.isEmpty())
            edit->end(false);
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), result);
    }

    void addressFieldDeleteAll()
    {
        AppFixture f;
        QLineEdit* edit = f.EDeviceAddr();
        edit->setText("57");
        edit->end(false);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("5"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QStringLiteral("1"));
    }

    // The rule runs again after its own replacement and then leaves the text.
    void addressRuleRunsOnceMore()
    {
        AppFixture f;
        QLineEdit* edit = f.EDeviceAddr();
        QStringList changes;
        connect(edit, &QLineEdit::textChanged, edit, [&](const QString& t) { changes << t; });
        // The rule's replacement reaches later handlers first (it is made
        // from within the first change), then the original change arrives.
        edit->setText("999");
        QCOMPARE(edit->text(), QStringLiteral("255"));
        QCOMPARE(changes, (QStringList{"255", "999"}));
        changes.clear();
        edit->setText("0");
        QCOMPARE(changes, (QStringList{"1", "0"}));
        // Pasted text that starts with a valid number stays as it is.
        edit->setText("12ab");
        QCOMPARE(edit->text(), QStringLiteral("12ab"));
    }

    void newConfigurationTitles()
    {
        AppFixture f;
        f.main->State().HasFileName = true;
        f.main->State().CurrentFileName = "/tmp/x.cfg";
        f.Pager()->setActivePage(f.Page3());
        f.main->ShowStatus("something else");
        f.Tool("SBNewConfig")->click();
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[New] - Orlix Configuration tool"));
        QCOMPARE(f.app.Title, f.main->windowTitle());
        QCOMPARE(f.main->StatusText(), QStringLiteral(" ver 1.70"));
        QCOMPARE(f.Pager()->activePage(), f.Page2());
        QVERIFY(!f.main->State().HasFileName);
        QCOMPARE(f.main->State().CurrentFileName, QStringLiteral("/tmp/x.cfg"));
    }

    // The tool started with a file in which every byte differs; New then
    // gives the New image byte for byte. It does not clear the image first:
    // what no default writes keeps the file's value (byte 4 and bits 2..7 of
    // byte 3 of block 0, bits 6..7 of the first output's mode, copied to all
    // eight, blocks 7..9 and the CRC words).
    void newImageAfterRichFile()
    {
        QTemporaryDir dir;
        ConfigImage rich{};
        for (int i = 0; i < ConfigImageSize; ++i)
            rich[i] = uint8_t(i * 7 + 3);
        const QString path = dir.filePath("rich.cfg");
        WriteAll(path, ConfigFileBytes(rich, 170, 1));
        rich = FileImage(ReadAll(path));  // with its CRC words
        AppFixture f;
        f.main->OpenFromOutside(path);
        QVERIFY(f.main->State().Image == rich);
        QCOMPARE(f.main->State().FamilyCode, 1);

        f.Action("MINew")->trigger();

        ConfigImage expected = rich;
        const auto put = [&](int offset, std::initializer_list<int> bytes) {
            for (int b : bytes)
                expected[offset++] = uint8_t(b);
        };
        put(0, {2, 1, 32, (rich[3] & 0xFC) | 0x01, rich[4], 0});
        put(6, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        put(22, {1, 47, 8, 115, 6, 0, 0});
        put(31, {0, 0, 0, 0, 0, 0, 0, 0});
        for (int i = 0; i < 64; ++i)
            expected[41 + i] = uint8_t(i < 32 ? i : 255);
        for (int i = 0; i < 32; ++i)
            expected[107 + i] = 1;
        for (int i = 0; i < 8; ++i)
            expected[141 + i] = uint8_t((rich[141] & 0xC0) | 0x3C | (i < 4 ? 2 : 0));
        for (int i = 0; i < 16; ++i)
            expected[149 + i] = 255;
        for (int i = 0; i < 64; ++i)
            expected[167 + i] = uint8_t(i < 8 ? 1 << i : 0);
        for (int i = 0; i < ConfigImageSize; ++i)
            QVERIFY2(f.main->State().Image[i] == expected[i],
                     qPrintable(QStringLiteral("byte %1: %2, not %3")
                                    .arg(i)
                                    .arg(f.main->State().Image[i])
                                    .arg(expected[i])));
        QCOMPARE(f.main->State().FamilyCode, 0);
    }

    void hiddenPageButtons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("block");    // the block the button's operation rewrites
        QTest::addColumn<bool>("writes");  // Default: New's values into it; Get: only shows it
        // What the page shows afterwards: the number of input 1 on the
        // crossbar, the colour of window 1; empty: nothing to see.
        QTest::addColumn<QString>("shown");
        QTest::newRow("structure Get") << "ButtonGetCrossBar"
                                       << "Get" << 3 << false << "2";
        QTest::newRow("structure Default") << "ButtonDefaultCrossBar"
                                           << "Default" << 3 << true << "1";
        QTest::newRow("signalling Get") << "ButtonGetDispSettings"
                                        << "Get" << 4 << false << "#ff0000";
        QTest::newRow("signalling Default") << "ButtonDefaultDispSettings"
                                            << "Default" << 4 << true << "#00ff00";
        QTest::newRow("signalling Normal") << "Button18"
                                           << "Normal" << 4 << false << "";
        QTest::newRow("signalling Wide") << "Button26"
                                         << "Wide" << 4 << false << "";
        QTest::newRow("external network Default") << "Button27"
                                                  << "Default" << 7 << false << "";
    }

    // The pages' buttons that are never shown exist, hidden, and run their
    // operation: Default puts New's values back into its block, the others
    // leave the image as it is.
    void hiddenPageButtons()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, block);
        QFETCH(bool, writes);
        QFETCH(QString, shown);
        AppFixture f;
        const ConfigImage fresh = f.main->State().Image;
        ConfigImage& image = f.main->State().Image;
        for (int i = 0; i < ConfigImageSize; ++i)
            image[i] = uint8_t(i * 5 + 1);
        image[41] = 1;   // input 1 on window 2
        image[107] = 3;  // window 1 an emergency window, red
        const ConfigImage changed = image;
        const auto display = [&]() -> QString {
            if (block == 3)
                return f.Page7()->ASGCrossBar->cellText(11, 1);
            return f.Page6()->PDisplay[0]->colour().name();
        };
        if (!shown.isEmpty() && !writes)
            QVERIFY(display() != shown);
        auto* button = f.find<QPushButton>(qPrintable(name));
        QCOMPARE(button->text(), caption);
        QVERIFY(button->isHidden());
        button->click();
        ConfigImage expected = changed;
        if (writes) {
            const ConfigBlock& b = BlockDirectory[block];
            std::copy(fresh.begin() + b.Offset, fresh.begin() + b.CrcOffset(),
                      expected.begin() + b.Offset);
            if (block == 3) {  // the crossbar's Default writes block 6 too
                const ConfigBlock& six = BlockDirectory[6];
                std::copy(fresh.begin() + six.Offset, fresh.begin() + six.CrcOffset(),
                          expected.begin() + six.Offset);
            }
        }
        QVERIFY(image == expected);
        if (!shown.isEmpty())
            QCOMPARE(display(), shown);
    }

    void closeQuestion()
    {
        AppFixture f;
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        f.prompts.answers.enqueue(false);
        QVERIFY(!f.main->close());
        QVERIFY(f.main->isVisible());
        QCOMPARE(f.prompts.shown.size(), 1);
        const auto& q = f.prompts.shown[0];
        QCOMPARE(q.kind, FakePrompts::Shown::Question);
        QCOMPARE(q.caption, QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(q.text, QStringLiteral("Завершить работу программы?"));
        QCOMPARE(q.icon, Prompts::Icon::Warning);
        QVERIFY(!q.okIsDefault);

        f.prompts.answers.enqueue(true);
        QVERIFY(f.main->close());
        QVERIFY(!f.main->isVisible());
    }

    void exitWithoutQuestion()
    {
        AppFixture f;
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        f.prompts.answers.enqueue(false);  // would keep the window if asked
        f.Action("N7")->trigger();
        QVERIFY(!f.main->isVisible());
        QVERIFY(f.prompts.shown.isEmpty());
    }

    void platformWarning()
    {
        AppFixture f(false);
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        QTRY_COMPARE(f.prompts.shown.size(), 1);
        const auto& m = f.prompts.shown[0];
        QCOMPARE(m.kind, FakePrompts::Shown::Message);
        QCOMPARE(m.caption, QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(m.text, QStringLiteral("Поддерживаются только Windows NT4.0/2000/XP/Vista/7 - \n"
                                        "функциональность ограничена"));
        QCOMPARE(m.icon, Prompts::Icon::Warning);
        for (QToolButton* b :
             {f.Tool("SBReadConfig"), f.Tool("SBWriteConfig"), f.Tool("SBApplyConfig")})
            QVERIFY(!b->isEnabled());
        for (QAction* a :
             {f.Action("MIRead"), f.Action("MIWrite"), f.Action("MIApply"), f.Action("N20")})
            QVERIFY(!a->isEnabled());
        QVERIFY(!f.Pager()->tabsAntialiased());
        QVERIFY(f.Tool("SBLoadFile")->isEnabled());
        QVERIFY(f.Action("MIOpen")->isEnabled());
        QVERIFY(f.Tool("SBNewConfig")->isEnabled());
        QVERIFY(f.Tool("SBSaveFile")->isEnabled());
        // Shown once, not again on a later show.
        f.main->hide();
        f.main->show();
        QTest::qWait(20);
        QCOMPARE(f.prompts.shown.size(), 1);
    }

    void supportedPlatformNoWarning()
    {
        AppFixture f(true);
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        QTest::qWait(20);
        QVERIFY(f.prompts.shown.isEmpty());
        QVERIFY(f.Tool("SBReadConfig")->isEnabled());
        QVERIFY(f.Action("N20")->isEnabled());
    }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Ошибка I/O"
                                << "Ошибка I/O.";
        QTest::newRow("blank") << "Невозможно открыть порт "
                               << "Невозможно открыть порт ";
        QTest::newRow("full stop") << "Готово."
                                   << "Готово.";
        QTest::newRow("comma") << "a,"
                               << "a,";
        QTest::newRow("digit") << "v1.50"
                               << "v1.50.";
        QTest::newRow("slash") << "a/"
                               << "a/.";
        QTest::newRow("empty") << ""
                               << "";
    }

    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(message), shown);
    }

    // A failing command shows its message in the error box captioned with
    // the application title; an abort shows nothing; the program goes on.
    void commandErrors()
    {
        AppFixture f;
        f.main->SBNewConfigClick();  // the titles become "[New] - ..."
        QVERIFY(!f.app.RunCommand([] { throw CommandError("Ошибка I/O", "detail text"); }));
        QCOMPARE(f.prompts.shown.size(), 1);
        QCOMPARE(f.prompts.shown[0].caption, QStringLiteral("[New] - Orlix Configuration tool"));
        QCOMPARE(f.prompts.shown[0].text, QStringLiteral("Ошибка I/O."));
        QCOMPARE(f.prompts.shown[0].detail, QStringLiteral("detail text"));
        QCOMPARE(f.prompts.shown[0].icon, Prompts::Icon::Error);
        QVERIFY(!f.app.RunCommand([] { throw CommandAbort(); }));
        QCOMPARE(f.prompts.shown.size(), 1);
        QVERIFY(!f.app.RunCommand([] { StrToInt("12ab"); }));
        QCOMPARE(f.prompts.shown[1].text, QStringLiteral("'12ab' is not a valid integer value."));
        QVERIFY(f.app.RunCommand([] {}));
    }

    // The fill menu drops down with its top-left corner at the button's
    // bottom-left corner; a button without a menu does nothing.
    void popupBelowButton()
    {
        AppFixture f;
        f.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.main));
        auto* button = new QToolButton(f.Page2());
        button->setGeometry(225, 10, 40, 25);
        button->show();
        QMenu menu;
        menu.addAction("x");
        f.main->SBShowPopup(button);  // no menu yet: nothing happens
        QVERIFY(!menu.isVisible());
        SetPopupMenu(button, &menu);
        f.main->SBShowPopup(button);
        QVERIFY(menu.isVisible());
        QCOMPARE(menu.pos(), button->mapToGlobal(QPoint(0, 25)));
        menu.hide();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
