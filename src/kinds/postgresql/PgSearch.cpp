#include "kinds/postgresql/PgSearch.h"

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsConnection.h"
#include "text/KsStringOutput.h"

#include <functional>
#include <utility>

namespace ks::postgresql {
namespace {

// Every text from the user or a row reaches the server through here, as an
// escape string literal: it means the same whatever standard_conforming_strings
// says, and no apostrophe or backslash can end it early.
QString literal(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\"));
    escaped.replace(u'\'', QStringLiteral("''"));
    return QStringLiteral("E'") + escaped + u'\'';
}

// Whether the schema named by `column` is one a search leaves out unless
// asked for system schemas.
QString isSystemSchema(const QString &column)
{
    return column + QStringLiteral(" ~ '^(pg_catalog$|information_schema$|pg_toast|pg_temp_)'");
}

// The schemas a search looks in, as a condition on pg_namespace.nspname.
QString schemaCondition(const SearchRequest &request)
{
    if (!request.schema.isEmpty())
        return QStringLiteral("nspname = ") + literal(request.schema);
    if (request.systemSchemas)
        return QStringLiteral("true");
    return QStringLiteral("NOT ") + isSystemSchema(QStringLiteral("nspname"));
}

// How a statement's found objects are narrowed by their searched text: a
// search's LIKE test, or none for a snapshot, which takes them all.
using LikeTest = std::function<QString(const QString &column)>;

// In Pattern mode "%" and "_" of the search text are wildcards; no
// character escapes them, so a backslash is matched as itself. The other
// modes escape them with a backslash where the text holds them.
QString likeTest(const QString &column, const SearchRequest &request)
{
    const SearchMatcher matcher = searchMatcher(request);
    return column + (request.ignoreCase ? QStringLiteral(" ILIKE ") : QStringLiteral(" LIKE "))
        + literal(u'%' + matcher.likeText(LikeEngine::Postgres) + u'%')
        + (matcher.likeEscapes(LikeEngine::Postgres) ? QStringLiteral(" ESCAPE E'\\\\'")
                                                     : QStringLiteral(" ESCAPE ''"));
}

// Whether the program decides the match, and so needs the text matched.
bool clientDecides(const SearchRequest &request)
{
    return !searchMatcher(request).serverDecides();
}

// The schema an object belongs to, unquoted, from pg_identify_object's `o`
// (which quotes it) and pg_identify_object_as_address's `a`: triggers, rules
// and policies have no schema of their own, and the first part of their
// address is their table's, as a schema's own address is its name.
QString schemaOf(const QString &o, const QString &a)
{
    return QStringLiteral("CASE WHEN %1.schema IS NULL THEN %2.object_names[1] ELSE (SELECT nspname FROM "
                          "pg_namespace WHERE quote_ident(nspname) = %1.schema) END")
        .arg(o, a);
}

// Found objects m(cls, objid, sub, type, def, what, nsp, searched) named as
// their users write them, by pg_identify_object, in name order. A snapshot
// (`capture`) takes them all with what its file's search narrows and orders
// them by: their schema's name, whether that is a system schema, the text
// searched and their place in the order.
QString statement(const SearchRequest &request, const QString &found, const QString &capturedSchema = QString())
{
    const QString select = QStringLiteral("WITH n AS (SELECT oid, nspname FROM pg_namespace WHERE ")
        + schemaCondition(request) + QStringLiteral("), m AS (") + found
        + QStringLiteral(") SELECT o.identity, m.type, ") + schemaOf(QStringLiteral("o"), QStringLiteral("a"))
        + QStringLiteral(" AS schema, m.cls::regclass::text AS cls, m.objid, m.sub, m.def, m.what");
    const QString from = QStringLiteral(" FROM m CROSS JOIN LATERAL pg_identify_object(m.cls, m.objid, m.sub) o "
                                        "CROSS JOIN LATERAL pg_identify_object_as_address(m.cls, m.objid, m.sub) a");
    if (capturedSchema.isEmpty())
        return select + (clientDecides(request) ? QStringLiteral(", m.searched") : QString()) + from
            + QStringLiteral(" ORDER BY 1, 2");
    return select + u',' + capturedSchema + QStringLiteral(" AS nspname, coalesce(") + isSystemSchema(capturedSchema)
        + QStringLiteral(", false)::int AS is_system, m.searched, row_number() OVER (ORDER BY o.identity, m.type) "
                         "AS ord")
        + from;
}

// The schema name of a found object's namespace `m.nsp`, for a snapshot.
const QString kNamespaceName = QStringLiteral("(SELECT nspname FROM pg_namespace WHERE oid = m.nsp)");

const QString kInSchemas = QStringLiteral(" IN (SELECT oid FROM n)");

// The named objects in the schemas n whose names pass `like`.
QString namesFound(const LikeTest &like)
{
    const QString found = QStringLiteral(
        "SELECT 'pg_class'::regclass AS cls, c.oid AS objid, 0 AS sub, CASE c.relkind WHEN 'r' THEN 'Table' "
        "WHEN 'p' THEN 'Partitioned Table' WHEN 'v' THEN 'View' WHEN 'm' THEN 'Materialized View' "
        "WHEN 'S' THEN 'Sequence' WHEN 'f' THEN 'Foreign Table' WHEN 't' THEN 'TOAST Table' ELSE 'Index' END AS type, "
        "CASE WHEN c.relkind IN ('v', 'm') THEN 'view' WHEN c.relkind IN ('i', 'I') THEN 'index' ELSE '' END AS def, "
        "c.relnamespace AS nsp, c.relname AS searched "
        "FROM pg_class c WHERE c.relnamespace %1 AND c.relkind <> 'c' AND %2 "
        "UNION ALL SELECT 'pg_proc'::regclass, p.oid, 0, CASE p.prokind WHEN 'p' THEN 'Procedure' "
        "WHEN 'a' THEN 'Aggregate' WHEN 'w' THEN 'Window Function' ELSE 'Function' END, "
        "CASE p.prokind WHEN 'a' THEN 'aggregate' ELSE 'function' END, p.pronamespace, p.proname "
        "FROM pg_proc p WHERE p.pronamespace %1 AND %3 "
        "UNION ALL SELECT 'pg_type'::regclass, t.oid, 0, CASE t.typtype WHEN 'd' THEN 'Domain' WHEN 'e' THEN 'Enum "
        "Type' "
        "WHEN 'c' THEN 'Composite Type' WHEN 'r' THEN 'Range Type' WHEN 'm' THEN 'Multirange Type' ELSE 'Type' END, "
        "'', "
        "t.typnamespace, t.typname FROM pg_type t WHERE t.typnamespace %1 AND t.typtype <> 'p' AND %4 "
        // Neither the array type nor the row type every table has.
        "AND NOT EXISTS (SELECT 1 FROM pg_type e WHERE e.typarray = t.oid) "
        "AND (t.typrelid = 0 OR EXISTS (SELECT 1 FROM pg_class r WHERE r.oid = t.typrelid AND r.relkind = 'c')) "
        "UNION ALL SELECT 'pg_trigger'::regclass, t.oid, 0, 'Trigger', 'trigger', c.relnamespace, t.tgname "
        "FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid WHERE c.relnamespace %1 AND NOT t.tgisinternal AND %5 "
        "UNION ALL SELECT 'pg_constraint'::regclass, co.oid, 0, CASE co.contype WHEN 'c' THEN 'Check Constraint' "
        "WHEN 'f' THEN 'Foreign Key' WHEN 'p' THEN 'Primary Key' WHEN 'u' THEN 'Unique Constraint' "
        "WHEN 'x' THEN 'Exclusion Constraint' WHEN 't' THEN 'Constraint Trigger' ELSE 'Constraint' END, 'constraint', "
        "co.connamespace, co.conname FROM pg_constraint co WHERE co.connamespace %1 AND %6 "
        "UNION ALL SELECT 'pg_rewrite'::regclass, r.oid, 0, 'Rule', 'rule', c.relnamespace, r.rulename "
        "FROM pg_rewrite r JOIN pg_class c ON c.oid = r.ev_class WHERE c.relnamespace %1 AND r.rulename <> '_RETURN' "
        "AND %7 "
        "UNION ALL SELECT 'pg_policy'::regclass, po.oid, 0, 'Policy', 'policy', c.relnamespace, po.polname "
        "FROM pg_policy po JOIN pg_class c ON c.oid = po.polrelid WHERE c.relnamespace %1 AND %8 "
        "UNION ALL SELECT 'pg_class'::regclass, c.oid, a.attnum, 'Column', '', c.relnamespace, a.attname "
        "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid WHERE c.relnamespace %1 "
        "AND c.relkind IN ('r', 'p', 'v', 'm', 'f', 'c') AND a.attnum > 0 AND NOT a.attisdropped AND %9")
                              .arg(kInSchemas, like(QStringLiteral("c.relname")), like(QStringLiteral("p.proname")),
                                  like(QStringLiteral("t.typname")), like(QStringLiteral("t.tgname")),
                                  like(QStringLiteral("co.conname")), like(QStringLiteral("r.rulename")),
                                  like(QStringLiteral("po.polname")), like(QStringLiteral("a.attname")));
    return QStringLiteral("SELECT cls, objid, sub, type, def, type || ' Name' AS what, nsp, searched FROM (") + found
        + QStringLiteral(") names");
}

QString namesStatement(const SearchRequest &request)
{
    return statement(request, namesFound([&request](const QString &column) { return likeTest(column, request); }));
}

// The searchable bodies of the objects in the schemas n whose bodies pass `like`.
QString bodiesFound(const LikeTest &like)
{
    const QString found = QStringLiteral(
        "SELECT 'pg_class'::regclass AS cls, c.oid AS objid, 0 AS sub, "
        "CASE c.relkind WHEN 'v' THEN 'View' ELSE 'Materialized View' END AS type, 'view' AS def, "
        "'Definition' AS what, c.relnamespace AS nsp, pg_get_viewdef(c.oid) AS body FROM pg_class c "
        "WHERE c.relnamespace %1 AND c.relkind IN ('v', 'm') "
        "UNION ALL SELECT 'pg_proc'::regclass, p.oid, 0, CASE p.prokind WHEN 'p' THEN 'Procedure' "
        "WHEN 'w' THEN 'Window Function' ELSE 'Function' END, 'function', 'Source', p.pronamespace, p.prosrc "
        "FROM pg_proc p WHERE p.pronamespace %1 AND p.prokind <> 'a' "
        "UNION ALL SELECT 'pg_trigger'::regclass, t.oid, 0, 'Trigger', 'trigger', 'Definition', c.relnamespace, "
        "pg_get_triggerdef(t.oid) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
        "WHERE c.relnamespace %1 AND NOT t.tgisinternal "
        "UNION ALL SELECT 'pg_constraint'::regclass, co.oid, 0, 'Check Constraint', 'constraint', 'Definition', "
        "co.connamespace, pg_get_constraintdef(co.oid) FROM pg_constraint co WHERE co.connamespace %1 "
        "AND co.contype = 'c' "
        // A default is named by its column; the row fetches it by table and column number.
        "UNION ALL SELECT 'pg_class'::regclass, d.adrelid, d.adnum, 'Column', 'default', 'Default', c.relnamespace, "
        "pg_get_expr(d.adbin, d.adrelid) FROM pg_attrdef d JOIN pg_class c ON c.oid = d.adrelid "
        "WHERE c.relnamespace %1 "
        "UNION ALL SELECT 'pg_class'::regclass, c.oid, 0, 'Index', 'index', 'Definition', c.relnamespace, "
        "pg_get_indexdef(c.oid) FROM pg_class c WHERE c.relnamespace %1 AND c.relkind IN ('i', 'I') "
        "UNION ALL SELECT 'pg_rewrite'::regclass, r.oid, 0, 'Rule', 'rule', 'Definition', c.relnamespace, "
        "pg_get_ruledef(r.oid) FROM pg_rewrite r JOIN pg_class c ON c.oid = r.ev_class WHERE c.relnamespace %1 "
        "AND r.rulename <> '_RETURN' "
        "UNION ALL SELECT 'pg_policy'::regclass, po.oid, 0, 'Policy', 'policy', 'Expression', c.relnamespace, "
        "concat_ws(' ', pg_get_expr(po.polqual, po.polrelid), pg_get_expr(po.polwithcheck, po.polrelid)) "
        "FROM pg_policy po JOIN pg_class c ON c.oid = po.polrelid WHERE c.relnamespace %1")
                              .arg(kInSchemas);
    return QStringLiteral("SELECT cls, objid, sub, type, def, type || ' ' || what AS what, nsp, body AS searched "
                          "FROM (")
        + found + QStringLiteral(") bodies WHERE ") + like(QStringLiteral("body"));
}

QString definitionsStatement(const SearchRequest &request)
{
    return statement(request, bodiesFound([&request](const QString &column) { return likeTest(column, request); }));
}

// The comments whose text passes `like` on objects in the schemas n; `nsp`
// is the schema's name.
QString commentsFound(const LikeTest &like)
{
    // Comments on schemas count as in the schema they are on.
    const QString schema = schemaOf(QStringLiteral("i"), QStringLiteral("ia"));
    return QStringLiteral(
        "SELECT d.classoid AS cls, d.objoid AS objid, d.objsubid AS sub, "
        "CASE WHEN i.type LIKE '% column' THEN 'Column' ELSE initcap(i.type) END AS type, 'comment' AS def, "
        "CASE WHEN i.type LIKE '% column' THEN 'Column' ELSE initcap(i.type) END || ' Comment' AS what, "
        "%3 AS nsp, d.description AS searched "
        "FROM pg_description d CROSS JOIN LATERAL pg_identify_object(d.classoid, d.objoid, d.objsubid) i "
        "CROSS JOIN LATERAL pg_identify_object_as_address(d.classoid, d.objoid, d.objsubid) ia "
        "WHERE %1 AND %2 IN (SELECT nspname FROM n)")
        .arg(like(QStringLiteral("d.description")), schema, schema);
}

QString commentsStatement(const SearchRequest &request)
{
    return statement(request, commentsFound([&request](const QString &column) { return likeTest(column, request); }));
}

// A text as an SQLite string literal, for the statements on a catalogue file.
QString fileLiteral(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\'', QStringLiteral("''"));
    return u'\'' + escaped + u'\'';
}

// The snapshot tables of the named objects, the bodies and the comments: what
// each search statement finds with its key, what its file form narrows by,
// and its place in the statement's order.
const QString kNamesTable = QStringLiteral("pgcat_names");
const QString kBodiesTable = QStringLiteral("pgcat_bodies");
const QString kCommentsTable = QStringLiteral("pgcat_comments");
const QString kSchemasTable = QStringLiteral("pgcat_schemas");
const QString kDefinitionsTable = QStringLiteral("pgcat_definitions");

// A LIKE pattern of PostgreSQL's, "%" and "_" its only wildcards, as an
// SQLite GLOB pattern, which respects letter case; `ignoreCase` matches ASCII
// letters of either case, as ILIKE does on the columns the search statements
// compare: names, catalogue texts and their unions, all of collation "C",
// where PostgreSQL lower-cases ASCII letters only.
// With `escapes`, a backslash makes the character after it stand for itself.
QString globPattern(const QString &like, bool ignoreCase, bool escapes)
{
    QString glob;
    glob.reserve(like.size() * 2);
    bool escaped = false;
    for (const QChar c : like) {
        if (escapes && !escaped && c == u'\\') {
            escaped = true;
            continue;
        }
        const bool literal = std::exchange(escaped, false);
        if (literal && (c == u'%' || c == u'_'))
            glob += c;
        else if (c == u'%')
            glob += u'*';
        else if (c == u'_')
            glob += u'?';
        else if (c == u'*' || c == u'?' || c == u'[')
            glob += u'[' + QString(c) + u']';
        else if (ignoreCase && c.unicode() < 128 && c.isLetter())
            glob += u'[' + QString(c.toLower()) + c.toUpper() + u']';
        else
            glob += c;
    }
    return glob;
}

// The statement on a catalogue file that finds in `table` what the server's
// statement finds, in the same order: the file keeps the server's names,
// schemas and order, and compares as the server's LIKE and ILIKE do.
QString fileStatement(const SearchRequest &request, const QString &table)
{
    QString schemas = QStringLiteral("is_system = 0");
    if (!request.schema.isEmpty())
        schemas = QStringLiteral("nspname = ") + fileLiteral(request.schema);
    else if (request.systemSchemas)
        schemas = QStringLiteral("1");
    const SearchMatcher matcher = searchMatcher(request);
    const QString like = QStringLiteral("searched GLOB ")
        + fileLiteral(globPattern(u'%' + matcher.likeText(LikeEngine::Postgres) + u'%', request.ignoreCase,
            matcher.likeEscapes(LikeEngine::Postgres)));
    return QStringLiteral("SELECT identity, type, schema, cls, objid, sub, def, what")
        + (clientDecides(request) ? QStringLiteral(", searched FROM ") : QStringLiteral(" FROM ")) + table
        + QStringLiteral(" WHERE ") + schemas + QStringLiteral(" AND ") + like + QStringLiteral(" ORDER BY ord");
}

// The statement whose one text column is the definition `def` of the object
// {cls} (its system catalogue) {oid} {sub}, or none for a def that has none.
std::optional<QString> definitionTemplate(const QString &def)
{
    if (def == QStringLiteral("comment"))
        return QStringLiteral(
            "SELECT description FROM pg_description WHERE classoid = {cls} AND objoid = {oid} AND objsubid = {sub}");
    if (def == QStringLiteral("view"))
        return QStringLiteral("SELECT pg_get_viewdef({oid}, true)");
    if (def == QStringLiteral("function"))
        return QStringLiteral("SELECT pg_get_functiondef({oid})");
    if (def == QStringLiteral("trigger"))
        return QStringLiteral("SELECT pg_get_triggerdef({oid}, true)");
    if (def == QStringLiteral("constraint"))
        return QStringLiteral("SELECT pg_get_constraintdef({oid}, true)");
    if (def == QStringLiteral("index"))
        return QStringLiteral("SELECT pg_get_indexdef({oid})");
    if (def == QStringLiteral("rule"))
        return QStringLiteral("SELECT pg_get_ruledef({oid}, true)");
    if (def == QStringLiteral("default"))
        return QStringLiteral("SELECT pg_get_expr(adbin, adrelid) FROM pg_attrdef WHERE adrelid = {oid} "
                              "AND adnum = {sub}");
    if (def == QStringLiteral("policy"))
        return QStringLiteral("SELECT format('CREATE POLICY %I ON %s', polname, polrelid::regclass) "
                              "|| coalesce(E'\\n    USING (' || pg_get_expr(polqual, polrelid) || ')', '') "
                              "|| coalesce(E'\\n    WITH CHECK (' || pg_get_expr(polwithcheck, polrelid) || ')', '') "
                              "|| ';' FROM pg_policy WHERE oid = {oid}");
    if (def == QStringLiteral("aggregate"))
        // PostgreSQL has no function that writes an aggregate back; this is what pg_aggregate holds.
        return QStringLiteral(
            "SELECT format(E'CREATE AGGREGATE %s (\\n    SFUNC = %s,\\n    STYPE = %s', "
            "a.aggfnoid::regprocedure, "
            "a.aggtransfn::regproc, format_type(a.aggtranstype, NULL)) "
            "|| CASE WHEN a.aggfinalfn <> 0 THEN E',\\n    FINALFUNC = ' || a.aggfinalfn::regproc ELSE '' END "
            "|| CASE WHEN a.aggcombinefn <> 0 THEN E',\\n    COMBINEFUNC = ' || a.aggcombinefn::regproc ELSE '' "
            "END || coalesce(E',\\n    INITCOND = ' || quote_literal(a.agginitval), '') || E'\\n);' "
            "FROM pg_aggregate a WHERE a.aggfnoid = {oid}");
    return std::nullopt;
}

const QStringList kDefinitionKinds {QStringLiteral("comment"), QStringLiteral("view"), QStringLiteral("function"),
    QStringLiteral("trigger"), QStringLiteral("constraint"), QStringLiteral("index"), QStringLiteral("rule"),
    QStringLiteral("default"), QStringLiteral("policy"), QStringLiteral("aggregate")};

// What a snapshot reads from the server into `table`: everything the search
// statements would find in any schema, and the definition behind every key
// they hand out, written by the server as a definition fetch writes it.
std::optional<QString> captureStatement(const QString &table)
{
    SearchRequest everything;
    everything.systemSchemas = true;
    const LikeTest all = [](const QString &) { return QStringLiteral("true"); };
    const QString nspname = QStringLiteral("(SELECT nspname FROM pg_namespace WHERE oid = m.nsp)");
    if (table == kSchemasTable)
        return QStringLiteral("SELECT nspname, (") + isSystemSchema(QStringLiteral("nspname"))
            + QStringLiteral(")::int AS is_system, row_number() OVER (ORDER BY nspname) AS ord FROM pg_namespace");
    if (table == kNamesTable)
        return statement(everything, namesFound(all), nspname);
    if (table == kBodiesTable)
        return statement(everything, bodiesFound(all), nspname);
    if (table == kCommentsTable)
        return statement(everything, commentsFound(all), QStringLiteral("m.nsp"));
    if (table != kDefinitionsTable)
        return std::nullopt;
    // Every key a row may carry: the named objects', the defaults' and the comments'.
    const QString sql
        = QStringLiteral("WITH n AS (SELECT oid, nspname FROM pg_namespace), k AS (SELECT cls::oid AS cls, "
                         "objid, sub, def FROM (")
        + namesFound(all)
        + QStringLiteral(") f WHERE def <> '' UNION SELECT 'pg_class'::regclass::oid, adrelid, adnum, 'default' "
                         "FROM pg_attrdef UNION SELECT classoid, objoid, objsubid, 'comment' FROM pg_description)");
    QStringList parts;
    for (const QString &def : kDefinitionKinds) {
        QString fetch = *definitionTemplate(def);
        fetch.replace(QStringLiteral("{cls}"), QStringLiteral("k.cls"))
            .replace(QStringLiteral("{oid}"), QStringLiteral("k.objid"))
            .replace(QStringLiteral("{sub}"), QStringLiteral("k.sub"));
        // A function's definition holds its source, which the bodies keep
        // already: what stands before and after it is enough.
        const bool aroundSource = def == QStringLiteral("function");
        parts << QStringLiteral("SELECT k.cls::regclass::text AS cls, k.objid, k.sub, k.def, ")
                + (aroundSource ? QStringLiteral(
                       "CASE WHEN s.at > 0 THEN NULL ELSE d.definition END AS definition, CASE WHEN s.at > 0 "
                       "THEN left(d.definition, s.at - 1) END AS before_source, CASE WHEN s.at > 0 THEN "
                       "substr(d.definition, s.at + length(p.prosrc)) END AS after_source")
                                : QStringLiteral("d.definition, NULL AS before_source, NULL AS after_source"))
                + QStringLiteral(" FROM k CROSS JOIN LATERAL (") + fetch + QStringLiteral(") d(definition) ")
                + (aroundSource ? QStringLiteral("JOIN pg_proc p ON p.oid = k.objid CROSS JOIN LATERAL "
                                                 "(SELECT strpos(d.definition, p.prosrc)) s(at) ")
                                : QString())
                + QStringLiteral("WHERE k.def = '") + def + u'\'';
    }
    return sql + u' ' + parts.join(QStringLiteral(" UNION ALL "));
}

} // namespace

