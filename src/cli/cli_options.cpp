#include "cli/cli_options.h"

#include "model/address_rule.h"
#include "model/mbus_settings.h"

#include <QCommandLineParser>

namespace {
const QStringList DeviceCommands{"info", "read", "write", "apply"};
const QStringList Commands{"ports", "info", "read", "write", "apply", "show", "diff", "check"};

// How many files each command takes: {least, most}; -1 for no limit.
std::pair<int, int> FileCount(const QString& command)
{
    if (command == QLatin1String("write") || command == QLatin1String("show"))
        return {1, 1};
    if (command == QLatin1String("diff"))
        return {2, 2};
    if (command == QLatin1String("check"))
        return {1, -1};
    return {0, 0};
}
}  // namespace

QString CliUsage()
{
    return QStringLiteral(
        "Использование: orlix-cli КОМАНДА [ПАРАМЕТРЫ]\n"
        "\n"
        "Команды:\n"
        "  ports                   последовательные порты и зарегистрированные виртуальные порты\n"
        "  info                    тип прибора, версия ПО и ревизия аппаратуры панели\n"
        "  read -o FILE.cfg        считать конфигурацию панели (блоки 0-6) в файл v1.70;\n"
        "                          блоки 7-9 из --base FILE.cfg, иначе из новой конфигурации\n"
        "  write FILE.cfg          записать блоки 0-6 файла в панель; --apply: затем применить\n"
        "  apply                   применить записанную конфигурацию\n"
        "  show FILE.cfg           содержимое файла в терминах страниц (--json: в JSON)\n"
        "  diff A.cfg B.cfg        различия двух файлов (--json: в JSON)\n"
        "  check FILE...           размер, версия и CRC блоков каждого файла\n"
        "\n"
        "Параметры связи (info, read, write, apply):\n"
        "  --port NAME             порт, как его называет команда ports\n"
        "  --address LIST          адрес 1-255 или список: 1,3,5-9 (по умолчанию 1)\n"
        "  --baud N                9600, 14400, 19200, 28800, 38400, 57600, 115200 (9600)\n"
        "  --stop-bits 1|2         стоп-биты (2)\n"
        "  --parity none|even|odd  паритет (none)\n"
        "  --stop-on-error         остановиться на первой панели с ошибкой\n"
        "  --trace                 все кадры в hex с метками времени в мс (stderr)\n"
        "\n"
        "  -h, --help              эта справка\n"
        "  -v, --version           версия\n"
        "\n"
        "Коды завершения: 0 - успешно (diff: файлы равны); 1 - ошибка панели или файла\n"
        "(diff: файлы различаются); 2 - неверная командная строка.\n");
}

CliParse ParseCliArguments(const QStringList& arguments)
{
    CliParse result;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, {});
    const QCommandLineOption version({"v", "version"}, {});
    const QCommandLineOption port("port", {}, "name");
    const QCommandLineOption address("address", {}, "list");
    const QCommandLineOption baud("baud", {}, "n");
    const QCommandLineOption stopBits("stop-bits", {}, "n");
    const QCommandLineOption parity("parity", {}, "p");
    const QCommandLineOption trace("trace", {});
    const QCommandLineOption stopOnError("stop-on-error", {});
    const QCommandLineOption output({"o", "output"}, {}, "file");
    const QCommandLineOption base("base", {}, "file");
    const QCommandLineOption apply("apply", {});
    const QCommandLineOption json("json", {});
    parser.addOptions({help, version, port, address, baud, stopBits, parity, trace, stopOnError,
                       output, base, apply, json});
    auto fail = [&result](const QString& text) {
        result.Error = text;
        return result;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    result.Help = parser.isSet(help);
    result.Version = parser.isSet(version);
    if (result.Help || result.Version)
        return result;

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return fail(QStringLiteral("Не указана команда"));
    CliOptions& o = result.Options;
    o.Command = positional.takeFirst();
    if (!Commands.contains(o.Command))
        return fail(QStringLiteral("Неизвестная команда '%1'").arg(o.Command));
    o.Files = positional;
    const auto [least, most] = FileCount(o.Command);
    if (o.Files.size() < least || (most >= 0 && o.Files.size() > most))
        return fail(QStringLiteral("Неверное число файлов для команды %1").arg(o.Command));

    // Options that belong to other commands are refused rather than ignored.
    const bool device = DeviceCommands.contains(o.Command);
    for (const QCommandLineOption* opt :
         {&port, &address, &baud, &stopBits, &parity, &trace, &stopOnError}) {
        if (!device && parser.isSet(*opt))
            return fail(QStringLiteral("Параметр --%1 не относится к команде %2")
                            .arg(opt->names().constLast(), o.Command));
    }
    const QList<std::pair<const QCommandLineOption*, QStringList>> owners{
        {&output, {"read"}}, {&base, {"read"}}, {&apply, {"write"}}, {&json, {"show", "diff"}}};
    for (const auto& [opt, commands] : owners) {
        if (parser.isSet(*opt) && !commands.contains(o.Command))
            return fail(QStringLiteral("Параметр --%1 не относится к команде %2")
                            .arg(opt->names().constLast(), o.Command));
    }

    if (device) {
        o.Port = parser.value(port);
        if (o.Port.isEmpty())
            return fail(QStringLiteral("Не указан порт (--port NAME, список: orlix-cli ports)"));
        QString error;
        const auto addresses =
            ParseAddressList(parser.isSet(address) ? parser.value(address) : "1", &error);
        if (!addresses)
            return fail(error);
        o.Addresses = *addresses;
        if (parser.isSet(baud)) {
            bool ok = false;
            o.BaudRate = parser.value(baud).toInt(&ok);
            bool listed = false;
            for (const BaudRateRow& row : BaudRateTable)
                listed = listed || row.BitsPerSecond == o.BaudRate;
            if (!ok || !listed)
                return fail(QStringLiteral("Неверная скорость '%1'").arg(parser.value(baud)));
        }
        if (parser.isSet(stopBits)) {
            const QString v = parser.value(stopBits);
            if (v != QLatin1String("1") && v != QLatin1String("2"))
                return fail(QStringLiteral("--stop-bits: 1 или 2, не '%1'").arg(v));
            o.StopBits = v == QLatin1String("2") ? 2 : 0;
        }
        if (parser.isSet(parity)) {
            const QString v = parser.value(parity);
            if (v == QLatin1String("none"))
                o.Parity = 0;
            else if (v == QLatin1String("odd"))
                o.Parity = 1;
            else if (v == QLatin1String("even"))
                o.Parity = 2;
            else
                return fail(QStringLiteral("--parity: none, even или odd, не '%1'").arg(v));
        }
        o.Trace = parser.isSet(trace);
        o.StopOnError = parser.isSet(stopOnError);
    }
    o.Output = parser.value(output);
    o.Base = parser.value(base);
    o.Apply = parser.isSet(apply);
    o.Json = parser.isSet(json);
    if (o.Command == QLatin1String("read") && o.Output.isEmpty())
        return fail(QStringLiteral("Не указан файл для read (-o FILE.cfg)"));
    return result;
}
