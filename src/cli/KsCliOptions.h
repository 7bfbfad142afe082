#pragma once
// The command line of quillmere-search: the text, the connections, and the
// search options of every catalogue kind under the names its users know
// (from the kinds' own lists), with the program's own options around them.

#include "search/KsCatalogueKind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

namespace ks::cli {

inline const QString kProgramName = QStringLiteral("quillmere-search");

// Exit status as grep's, and the shell's for an interrupt.
enum ExitStatus { Found = 0, NothingFound = 1, Failed = 2, Interrupted = 130 };

enum class OutputFormat { Table, Tsv, Csv, Json, Jsonl };

// A search option as the command line set it, in the order given:
// --names-only is the name "names-only" with no value.
struct OptionAssignment {
    QString name;
    QString value;
};

struct CliRequest {
    QString text;
    MatchMode mode = MatchMode::Pattern; // --text, --word, --regex; the last one given wins
    QStringList connections;
    QList<OptionAssignment> assignments;
    QStringList types; // --type, letter case ignored; none: every type
    std::optional<OutputFormat> format; // none: a table on a terminal, TSV otherwise
    bool count = false;
    bool withDefinition = false;
    int timeoutMs = 0; // 0: no limit
    QString snapshot; // a file to write the one connection's snapshot to, instead of searching
};

struct CliCommand {
    enum Action { Run, Exit };
    Action action = Run;
    int exitCode = 0;
    QString output; // for the standard output (usage, version)
    QString errorOutput; // what was wrong, then the usage
    CliRequest request;
};

// Reads `arguments` (the program's name first) against the options of `kinds`.
CliCommand parseArguments(const QStringList &arguments, const std::vector<const CatalogueKind *> &kinds);
QString usageText(const std::vector<const CatalogueKind *> &kinds);

// What one connection searches with: the kind's defaults, then every
// assignment in order, --names-only turning each Include option off. Options
// the kind lacks are left out and their names listed in `ignored`. Values an
// address carries (a Designer address's application system) come first.
struct KindSettings {
    SearchSettings settings;
    QStringList ignored;
};
KindSettings settingsFor(
    const CatalogueKind &kind, const CliRequest &request, const QHash<QString, QString> &addressValues);

} // namespace ks::cli
