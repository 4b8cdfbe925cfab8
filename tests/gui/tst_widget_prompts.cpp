#include "app/prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
// Looks at the modal dialog once it is up; `look` answers it. A dialog that
// a failed check left open is dismissed, so a failure never hangs the run.
template <typename Dialog>
void WhenShown(const std::function<void(Dialog*)>& look)
{
    QTimer::singleShot(0, [look] {
        Dialog* dialog = nullptr;
        QTRY_VERIFY((dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())));
        look(dialog);
        if (dialog->isVisible())
            dialog->close();
    });
}

// The names the dialog lists in its current folder, sorted.
QStringList Listed(QFileDialog* dialog)
{
    auto* model = dialog->findChild<QFileSystemModel*>();
    const QModelIndex folder = model->index(dialog->directory().absolutePath());
    QStringList names;
    for (int row = 0; row < model->rowCount(folder); ++row)
        names << model->index(row, 0, folder).data().toString();
    names.sort();
    return names;
}
}  // namespace

class TestWidgetPrompts : public QObject {
    Q_OBJECT
private slots:
    void questionWithCancelDefault()
    {
        WidgetPrompts prompts;
        bool looked = false;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Orlix Configuration tool"));
            QCOMPARE(box->text(), QStringLiteral("Завершить работу программы?"));
            QCOMPARE(box->icon(), QMessageBox::Warning);
            QCOMPARE(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Cancel));
            looked = true;
            box->button(QMessageBox::Ok)->click();
        });
        QVERIFY(prompts.Question(nullptr, "Orlix Configuration tool", "Завершить работу программы?",
                                 Prompts::Icon::Warning, false));
        QVERIFY(looked);
    }

    void questionWithOkDefaultAnsweredByEscape()
    {
        WidgetPrompts prompts;
        WhenShown<QMessageBox>([](QMessageBox* box) {
            QCOMPARE(box->icon(), QMessageBox::Question);
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Ok));
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QVERIFY(!prompts.Question(nullptr, "t", "  Импортировать файл версии 1.60?     ",
                                  Prompts::Icon::Question, true));
    }

    void messageWithDetail()
    {
        WidgetPrompts prompts;
        bool looked = false;
        WhenShown<QMessageBox>([&](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("[New] - Orlix Configuration tool"));
            QCOMPARE(box->text(), QStringLiteral("Невозможно открыть порт ttyUSB0."));
            QCOMPARE(box->informativeText(), QStringLiteral("Причина: Permission denied"));
            QCOMPARE(box->icon(), QMessageBox::Critical);
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            looked = true;
            box->accept();
        });
        prompts.Message(nullptr, "[New] - Orlix Configuration tool",
                        "Невозможно открыть порт ttyUSB0.", Prompts::Icon::Error,
                        "Причина: Permission denied");
        QVERIFY(looked);
    }

    void saveDialog()
    {
        WidgetPrompts prompts;
        FileDialogSpec request;
        request.Title = QStringLiteral("Сохранить как");
        request.Filters = {QStringLiteral("Файлы конфигурации (*.cfg)"),
                           QStringLiteral("Все файлы (*.*)")};
        request.DefaultSuffix = QStringLiteral("cfg");
        request.Save = true;
        request.ConfirmOverwrite = true;
        bool looked = false;
        WhenShown<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Сохранить как"));
            QCOMPARE(dialog->nameFilters(), request.Filters);
            QCOMPARE(dialog->defaultSuffix(), QStringLiteral("cfg"));
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
            looked = true;
            dialog->reject();
        });
        QVERIFY(prompts.FileName(nullptr, request).isEmpty());
        QVERIFY(looked);
    }

    // "Все файлы (*.*)" lists every file, also one without a suffix; the
    // first filter lists the configuration files only.
    void allFilesFilterListsEveryFile()
    {
        QTemporaryDir dir;
        for (const char* name : {"panel", "a.cfg", "notes.txt"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        WidgetPrompts prompts;
        FileDialogSpec request;
        request.Title = QStringLiteral("Открыть");
        request.Filters = {QStringLiteral("Файлы конфигурации (*.cfg)"),
                           QStringLiteral("Все файлы (*.*)")};
        request.DefaultSuffix = QStringLiteral("cfg");
        request.FileName = dir.filePath("a.cfg");
        bool looked = false;
        WhenShown<QFileDialog>([&](QFileDialog* dialog) {
            QTRY_COMPARE(Listed(dialog), QStringList{"a.cfg"});
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            QVERIFY(types);
            QCOMPARE(types->itemText(1), QStringLiteral("Все файлы (*.*)"));
            QTest::keyClick(types, Qt::Key_Down);  // as a user picks it
            QCOMPARE(dialog->selectedNameFilter(), QStringLiteral("Все файлы (*.*)"));
            QTRY_COMPARE(Listed(dialog), (QStringList{"a.cfg", "notes.txt", "panel"}));
            QTest::keyClick(types, Qt::Key_Up);
            QTRY_COMPARE(Listed(dialog), QStringList{"a.cfg"});
            looked = true;
            dialog->reject();
        });
        QVERIFY(prompts.FileName(nullptr, request).isEmpty());
        QVERIFY(looked);
    }
};

QTEST_MAIN(TestWidgetPrompts)
#include "tst_widget_prompts.moc"
