#include "fake_prompts.h"

#include <QTextDocument>

bool FakePrompts::Question(QWidget*, const QString& caption, const QString& text, Icon icon,
                           bool okIsDefault)
{
    Shown s{Shown::Question, caption, text, icon, {}, okIsDefault, {}, {}};
    shown.append(s);
    if (onShow)
        onShow(s);
    return answers.isEmpty() ? true : answers.dequeue();
}

void FakePrompts::Message(QWidget*, const QString& caption, const QString& text, Icon icon,
                          const QString& detail)
{
    Shown s{Shown::Message, caption, text, icon, detail, false, {}, {}};
    shown.append(s);
    if (onShow)
        onShow(s);
}

QString FakePrompts::FileName(QWidget*, const FileDialogSpec& dialog)
{
    Shown s{Shown::FileDialog, dialog.Title, {}, Icon::Information, {}, false, dialog, {}};
    shown.append(s);
    if (onShow)
        onShow(s);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

void FakePrompts::PrintPreview(QWidget*, const QTextDocument& document)
{
    Shown s{Shown::PrintPreview,
            document.metaInformation(QTextDocument::DocumentTitle),
            document.toPlainText(),
            Icon::Information,
            {},
            false,
            {},
            document.toHtml()};
    shown.append(s);
    if (onShow)
        onShow(s);
}

QList<FakePrompts::Shown> FakePrompts::messages() const
{
    QList<Shown> result;
    for (const Shown& s : shown)
        if (s.kind == Shown::Message)
            result.append(s);
    return result;
}
