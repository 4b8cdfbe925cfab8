#include "app/report_document.h"
#include "app_fixture.h"
#include "rich_config.h"
#include "test_files.h"

#include <QApplication>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>

// File > Print... and File > Report...: the report of the configuration in
// memory, in the print preview or as an HTML file.
namespace {
enum class Expect { Preview, File, Nothing };

struct ReportCommand {
    const char* name;
    Expect expect;
    bool chooseFile;
    void (*run)(TFMain*);
};

const ReportCommand Commands[] = {
    {"print, menu", Expect::Preview, false,
     [](TFMain* m) { WindowParts{m}.Action("MIPrint")->trigger(); }},
    {"print, Ctrl+P", Expect::Preview, false,
     [](TFMain* m) { QTest::keyClick(m, Qt::Key_P, Qt::ControlModifier); }},
    {"report, menu", Expect::File, true,
     [](TFMain* m) { WindowParts{m}.Action("MIReport")->trigger(); }},
    {"report, dialog cancelled", Expect::Nothing, false,
     [](TFMain* m) { WindowParts{m}.Action("MIReport")->trigger(); }},
};

// The pages of a PDF file.
int PdfPages(const QByteArray& pdf)
{
    static const QRegularExpression Page(QStringLiteral("/Type\\s*/Page[^s]"));
    return int(QString::fromLatin1(pdf).count(Page));
}
}  // namespace

Q_DECLARE_METATYPE(const ReportCommand*)

class TestReportCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void commands_data()
    {
        QTest::addColumn<const ReportCommand*>("command");
        for (const ReportCommand& c : Commands)
            QTest::newRow(c.name) << &c;
    }

    // The report is made of what the window holds: the loaded file's image
    // and name, the Modbus page's address as a save would collect it.
    void commands()
    {
        QFETCH(const ReportCommand*, command);
        AppFixture f;
        const QString cfg = m_dir.filePath("rich.cfg");
        const QString html = m_dir.filePath("rich-report.html");
        QFile::remove(html);
        WriteAll(cfg, ConfigFileBytes(Rich::Image()));
        f.main->show();
        QVERIFY(QTest::qWaitForWindowActive(f.main));
        QVERIFY(f.app.RunCommand([&] { f.main->LoadFile(cfg); }));
        f.Page3()->ENetAddress->setText(QStringLiteral("42"));
        if (command->chooseFile)
            f.prompts.fileNames.enqueue(html);
        command->run(f.main);

        ReportSource expected{Rich::Image(), 0, QStringLiteral("rich.cfg"), {}};
        expected.Image[MBusSettings::NetAddress] = 42;
        QCOMPARE(f.prompts.messages().size(), 0);
        QList<FakePrompts::Shown> previews;
        for (const FakePrompts::Shown& s : f.prompts.shown)
            if (s.kind == FakePrompts::Shown::PrintPreview)
                previews << s;
        QCOMPARE(previews.size(), command->expect == Expect::Preview ? 1 : 0);
        if (command->expect == Expect::Preview) {
            QCOMPARE(previews[0].caption, QStringLiteral("Конфигурация панели ОРЛ: rich.cfg"));
            QCOMPARE(previews[0].text, ReportDocument(expected)->toPlainText());
            QVERIFY(previews[0].html.contains(QLatin1String(FrontPanelImageName)));
            return;
        }
        const FakePrompts::Shown& dialog = f.prompts.shown.constLast();
        QCOMPARE(dialog.kind, FakePrompts::Shown::FileDialog);
        QCOMPARE(dialog.caption, QStringLiteral("Сохранить отчёт"));
        QCOMPARE(dialog.dialog.Filters, QStringList({"Отчёты HTML (*.html)", "Все файлы (*.*)"}));
        QCOMPARE(dialog.dialog.DefaultSuffix, QStringLiteral("html"));
        QVERIFY(dialog.dialog.Save && dialog.dialog.ConfirmOverwrite);
        if (command->expect == Expect::Nothing) {
            QVERIFY(!QFile::exists(html));
            return;
        }
        QCOMPARE(QString::fromUtf8(ReadAll(html)), ConfigReportHtml(expected));
    }

    // The real preview opens offscreen and shows as many pages as printing
    // the report to PDF gives: one for the files and settings, the inputs,
    // the front panel, the outputs, the network, each from a new page.
    void previewPages()
    {
        const ReportSource source{Rich::Image(), 0, QStringLiteral("rich.cfg"), {}};
        const auto document = ReportDocument(source);
        QPrinter pdf(QPrinter::HighResolution);
        SetUpReportPrinter(pdf, *document);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(m_dir.filePath("report.pdf"));
        document->print(&pdf);
        const int printed = PdfPages(ReadAll(m_dir.filePath("report.pdf")));
        QVERIFY2(printed >= 5, qPrintable(QString::number(printed)));

        int previewed = -1;
        QString title;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            title = dialog->windowTitle();
            if (auto* preview = dialog->findChild<QPrintPreviewWidget*>()) {
                preview->updatePreview();
                previewed = preview->pageCount();
            }
            dialog->close();
        });
        WidgetPrompts().PrintPreview(nullptr, *document);
        QCOMPARE(title, QStringLiteral("Печать: Конфигурация панели ОРЛ: rich.cfg"));
        QCOMPARE(previewed, printed);
    }
};

QTEST_MAIN(TestReportCommands)
#include "tst_report_commands.moc"
