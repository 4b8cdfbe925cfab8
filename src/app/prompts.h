#pragma once

#include <QString>
#include <QStringList>

class QTextDocument;
class QWidget;

// A file dialog as the main window keeps it: created once, remembering its
// last file name between uses.
struct FileDialogSpec {
    QString Title;
    QStringList Filters;  // one entry each: "Файлы конфигурации (*.cfg)", ...
    QString DefaultSuffix;
    bool ConfirmOverwrite = false;
    bool Save = false;
    QString FileName;  // the last file name; the dialog starts from it
};

// Every modal interaction of the tool goes through this interface, so that
// tests can answer questions and record boxes without a real dialog.
class Prompts {
public:
    enum class Icon { Information, Warning, Error, Question };

    virtual ~Prompts() = default;

    // A question with OK and Cancel; true only for OK.
    virtual bool Question(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                          bool okIsDefault) = 0;

    // A box with one OK button. `detail` is a second paragraph (may be empty).
    virtual void Message(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                         const QString& detail = {}) = 0;

    // Runs a file dialog; the chosen full path, or an empty string when cancelled.
    virtual QString FileName(QWidget* parent, const FileDialogSpec& dialog) = 0;

    // The print preview of `document` on A4, from which the user prints
    // (to a printer or to PDF) or closes it.
    virtual void PrintPreview(QWidget* parent, const QTextDocument& document) = 0;
};

// The real implementation: QMessageBox and QFileDialog.
class WidgetPrompts : public Prompts {
public:
    bool Question(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                  bool okIsDefault) override;
    void Message(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                 const QString& detail = {}) override;
    QString FileName(QWidget* parent, const FileDialogSpec& dialog) override;
    void PrintPreview(QWidget* parent, const QTextDocument& document) override;
};