SearchMatcher searchMatcher(const SearchRequest &request)
{
    return SearchMatcher(request.mode, request.searchText, request.ignoreCase, MatchCase::CaseFolded);
}

QStringList listSchemas(Connection &connection, bool systemSchemas)
{
    SearchRequest request;
    request.systemSchemas = systemSchemas;
    QStringList names;
    auto records = ExecuteSql(connection,
        connection.isCatalogueFile()
            ? QStringLiteral("SELECT nspname FROM %1 WHERE %2 ORDER BY ord")
                  .arg(kSchemasTable, systemSchemas ? QStringLiteral("1") : QStringLiteral("is_system = 0"))
            : QStringLiteral("SELECT nspname FROM pg_namespace WHERE ") + schemaCondition(request)
                + QStringLiteral(" ORDER BY 1"));
    for (; !records->eof(); records->moveNext())
        names << records->text(0);
    records->close();
    return names;
}

QList<PlannedStatement> searchStatements(const SearchRequest &request, bool fromFile)
{
    QList<PlannedStatement> statements {
        {NameRow, fromFile ? fileStatement(request, kNamesTable) : namesStatement(request)}};
    if (request.definitions)
        statements.append(
            {DefinitionRow, fromFile ? fileStatement(request, kBodiesTable) : definitionsStatement(request)});
    if (request.comments)
        statements.append({CommentRow, fromFile ? fileStatement(request, kCommentsTable) : commentsStatement(request)});
    return statements;
}

