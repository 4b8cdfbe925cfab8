#include "app/prompts.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>

namespace {
QMessageBox::Icon ToBoxIcon(Prompts::Icon icon)
{
    switch (icon) {
        case Prompts::Icon::Information: return QMessageBox::Information;
        case Prompts::Icon::Warning: return QMessageBox::Warning;
        case Prompts::Icon::Error: return QMessageBox::Critical;
        case Prompts::Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// True for a filter that stands for every file ("Все файлы (*.*)"): on the
// desktops the tool comes from, *.* matches names without a dot too.
bool IsAllFilesFilter(const QString& filter)
{
    return filter.endsWith(QLatin1String("(*.*)")) || filter.endsWith(QLatin1String("(*)"));
}

// QFileDialog takes *.* literally and hides files without a suffix; under
// the all-files filter its model is told to show every file.
void ShowEveryFileUnderAllFiles(QFileDialog& dialog)
{
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (!model || !types)
        return;
    auto apply = [&dialog, model] {
        if (IsAllFilesFilter(dialog.selectedNameFilter()))
            model->setNameFilters({QStringLiteral("*")});
    };
    // Queued, so that it follows the dialog's own handling of the choice.
    QObject::connect(types, &QComboBox::currentIndexChanged, &dialog, apply, Qt::QueuedConnection);
    apply();
}
}  // namespace

bool WidgetPrompts::Question(QWidget* parent, const QString& caption, const QString& text,
                             Icon icon, bool okIsDefault)
{
    QMessageBox box(ToBoxIcon(icon), caption, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(okIsDefault ? QMessageBox::Ok : QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void WidgetPrompts::Message(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                            const QString& detail)
{
    QMessageBox box(ToBoxIcon(icon), caption, text, QMessageBox::Ok, parent);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}

QString WidgetPrompts::FileName(QWidget* parent, const FileDialogSpec& request)
{
    QFileDialog dialog(parent, request.Title);
    // The tool's own dialog: a desktop's native one would apply *.* as
    // written and has no way to be told otherwise.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(request.Filters);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    ShowEveryFileUnderAllFiles(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
