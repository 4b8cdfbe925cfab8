#include "app/application.h"
#include "app/command_line.h"
#include "app/prompts.h"
#include "app/tfmain.h"
#include "model/command_error.h"
#include "names/native_name.h"
#include "widgets/icons.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {
// Commands show their own errors; anything that still escapes an event
// handler is shown the same way, and then the program ends.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    TApplication* App = nullptr;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const CommandError& e) {
            Fail(e.Message(), e.Detail());
        } catch (const std::exception& e) {
            Fail(QString::fromLocal8Bit(e.what()), {});
        }
        return false;
    }

private:
    void Fail(const QString& message, const QString& detail)
    {
        if (App)
            App->ShowError(message, detail);
        exit(1);
    }
};
}  // namespace

int main(int argc, char** argv)
{
    // Help, the version and mistakes on the command line need no display.
    CommandLine options;
    if (argc > 1) {
        QCoreApplication probe(argc, argv);
        probe.setApplicationName(QStringLiteral("orlix-config"));
        probe.setApplicationVersion(QStringLiteral("1.70"));
        options = ParseCommandLine(ArgumentsFromNative(argc, argv));
        if (!options.Error.isEmpty()) {
            std::fprintf(stderr, "%s\n\n%s", qPrintable(options.Error),
                         qPrintable(options.HelpText));
            return 2;
        }
        if (options.Help || options.Version) {
            std::printf("%s", qPrintable(options.Help ? options.HelpText
                                                      : QStringLiteral("orlix-config 1.70\n")));
            return 0;
        }
    }

    GuardedApplication qapp(argc, argv);
    qapp.setApplicationName(QStringLiteral("orlix-config"));
    qapp.setApplicationVersion(QStringLiteral("1.70"));
    // Lets the desktop match the window with the installed desktop entry.
    qapp.setDesktopFileName(QStringLiteral("org.orlix.ConfigTool"));
    qapp.setWindowIcon(Icons::AppIcon());

    // Qt's own buttons and dialogs speak Russian like the rest of the tool.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qapp.installTranslator(&qtTexts);

    WidgetPrompts prompts;
    TApplication app(prompts);
    qapp.App = &app;
    if (!app.RunCommand([&app] { app.CreateForms(); }))
        return 1;
    app.FMain()->show();
    if (!options.File.isEmpty()) {
        // Once the window is up, so that a message has it as its owner.
        QTimer::singleShot(0, app.FMain(),
                           [&app, &options] { app.FMain()->OpenFromOutside(options.File); });
    }
    return qapp.exec();
}
