#include "cli/KsCliOptions.h"

#include "base/KsStrings.h"
#include "base/KsVersionInfo.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <algorithm>
#include <cmath>

namespace ks::cli {

namespace {

const QString kNamesOnly = QStringLiteral("names-only");
const QString kNoPrefix = QStringLiteral("no-");

// Every kind's options by name, with the ids of the kinds that have each and
// each kind's description where they differ.
struct KindOption {
    SearchOption option;
    QStringList kinds;
};

QList<KindOption> allOptions(const std::vector<const CatalogueKind *> &kinds)
{
    QList<KindOption> options;
    for (const CatalogueKind *kind : kinds) {
        for (const SearchOption &option : kind->searchOptions()) {
            auto known = std::find_if(options.begin(), options.end(),
                [&option](const KindOption &entry) { return entry.option.name == option.name; });
            if (known == options.end()) {
                options.append({option, {kind->id()}});
            } else {
                known->kinds << kind->id();
                // "search T-SQL code; search PL/SQL code": each kind says what it searches.
                if (!known->option.help.contains(option.help))
                    known->option.help += QStringLiteral("; ") + option.help;
            }
        }
    }
    return options;
}

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")};
    QCommandLineOption version {
        {QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Displays the program's version.")};
    QCommandLineOption format {QStringLiteral("format"),
        QStringLiteral("Writes table, tsv, csv, json or jsonl (default: table on a terminal, tsv otherwise)."),
        QStringLiteral("format")};
    QCommandLineOption count {QStringLiteral("count"), QStringLiteral("Prints only the number of matches.")};
    QCommandLineOption namesOnly {kNamesOnly, QStringLiteral("Searches names only: every Include option off.")};
    QCommandLineOption type {QStringLiteral("type"),
        QStringLiteral("Keeps rows of that type only (repeatable; letter case ignored)."), QStringLiteral("type")};
    QCommandLineOption withDefinition {QStringLiteral("with-definition"),
        QStringLiteral("Adds each match's full definition text (column definition).")};
    QCommandLineOption timeout {QStringLiteral("timeout"),
        QStringLiteral("Stops a connection's search after that many seconds, as an error."), QStringLiteral("seconds")};
    QCommandLineOption snapshot {QStringLiteral("snapshot"),
        QStringLiteral("Writes a catalogue snapshot of the one connection to that file instead of searching "
                       "(quillmere-search --snapshot FILE CONNECTION)."),
        QStringLiteral("file")};
    QCommandLineOption text {QStringLiteral("text"),
        QStringLiteral("Finds the text as typed: %, _, [ and \\ stand for themselves (default: a LIKE pattern, "
                       "% and _ wildcards).")};
    QCommandLineOption word {QStringLiteral("word"),
        QStringLiteral("Finds the text as typed as a whole word (letters, digits, _, $ and #).")};
    QCommandLineOption regex {
        QStringLiteral("regex"), QStringLiteral("Finds matches of the text as a Perl-compatible regular expression.")};
    QList<KindOption> kindOptions;

    explicit Parser(const std::vector<const CatalogueKind *> &kinds)
        : kindOptions(allOptions(kinds))
    {
        parser.setApplicationDescription(
            QStringLiteral("Finds names and code in the catalogues of relational databases, as the windows of "
                           "quillmere do, and writes the rows it finds."));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
        for (const QCommandLineOption *option : {&help, &version, &format, &count, &text, &word, &regex, &namesOnly,
                 &type, &withDefinition, &timeout, &snapshot})
            parser.addOption(*option);
        for (const KindOption &entry : kindOptions) {
            const SearchOption &option = entry.option;
            QString description = option.help;
            if (!description.isEmpty())
                description[0] = description[0].toUpper();
            description += QStringLiteral(" (%1").arg(entry.kinds.join(QStringLiteral(", ")));
            if (option.type == SearchOption::Type::Switch) {
                const bool on = option.defaultValue == QLatin1String("1");
                description += (on ? QStringLiteral("; on, --no-") : QStringLiteral("; off, --no-")) + option.name
                    + (on ? QStringLiteral(" turns it off)") : QStringLiteral(" too)"));
            } else {
                description += u')';
            }
            QStringList names {option.name};
            // The short name users of every engine know from grep.
            if (option.name == QLatin1String("ignore-case"))
                names.prepend(QStringLiteral("i"));
            parser.addOption(QCommandLineOption(
                names, description, option.type == SearchOption::Type::Value ? QStringLiteral("value") : QString()));
            if (option.type == SearchOption::Type::Switch) {
                QCommandLineOption off(kNoPrefix + option.name);
                off.setFlags(QCommandLineOption::HiddenFromHelp);
                parser.addOption(off);
            }
        }
        parser.addPositionalArgument(QStringLiteral("text"), QStringLiteral("The text to find."));
        parser.addPositionalArgument(QStringLiteral("connection"),
            QStringLiteral("Catalogue files, connection strings or addresses (see below)."),
            QStringLiteral("connection..."));
    }

    const KindOption *kindOption(const QString &name) const
    {
        for (const KindOption &entry : kindOptions) {
            if (entry.option.name == name)
                return &entry;
        }
        return nullptr;
    }

    QString usage() const
    {
        QString text = parser.helpText();
        const qsizetype lineEnd = text.indexOf(u'\n');
        const qsizetype rest = text.indexOf(QStringLiteral(" [options]"));
        if (lineEnd > 0 && rest > 0 && rest < lineEnd)
            text.replace(0, rest, QStringLiteral("Usage: ") + kProgramName);
        text += QStringLiteral("\nConnections:\n"
                               "  a catalogue file                      its kind read from the file\n"
                               "  oracle://user@tns-alias               or oracle://user@host:port/service\n"
                               "  mssql://user@host:port/database       no user: Windows authentication\n"
                               "  postgresql://user@host:port/database  the password also from ~/.pgpass\n"
                               "  designer://user@tns-alias/APPSYSTEM[.version]\n"
                               "  a connection string as the windows make them; \"designer:\" before one\n"
                               "  names a Designer repository.\n"
                               "Passwords come from QUILLMERE_PASSWORD or a prompt on the terminal.\n"
                               "\nExit status: 0 rows found, 1 none found, 2 an error, 130 interrupted.\n");
        return text;
    }
};

CliCommand usageError(const Parser &parser, const QString &message)
{
    CliCommand command;
    command.action = CliCommand::Exit;
    command.exitCode = Failed;
    command.errorOutput = kProgramName + QStringLiteral(": ") + message + QStringLiteral("\n\n") + parser.usage();
    return command;
}

std::optional<OutputFormat> formatNamed(const QString &name)
{
    static const QList<std::pair<QString, OutputFormat>> formats {{QStringLiteral("table"), OutputFormat::Table},
        {QStringLiteral("tsv"), OutputFormat::Tsv}, {QStringLiteral("csv"), OutputFormat::Csv},
        {QStringLiteral("json"), OutputFormat::Json}, {QStringLiteral("jsonl"), OutputFormat::Jsonl}};
    for (const auto &[formatName, format] : formats) {
        if (formatName == name.toLower())
            return format;
    }
    return std::nullopt;
}

} // namespace

QString usageText(const std::vector<const CatalogueKind *> &kinds)
{
    return Parser(kinds).usage();
}

CliCommand parseArguments(const QStringList &arguments, const std::vector<const CatalogueKind *> &kinds)
{
    Parser parser(kinds);
    QStringList withName = arguments;
    if (withName.isEmpty())
        withName << kProgramName;
    if (!parser.parser.parse(withName))
        return usageError(parser, parser.parser.errorText());
    CliCommand command;
    if (parser.parser.isSet(parser.help)) {
        command.action = CliCommand::Exit;
        command.output = parser.usage();
        return command;
    }
    if (parser.parser.isSet(parser.version)) {
        command.action = CliCommand::Exit;
        command.output = kProgramName + u' ' + programVersion() + u'\n';
        return command;
    }

    CliRequest &request = command.request;
    const QStringList positional = parser.parser.positionalArguments();
    if (parser.parser.isSet(parser.snapshot)) {
        request.snapshot = parser.parser.value(parser.snapshot);
        if (positional.size() != 1 || request.snapshot.isEmpty())
            return usageError(parser, QStringLiteral("--snapshot takes a file and one connection."));
        request.connections = positional;
        return command;
    }
    if (positional.size() < 2)
        return usageError(parser, QStringLiteral("Give the text to find and at least one connection."));
    request.text = positional.constFirst();
    request.connections = positional.mid(1);
    // The windows' Find stays off until the box holds more than blanks.
    if (trimControl(request.text).isEmpty())
        return usageError(parser, QStringLiteral("The text to find is empty."));

    if (parser.parser.isSet(parser.format)) {
        request.format = formatNamed(parser.parser.value(parser.format));
        if (!request.format)
            return usageError(parser,
                QStringLiteral("--format takes table, tsv, csv, json or jsonl, not \"%1\".")
                    .arg(parser.parser.value(parser.format)));
    }
    request.count = parser.parser.isSet(parser.count);
    request.withDefinition = parser.parser.isSet(parser.withDefinition);
    request.types = parser.parser.values(parser.type);
    if (parser.parser.isSet(parser.timeout)) {
        bool ok = false;
        const double seconds = parser.parser.value(parser.timeout).toDouble(&ok);
        if (!ok || !(seconds > 0) || seconds > 86400)
            return usageError(parser, QStringLiteral("--timeout takes a number of seconds greater than 0."));
        request.timeoutMs = int(std::ceil(seconds * 1000));
    }

    // The search options in the order given, so that a later one wins; a
    // value option given twice gives its values in turn.
    QHash<QString, qsizetype> used;
    for (QString name : parser.parser.optionNames()) {
        if (name == QLatin1String("i"))
            name = QStringLiteral("ignore-case");
        if (name == kNamesOnly) {
            request.assignments.append({kNamesOnly, QString()});
            continue;
        }
        if (name == parser.text.names().constFirst())
            request.mode = MatchMode::Text;
        else if (name == parser.word.names().constFirst())
            request.mode = MatchMode::Word;
        else if (name == parser.regex.names().constFirst())
            request.mode = MatchMode::RegularExpression;
        if (const KindOption *entry = parser.kindOption(name)) {
            QString value = QStringLiteral("1");
            if (entry->option.type == SearchOption::Type::Value)
                value = parser.parser.values(name).value(used[name]++);
            request.assignments.append({name, value});
        } else if (name.startsWith(kNoPrefix) && parser.kindOption(name.mid(kNoPrefix.size()))) {
            request.assignments.append({name.mid(kNoPrefix.size()), QStringLiteral("0")});
        }
    }
    return command;
}

KindSettings settingsFor(
    const CatalogueKind &kind, const CliRequest &request, const QHash<QString, QString> &addressValues)
{
    const QList<SearchOption> options = kind.searchOptions();
    KindSettings result;
    result.settings.text = request.text;
    result.settings.mode = request.mode;
    result.settings.values = addressValues;
    for (const OptionAssignment &assignment : request.assignments) {
        if (assignment.name == kNamesOnly) {
            for (const SearchOption &option : options) {
                if (option.include)
                    result.settings.values.insert(option.name, QStringLiteral("0"));
            }
        } else if (findSearchOption(options, assignment.name)) {
            result.settings.values.insert(assignment.name, assignment.value);
        } else if (!result.ignored.contains(assignment.name)) {
            result.ignored << assignment.name;
        }
    }
    return result;
}

} // namespace ks::cli
