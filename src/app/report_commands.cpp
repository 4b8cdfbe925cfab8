// The report commands of the main window: print preview and HTML file.
#include "app/application.h"
#include "app/report_document.h"
#include "app/tfmain.h"
#include "app/ui_texts.h"
#include "files/config_file.h"
#include "report/config_report.h"

#include <QFileInfo>
#include <QMenu>
#include <QTextDocument>

namespace {
ReportSource SourceOf(const ConfigState& state)
{
    ReportSource source;
    source.Image = state.Image;
    source.FamilyCode = state.FamilyCode;
    if (state.HasFileName)
        source.FileName = QFileInfo(state.CurrentFileName).fileName();
    return source;
}
}  // namespace

void TFMain::AddReportItems(QMenu* file)
{
    file->addSeparator();
    MIPrint = file->addAction(QStringLiteral("&Печать..."));
    MIPrint->setObjectName(QStringLiteral("MIPrint"));
    MIPrint->setShortcut(QKeySequence::Print);
    MIPrint->setShortcutContext(Qt::WindowShortcut);
    MIReport = file->addAction(QStringLiteral("От&чёт..."));
    MIReport->setObjectName(QStringLiteral("MIReport"));
    ReportDialog.Title = QStringLiteral("Сохранить отчёт");
    ReportDialog.Filters =
        QStringList{QStringLiteral("Отчёты HTML (*.html)"), UiText::AllFilesFilter};
    ReportDialog.DefaultSuffix = QStringLiteral("html");
    ReportDialog.ConfirmOverwrite = true;
    ReportDialog.Save = true;
    Bind(MIPrint, &TFMain::PrintReport);
    Bind(MIReport, &TFMain::SaveReport);
}

void TFMain::PrintReport()
{
    // What a save would write: the pages' settings collected first.
    CollectPages();
    const auto document = ReportDocument(SourceOf(m_state));
    m_app.prompts().PrintPreview(this, *document);
}

void TFMain::SaveReport()
{
    const QString path = m_app.prompts().FileName(this, ReportDialog);
    if (path.isEmpty())
        return;
    ReportDialog.FileName = path;
    CollectPages();
    WriteConfigFile(path, ConfigReportHtml(SourceOf(m_state)).toUtf8());
}
