// "Сверить с панелью" against the simulated panel: the read's exchange into
// a buffer of its own, the box when the panel holds what the window does,
// the dialog of differences and its keys, going to a field on its page, and
// taking the panel's image as a read takes it.
#include "app/diff_dialog.h"
#include "app/journal_model.h"
#include "app/journal_window.h"
#include "image_compare.h"
#include "key_script.h"
#include "panel_fixture.h"
#include "text/config_fields.h"
#include "widgets/bevel_panel.h"
#include "widgets/click_grid.h"
#include "widgets/picture_button.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

namespace {
// Input 12's contact type: block 2, byte 1, bit 3.
constexpr int Input12Offset = 32;
constexpr uint8_t Input12Bit = 0x08;
// Window 3's type, block 4.
constexpr int Window3Offset = 107 + 2;

const QStringList VerifyRequests{"ident",  "version", "read 0", "read 1", "read 2",
                                 "read 3", "read 4",  "read 5", "read 6"};

TFDiff* Dialog(const PanelFixture& f)
{
    return f.main->findChild<TFDiff*>(QStringLiteral("FDiff"));
}

QTableWidget* List(const PanelFixture& f)
{
    return f.find<QTableWidget>("DiffList");
}

// The rows of the dialog's table as shown: "field | panel | window".
QStringList Rows(const PanelFixture& f)
{
    QTableWidget* table = List(f);
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        rows << cells.join(QStringLiteral(" | "));
    }
    return rows;
}

// The window shown and active, as a user meets it.
void ShowWindow(PanelFixture& f)
{
    f.main->show();
    f.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.main));
}

// A double click as the window system delivers it.
void DoubleClick(QWidget* widget, QPoint at)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

void Verify(PanelFixture& f)
{
    f.Action("MIVerify")->trigger();
}

// Nothing of a device command is left behind.
void VerifyClosed(PanelFixture& f)
{
    QVERIFY(!f.main->Channel().IsOpen());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(TFMain::ReadMayStart());
}
}  // namespace

