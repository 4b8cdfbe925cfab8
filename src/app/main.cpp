#include "app/application.h"
#include "app/prompts.h"
#include "app/tfmain.h"
#include "model/command_error.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    qapp.setApplicationName(QStringLiteral("orlix-config"));

    // Qt's own buttons and dialogs speak Russian like the rest of the tool.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qapp.installTranslator(&qtTexts);

    WidgetPrompts prompts;
    TApplication app(prompts);
    if (!app.RunCommand([&app] { app.CreateForms(); }))
        return 1;
    app.FMain()->show();
    return qapp.exec();
}
