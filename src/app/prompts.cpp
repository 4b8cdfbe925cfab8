#include "app/prompts.h"

#include <QFileDialog>
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
    dialog.setNameFilters(request.Filters);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.ConfirmOverwrite);
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
