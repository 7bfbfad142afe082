#pragma once
// The program's command line: files to open, --help, --version, and the
// options of programOptions(). "--" ends the options, so that a file whose
// name starts with "-" can still be named.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace ks {

// An option of the program besides --help and --version.
struct ProgramOption {
    QStringList names; // long and short names without dashes, e.g. {"trace"}
    QString description; // one line for the usage text
    QString valueName; // empty for a switch; else the option takes a value
};

// Every option of the program besides --help and --version. A new option is
// one entry here; the program then asks StartOptions::isSet() or value()
// with the option's first name.
const QList<ProgramOption> &programOptions();

// What the program was asked to do at start.
struct StartOptions {
    QStringList files; // as given, in order
    QHash<QString, QString> given; // first name of each option given, with its value

    bool isSet(const QString &name) const { return given.contains(name); }
    QString value(const QString &name) const { return given.value(name); }
};

struct CommandLineResult {
    enum Action { Run, Exit };
    Action action = Run;
    int exitCode = 0;
    QString output; // for the standard output (usage, version)
    QString errorOutput; // for the standard error (what was wrong, then the usage)
    StartOptions options; // when the program runs
};

// Exit code of a command line the program does not understand.
inline constexpr int kUsageExitCode = 2;

// Reads `arguments` (the program's name first). --help gives the usage,
// --version "quillmere" and the version, both with exit code 0; an unknown
// option or a missing value gives the reason and the usage with
// kUsageExitCode. Qt's own options ("-platform offscreen", "-style=fusion")
// and their values are passed over: the application takes them.
CommandLineResult parseCommandLine(
    const QStringList &arguments, const QList<ProgramOption> &options = programOptions());

// The usage text for `options`.
QString usageText(const QList<ProgramOption> &options = programOptions());

} // namespace ks
