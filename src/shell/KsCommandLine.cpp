#include "shell/KsCommandLine.h"

#include "shell/KsVersionInfo.h"

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

// Options that Qt's application object takes out of the command line (with
// one dash or two), and how their values are given.
enum class QtValue { None, Next, NextOrJoined, Joined };
struct QtOption {
    QLatin1String name;
    QtValue value;
};
constexpr QtOption kQtOptions[] = {
    {QLatin1String("platform"), QtValue::Next},
    {QLatin1String("platformpluginpath"), QtValue::Next},
    {QLatin1String("platformtheme"), QtValue::Next},
    {QLatin1String("plugin"), QtValue::Next},
    {QLatin1String("qwindowgeometry"), QtValue::Next},
    {QLatin1String("qwindowtitle"), QtValue::Next},
    {QLatin1String("qwindowicon"), QtValue::Next},
    {QLatin1String("session"), QtValue::Next},
    // The X11 names, and X11's own options.
    {QLatin1String("geometry"), QtValue::Next},
    {QLatin1String("title"), QtValue::Next},
    {QLatin1String("icon"), QtValue::Next},
    {QLatin1String("display"), QtValue::Next},
    {QLatin1String("name"), QtValue::Next},
    {QLatin1String("visual"), QtValue::Next},
    {QLatin1String("style"), QtValue::NextOrJoined},
    {QLatin1String("stylesheet"), QtValue::NextOrJoined},
    {QLatin1String("qmljsdebugger"), QtValue::Joined},
    {QLatin1String("reverse"), QtValue::None},
    {QLatin1String("testability"), QtValue::None},
    {QLatin1String("widgetcount"), QtValue::None},
    {QLatin1String("nograb"), QtValue::None},
    {QLatin1String("dograb"), QtValue::None},
    {QLatin1String("sync"), QtValue::None},
};

// How many arguments from `arguments[at]` on are one of Qt's options with
// its value; 0 for anything else.
qsizetype qtOptionLength(const QStringList &arguments, qsizetype at)
{
    QStringView argument = arguments.at(at);
    if (!argument.startsWith(QLatin1Char('-')))
        return 0;
    argument = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    const QStringView name = equals < 0 ? argument : argument.left(equals);
    for (const QtOption &option : kQtOptions) {
        if (name != option.name)
            continue;
        if (equals >= 0)
            return option.value == QtValue::NextOrJoined || option.value == QtValue::Joined ? 1 : 0;
        if (option.value == QtValue::Joined)
            return 0;
        return option.value == QtValue::None ? 1 : std::min<qsizetype>(2, arguments.size() - at);
    }
    return 0;
}

// The arguments without Qt's options, which are read before the program's
// own, and without a display: an error in them is told before Qt would
// look for one. "--" ends the options for Qt as for the program.
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
