// The scan dialog against the simulated panel on a pseudo-terminal: what it
// lists, choosing a panel, stopping, the CSV export, a port that does not
// open, closing in the middle of a scan; and the port panel showing a
// chosen line.
#include "app/scan_dialog.h"
#include "app/tfmbparam.h"
#include "app_fixture.h"
#include "files/config_file_messages.h"
#include "files/file_target.h"
#include "link/frame_journal.h"
#include "link/modbus.h"
#include "panel_fixture.h"
#include "rapid_presses.h"
#include "simulated_panel.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

Q_DECLARE_METATYPE(SerialSettings)

namespace {
const QString PortName = QStringLiteral("ORL-SIM1");
const QString Line9600 = QStringLiteral("9600 бод, стоп-битов 2, паритет none");

// The dialog on the simulated panel's line, with its own journal and
// prompts. The line answers each request at once in one burst: a scan's
// time is the silent addresses' wait, and no answer can come apart when
// the machine is busy.
struct ScanFixture {
    SimulatedPanel panel;
    FakePrompts prompts;
    FrameJournal journal;
    std::unique_ptr<TFScan> dialog;

    explicit ScanFixture(const QString& devicePath = {})
    {
        QString error;
        if (!panel.Start(&error))
            qFatal("simulated panel: %s", qPrintable(error));
        LinkSettings port;
        port.PortName = PortName;
        port.DevicePath = devicePath.isEmpty() ? panel.DevicePath() : devicePath;
        dialog = std::make_unique<TFScan>(nullptr, prompts, port, &journal);
    }

    void search(int first, int last, bool everyLineSetting = false)
    {
        dialog->FirstAddress->setValue(first);
        dialog->LastAddress->setValue(last);
        dialog->EveryLineSetting->setChecked(everyLineSetting);
        dialog->SearchButton->click();
    }

    // Until the scan has ended and the dialog has taken its end.
    bool waitIdle(int timeoutMs = 20000)
    {
        return QTest::qWaitFor(
            [this] { return !dialog->IsScanning() && dialog->SearchButton->isEnabled(); },
            timeoutMs);
    }

    QList<QStringList> rows() const
    {
        QList<QStringList> out;
        const QTableWidget* list = dialog->List;
        for (int row = 0; row < list->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < list->columnCount(); ++column)
                cells << list->item(row, column)->text();
            out << cells;
        }
        return out;
    }

    int rowOf(int address) const
    {
        const auto found = dialog->List->findItems(QString::number(address), Qt::MatchExactly);
        for (const QTableWidgetItem* item : found)
            if (item->column() == 0)
                return item->row();
        return -1;
    }
};

QString AccessibleName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}
}  // namespace

