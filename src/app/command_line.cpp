#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

CommandLine ParseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Конфигурирование панелей сигнализации ОРЛ по Modbus RTU."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE.cfg"),
                                 QStringLiteral("Файл конфигурации, открываемый при запуске."),
                                 QStringLiteral("[FILE.cfg]"));

    CommandLine result;
    result.HelpText = parser.helpText();
    if (!parser.parse(arguments)) {
        result.Error = parser.errorText();
        return result;
    }
    result.Help = parser.isSet(help);
    result.Version = parser.isSet(version);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        result.Error = QStringLiteral("Можно открыть только один файл");
    else if (!files.isEmpty())
        result.File = files.first();
    return result;
}
