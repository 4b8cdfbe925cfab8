#pragma once

#include "app/prompts.h"

#include <cstdio>

// The prompts of a benchmark: no dialog may wait for an answer, so every
// question is answered OK and every message goes to the error stream,
// counted.
class PrintedPrompts : public Prompts {
public:
    bool Question(QWidget*, const QString&, const QString&, Icon, bool) override { return true; }
    void Message(QWidget*, const QString&, const QString& text, Icon, const QString&) override
    {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        ++Messages;
    }
    QString FileName(QWidget*, const FileDialogSpec&) override { return {}; }
    void PrintPreview(QWidget*, const QTextDocument&) override {}

    int Messages = 0;
};
