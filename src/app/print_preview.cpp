// The print preview of the prompts: Qt's preview dialog over an A4 printer.
#include "app/prompts.h"
#include "app/report_document.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextDocument>

void WidgetPrompts::PrintPreview(QWidget* parent, const QTextDocument& document)
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpReportPrinter(printer, document);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(
        QStringLiteral("Печать: %1").arg(document.metaInformation(QTextDocument::DocumentTitle)));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&document](QPrinter* target) { document.print(target); });
    dialog.exec();
}