void runSearch(Connection &connection, const SearchRequest &request, const std::function<void(ResultRow)> &addRow,
    const StatementProgress &progress)
{
    const SearchMatcher matcher = searchMatcher(request);
    const bool clientMatches = !matcher.serverDecides();
    const QList<PlannedStatement> statements = searchStatements(request, connection.isCatalogueFile());
    for (int i = 0; i < statements.size(); ++i) {
        if (progress)
            progress(i + 1, int(statements.size()));
        auto records = ExecuteSql(connection, statements.at(i).sql);
        for (; !records->eof(); records->moveNext()) {
            if (clientMatches && !matcher.matches(records->text(8)))
                continue;
            ResultRow row;
            row.name = records->text(0);
            row.type = records->text(1);
            row.schema = records->text(2);
            row.comment = records->text(7);
            const QString def = records->text(6);
            row.rowKind = statements.at(i).rowKind;
            if (!def.isEmpty())
                row.key = packKey(ObjectKey {records->text(3), records->text(4), records->text(5), def, row.schema});
            addRow(std::move(row));
        }
        records->close();
    }
}

std::optional<QString> definitionStatement(const ResultRow &row, bool fromFile)
{
    if (!row.key)
        return std::nullopt;
    const ObjectKey key = unpackKey<ObjectKey>(row.key);
    bool oidRead = false;
    bool subRead = false;
    const QString oid = QString::number(key.oid.toUInt(&oidRead));
    const QString sub = QString::number(key.subId.toInt(&subRead));
    std::optional<QString> sql = definitionTemplate(key.what);
    if (!oidRead || !subRead || !sql)
        return std::nullopt;
    if (fromFile)
        return QStringLiteral("SELECT coalesce(d.definition, d.before_source || (SELECT b.searched FROM %1 b "
                              "WHERE b.objid = d.objid AND b.def = d.def AND b.cls = d.cls) || d.after_source) "
                              "FROM %2 d WHERE d.objid = %3 AND d.sub = %4 AND d.def = %5 AND d.cls = %6 "
                              "ORDER BY d.rowid")
            .arg(kBodiesTable, kDefinitionsTable, oid, sub, fileLiteral(key.what), fileLiteral(key.catalogue));
    sql->replace(QStringLiteral("{cls}"), literal(key.catalogue) + QStringLiteral("::regclass"))
        .replace(QStringLiteral("{oid}"), oid)
        .replace(QStringLiteral("{sub}"), sub);
    return sql;
}