class TestScanDialog : public QObject {
    Q_OBJECT
private slots:
    // Three panels and another Modbus device on one line: each is listed
    // with what it reported, and the journal holds every frame under the
    // dialog's name.
    void findsPanelsAndOtherDevice()
    {
        ScanFixture f;
        // Answers paced at 9600 baud, 5 ms after each request, as on a site's line.
        f.panel.SetLineBehaviour({true, 5000, 0, false});
        f.panel.SetAddress(2);
        QVERIFY(f.panel.AddModbusDevice(3));
        QVERIFY(f.panel.AddPanel(4));
        QVERIFY(f.panel.AddPanel(6));
        f.panel.SetFamilyAt(4, 1);
        f.panel.SetFirmwareAt(4, 1, 5);
        f.panel.SetHardwareRevisionAt(4, 0x0B);
        f.journal.BeginCommand(QStringLiteral("before"));

        f.search(1, 6);
        QVERIFY(f.dialog->StopButton->isEnabled());
        QVERIFY(!f.dialog->SearchButton->isEnabled());
        const QRegularExpression trying(QStringLiteral("^Адрес [1-6] из 6$"));
        QVERIFY(QTest::qWaitFor(
            [&] { return trying.match(AccessibleName(f.dialog->Progress)).hasMatch(); }, 5000));
        QVERIFY(f.waitIdle());

        const QList<QStringList> rows = f.rows();
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0], (QStringList{"2", "ОРЛ-07", "ОРЛ-07", "1.7", "0x01", Line9600}));
        QCOMPARE(rows[1].mid(2), (QStringList{"", "", "", Line9600}));
        QCOMPARE(rows[1][0], QStringLiteral("3"));
        QVERIFY2(rows[1][1].startsWith(QStringLiteral("устройство Modbus, не ОРЛ: идентификатор")),
                 qPrintable(rows[1][1]));
        QCOMPARE(rows[2], (QStringList{"4", "ОРЛ-09", "ОРЛ-09", "1.5", "0x0B", Line9600}));
        QCOMPARE(rows[3], (QStringList{"6", "ОРЛ-07", "ОРЛ-07", "1.7", "0x01", Line9600}));
        QCOMPARE(f.dialog->Progress->format(), QStringLiteral("Найдено устройств: 4"));
        QCOMPARE(AccessibleName(f.dialog->Progress), QStringLiteral("Найдено устройств: 4"));
        QCOMPARE(f.dialog->Progress->value(), f.dialog->Progress->maximum());
        QVERIFY(f.dialog->SaveButton->isEnabled());
        QVERIFY(!f.dialog->StopButton->isEnabled());
        QCOMPARE(f.prompts.shown.size(), 0);

        // Six identifications and a firmware request per panel, all journaled.
        const QList<QByteArray> requests = f.panel.Requests();
        QCOMPARE(requests.size(), 6 + 3);
        QList<QByteArray> sent;
        for (const JournalFrame& frame : f.journal.ChangedSince(0)) {
            if (frame.Command == QLatin1String("before"))
                continue;
            QCOMPARE(frame.Command, QStringLiteral("Поиск панелей"));
            if (frame.Kind == TraceKind::Sent)
                sent << frame.Bytes;
        }
        QCOMPARE(sent, requests);
    }

    // "Выбрать" by its button, a double click or Enter hands over the
    // panel's address and the line settings it answered at (found with
    // every line setting), and closes; on the other device's row it is
    // disabled and Enter neither chooses nor starts a scan.
    void chooseHandsOverThePanel_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("button") << "button";
        QTest::newRow("double click") << "double click";
        QTest::newRow("Enter") << "Enter";
    }
    void chooseHandsOverThePanel()
    {
        QFETCH(QString, how);
        ScanFixture f;
        f.panel.SetAddress(5);
        f.panel.SetLineSettings(19200, false);
        QVERIFY(f.panel.AddModbusDevice(4, true));
        f.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.dialog.get()));

        f.search(4, 6, true);
        // With every line setting the progress names the one being tried.
        const QRegularExpression trying(
            QStringLiteral("^Адрес [4-6] из 6; \\d+ бод, стоп-битов [12], паритет (none|even|odd) "
                           "\\(настройка ([1-9]|[1-3]\\d|4[0-2]) из 42\\)$"));
        QVERIFY(QTest::qWaitFor(
            [&] { return trying.match(AccessibleName(f.dialog->Progress)).hasMatch(); }, 10000));
        QCOMPARE(f.dialog->Progress->format(), AccessibleName(f.dialog->Progress));
        QVERIFY(f.waitIdle());
        const QString at19200 = QStringLiteral("19200 бод, стоп-битов 1, паритет none");
        QCOMPARE(f.rows(), (QList<QStringList>{{"4", "устройство Modbus, не ОРЛ: исключение 01", "",
                                                "", "", at19200},
                                               {"5", "ОРЛ-07", "ОРЛ-07", "1.7", "0x01", at19200}}));

        QSignalSpy chosen(f.dialog.get(), &TFScan::Chosen);
        const int requests = int(f.panel.Requests().size());
        f.dialog->List->setFocus();
        f.dialog->List->setCurrentCell(f.rowOf(4), 1);
        QVERIFY(!f.dialog->ChooseButton->isEnabled());
        QTest::keyClick(f.dialog->List, Qt::Key_Return);
        QTest::qWait(100);
        QVERIFY(f.dialog->isVisible());
        QCOMPARE(chosen.size(), 0);
        QCOMPARE(int(f.panel.Requests().size()), requests);

        f.dialog->List->setCurrentCell(f.rowOf(5), 1);
        QVERIFY(f.dialog->ChooseButton->isEnabled());
        if (how == QLatin1String("button")) {
            f.dialog->ChooseButton->click();
        } else if (how == QLatin1String("double click")) {
            QuickClicks(
                f.dialog->List->viewport(),
                f.dialog->List->visualItemRect(f.dialog->List->item(f.rowOf(5), 1)).center(), 2);
        } else {
            QTest::keyClick(f.dialog->List, Qt::Key_Enter);
        }
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].value<uint8_t>(), uint8_t(5));
        SerialSettings expected;
        expected.BaudRate = 19200;
        expected.StopBits = 1;
        QVERIFY(chosen[0][1].value<SerialSettings>() == expected);
        QVERIFY(!f.dialog->isVisible());
        QCOMPARE(f.dialog->result(), int(QDialog::Accepted));
        QTest::qWait(100);
        QCOMPARE(int(f.panel.Requests().size()), requests);
    }

    // "Стоп" in a scan over the whole range ends it at the address being
    // asked: at most that one request reaches the line after the press.
    // The rows come while the scan goes on.
    void stopEndsWithinOneAddress()
    {
        ScanFixture f;  // a panel at address 1
        f.search(1, 247);
        QVERIFY(f.panel.WaitForRequests(12, 10000));
        // The panel's row came as it was found, long before the scan's end.
        QVERIFY(QTest::qWaitFor([&] { return f.dialog->List->rowCount() == 1; }, 5000));
        QVERIFY(f.dialog->IsScanning());
        QVERIFY(f.dialog->StopButton->isEnabled());
        QElapsedTimer clock;
        clock.start();
        f.dialog->StopButton->click();
        const int atPress = int(f.panel.Requests().size());
        QVERIFY(f.waitIdle(3000));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(200);
        const int after = int(f.panel.Requests().size()) - atPress;
        QVERIFY2(after <= 1, qPrintable(QStringLiteral("%1 requests after the press").arg(after)));
        QCOMPARE(f.rows().size(), 1);
        QCOMPARE(f.dialog->Progress->format(),
                 QStringLiteral("Поиск остановлен, найдено устройств: 1"));
        QVERIFY(f.dialog->Progress->value() < f.dialog->Progress->maximum());
        QVERIFY(!f.dialog->StopButton->isEnabled());
    }

    // The list as CSV through the save dialog; a file that cannot be
    // written says why.
    void csvExport()
    {
        ScanFixture f;
        QVERIFY(f.panel.AddModbusDevice(2, true));
        f.search(1, 2);
        QVERIFY(f.waitIdle());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("line.csv"));
        f.prompts.fileNames.enqueue(path);
        f.dialog->SaveButton->click();

        QCOMPARE(f.prompts.shown.size(), 1);
        const FileDialogSpec& saveDialog = f.prompts.shown[0].dialog;
        QVERIFY(saveDialog.Save);
        QVERIFY(saveDialog.ConfirmOverwrite);
        QCOMPARE(saveDialog.DefaultSuffix, QStringLiteral("csv"));
        QCOMPARE(saveDialog.Filters.value(0), QStringLiteral("Файлы CSV (*.csv)"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected =
            QByteArray("\xEF\xBB\xBF") + QStringLiteral(
                                             "Адрес;Тип;Модель;ПО;Ревизия;Параметры линии\r\n"
                                             "1;ОРЛ-07;ОРЛ-07;1.7;0x01;%1\r\n"
                                             "2;устройство Modbus, не ОРЛ: исключение 01;;;;%1\r\n")
                                             .arg(Line9600)
                                             .toUtf8();
        QCOMPARE(file.readAll(), expected);

        // The dialog starts from the last file; a folder that is not there.
        const QString missing = dir.filePath(QStringLiteral("gone/line.csv"));
        f.prompts.fileNames.enqueue(missing);
        f.dialog->SaveButton->click();
        QCOMPARE(f.prompts.shown[1].dialog.FileName, path);
        const auto messages = f.prompts.messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].icon, Prompts::Icon::Error);
        QCOMPARE(messages[0].caption, QStringLiteral("Orlix Configuration tool"));
        QCOMPARE(messages[0].text, WriteFailedMessage(missing, SystemErrorText(ENOENT)) + ".");
    }

    // A port that does not open: the window's message, its reason as the
    // second paragraph, and the dialog ready for another try.
    void portThatDoesNotOpen()
    {
        ScanFixture f(QStringLiteral("/dev/orlix-no-such-port"));
        f.search(1, 3);
        QVERIFY(f.waitIdle());
        const auto messages = f.prompts.messages();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages[0].text, QStringLiteral("Невозможно открыть порт ORL-SIM1."));
        QCOMPARE(messages[0].icon, Prompts::Icon::Error);
        QVERIFY2(messages[0].detail.startsWith(QStringLiteral("Причина: ")) &&
                     messages[0].detail.size() > 9,
                 qPrintable(messages[0].detail));
        QCOMPARE(f.dialog->Progress->format(), QStringLiteral("Поиск не выполнен"));
        QCOMPARE(f.rows().size(), 0);
        QVERIFY(f.dialog->SearchButton->isEnabled());
    }

    // However the dialog goes in the middle of a scan, the scan's thread
    // has ended when it is gone, the port is free, the line falls silent.
    void closingWhileScanning_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Закрыть") << "close button";
        QTest::newRow("Escape") << "Escape";
        QTest::newRow("deleted") << "delete";
    }
    void closingWhileScanning()
    {
        QFETCH(QString, how);
        ScanFixture f;
        f.dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.dialog.get()));
        f.search(1, 247);
        QVERIFY(f.panel.WaitForRequests(5, 10000));
        QVERIFY(f.dialog->IsScanning());
        QElapsedTimer clock;
        clock.start();
        if (how == QLatin1String("close button")) {
            f.dialog->CloseButton->click();
        } else if (how == QLatin1String("Escape")) {
            QTest::keyClick(f.dialog->List, Qt::Key_Escape);
        } else {
            f.dialog.reset();
        }
        // Within the address being asked, not at the end of the range.
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        if (f.dialog) {
            QVERIFY(!f.dialog->isVisible());
            QVERIFY(!f.dialog->IsScanning());
            QCOMPARE(f.dialog->result(), int(QDialog::Rejected));
        }
        TModbus other;
        QVERIFY(other.OpenPort(f.panel.DevicePath(), SerialSettings{}, true, 256) !=
                TModbus::ClosedMarker);
        other.ClosePort();
        const int requests = int(f.panel.Requests().size());
        QTest::qWait(300);
        QCOMPARE(int(f.panel.Requests().size()), requests);
        f.dialog.reset();
    }

    // By keys: Tab runs through the range, the check box, "Искать", the
    // list and the buttons, each with a name a screen reader says.
    void keyboardOrderAndNames()
    {
        ScanFixture f;
        f.search(1, 1);
        QVERIFY(f.waitIdle());
        f.dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(f.dialog.get()));
        f.dialog->FirstAddress->setFocus();
        QStringList names;
        for (int i = 0; i < 9; ++i) {
            QWidget* focused = QApplication::focusWidget();
            // A spin box's focus is its line edit.
            while (focused && focused->parentWidget() != f.dialog.get())
                focused = focused->parentWidget();
            QVERIFY(focused);
            names << AccessibleName(focused);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        // "Стоп" is disabled, nothing running; the list's first row, the
        // panel, became current as the list took the focus.
        QCOMPARE(names, (QStringList{"Первый адрес", "Последний адрес", "все скорости", "Искать",
                                     "Найденные устройства", "Выбрать", "Сохранить...", "Закрыть",
                                     "Первый адрес"}));
        QCOMPARE(f.dialog->List->currentRow(), 0);
        QCOMPARE(AccessibleName(f.dialog->StopButton), QStringLiteral("Стоп"));
        QCOMPARE(AccessibleName(f.dialog->ChooseButton), QStringLiteral("Выбрать"));
        QCOMPARE(AccessibleName(f.dialog.get()), QStringLiteral("Поиск панелей"));
        QCOMPARE(f.dialog->windowTitle(), QStringLiteral("Поиск панелей"));
        // The range keeps its first address at or below its last.
        f.dialog->LastAddress->setValue(10);
        f.dialog->FirstAddress->setValue(20);
        QCOMPARE(f.dialog->LastAddress->value(), 20);
        f.dialog->LastAddress->setValue(7);
        QCOMPARE(f.dialog->FirstAddress->value(), 7);
    }

    // The port panel shows a chosen line and gives it back.
    // From the window: "Поиск панелей..." scans the port chosen on the port
    // settings panel; the panel chosen in the list gives the address field
    // its address and the port settings panel its line.
    void windowTakesTheChosenPanel()
    {
        PanelFixture f;
        f.panel.SetAddress(3);
        f.panel.SetLineSettings(19200, false);
        f.main->show();
        f.Action("MIScan")->trigger();
        QPointer<TFScan> dialog = f.main->findChild<TFScan*>();
        QVERIFY(dialog);
        QVERIFY(dialog->isModal());
        dialog->FirstAddress->setValue(2);
        dialog->LastAddress->setValue(3);
        dialog->EveryLineSetting->setChecked(true);
        dialog->SearchButton->click();
        QVERIFY(QTest::qWaitFor(
            [&] { return !dialog->IsScanning() && dialog->SearchButton->isEnabled(); }, 20000));
        QCOMPARE(dialog->List->rowCount(), 1);
        dialog->List->setCurrentCell(0, 0);
        dialog->ChooseButton->click();
        QCOMPARE(f.EDeviceAddr()->text(), QStringLiteral("3"));
        const TFMBParam& port = f.main->PortPanel();
        QCOMPARE(port.CBBaudRate->currentData().toInt(), 19200);
        QVERIFY(port.RBOneStopBits->isChecked());
        QVERIFY(port.RBNoParity->isChecked());
        QCOMPARE(port.Settings().PortName, QStringLiteral("ORL-SIM1"));
        QTRY_VERIFY(dialog.isNull());
        // The window's next read goes to the chosen panel at its line.
        f.Tool("SBReadConfig")->click();
        QCOMPARE(f.messageTexts(), QStringList());
        QCOMPARE(f.main->windowTitle(), QStringLiteral("[Readed] - Orlix Configuration tool"));
    }
};

QTEST_MAIN(TestScanDialog)
#include "tst_scan_dialog.moc"