class TestVerifyCommand : public QObject {
    Q_OBJECT
private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    // The panel holds what the window holds: the read's requests and pauses,
    // an information box naming the panel, sent once the port is closed,
    // and the image, the title and the file binding as they were.
    void equal_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("keys");
        QTest::newRow("menu, address 1") << 1 << QString();
        QTest::newRow("Ctrl+Shift+V, address 5") << 5 << QStringLiteral("Ctrl+Shift+V");
        QTest::newRow("Alt+к в, address 17") << 17 << QStringLiteral("Alt+к в");
    }
    void equal()
    {
        QFETCH(int, address);
        QFETCH(QString, keys);
        PanelFixture f;
        f.panel.SetAddress(uint8_t(address));
        f.EDeviceAddr()->setText(QString::number(address));
        ConfigState& state = f.main->State();
        for (int i = BlockDirectory[7].Offset; i < ConfigImageSize; ++i)
            state.Image[i] = 0x5A;  // no panel has these: never compared
        state.HasFileName = true;
        state.CurrentFileName = QStringLiteral("/tmp/bound.cfg");
        f.main->setWindowTitle(QStringLiteral("[bound.cfg] - Orlix Configuration tool"));
        f.panel.SetImage(state.Image);
        const ConfigImage before = state.Image;
        bool portOpenAtBox = true;
        f.app->prompts.onShow = [&](const FakePrompts::Shown&) {
            portOpenAtBox = f.main->Channel().IsOpen();
        };

        if (keys.isEmpty()) {
            Verify(f);
        } else {
            ShowWindow(f);
            TypeKeys(f.main, keys);
        }
        QCOMPARE(f.requestKinds(), VerifyRequests);
        const QString shortfall = f.pauseShortfall({0, 20, 40, 20, 20, 20, 20, 20, 20});
        QVERIFY2(shortfall.isEmpty(), qPrintable(shortfall));
        QCOMPARE(f.app->prompts.shown.size(), 1);
        const FakePrompts::Shown& box = f.app->prompts.shown[0];
        QCOMPARE(box.kind, FakePrompts::Shown::Message);
        QCOMPARE(box.caption, QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(box.text, QStringLiteral("Панель совпадает с конфигурацией"));
        QCOMPARE(box.icon, Prompts::Icon::Information);
        QCOMPARE(box.detail, QStringLiteral("Устройство № %1  (ORL-SIM1)").arg(address));
        QVERIFY(!portOpenAtBox);
        QVERIFY(state.Image == before);
        QVERIFY(state.HasFileName);
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[bound.cfg] - Orlix Configuration tool"));
        QVERIFY(!Dialog(f));
        VerifyClosed(f);

        // The journal groups the frames under the command's name.
        f.Action("MIJournal")->trigger();
        auto* journal = f.main->findChild<TFJournal*>(QStringLiteral("FJournal"));
        QVERIFY(journal);
        journal->Refresh();
        const JournalModel& model = journal->Model();
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.index(0, JournalModel::Direction).data().toString(),
                 QStringLiteral("Сверить с панелью"));
    }

    // One bit of the panel differs, on a paced line: exactly that field is
    // listed, with both values as the page reads them. The window's image
    // stays as it was through the dialog; a second comparison refills the
    // same dialog; "Взять из панели" does what a read does.
    void differences()
    {
        PanelFixture f;
        f.panel.SetLineBehaviour({true, 3000, 0, false});
        ShowWindow(f);
        ConfigState& state = f.main->State();
        for (int i = BlockDirectory[7].Offset; i < ConfigImageSize; ++i)
            state.Image[i] = 0x5A;
        QCOMPARE(state.Image[Input12Offset] & Input12Bit, 0);
        ConfigImage onPanel = state.Image;
        onPanel[Input12Offset] ^= Input12Bit;
        for (int i = BlockDirectory[7].Offset; i < ConfigImageSize; ++i)
            onPanel[i] = 0x33;  // never read: the window's blocks 7..9 are compared with themselves
        f.panel.SetImage(onPanel);
        const ConfigImage before = state.Image;
        const QString title = f.main->windowTitle();

        Verify(f);
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.requestKinds(), VerifyRequests);
        VerifyClosed(f);
        TFDiff* dialog = Dialog(f);
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Отличия от панели"));
        QTableWidget* table = List(f);
        QStringList headers;
        for (int c = 0; c < table->columnCount(); ++c)
            headers << table->horizontalHeaderItem(c)->text();
        QCOMPARE(headers, (QStringList{"Поле", "Панель", "Конфигурация"}));
        QCOMPARE(Rows(f), QStringList{"Вход 12: тип контакта | Н.З. | Н.Р."});
        QCOMPARE(f.find<QLabel>("DiffDevice")->text(),
                 QStringLiteral("Устройство № 1  (ORL-SIM1)"));
        QVERIFY(state.Image == before);
        QCOMPARE(f.main->windowTitle(), title);

        // "Перейти": the inputs page, input 12's contact button focused.
        table->setCurrentCell(0, 0);
        f.find<QPushButton>("DiffGoTo")->click();
        QCOMPARE(f.Pager()->activePage(), f.Page5());
        QTRY_COMPARE(QApplication::focusWidget(), f.Page5()->SBTypeContact[11]);
        QVERIFY(dialog->isVisible());
        QVERIFY(state.Image == before);

        // A second comparison: the same dialog, the new differences.
        onPanel[Window3Offset] = uint8_t(state.Image[Window3Offset] == 2 ? 3 : 2);
        f.panel.SetImage(onPanel);
        f.panel.ClearRequests();
        Verify(f);
        QCOMPARE(f.main->findChildren<TFDiff*>().size(), 1);
        QCOMPARE(Dialog(f), dialog);
        QVERIFY(dialog->isVisible());
        QCOMPARE(Rows(f).size(), 2);
        QVERIFY(Rows(f)[1].startsWith(QStringLiteral("Окно 3: тип | ")));
        QVERIFY(state.Image == before);

        // "Взять из панели": the panel's blocks 0..6, the window's 7..9.
        f.find<QPushButton>("DiffTake")->click();
        QVERIFY(!dialog->isVisible());
        QVERIFY(SameBlocks(state.Image, onPanel, 0, 6));
        QVERIFY(SameBlocks(state.Image, before, 7, 9));
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[Readed] - Orlix Configuration tool"));
        QCOMPARE(f.app->app.Title, f.main->windowTitle());
        QCOMPARE(f.main->StatusText(), QStringLiteral(" ver 1.70"));
        QVERIFY(!state.HasFileName);
        QCOMPARE(f.Page5()->SBTypeContact[11]->accessibleDescription(), QStringLiteral("Н.З."));
        // Taking sends nothing.
        QCOMPARE(f.requestKinds(), VerifyRequests);
        QCOMPARE(f.messageTexts(), QStringList());
    }

    // A number still being typed into a grid cell is what is compared: the
    // command ends the edit as Enter would first.
    void openCellEdit()
    {
        PanelFixture f;
        f.panel.SetImage(f.main->State().Image);
        ShowWindow(f);
        StringGrid* grid = f.Page4()->ASGOutBase;
        f.Pager()->setActivePage(f.Page4());
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(4, 3).center());
        QVERIFY(grid->isEditing());
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(edit);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("20"));

        Verify(f);
        QVERIFY(!grid->isEditing());
        QCOMPARE(f.messageTexts(), QStringList());
        QVERIFY(Dialog(f));
        QCOMPARE(Rows(f), QStringList{"Выход 2: квитирование: внешний вход | — | вход 20"});
        QCOMPARE(int(f.main->State().Image[149 + 1]), 19);
    }

    // A panel that does not answer, or whose firmware the tool does not
    // program: the read's message, no dialog (an open one from before is put
    // away: its panel image is no longer current), the image untouched.
    void fails_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("no answer")
            << QStringLiteral("no-answer")
            << QStringLiteral("Устройство № 1  (ORL-SIM1)  не отвечает на запросы.");
        QTest::newRow("firmware 1.6")
            << QString() << QStringLiteral("Конфликт версий ПО - требуется программатор v1.60.");
    }
    void fails()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        PanelFixture f;
        ConfigImage onPanel = f.main->State().Image;
        onPanel[Input12Offset] ^= Input12Bit;
        f.panel.SetImage(onPanel);
        Verify(f);
        QVERIFY(Dialog(f) && Dialog(f)->isVisible());
        const ConfigImage before = f.main->State().Image;
        const QString title = f.main->windowTitle();

        if (fault.isEmpty())
            f.panel.SetFirmware(1, 6);
        else
            f.panel.AddFault(*PanelFault::Parse(fault));
        Verify(f);
        QCOMPARE(f.messageTexts(), QStringList{message});
        QVERIFY(!Dialog(f)->isVisible());
        QVERIFY(f.main->State().Image == before);
        QCOMPARE(f.main->windowTitle(), title);
        VerifyClosed(f);
    }

    // A comparison or a read asked for while one runs does not start: one
    // exchange, one box.
    void noReentry()
    {
        PanelFixture f;
        f.panel.SetImage(f.main->State().Image);
        QTimer::singleShot(0, f.main, [&f] {
            f.Action("MIVerify")->trigger();
            f.Action("MIRead")->trigger();
        });
        Verify(f);
        QApplication::processEvents();
        QCOMPARE(f.requestKinds(), VerifyRequests);
        QCOMPARE(f.messageTexts(), QStringList{"Панель совпадает с конфигурацией"});
        VerifyClosed(f);
    }

    // Where the platform has no serial port the command is off with the read.
    void unsupportedPlatform()
    {
        AppFixture f(false);
        f.main->show();
        QTRY_COMPARE(f.prompts.shown.size(), 1);
        QVERIFY(!f.Action("MIVerify")->isEnabled());
        QVERIFY(!f.Action("MIRead")->isEnabled());
    }

    // The dialog by keys alone: the table has the focus, Ctrl+C copies all
    // rows or the selected ones, a header click sorts (numbers as numbers),
    // Enter and a double click go to a row's field, Tab reaches the buttons,
    // Escape closes; the parts carry names for screen readers.
    void dialogKeys()
    {
        PanelFixture f;
        ShowWindow(f);
        const ConfigImage before = f.main->State().Image;
        ConfigImage onPanel = before;
        onPanel[31] ^= 0x02;  // input 2
        onPanel[Input12Offset] ^= Input12Bit;
        QCOMPARE(int(before[Window3Offset]), 1);  // indication
        onPanel[Window3Offset] = 2;               // warning
        f.panel.SetImage(onPanel);
        Verify(f);
        TFDiff* dialog = Dialog(f);
        QVERIFY(dialog);
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QTableWidget* table = List(f);
        QTRY_COMPARE(QApplication::focusWidget(), table);
        QCOMPARE(table->accessibleName(), QStringLiteral("Отличия от панели"));
        QStringList names;
        for (const char* name : {"DiffGoTo", "DiffTake", "DiffClose"})
            names << f.find<QPushButton>(name)->accessibleName();
        QCOMPARE(names, (QStringList{"Перейти", "Взять из панели", "Закрыть"}));
        QCOMPARE(TabWalk(dialog, 3), (QStringList{"DiffGoTo", "DiffTake", "DiffClose"}));
        table->setFocus();

        TypeKeys(dialog, QStringLiteral("Ctrl+C"));
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Поле\tПанель\tКонфигурация\n"
                                "Вход 2: тип контакта\tН.З.\tН.Р.\n"
                                "Вход 12: тип контакта\tН.З.\tН.Р.\n"
                                "Окно 3: тип\tПредупредительная\tИндикация\n"));

        // By the field, down: "Окно 3", then 12 before 2.
        QHeaderView* header = table->horizontalHeader();
        const QPoint fieldHeader(header->sectionViewportPosition(0) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, fieldHeader);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Вход 2: тип контакта"));
        QCOMPARE(table->item(1, 0)->text(), QStringLiteral("Вход 12: тип контакта"));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, fieldHeader);
        QStringList fields;
        for (int r = 0; r < table->rowCount(); ++r)
            fields << table->item(r, 0)->text();
        QCOMPARE(fields,
                 (QStringList{"Окно 3: тип", "Вход 12: тип контакта", "Вход 2: тип контакта"}));

        // The second row selected: Ctrl+C takes it alone; Enter goes there.
        table->setCurrentCell(0, 0);
        TypeKeys(dialog, QStringLiteral("Down Ctrl+C"));
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 QStringLiteral("Поле\tПанель\tКонфигурация\nВход 12: тип контакта\tН.З.\tН.Р.\n"));
        TypeKeys(dialog, QStringLiteral("Return"));
        QCOMPARE(f.Pager()->activePage(), f.Page5());
        QTRY_COMPARE(QApplication::focusWidget(), f.Page5()->SBTypeContact[11]);

        // Back in the dialog, a double click on "Окно 3".
        dialog->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        const QRect first = table->visualRect(table->model()->index(0, 0));
        DoubleClick(table->viewport(), first.center());
        QCOMPARE(f.Pager()->activePage(), f.Page6());
        QTRY_COMPARE(QApplication::focusWidget(), f.Page6()->PDisplay[2]);

        dialog->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), dialog);
        QTRY_COMPARE(QApplication::focusWidget(), table);
        TypeKeys(dialog, QStringLiteral("Escape"));
        QVERIFY(!dialog->isVisible());
        QVERIFY(f.main->State().Image == before);
    }

    // Every page puts the focus on what shows a field, in the configuration
    // as it stands; where nothing shows it, the answer is no.
    void focusField_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("page");  // the pager's index; -1 none
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        auto row = [](const char* path, const char* setup, int page, const char* focus,
                      int col = -1, int r = -1) {
            QTest::addRow("%s%s%s", path, *setup ? ", " : "", setup)
                << QString(path) << QString(setup) << page << QString(focus) << col << r;
        };
        row("device.window_count", "", 1, "CBConfig");
        row("device.fixed_configuration", "", 1, "CBFixConfig");
        row("device.line_timeout", "", 1, "CBLineControl");
        row("device.line_timeout", "line control", 1, "CBMBusTimeout");
        row("device.modbus_master", "", 1, "");  // never shown
        row("device.byte_4", "", 1, "");
        row("modbus.address", "", 2, "ENetAddress");
        row("modbus.baud", "", 2, "CBBaudRate");
        row("modbus.stop_bits", "", 2, "RBTwoStopBits");
        row("modbus.parity", "even parity", 2, "RBEvenParity");
        row("modbus.reserved[1]", "", 2, "");
        row("inputs[12].contact", "", 3, "SBTypeContact12");
        row("inputs[40].contact", "", 3, "");
        row("inputs[40].contact", "Modbus master", 3, "SBTypeContact40");
        row("outputs[2].ack_input", "", 4, "ASGOutBase", 4, 3);
        row("outputs[8].type", "", 4, "ASGOutBase", 1, 9);
        row("outputs[5].reset_by_modbus", "", 4, "ASGOutBase", 6, 6);
        row("outputs[1].other_bits", "", 4, "");
        row("inputs[7].assignment", "", 5, "ASGCrossBar", 10, 7);
        row("inputs[60].relays[3]", "", 5, "ASGCrossBar", 4, 60);
        row("windows[20].type", "", 6, "PDisplay20");
        row("windows[5].type", "ОРЛ-09", 6, "PWDisplay5");
        row("windows[13].type", "ОРЛ-09", 6, "");
        row("requests.records[1].device", "", -1, "");
        row("acks.count", "", -1, "");
    }
    void focusField()
    {
        QFETCH(QString, path);
        QFETCH(QString, setup);
        QFETCH(int, page);
        QFETCH(QString, focus);
        QFETCH(int, col);
        QFETCH(int, row);
        PanelFixture f;
        ConfigImage image = f.main->State().Image;
        int family = 0;
        if (setup == "line control")
            image[5] = 10;
        else if (setup == "even parity")
            image[24] = uint8_t((image[24] & ~0x30) | 0x20);
        else if (setup == "Modbus master")
            image[3] |= 0x02;
        else if (setup == "ОРЛ-09")
            family = 1;
        f.main->ReplaceImage(image, family);
        if (setup == "even parity")
            QVERIFY(f.Page3()->RBEvenParity->isChecked());
        ShowWindow(f);
        QWidget* start = QApplication::focusWidget();
        const FieldRow* field = FindField(path);
        QVERIFY(field);

        const bool shown = f.main->ShowField(*field);
        QCOMPARE(shown, !focus.isEmpty());
        if (page >= 0)
            QCOMPARE(f.Pager()->activeIndex(), page);
        else
            QCOMPARE(f.Pager()->activeIndex(), 1);  // left as it was
        if (!shown) {
            QCOMPARE(QApplication::focusWidget(), start);
            return;
        }
        QTRY_VERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        if (col >= 0) {
            auto* grid = qobject_cast<StringGrid*>(QApplication::focusWidget());
            QVERIFY(grid);
            QCOMPARE(grid->currentColumn(), col);
            QCOMPARE(grid->currentRow(), row);
        }
    }
};

QTEST_MAIN(TestVerifyCommand)
#include "tst_verify_command.moc"
