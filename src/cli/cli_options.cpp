#include "cli/cli_options.h"

#include "cli/cli_texts.h"
#include "model/address_rule.h"
#include "model/mbus_settings.h"

#include <QCommandLineParser>
#include <QHash>
#include <QRegularExpression>

namespace {

struct CommandRow {
    const char* Name;
    const char* Synopsis;
    const char* Text;
    int LeastFiles;
    int MostFiles;  // -1: no limit
    bool OnLine;    // needs --port
};

const CommandRow Commands[] = {
    {"ports", "", "последовательные порты и зарегистрированные виртуальные порты", 0, 0, false},
    {"info", "--port NAME", "тип прибора, версия ПО и ревизия аппаратуры панели", 0, 0, true},
    {"read", "--port NAME -o FILE.cfg",
     "считать конфигурацию панели (блоки 0-6) в файл v1.70;\n"
     "блоки 7-9 из --base FILE.cfg, иначе из новой конфигурации",
     0, 0, true},
    {"write", "FILE.cfg --port NAME",
     "записать блоки 0-6 файла в панель; в блоке 1 остается адрес,\n"
     "по которому панель найдена (--net-address: другой)",
     1, 1, true},
    {"apply", "--port NAME", "применить записанную конфигурацию", 0, 0, true},
    {"verify", "FILE.cfg --port NAME", "сравнить блоки 0-6 панели с файлом", 1, 1, true},
    {"scan", "--port NAME", "найти панели на линии (по умолчанию адреса 1-247)", 0, 0, true},
    {"show", "FILE.cfg", "содержимое файла в терминах страниц", 1, 1, false},
    {"diff", "A.cfg|A.json B.cfg|B.json", "различия двух файлов (.cfg и .json в любом сочетании)",
     2, 2, false},
    {"export", "FILE.cfg [-o FILE.json]", "конфигурация как текст JSON (схема: README)", 1, 1,
     false},
    {"import", "FILE.json -o FILE.cfg", "файл v1.70 из текста JSON", 1, 1, false},
    {"set", "FILE.cfg ПУТЬ=ЗНАЧЕНИЕ...",
     "изменить поля файла (пути как в JSON: modbus.address=5,\n"
     "outputs[3].ack_by_modbus=true, inputs[2].contact=closed)",
     2, -1, false},
    {"site", "SITE.json write|verify|read|scan|report",
     "все панели объекта, линии одновременно (файл объекта: README);\n"
     "report -o DIR: отчет каждой панели и index.html",
     2, 2, false},
    {"check", "FILE...", "размер, версия и CRC блоков каждого файла", 1, -1, false},
    {"report", "FILE.cfg|FILE.json [-o REPORT.html]",
     "отчет о конфигурации файла: HTML для печати на A4", 1, 1, false},
    {"schema", "[configuration|site]",
     "JSON Schema текста конфигурации (по умолчанию) или файла объекта", 0, 1, false},
};

const QStringList LineCommands{"info", "read", "write", "apply", "verify", "scan"};
const QStringList AllCommands{"ports", "info", "read",  "write",  "apply",  "verify", "scan",
                              "show",  "diff", "check", "export", "import", "set",    "site"};

struct OptionRow {
    QStringList Names;
    QString Value;  // empty: a flag
    QStringList Owners;
    const char* Text;
};

const QList<OptionRow>& Options()
{
    static const QList<OptionRow> rows{
        {{"port"},
         "NAME",
         LineCommands,
         "порт, как его называет команда ports, или путь к устройству (с /)"},
        {{"address"},
         "LIST",
         LineCommands,
         "адрес 1-255 или список: 1,3,5-9 (по умолчанию 1; scan: 1-247)"},
        {{"baud"}, "N", LineCommands, "9600, 14400, 19200, 28800, 38400, 57600, 115200 (9600)"},
        {{"stop-bits"}, "1|2", LineCommands, "стоп-биты (2)"},
        {{"parity"}, "none|even|odd", LineCommands, "паритет (none)"},
        {{"stop-on-error"}, {}, LineCommands, "остановиться на первой панели с ошибкой"},
        {{"trace"}, {}, LineCommands, "все кадры в hex с метками времени в мс (stderr)"},
        {{"echo"},
         "auto|on|off",
         LineCommands,
         "эхо адаптера: auto - узнать по первому запросу,\n"
         "on - линия возвращает посланное, off - нет (auto)"},
        {{"o", "output"},
         "FILE",
         {"read", "export", "import", "report", "site"},
         "файл конфигурации (read для нескольких панелей: FILE-N.cfg;\n"
         "export: текст JSON, report: отчет; без -o на стандартный вывод;\n"
         "site report: папка отчетов)"},
        {{"base"}, "FILE", {"read"}, "блоки 7-9 из этого файла"},
        {{"apply"}, {}, {"write", "site"}, "после записи применить (и проверить, см. --no-verify)"},
        {{"net-address"},
         "N|file",
         {"write"},
         "записать в блок 1 адрес N (одна панель; адрес N не должен быть занят)\n"
         "или адрес из файла (file, одна панель)"},
        {{"force"}, {}, {"write"}, "записать и файл другого семейства, чем у панели"},
        {{"verify"}, {}, {"write"}, "прочитать и сравнить после записи"},
        {{"no-verify"}, {}, {"write"}, "не проверять после --apply"},
        {{"wait"}, "SECONDS", {"write"}, "ожидание панели после применения, с (5)"},
        {{"timeout"},
         "MS",
         {"scan"},
         "ожидание первого байта ответа после запроса, мс (25;\n"
         "задержка сетевой линии добавляется)"},
        {{"all-settings"}, {}, {"scan"}, "перебрать скорости, стоп-биты и паритет страницы ModBus"},
        {{"json"}, {}, AllCommands, "результат в JSON (схема: README)"},
    };
    return rows;
}

const CommandRow* FindCommand(const QString& name)
{
    for (const CommandRow& row : Commands)
        if (name == QLatin1String(row.Name))
            return &row;
    return nullptr;
}

QString OptionLine(const OptionRow& o)
{
    QString head;
    for (const QString& n : o.Names)
        head += (head.isEmpty() ? QString() : QStringLiteral(", ")) +
                (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
    if (!o.Value.isEmpty())
        head += QLatin1Char(' ') + o.Value;
    QString text = QString::fromUtf8(o.Text);
    text.replace(QLatin1Char('\n'), QStringLiteral("\n") + QString(26, QLatin1Char(' ')));
    return QStringLiteral("  %1 %2\n").arg(head, -23).arg(text);
}

const char* ExitText =
    "Коды завершения: 0 - успешно (diff, verify: совпадает); 1 - ошибка панели\n"
    "или файла, панель или файлы различаются; 2 - неверная командная строка;\n"
    "3 - не подтверждено (панель не ответила на опрос или на применение).\n";

}  // namespace

QString CliUsage()
{
    QString text = QStringLiteral(
        "Использование: orlix-cli КОМАНДА [ПАРАМЕТРЫ]\n"
        "               orlix-cli КОМАНДА --help: справка по команде\n\nКоманды:\n");
    for (const CommandRow& c : Commands) {
        QString line = QString::fromUtf8(c.Text);
        line.replace(QLatin1Char('\n'), QStringLiteral("\n") + QString(26, QLatin1Char(' ')));
        text += QStringLiteral("  %1 %2\n").arg(QString::fromLatin1(c.Name), -23).arg(line);
    }
    text += QStringLiteral("\nПараметры:\n");
    for (const OptionRow& o : Options())
        text += OptionLine(o);
    text += OptionLine({{"h", "help"}, {}, {}, CliText::HelpOption});
    text += OptionLine({{"v", "version"}, {}, {}, "версия"});
    return text + QStringLiteral("\n") + QString::fromUtf8(ExitText);
}

QString CommandUsage(const QString& command)
{
    const CommandRow* c = FindCommand(command);
    if (!c)
        return CliUsage();
    QString text =
        QStringLiteral("Использование: orlix-cli %1 %2 [ПАРАМЕТРЫ]\n\n%3\n\nПараметры:\n")
            .arg(command, QString::fromLatin1(c->Synopsis), QString::fromUtf8(c->Text));
    for (const OptionRow& o : Options())
        if (o.Owners.contains(command))
            text += OptionLine(o);
    text += OptionLine({{"h", "help"}, {}, {}, CliText::HelpOption});
    return text + QStringLiteral("\n") + QString::fromUtf8(ExitText);
}

CliParse ParseCliArguments(const QStringList& arguments)
{
    CliParse result;
    auto fail = [&result](const QString& text) {
        result.Error = text;
        return result;
    };
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, {});
    const QCommandLineOption version({"v", "version"}, {});
    parser.addOption(help);
    parser.addOption(version);
    QHash<QString, const OptionRow*> byName;
    for (const OptionRow& o : Options()) {
        parser.addOption(o.Value.isEmpty() ? QCommandLineOption(o.Names)
                                           : QCommandLineOption(o.Names, {}, o.Value));
        for (const QString& n : o.Names)
            byName.insert(n, &o);
    }
    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            const QString name = parser.unknownOptionNames().first();
            return fail(QStringLiteral("Неизвестный параметр '%1%2'")
                            .arg(name.size() == 1 ? "-" : "--", name));
        }
        static const QRegularExpression Quoted(QStringLiteral("'([^']*)'"));
        const QString name = Quoted.match(parser.errorText()).captured(1);
        return fail(QStringLiteral("Не указано значение параметра %1").arg(name));
    }
    // A repeated option is a mistake, not a choice of the last one.
    QHash<const OptionRow*, int> seen;
    for (const QString& name : parser.optionNames()) {
        const OptionRow* row = byName.value(name);
        if (row && ++seen[row] > 1)
            return fail(QStringLiteral("Параметр --%1 указан более одного раза")
                            .arg(row->Names.constLast()));
    }

    QStringList positional = parser.positionalArguments();
    result.Help = parser.isSet(help);
    result.Version = parser.isSet(version);
    if (result.Help) {
        if (!positional.isEmpty() && FindCommand(positional.first()))
            result.HelpCommand = positional.first();
        return result;
    }
    if (result.Version)
        return result;
    if (positional.isEmpty())
        return fail(QStringLiteral("Не указана команда"));
    CliOptions& o = result.Options;
    o.Command = positional.takeFirst();
    const CommandRow* command = FindCommand(o.Command);
    if (!command)
        return fail(QStringLiteral("Неизвестная команда '%1'").arg(o.Command));
    o.Files = positional;
    if (o.Files.size() < command->LeastFiles ||
        (command->MostFiles >= 0 && o.Files.size() > command->MostFiles))
        return fail(QStringLiteral("Неверное число файлов для команды %1").arg(o.Command));

    // Options that belong to other commands are refused rather than ignored.
    for (const OptionRow& row : Options()) {
        if (parser.isSet(row.Names.constLast()) && !row.Owners.contains(o.Command))
            return fail(QStringLiteral("Параметр --%1 не относится к команде %2")
                            .arg(row.Names.constLast(), o.Command));
    }
    auto value = [&parser](const char* name) { return parser.value(QString::fromLatin1(name)); };
    auto isSet = [&parser](const char* name) { return parser.isSet(QString::fromLatin1(name)); };

    if (command->OnLine) {
        o.Port = value("port");
        if (o.Port.isEmpty())
            return fail(QStringLiteral("Не указан порт (--port NAME, список: orlix-cli ports)"));
        QString error;
        const QString defaultList = o.Command == QLatin1String("scan") ? "1-247" : "1";
        const auto addresses =
            ParseAddressList(isSet("address") ? value("address") : defaultList, &error);
        if (!addresses)
            return fail(error);
        o.Addresses = *addresses;
        if (isSet("baud")) {
            const auto rate = BaudRateFromWord(value("baud"));
            if (!rate)
                return fail(QStringLiteral("Неверная скорость '%1'").arg(value("baud")));
            o.Line.BaudRate = *rate;
        }
        if (isSet("stop-bits")) {
            const QString v = value("stop-bits");
            const auto stop = StopBitsFromWord(v);
            if (!stop)
                return fail(QStringLiteral("--stop-bits: 1 или 2, не '%1'").arg(v));
            o.Line.StopBits = *stop;
        }
        if (isSet("parity")) {
            const QString v = value("parity");
            const auto parity = ParityFromWord(v);
            if (!parity)
                return fail(QStringLiteral("--parity: none, even или odd, не '%1'").arg(v));
            o.Line.Parity = *parity;
        }
        o.Trace = isSet("trace");
        o.StopOnError = isSet("stop-on-error");
        if (isSet("echo")) {
            const auto echo = EchoModeFromWord(value("echo"));
            if (!echo)
                return fail(QStringLiteral("--echo: auto, on или off, не '%1'").arg(value("echo")));
            o.Line.Echo = *echo;
        }
    }
    o.Output = value("output");
    o.Base = value("base");
    o.Apply = isSet("apply");
    o.Force = isSet("force");
    o.Json = isSet("json");
    o.AllSettings = isSet("all-settings");
    if (isSet("verify") && isSet("no-verify"))
        return fail(QStringLiteral("--verify и --no-verify вместе"));
    if (isSet("no-verify") && !o.Apply)
        return fail(QStringLiteral("--no-verify только с --apply"));
    o.Verify = isSet("verify") || (o.Apply && !isSet("no-verify"));
    if (isSet("wait")) {
        bool ok = false;
        o.WaitSeconds = value("wait").toInt(&ok);
        if (!ok || o.WaitSeconds < 0 || o.WaitSeconds > 600)
            return fail(QStringLiteral("--wait: секунды 0-600, не '%1'").arg(value("wait")));
        if (!o.Apply || !o.Verify)
            return fail(QStringLiteral("--wait только с --apply и проверкой"));
    }
    if (isSet("timeout")) {
        bool ok = false;
        o.TimeoutMs = value("timeout").toInt(&ok);
        if (!ok || o.TimeoutMs < 1 || o.TimeoutMs > 10000)
            return fail(QStringLiteral("--timeout: мс 1-10000, не '%1'").arg(value("timeout")));
    }
    if (isSet("net-address")) {
        o.NetAddress = value("net-address");
        if (o.Addresses.size() > 1)
            return fail(QStringLiteral("--net-address только для одной панели, а адресов: %1")
                            .arg(o.Addresses.size()));
        QString error;
        if (o.NetAddress != QLatin1String("file")) {
            const auto one = ParseAddressList(o.NetAddress, &error);
            if (!one || one->size() != 1)
                return fail(QStringLiteral("--net-address: адрес 1-255 или file, не '%1'")
                                .arg(o.NetAddress));
        }
    }
    if (o.Command == QLatin1String("read") && o.Output.isEmpty())
        return fail(QStringLiteral("Не указан файл для read (-o FILE.cfg)"));
    if (o.Command == QLatin1String("import") && o.Output.isEmpty())
        return fail(QStringLiteral("Не указан файл для import (-o FILE.cfg)"));
    return result;
}
