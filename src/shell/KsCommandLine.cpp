#include "shell/KsCommandLine.h"

#include "base/KsVersionInfo.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <algorithm>

namespace ks {

namespace {

const QString kAppName = QStringLiteral("quillmere");

// The parser with every option the program knows.
struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")};
    QCommandLineOption version {
        {QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Displays the program's version.")};
    QList<QCommandLineOption> own;

    explicit Parser(const QList<ProgramOption> &options)
    {
        parser.setApplicationDescription(
            QStringLiteral("Finds names and code in the catalogues of relational databases."));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
        parser.addOption(help);
        parser.addOption(version);
        for (const ProgramOption &option : options) {
            own << QCommandLineOption(option.names, option.description, option.valueName);
            parser.addOption(own.constLast());
        }
        parser.addPositionalArgument(
            QStringLiteral("files"), QStringLiteral("Files to open."), QStringLiteral("[files...]"));
    }

    QString usage() const
    {
        // The parser names the program by the path it was started with, or
        // not at all before the application exists; the usage names it as
        // the user calls it.
        QString text = parser.helpText();
        const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
        const qsizetype rest = text.indexOf(QStringLiteral(" [options]"));
        if (lineEnd > 0 && rest > 0 && rest < lineEnd)
            text.replace(0, rest, QStringLiteral("Usage: ") + kAppName);
        return text;
    }
};

// How many arguments from `arguments[at]` on are one of the options that
// Qt's application object takes (with one dash or two) with its value; 0
// for anything else. X11's own options count as well.
qsizetype qtOptionLength(const QStringList &arguments, qsizetype at)
{
    static const QStringList withValue {QStringLiteral("platform"), QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"), QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowtitle"), QStringLiteral("qwindowicon"), QStringLiteral("session"),
        QStringLiteral("style"), QStringLiteral("stylesheet"), QStringLiteral("geometry"), QStringLiteral("title"),
        QStringLiteral("icon"), QStringLiteral("display"), QStringLiteral("name"), QStringLiteral("visual")};
    static const QStringList joinedValue {
        QStringLiteral("style"), QStringLiteral("stylesheet"), QStringLiteral("qmljsdebugger")};
    static const QStringList switches {QStringLiteral("reverse"), QStringLiteral("testability"),
        QStringLiteral("widgetcount"), QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync")};

    const QString &argument = arguments.at(at);
    if (!argument.startsWith(QLatin1Char('-')))
        return 0;
    const QString option = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    if (const qsizetype equals = option.indexOf(QLatin1Char('=')); equals >= 0)
        return joinedValue.contains(option.left(equals)) ? 1 : 0;
    if (switches.contains(option))
        return 1;
    return withValue.contains(option) ? std::min<qsizetype>(2, arguments.size() - at) : 0;
}

// The arguments without Qt's options and their values: the program reads
// its own before the application starts, so that a mistake is told without
// a display. "--" ends Qt's options too; the program hands Qt only what
// stands before it.
QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList own;
    for (qsizetype at = 0; at < arguments.size();) {
        if (arguments.at(at) == QStringLiteral("--")) {
            own << arguments.mid(at);
            break;
        }
        const qsizetype length = at == 0 ? 0 : qtOptionLength(arguments, at);
        if (length == 0)
            own << arguments.at(at);
        at += std::max<qsizetype>(length, 1);
    }
    return own;
}

} // namespace

const QList<ProgramOption> &programOptions()
{
    static const QList<ProgramOption> options {
        {{QStringLiteral("trace")}, QStringLiteral("Opens the trace window at start."), {}},
    };
    return options;
}

QString usageText(const QList<ProgramOption> &options)
{
    return Parser(options).usage();
}

CommandLineResult parseCommandLine(const QStringList &arguments, const QList<ProgramOption> &options)
{
    Parser parser(options);
    CommandLineResult result;
    QStringList withName = withoutQtOptions(arguments);
    if (withName.isEmpty())
        withName << kAppName;
    if (!parser.parser.parse(withName)) {
        result.action = CommandLineResult::Exit;
        result.exitCode = kUsageExitCode;
        result.errorOutput
            = kAppName + QStringLiteral(": ") + parser.parser.errorText() + QStringLiteral("\n\n") + parser.usage();
        return result;
    }
    if (parser.parser.isSet(parser.help)) {
        result.action = CommandLineResult::Exit;
        result.output = parser.usage();
        return result;
    }
    if (parser.parser.isSet(parser.version)) {
        result.action = CommandLineResult::Exit;
        result.output = kAppName + QLatin1Char(' ') + programVersion() + QLatin1Char('\n');
        return result;
    }
    for (qsizetype i = 0; i < options.size(); ++i) {
        const QCommandLineOption &option = parser.own.at(i);
        if (parser.parser.isSet(option))
            result.options.given.insert(
                option.names().constFirst(), option.valueName().isEmpty() ? QString() : parser.parser.value(option));
    }
    result.options.files = parser.parser.positionalArguments();
    return result;
}

} // namespace ks
