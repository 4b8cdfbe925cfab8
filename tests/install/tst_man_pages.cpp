// The manual pages against the programs themselves: every option and
// command a program's --help lists (and each command's own --help, where a
// command has one) is in its page, the page names no option the program
// does not know, and the page has the sections a user looks for.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Listing {
    QStringList Options;
    QStringList Commands;
};

QString Run(const QString& program, const QStringList& arguments, int* exitCode)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        *exitCode = -1;
        return {};
    }
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Options as a text writes them: a dash or two and a word, not inside a
// word ("ORL-SIM1", "read-block") nor a number ("1-255", "-1").
QStringList OptionsIn(const QString& text)
{
    static const QRegularExpression option(
        QStringLiteral("(?<![\\p{L}\\p{N}_-])(--?[A-Za-z][A-Za-z0-9-]*)"),
        QRegularExpression::UseUnicodePropertiesOption);
    QStringList found;
    for (const QRegularExpressionMatch& m : option.globalMatch(text)) {
        if (!found.contains(m.captured(1)))
            found << m.captured(1);
    }
    return found;
}

// Commands are the lines of a help text that start with a lower-case word
// after exactly two blanks ("  read -o FILE.cfg  ..."); options start with a
// dash and continued descriptions with more blanks.
QStringList CommandsIn(const QString& help)
{
    static const QRegularExpression command(QStringLiteral("^  ([a-z][a-z0-9-]*)(?=\\s|$)"),
                                            QRegularExpression::MultilineOption);
    QStringList found;
    for (const QRegularExpressionMatch& m : command.globalMatch(help))
        found << m.captured(1);
    return found;
}

Listing ProgramListing(const QString& program)
{
    Listing listing;
    int status = 0;
    const QString help = Run(program, {QStringLiteral("--help")}, &status);
    if (status != 0 || help.isEmpty())
        return listing;
    listing.Options = OptionsIn(help);
    listing.Commands = CommandsIn(help);
    for (const QString& command : listing.Commands) {
        const QString own = Run(program, {command, QStringLiteral("--help")}, &status);
        if (status != 0 || own == help)
            continue;
        for (const QString& option : OptionsIn(own)) {
            if (!listing.Options.contains(option))
                listing.Options << option;
        }
    }
    return listing;
}

// The page's text with the roff escapes taken out: "\-\-port" is
// "--port", "\fBread\fR" is "read".
QString PlainPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
    text.replace(QStringLiteral("\\&"), QString());
    static const QRegularExpression font(QStringLiteral("\\\\f[BIRP]"));
    text.remove(font);
    return text;
}

bool NamesCommand(const QString& page, const QString& command)
{
    const QRegularExpression entry(QStringLiteral("^\\.(?:B|BI|BR)\\s+\"?%1(?=[\\s\"]|$)")
                                       .arg(QRegularExpression::escape(command)),
                                   QRegularExpression::MultilineOption);
    return entry.match(page).hasMatch();
}

}  // namespace

class TestManPages : public QObject {
    Q_OBJECT

private slots:
    void matchesHelp_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("hasCommands");
        const QString man = QStringLiteral(ORLIX_MAN_DIR);
        QTest::newRow("orlix-config")
            << QStringLiteral(ORLIX_CONFIG_PATH) << man + "/orlix-config.1" << false;
        QTest::newRow("orlix-cli")
            << QStringLiteral(ORLIX_CLI_PATH) << man + "/orlix-cli.1" << true;
        QTest::newRow("orlix-panel-sim")
            << QStringLiteral(ORLIX_PANEL_SIM_PATH) << man + "/orlix-panel-sim.1" << false;
    }
    void matchesHelp()
    {
        QFETCH(QString, program);
        QFETCH(QString, page);
        QFETCH(bool, hasCommands);
        const Listing listing = ProgramListing(program);
        QVERIFY2(listing.Options.contains(QStringLiteral("--help")),
                 "the program's --help was not read");
        QCOMPARE(!listing.Commands.isEmpty(), hasCommands);
        const QString text = PlainPage(page);
        QVERIFY2(!text.isEmpty(), qPrintable(page + " cannot be read"));

        const QStringList documented = OptionsIn(text);
        QStringList missing;
        for (const QString& option : listing.Options) {
            if (!documented.contains(option))
                missing << option;
        }
        QVERIFY2(missing.isEmpty(), qPrintable("not in the page: " + missing.join(' ')));
        QStringList unknown;
        for (const QString& option : documented) {
            if (!listing.Options.contains(option))
                unknown << option;
        }
        QVERIFY2(unknown.isEmpty(), qPrintable("not in --help: " + unknown.join(' ')));
        QStringList commandsMissing;
        for (const QString& command : listing.Commands) {
            if (!NamesCommand(text, command))
                commandsMissing << command;
        }
        QVERIFY2(commandsMissing.isEmpty(),
                 qPrintable("commands not in the page: " + commandsMissing.join(' ')));
    }

    void hasSections_data()
    {
        QTest::addColumn<QString>("page");
        const QString man = QStringLiteral(ORLIX_MAN_DIR);
        for (const char* name : {"orlix-config", "orlix-cli", "orlix-panel-sim"})
            QTest::newRow(name) << man + '/' + QLatin1String(name) + ".1";
    }
    void hasSections()
    {
        QFETCH(QString, page);
        const QString text = PlainPage(page);
        QVERIFY2(!text.isEmpty(), qPrintable(page + " cannot be read"));
        for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS",
                                    "ENVIRONMENT", "EXAMPLES", "SEE ALSO"}) {
            QVERIFY2(text.contains(QStringLiteral("\n.SH %1\n").arg(QLatin1String(section))),
                     section);
        }
        // The folder of the virtual ports, which every program lists or registers.
        QVERIFY(text.contains(QStringLiteral("\n.B ORLIX_PORTS_DIR\n")));
    }
};

QTEST_GUILESS_MAIN(TestManPages)
#include "tst_man_pages.moc"
