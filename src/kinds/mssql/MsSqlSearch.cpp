#include "kinds/mssql/MsSqlSearch.h"

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "text/KsStringOutput.h"

#include <algorithm>
#include <array>
#include <utility>

namespace ks::mssql {
namespace {

struct TypeName {
    const char16_t *code;
    const char16_t *name;
};

// Compared in this order; the first equal code wins.
constexpr std::array<TypeName, 23> kTypeNames {{
    {u"U", u"Table"},
    {u"V", u"View"},
    {u"P", u"Procedure"},
    {u"IF", u"Function"},
    {u"TF", u"Function"},
    {u"FN", u"Function"},
    {u"AF", u"CLR Function"},
    {u"FS", u"CLR Function"},
    {u"FT", u"CLR Function"},
    {u"C", u"Check Constraint"},
    {u"D", u"Default"},
    {u"F", u"Foreign Key"},
    {u"IT", u"Internal Table"},
    {u"PC", u"CLR Procedure"},
    {u"PG", u"Plan Guide"},
    {u"PK", u"Primary Key"},
    {u"R", u"Rule"},
    {u"RF", u"Repl Procedure"},
    {u"SN", u"Synonym"},
    {u"SQ", u"Service Queue"},
    {u"TA", u"CLR Trigger"},
    {u"TR", u"Trigger"},
    {u"UQ", u"Unique Constraint"},
}};

QString literal(const QString &text)
{
    return QuoteSqlText(text, QStringLiteral("'"), QStringLiteral("''"));
}

// SQL Server keeps a long definition in syscomments pieces of 4,000
// characters; a text statement matches each piece alone, so a match cut by
// the end of a piece needs a statement of its own. It tests a window: the
// last characters of a piece joined to the first ones of the next piece of
// the same object. A pattern without "%" matches at most as many characters
// as it has, so a window of one less on each side holds every match that
// straddles the cut. A pattern with "%" can stretch over any length; its
// window is the widest a server's 4,000-character text joins without
// truncating, 2,000 each side. The window is part of the definition, so
// whatever it matches the definition holds. Objects whose own pieces match
// are left out: the piece statement lists them. That test names the piece
// joined last, not sysobjects, so that SQLite makes it only for the few
// windows that match, not for every piece it reads.
constexpr qsizetype kWidestWindowSide = 2000;

// The characters on each side of a cut that a window takes, 0 when no
// match can straddle a cut.
qsizetype windowSide(const QString &pattern)
{
    if (pattern.contains(u'%'))
        return kWidestWindowSide;
    return std::min(pattern.size() - 1, kWidestWindowSide);
}

// `pieceSql`, a statement of objects by their syscomments text, turned into
// the one that finds the matches straddling a cut. The statement reads the
// pieces after a first one and joins each to the one before it, which is
// fewer lookups than joining every piece to a next one that most lack.
// `ofTable` repeats whether the object belongs to a table as a test of the
// object alone, which SQLite makes before it reads any text.
QString seamStatement(QString pieceSql, const QString &x, qsizetype side, bool ofTable)
{
    static const QString pieces = QStringLiteral("INNER JOIN syscomments ON sysobjects.id=syscomments.id");
    const QString condition = QStringLiteral("syscomments.text LIKE '%") + x + QStringLiteral("%'");
    const QString n = QString::number(side);
    // The condition ends the statement and the join comes first, so the
    // search text in the condition is never taken for either.
    const qsizetype at = pieceSql.lastIndexOf(condition);
    pieceSql.replace(at, condition.size(),
        QStringLiteral("nextpiece.colid>1 AND ") + (ofTable ? QString() : QStringLiteral("NOT "))
            + QStringLiteral("EXISTS (SELECT 1 FROM sysobjects AS parent WHERE parent.id=sysobjects.parent_obj) AND "
                             "STUFF(SUBSTRING(nextpiece.text, 1, ")
            + n + QStringLiteral("), 1, 0, SUBSTRING(syscomments.text, DATALENGTH(syscomments.text) / 2 - ") + n
            + QStringLiteral(" + 1, ") + n + QStringLiteral(")) LIKE '%") + x
            + QStringLiteral("%' AND NOT EXISTS (SELECT 1 FROM syscomments AS piece WHERE piece.id=syscomments.id AND "
                             "piece.text LIKE '%")
            + x + QStringLiteral("%')"));
    pieceSql.replace(pieceSql.indexOf(pieces), pieces.size(),
        QStringLiteral("INNER JOIN syscomments AS nextpiece ON sysobjects.id=nextpiece.id INNER JOIN syscomments ON "
                       "syscomments.id=nextpiece.id AND syscomments.number=nextpiece.number AND "
                       "syscomments.colid=nextpiece.colid-1"));
    return pieceSql;
}

// The ids of the objects whose syscomments pieces hold the literal text
// `x`, or whose cut between two pieces does within `side` characters each
// side of it.
QString candidatesStatement(const QString &x, qsizetype side)
{
    QString sql = QStringLiteral("SELECT id FROM syscomments WHERE text LIKE '%") + x + QStringLiteral("%'");
    if (side > 0) {
        const QString n = QString::number(side);
        sql += QStringLiteral(" UNION SELECT piece.id FROM syscomments AS piece INNER JOIN syscomments AS nextpiece ON "
                              "nextpiece.id=piece.id AND nextpiece.number=piece.number AND "
                              "nextpiece.colid=piece.colid+1 WHERE STUFF(SUBSTRING(nextpiece.text, 1, ")
            + n + QStringLiteral("), 1, 0, SUBSTRING(piece.text, DATALENGTH(piece.text) / 2 - ") + n
            + QStringLiteral(" + 1, ") + n + QStringLiteral(")) LIKE '%") + x + QStringLiteral("%'");
    }
    return sql;
}

// The condition on sysobjects.id of a whole-text statement: the candidates
// as a subquery, or every object where there is no literal text.
QString candidatesCondition(const QString &x, qsizetype side)
{
    if (x.isEmpty())
        return QStringLiteral("1=1");
    return QStringLiteral("sysobjects.id IN (") + candidatesStatement(x, side) + u')';
}

// `pieceSql` turned into the statement that hands the program every piece
// of each object that `candidates` (a condition on sysobjects.id) names, in
// order, with the object's id and the piece's text.
QString wholeTextStatement(QString pieceSql, const QString &x, const QString &candidates)
{
    pieceSql.replace(QStringLiteral("SELECT DISTINCT "), QStringLiteral("SELECT "));
    pieceSql.insert(pieceSql.indexOf(QStringLiteral(" FROM sysobjects ")),
        QStringLiteral(", sysobjects.id AS ObjectId, syscomments.text AS PieceText"));
    const QString condition = QStringLiteral("syscomments.text LIKE '%") + x + QStringLiteral("%'");
    const qsizetype at = pieceSql.lastIndexOf(condition);
    pieceSql.replace(at, condition.size(), candidates);
    return pieceSql + QStringLiteral("ORDER BY sysobjects.id, syscomments.number, syscomments.colid");
}

// Whether a statement finds objects by their syscomments text.
bool isTextStatement(Statement statement)
{
    return statement == Statement::DefaultTexts || statement == Statement::TableObjectTexts
        || statement == Statement::ObjectTexts;
}

// The column of a name statement that holds the name it finds by.
int nameColumn(Statement statement)
{
    return statement == Statement::ObjectNames ? 0 : 2;
}

ResultRow makeRow(int kind, QString name, QString type, const QString &owner, QString comment, CatalogueNames key)
{
    ResultRow row;
    row.rowKind = kind;
    row.name = std::move(name);
    row.type = std::move(type);
    row.schema = owner;
    row.comment = std::move(comment);
    key.owner = owner;
    row.key = packKey(key);
    return row;
}

// Table name, point, object name: the Name of an object that belongs to a
// table. A column's name is kept as its column name, any other's as its
// object name.
ResultRow tablePartRow(int kind, const Recordset &record, QString type, QString comment, bool column = false)
{
    const QString table = record.text(0);
    const QString part = record.text(2);
    CatalogueNames key;
    key.table = table;
    (column ? key.column : key.object) = part;
    return makeRow(kind, table + u'.' + part, std::move(type), record.text(1), std::move(comment), std::move(key));
}

// Table name, point, column name, colon, blank, default name.
ResultRow columnDefaultRow(int kind, const Recordset &record, const QString &comment)
{
    CatalogueNames key;
    key.table = record.text(0);
    key.defaultName = record.text(2);
    key.column = record.text(3);
    QString name = key.table + u'.' + key.column + QStringLiteral(": ") + key.defaultName;
    return makeRow(kind, std::move(name), QStringLiteral("Column Default"), record.text(1), comment, std::move(key));
}

// The statement that finds what `statement` misses at the cuts between pieces.
std::optional<Statement> seamOf(Statement statement)
{
    switch (statement) {
    case Statement::DefaultTexts:
        return Statement::DefaultTextSeams;
    case Statement::TableObjectTexts:
        return Statement::TableObjectTextSeams;
    case Statement::ObjectTexts:
        return Statement::ObjectTextSeams;
    default:
        return std::nullopt;
    }
}

} // namespace

QString ObjectTypeName(const QString &code)
{
    const QString trimmed = trimControl(code);
    for (const TypeName &entry : kTypeNames) {
        if (trimmed == QStringView(entry.code))
            return QString::fromUtf16(entry.name);
    }
    return QStringLiteral("Unknown ") + trimmed;
}

QString connectionCaption(const QString &connectionString)
{
    const QString user = GetConnectionValue(connectionString, QStringLiteral("user id"));
    const QString database = GetConnectionValue(connectionString, QStringLiteral("initial catalog"));
    const QString server = GetConnectionValue(connectionString, QStringLiteral("data source"));
    QString caption = database + QStringLiteral(" @ ") + server + QStringLiteral(" (MsSql)");
    if (!user.isEmpty())
        caption.prepend(user + QStringLiteral(" @ "));
    return caption;
}

SearchMatcher searchMatcher(const SearchRequest &request)
{
    return SearchMatcher(request.mode, request.searchText, true, MatchCase::CaseFolded);
}

QList<PlannedStatement> searchStatements(const SearchRequest &request)
{
    const SearchMatcher matcher = searchMatcher(request);
    const QString x = matcher.likeText(LikeEngine::MsSql).replace(u'\'', QStringLiteral("''"));
    QList<PlannedStatement> statements;
    statements.append({Statement::ObjectNames,
        QStringLiteral("SELECT sysobjects.name, sysusers.name as Owner, sysobjects.type ")
            + QStringLiteral(" FROM sysobjects ")
            + QStringLiteral(" INNER JOIN sysusers ON sysobjects.uid = sysusers.uid")
            + QStringLiteral(" LEFT OUTER JOIN sysobjects AS systables ON sysobjects.parent_obj = systables.id")
            + QStringLiteral(" WHERE ") + QStringLiteral(" sysobjects.status >= 0 ")
            + QStringLiteral(" AND systables.id IS NULL ") + QStringLiteral(" AND sysobjects.name LIKE '%") + x
            + QStringLiteral("%' ") + QStringLiteral(" ORDER BY sysobjects.name ")});
    statements.append({Statement::TableObjectNames,
        QStringLiteral(
            "SELECT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS CheckName, "
            "sysobjects.type  FROM sysobjects INNER JOIN sysobjects AS systables ON sysobjects.parent_obj = "
            "systables.id INNER JOIN sysusers ON sysusers.uid = systables.uid WHERE  sysobjects.name LIKE '%")
            + x + QStringLiteral("%' ")});
    statements.append({Statement::ColumnNames,
        QStringLiteral("SELECT sysobjects.name AS TableName, sysusers.name AS Owner, syscolumns.name  FROM sysobjects "
                       "INNER JOIN sysusers ON sysobjects.uid = sysusers.uid INNER JOIN syscolumns ON "
                       "sysobjects.id=syscolumns.id INNER JOIN systypes ON syscolumns.xusertype=systypes.xusertype "
                       "WHERE (sysobjects.type = 'U' OR sysobjects.type = 'V') AND sysobjects.status>=0 AND "
                       "syscolumns.name LIKE '%")
            + x + QStringLiteral("%' ")
            + QStringLiteral(" ORDER BY sysusers.name, sysobjects.name, syscolumns.colid")});
    statements.append({Statement::DefaultNames,
        QStringLiteral("SELECT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS DefaultName, "
                       "syscolumns.name AS ColumnName FROM sysobjects INNER JOIN syscolumns ON "
                       "sysobjects.id=syscolumns.cdefault AND syscolumns.id=sysobjects.parent_obj INNER JOIN "
                       "sysobjects AS systables ON sysobjects.parent_obj = systables.id INNER JOIN sysusers ON "
                       "sysusers.uid = systables.uid WHERE sysobjects.type='D' AND systables.status>=0 AND "
                       "sysobjects.name LIKE '%")
            + x + QStringLiteral("%' ")});
    if (request.includeTSql) {
        statements.append({Statement::DefaultTexts,
            QStringLiteral(
                "SELECT DISTINCT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS "
                "DefaultName, syscolumns.name AS ColumnName FROM sysobjects INNER JOIN syscomments ON "
                "sysobjects.id=syscomments.id INNER JOIN syscolumns ON sysobjects.id=syscolumns.cdefault AND "
                "syscolumns.id=sysobjects.parent_obj INNER JOIN sysobjects AS systables ON "
                "sysobjects.parent_obj = systables.id INNER JOIN sysusers ON sysusers.uid = systables.uid WHERE "
                "sysobjects.type='D' AND systables.status>=0 AND syscomments.text LIKE '%")
                + x + QStringLiteral("%' ")});
        statements.append({Statement::TableObjectTexts,
            QStringLiteral(
                "SELECT DISTINCT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS "
                "CheckName, sysobjects.type  FROM sysobjects INNER JOIN syscomments ON "
                "sysobjects.id=syscomments.id INNER JOIN sysobjects AS systables ON sysobjects.parent_obj = "
                "systables.id INNER JOIN sysusers ON sysusers.uid = systables.uid WHERE  syscomments.text LIKE "
                "'%")
                + x + QStringLiteral("%' ")});
    }
    statements.append({Statement::IndexNames,
        QStringLiteral(
            "SELECT sysobjects.name AS TableName, sysusers.name AS Owner, sysindexes.name AS IndexName  "
            "FROM sysindexes INNER JOIN sysobjects ON sysobjects.id=sysindexes.id INNER JOIN sysusers ON "
            "sysusers.uid=sysobjects.uid WHERE sysobjects.type='U' AND sysobjects.status>=0 AND "
            "(sysindexes.status & 8388608) = 0 and (sysindexes.status & 32) = 0  AND sysindexes.name LIKE '%")
            + x + QStringLiteral("%' ")});
    if (request.includeTSql) {
        statements.append({Statement::ObjectTexts,
            QStringLiteral(
                "SELECT DISTINCT sysobjects.name AS ViewName, sysusers.name AS Owner,  sysobjects.type  FROM "
                "sysobjects INNER JOIN sysusers ON sysobjects.uid = sysusers.uid LEFT OUTER JOIN sysobjects AS "
                "systables ON sysobjects.parent_obj = systables.id INNER JOIN syscomments ON "
                "sysobjects.id=syscomments.id WHERE systables.id IS NULL  AND sysobjects.status>=0 AND "
                "syscomments.text LIKE '%")
                + x + QStringLiteral("%' ")});
    }
    // Without wildcards a match is as long as the literal text.
    const qsizetype side = matcher.mode() == MatchMode::Pattern
        ? windowSide(x)
        : std::min(matcher.literal().size() - 1, kWidestWindowSide);
    if (!matcher.serverDecides()) {
        for (PlannedStatement &planned : statements) {
            if (isTextStatement(planned.statement))
                planned.sql = wholeTextStatement(planned.sql, x, candidatesCondition(x, side));
        }
        return statements;
    }
    if (side < 1)
        return statements;
    for (qsizetype i = statements.size() - 1; i >= 0; --i) {
        const auto seam = seamOf(statements.at(i).statement);
        if (seam)
            statements.insert(
                i + 1, {*seam, seamStatement(statements.at(i).sql, x, side, *seam != Statement::ObjectTextSeams)});
    }
    return statements;
}

std::optional<ResultRow> mapRow(Statement statement, const Recordset &record)
{
    switch (statement) {
    case Statement::ObjectNames:
    case Statement::ObjectTexts:
    case Statement::ObjectTextSeams: {
        const bool byName = statement == Statement::ObjectNames;
        const QString type = ObjectTypeName(record.strictText(2));
        const QString name = record.text(0);
        CatalogueNames key;
        key.object = name;
        return makeRow(byName ? NameMatch : ObjectDefinition, name, type, record.text(1),
            type + (byName ? QStringLiteral(" Name") : QStringLiteral(" Definition")), std::move(key));
    }
    case Statement::TableObjectNames: {
        const QString code = record.strictText(3);
        // Primary keys and unique constraints ("K") are listed as indexes.
        if (trimControl(code) == QStringLiteral("K"))
            return std::nullopt;
        const QString type = ObjectTypeName(code);
        return tablePartRow(NameMatch, record, type, type + QStringLiteral(" Name"));
    }
    case Statement::TableObjectTexts:
    case Statement::TableObjectTextSeams: {
        const QString type = ObjectTypeName(record.strictText(3));
        return tablePartRow(TableObjectDefinition, record, type, type + QStringLiteral(" Definition"));
    }
    case Statement::ColumnNames:
        return tablePartRow(NameMatch, record, QStringLiteral("Column"), QStringLiteral("Column Name"), true);
    case Statement::DefaultNames:
        return columnDefaultRow(NameMatch, record, QStringLiteral("Column Default Name"));
    case Statement::DefaultTexts:
    case Statement::DefaultTextSeams:
        return columnDefaultRow(ColumnDefaultDefinition, record, QStringLiteral("Column Default Definition"));
    case Statement::IndexNames:
        return tablePartRow(NameMatch, record, QStringLiteral("Index"), QStringLiteral("Index Name"));
    }
    return std::nullopt;
}

void runSearch(Connection &connection, const SearchRequest &request, const std::function<void(ResultRow)> &addRow,
    const StatementProgress &progress)
{
    const SearchMatcher matcher = searchMatcher(request);
    QList<PlannedStatement> statements = searchStatements(request);
    // The candidates of the whole-text statements are read once, for all of
    // them, and handed to each as a list: cheaper than a subquery in each.
    const QString x = matcher.likeText(LikeEngine::MsSql).replace(u'\'', QStringLiteral("''"));
    const qsizetype side = std::min(matcher.literal().size() - 1, kWidestWindowSide);
    std::optional<QString> candidates;
    int number = 0;
    for (PlannedStatement &planned : statements) {
        if (progress)
            progress(++number, int(statements.size()));
        if (!matcher.serverDecides() && isTextStatement(planned.statement) && !x.isEmpty()) {
            if (!candidates) {
                QStringList ids;
                auto found = ExecuteSql(connection, candidatesStatement(x, side));
                for (; !found->eof(); found->moveNext())
                    ids << found->text(0);
                found->close();
                candidates = ids.isEmpty() ? QStringLiteral("1=0")
                                           : QStringLiteral("sysobjects.id IN (") + ids.join(u',') + u')';
            }
            planned.sql.replace(candidatesCondition(x, side), *candidates);
        }
        auto records = ExecuteSql(connection, planned.sql);
        if (matcher.serverDecides()) {
            for (; !records->eof(); records->moveNext()) {
                if (std::optional<ResultRow> row = mapRow(planned.statement, *records))
                    addRow(std::move(*row));
            }
        } else if (isTextStatement(planned.statement)) {
            // An object's pieces come together, in order: its whole text
            // decides once its last piece is read.
            QString object;
            QString text;
            std::optional<ResultRow> row;
            const auto decide = [&] {
                if (row && matcher.matches(text))
                    addRow(std::move(*row));
                row.reset();
                text.clear();
            };
            for (; !records->eof(); records->moveNext()) {
                const QString id = records->text(QStringLiteral("ObjectId"));
                if (id != object) {
                    decide();
                    object = id;
                    row = mapRow(planned.statement, *records);
                }
                text += records->text(QStringLiteral("PieceText"));
            }
            decide();
        } else {
            for (; !records->eof(); records->moveNext()) {
                if (!matcher.matches(records->text(nameColumn(planned.statement))))
                    continue;
                if (std::optional<ResultRow> row = mapRow(planned.statement, *records))
                    addRow(std::move(*row));
            }
        }
        records->close();
    }
}

ResultRow noResultsRow()
{
    ResultRow row;
    row.name = QStringLiteral("no results found");
    row.subItems = 0;
    row.rowKind = NoResults;
    return row;
}

std::optional<Definition> definitionFor(const ResultRow &row, const QString &windowCaption)
{
    const QString in = QStringLiteral(" in ") + windowCaption;
    const CatalogueNames names = unpackKey<CatalogueNames>(row.key);
    // Objects of the same name under another owner are never mixed in.
    const QString ofOwner = QStringLiteral(" AND sysusers.name=") + literal(names.owner);
    switch (row.rowKind) {
    case ColumnDefaultDefinition:
        return Definition {QStringLiteral("Column Default of ") + row.name + in,
            QStringLiteral(
                "SELECT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS DefaultName, "
                "syscolumns.name AS ColumnName, syscomments.text  FROM sysobjects INNER JOIN syscomments ON "
                "sysobjects.id=syscomments.id INNER JOIN syscolumns ON sysobjects.id=syscolumns.cdefault AND "
                "syscolumns.id=sysobjects.parent_obj INNER JOIN sysobjects AS systables ON "
                "sysobjects.parent_obj = systables.id INNER JOIN sysusers ON sysusers.uid = systables.uid WHERE "
                "sysobjects.type='D' AND systables.status>=0 AND systables.name=")
                + literal(names.table) + QStringLiteral(" AND syscolumns.name=") + literal(names.column)
                + QStringLiteral(" AND sysobjects.name=") + literal(names.defaultName) + ofOwner};
    case TableObjectDefinition:
        return Definition {QStringLiteral("Definition of ") + row.name + in,
            QStringLiteral(
                "SELECT systables.name AS TableName, sysusers.name AS Owner, sysobjects.name AS CheckName, "
                "syscomments.text  FROM sysobjects INNER JOIN syscomments ON sysobjects.id=syscomments.id INNER "
                "JOIN sysobjects AS systables ON sysobjects.parent_obj = systables.id INNER JOIN sysusers ON "
                "sysusers.uid = systables.uid WHERE  systables.name=")
                + literal(names.table) + QStringLiteral(" AND sysobjects.name=") + literal(names.object) + ofOwner};
    case ObjectDefinition:
        return Definition {QStringLiteral("Definition of ") + row.name + in,
            QStringLiteral("SELECT sysobjects.name AS TriggerName, sysusers.name AS TableOwner, syscomments.text  FROM "
                           "sysobjects INNER JOIN syscomments ON sysobjects.id=syscomments.id INNER JOIN sysusers ON "
                           "sysobjects.uid=sysusers.uid WHERE  sysobjects.name=")
                + literal(names.object) + ofOwner};
    default:
        return std::nullopt;
    }
}

void writeDefinition(Connection &connection, const Definition &definition, TKsStringOutput &output)
{
    auto records = ExecuteSql(connection, definition.sql);
    for (; !records->eof(); records->moveNext())
        output.WriteLn(bareLfToCrLf(records->text(QStringLiteral("TEXT"))));
    records->close();
}

} // namespace ks::mssql