QString snapshotSchema()
{
    QString schema;
    for (const QString &table : {kNamesTable, kBodiesTable, kCommentsTable})
        schema += QStringLiteral("CREATE TABLE %1 (identity TEXT, type TEXT, schema TEXT, cls TEXT, objid INTEGER, "
                                 "sub INTEGER, def TEXT, what TEXT, nspname TEXT, is_system INTEGER, searched TEXT, "
                                 "ord INTEGER);\n")
                      .arg(table);
    return schema
        + QStringLiteral("CREATE TABLE %1 (nspname TEXT, is_system INTEGER, ord INTEGER);\n"
                         // A function's definition is the text around its source, which %3 holds.
                         "CREATE TABLE %2 (cls TEXT, objid INTEGER, sub INTEGER, def TEXT, definition TEXT, "
                         "before_source TEXT, after_source TEXT);\n"
                         "CREATE INDEX %2_key ON %2 (objid, sub, def);\n"
                         "CREATE INDEX %3_key ON %3 (objid, def);\n")
              .arg(kSchemasTable, kDefinitionsTable, kBodiesTable);
}

std::optional<QString> snapshotStatement(const QString &table, const QStringList &columns)
{
    const std::optional<QString> capture = captureStatement(table);
    if (!capture)
        return std::nullopt;
    return QStringLiteral("SELECT ") + columns.join(QStringLiteral(", ")) + QStringLiteral(" FROM (") + *capture
        + QStringLiteral(") captured");
}

void writeDefinition(Connection &connection, const QString &sql, TKsStringOutput &output)
{
    auto records = ExecuteSql(connection, sql);
    for (; !records->eof(); records->moveNext())
        output.WriteLn(bareLfToCrLf(records->text(0)));
    records->close();
}

} // namespace ks::postgresql
