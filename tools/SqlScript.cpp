#include "SqlScript.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>

namespace ks::tools {

namespace {

QString where(const QString &fileName, int line)
{
    return QStringLiteral("%1:%2").arg(fileName).arg(line);
}

bool isBlank(QChar c)
{
    return c != u'\n' && c.isSpace();
}

// True when nothing but blanks or a "--" comment follows `from` on its line.
bool restOfLineIsEmpty(const QString &text, qsizetype from)
{
    qsizetype i = from;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    if (i == text.size() || text.at(i) == u'\n')
        return true;
    return text.at(i) == u'-' && i + 1 < text.size() && text.at(i + 1) == u'-';
}

bool startsLine(const QString &text, qsizetype at)
{
    for (qsizetype i = at - 1; i >= 0 && text.at(i) != u'\n'; --i) {
        if (!isBlank(text.at(i)))
            return false;
    }
    return true;
}

// The argument of a dot command: the rest of the line, blanks trimmed, one
// pair of surrounding quotes taken off.
QString dotArgument(const QString &rest)
{
    QString argument = rest.trimmed();
    if (argument.size() >= 2
        && ((argument.front() == u'\'' && argument.back() == u'\'')
            || (argument.front() == u'"' && argument.back() == u'"')))
        argument = argument.mid(1, argument.size() - 2);
    return argument;
}

enum class State { Code, Literal, LineComment, BlockComment };

QList<ScriptStatement> readScriptFile(const QString &path, QStringList &reading)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (reading.contains(absolute))
        throw ScriptError(QStringLiteral("%1: the script reads itself through .read").arg(path).toStdString());

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ScriptError(QStringLiteral("%1: %2").arg(path, file.errorString()).toStdString());
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError())
        throw ScriptError(QStringLiteral("%1: not UTF-8 text").arg(path).toStdString());

    reading.append(absolute);
    const QDir directory = QFileInfo(absolute).absoluteDir();
    QList<ScriptStatement> statements = splitScript(text, path, [&](const QString &fileName, int) {
        return readScriptFile(QDir::cleanPath(directory.filePath(fileName)), reading);
    });
    reading.removeLast();
    return statements;
}

} // namespace

QList<ScriptStatement> splitScript(const QString &rawText, const QString &fileName, const ScriptIncluder &include)
{
    QString text = rawText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

    QList<ScriptStatement> statements;
    State state = State::Code;
    QChar closingQuote; // of the literal or quoted identifier being read
    int line = 1;
    int openedAt = 0; // line where the open literal or comment began
    int statementLine = 0; // 0 while no statement has begun
    qsizetype statementStart = 0;

    const qsizetype size = text.size();
    const auto next = [&](qsizetype i) { return i + 1 < size ? text.at(i + 1) : QChar(); };

    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == u'\n')
            ++line;

        switch (state) {
        case State::Code:
            if (c == u'-' && next(i) == u'-') {
                state = State::LineComment;
                ++i;
            } else if (c == u'/' && next(i) == u'*') {
                state = State::BlockComment;
                openedAt = line;
                ++i;
            } else if (c.isSpace()) {
                // between tokens
            } else if (statementLine == 0 && c == u'.' && startsLine(text, i)) {
                qsizetype end = text.indexOf(u'\n', i);
                if (end < 0)
                    end = size;
                const QString command = text.mid(i, end - i);
                const qsizetype blank = command.indexOf(QRegularExpression(QStringLiteral("\\s")));
                const QString name = blank < 0 ? command : command.left(blank);
                if (name != QStringLiteral(".read"))
                    throw ScriptError(
                        QStringLiteral("%1: unknown command %2").arg(where(fileName, line), name).toStdString());
                if (!include)
                    throw ScriptError(
                        QStringLiteral("%1: .read is not allowed here").arg(where(fileName, line)).toStdString());
                const QString argument = blank < 0 ? QString() : dotArgument(command.mid(blank));
                if (argument.isEmpty())
                    throw ScriptError(
                        QStringLiteral("%1: .read needs a file name").arg(where(fileName, line)).toStdString());
                statements += include(argument, line);
                i = end - 1; // the line feed is counted on the next pass
            } else {
                if (statementLine == 0) {
                    statementLine = line;
                    statementStart = i;
                }
                if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
                    state = State::Literal;
                    closingQuote = c == u'[' ? QChar(u']') : c;
                    openedAt = line;
                } else if (c == u';' && restOfLineIsEmpty(text, i + 1)) {
                    const QString sql = text.mid(statementStart, i - statementStart).trimmed();
                    statements.append({sql, fileName, statementLine});
                    statementLine = 0;
                }
            }
            break;
        case State::Literal:
            if (c == closingQuote) {
                // A doubled quote stands for itself inside the literal; "]" has no such escape.
                if (closingQuote != u']' && next(i) == closingQuote)
                    ++i;
                else
                    state = State::Code;
            }
            break;
        case State::LineComment:
            if (c == u'\n')
                state = State::Code;
            break;
        case State::BlockComment:
            if (c == u'*' && next(i) == u'/') {
                state = State::Code;
                ++i;
            }
            break;
        }
    }

    if (state == State::Literal)
        throw ScriptError(
            QStringLiteral("%1: %2 opened here is never closed")
                .arg(where(fileName, openedAt),
                    closingQuote == u'\'' ? QStringLiteral("string literal") : QStringLiteral("quoted name"))
                .toStdString());
    if (state == State::BlockComment)
        throw ScriptError(
            QStringLiteral("%1: comment opened here is never closed").arg(where(fileName, openedAt)).toStdString());
    if (statementLine != 0)
        statements.append({text.mid(statementStart).trimmed(), fileName, statementLine});
    return statements;
}

QList<ScriptStatement> readScriptFile(const QString &path)
{
    QStringList reading;
    return readScriptFile(path, reading);
}

void beginTransaction(QSqlDatabase &db)
{
    if (!db.transaction())
        throw ScriptError(QStringLiteral("cannot begin a transaction: %1").arg(db.lastError().text()).toStdString());
}

void commitTransaction(QSqlDatabase &db)
{
    if (!db.commit())
        throw ScriptError(QStringLiteral("cannot commit: %1").arg(db.lastError().text()).toStdString());
}

QSqlQuery prepareStatement(QSqlDatabase &db, const char *sql)
{
    QSqlQuery query(db);
    if (!query.prepare(QString::fromLatin1(sql)))
        throw ScriptError(QStringLiteral("cannot prepare %1: %2")
                              .arg(QString::fromLatin1(sql), query.lastError().text())
                              .toStdString());
    return query;
}

void runScript(QSqlDatabase &db, const QList<ScriptStatement> &statements)
{
    beginTransaction(db);
    QSqlQuery query(db);
    for (const ScriptStatement &statement : statements) {
        if (!query.exec(statement.sql)) {
            const QString message
                = QStringLiteral("%1: %2").arg(where(statement.fileName, statement.line), query.lastError().text());
            query.finish();
            db.rollback();
            throw ScriptError(message.toStdString());
        }
        query.finish();
    }
    commitTransaction(db);
}

QList<ScriptStatement> builtInScript(const QString &name)
{
    QFile file(QStringLiteral(":/") + name);
    if (!file.open(QIODevice::ReadOnly))
        throw ScriptError(QStringLiteral("the script %1 is missing from the program").arg(name).toStdString());
    return splitScript(QString::fromUtf8(file.readAll()), name);
}

} // namespace ks::tools
