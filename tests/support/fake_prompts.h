#pragma once

#include "app/prompts.h"

#include <QList>
#include <QQueue>
#include <QString>

#include <functional>

// A scripted stand-in for every modal interaction: answers questions and
// file dialogs from queues and records every box shown.
class FakePrompts : public Prompts {
public:
    struct Shown {
        enum Kind { Question, Message, FileDialog, PrintPreview } kind;
        QString caption;  // the dialog title for a file dialog
        QString text;
        Icon icon = Icon::Information;
        QString detail;
        bool okIsDefault = false;
        FileDialogSpec dialog;  // file dialogs only
        QString html;           // print previews only: the document shown
    };

    // Answers for the next questions (OK = true); an empty queue answers OK.
    QQueue<bool> answers;
    // Answers for the next file dialogs (full paths; "" = cancel); empty = cancel.
    QQueue<QString> fileNames;
    // Runs while a box is "open" (to look at the world at that moment).
    std::function<void(const Shown&)> onShow;

    QList<Shown> shown;

    bool Question(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                  bool okIsDefault) override;
    void Message(QWidget* parent, const QString& caption, const QString& text, Icon icon,
                 const QString& detail = {}) override;
    QString FileName(QWidget* parent, const FileDialogSpec& dialog) override;
    // Records the document (its title as the caption, its text) instead of showing it.
    void PrintPreview(QWidget* parent, const QTextDocument& document) override;

    // The boxes with one OK button, in order.
    QList<Shown> messages() const;
    void clear() { shown.clear(); }
};
