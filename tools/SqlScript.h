#pragma once
// SQL scripts for the catalogue tools: splitting a script into statements and
// running them in one transaction, with the file and line of each statement
// at hand for the error message.

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <stdexcept>

namespace ks::tools {

// A script could not be read, split or run; the message names file and line.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ScriptStatement {
    QString sql; // without its closing ";"
    QString fileName; // the script it comes from
    int line = 0; // 1-based line of its first character
};

// Splits script text into statements. A statement ends at a ";" that is the
// last thing on its line apart from blanks or a "--" comment, and lies
// outside string literals, quoted identifiers and comments; so a ";" at the
// end of a line inside a literal, as in stored PL/SQL source, stays in the
// statement. A last statement without ";" ends with the text. CR LF line ends
// are read as LF. Stretches holding nothing but blanks and comments are no
// statements.
//
// A line ".read <file>" between statements (the sqlite3 shell's include)
// is handed to `include`, which returns the statements of that file; when
// `include` is empty such a line is an error, as is any other dot command.
// Raises ScriptError for an unterminated literal or comment.
using ScriptIncluder = std::function<QList<ScriptStatement>(const QString &fileName, int line)>;
QList<ScriptStatement> splitScript(const QString &text, const QString &fileName, const ScriptIncluder &include = {});

// Reads a UTF-8 script file and splits it; ".read" names a file relative to
// the directory of the script that reads it. Raises ScriptError.
QList<ScriptStatement> readScriptFile(const QString &path);

// A script built into the tool that runs this (its resource ":/" + name).
QList<ScriptStatement> builtInScript(const QString &name);

// Runs the statements in order inside one transaction on an open database;
// on the first failure rolls back and raises ScriptError with the file, the
// line and the database's message.
void runScript(QSqlDatabase &db, const QList<ScriptStatement> &statements);

// A statement prepared once for many rows; raises ScriptError naming it when
// the database refuses it.
QSqlQuery prepareStatement(QSqlDatabase &db, const char *sql);

void beginTransaction(QSqlDatabase &db);
void commitTransaction(QSqlDatabase &db);

// Runs `work` in one transaction: committed when it returns, rolled back when
// it raises. Raises ScriptError when the transaction cannot begin or commit.
template <typename Work> auto inTransaction(QSqlDatabase &db, Work work) -> decltype(work())
{
    beginTransaction(db);
    try {
        auto result = work();
        commitTransaction(db);
        return result;
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace ks::tools
