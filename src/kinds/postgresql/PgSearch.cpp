#include "kinds/postgresql/PgSearch.h"

#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "text/KsStringOutput.h"

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

// The schemas a search looks in, as a condition on pg_namespace.nspname.
QString schemaCondition(const SearchRequest &request)
{
    if (!request.schema.isEmpty())
        return QStringLiteral("nspname = ") + literal(request.schema);
    if (request.systemSchemas)
        return QStringLiteral("true");
    return QStringLiteral("nspname !~ '^(pg_catalog$|information_schema$|pg_toast|pg_temp_)'");
}

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
    return request.mode == MatchMode::Word || request.mode == MatchMode::RegularExpression;
}

// `sql` with `column AS hit` put before the `from` that comes last before
// `before` (the catalogue's FROM, not a subquery's), where the program
// decides the match.
QString withHit(QString sql, const SearchRequest &request, const QString &before, const QString &column,
    const QString &fromClause = QStringLiteral(" FROM pg_"))
{
    if (!clientDecides(request))
        return sql;
    const qsizetype from = sql.lastIndexOf(fromClause, sql.indexOf(before));
    return sql.insert(from, QStringLiteral(", ") + column + QStringLiteral(" AS hit"));
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

// Found objects m(cls, objid, sub, type, def, what[, body]) named as their
// users write them, by pg_identify_object; `where` filters m.
QString statement(const SearchRequest &request, const QString &found, const QString &where = QString())
{
    const QString hit = clientDecides(request) ? QStringLiteral(", m.hit") : QString();
    return QStringLiteral("WITH n AS (SELECT oid, nspname FROM pg_namespace WHERE ") + schemaCondition(request)
        + QStringLiteral("), m AS (") + found + QStringLiteral(") SELECT o.identity, m.type, ")
        + schemaOf(QStringLiteral("o"), QStringLiteral("a"))
        + QStringLiteral(", m.cls::regclass::text, m.objid, m.sub, m.def, m.what") + hit
        + QStringLiteral(" FROM m CROSS JOIN LATERAL "
                         "pg_identify_object(m.cls, m.objid, m.sub) o CROSS JOIN LATERAL "
                         "pg_identify_object_as_address(m.cls, m.objid, m.sub) a ")
        + where + QStringLiteral(" ORDER BY 1, 2");
}

const QString kInSchemas = QStringLiteral(" IN (SELECT oid FROM n)");

QString namesStatement(const SearchRequest &request)
{
    const auto like = [&request](const QString &column) { return likeTest(column, request); };
    QString found = QStringLiteral(
        "SELECT 'pg_class'::regclass AS cls, c.oid AS objid, 0 AS sub, CASE c.relkind WHEN 'r' THEN 'Table' "
        "WHEN 'p' THEN 'Partitioned Table' WHEN 'v' THEN 'View' WHEN 'm' THEN 'Materialized View' "
        "WHEN 'S' THEN 'Sequence' WHEN 'f' THEN 'Foreign Table' WHEN 't' THEN 'TOAST Table' ELSE 'Index' END AS type, "
        "CASE WHEN c.relkind IN ('v', 'm') THEN 'view' WHEN c.relkind IN ('i', 'I') THEN 'index' ELSE '' END AS def "
        "FROM pg_class c WHERE c.relnamespace %1 AND c.relkind <> 'c' AND %2 "
        "UNION ALL SELECT 'pg_proc'::regclass, p.oid, 0, CASE p.prokind WHEN 'p' THEN 'Procedure' "
        "WHEN 'a' THEN 'Aggregate' WHEN 'w' THEN 'Window Function' ELSE 'Function' END, "
        "CASE p.prokind WHEN 'a' THEN 'aggregate' ELSE 'function' END FROM pg_proc p WHERE p.pronamespace %1 AND %3 "
        "UNION ALL SELECT 'pg_type'::regclass, t.oid, 0, CASE t.typtype WHEN 'd' THEN 'Domain' WHEN 'e' THEN 'Enum "
        "Type' "
        "WHEN 'c' THEN 'Composite Type' WHEN 'r' THEN 'Range Type' WHEN 'm' THEN 'Multirange Type' ELSE 'Type' END, '' "
        "FROM pg_type t WHERE t.typnamespace %1 AND t.typtype <> 'p' AND %4 "
        // Neither the array type nor the row type every table has.
        "AND NOT EXISTS (SELECT 1 FROM pg_type e WHERE e.typarray = t.oid) "
        "AND (t.typrelid = 0 OR EXISTS (SELECT 1 FROM pg_class r WHERE r.oid = t.typrelid AND r.relkind = 'c')) "
        "UNION ALL SELECT 'pg_trigger'::regclass, t.oid, 0, 'Trigger', 'trigger' FROM pg_trigger t "
        "JOIN pg_class c ON c.oid = t.tgrelid WHERE c.relnamespace %1 AND NOT t.tgisinternal AND %5 "
        "UNION ALL SELECT 'pg_constraint'::regclass, co.oid, 0, CASE co.contype WHEN 'c' THEN 'Check Constraint' "
        "WHEN 'f' THEN 'Foreign Key' WHEN 'p' THEN 'Primary Key' WHEN 'u' THEN 'Unique Constraint' "
        "WHEN 'x' THEN 'Exclusion Constraint' WHEN 't' THEN 'Constraint Trigger' ELSE 'Constraint' END, 'constraint' "
        "FROM pg_constraint co WHERE co.connamespace %1 AND %6 "
        "UNION ALL SELECT 'pg_rewrite'::regclass, r.oid, 0, 'Rule', 'rule' FROM pg_rewrite r "
        "JOIN pg_class c ON c.oid = r.ev_class WHERE c.relnamespace %1 AND r.rulename <> '_RETURN' AND %7 "
        "UNION ALL SELECT 'pg_policy'::regclass, po.oid, 0, 'Policy', 'policy' FROM pg_policy po "
        "JOIN pg_class c ON c.oid = po.polrelid WHERE c.relnamespace %1 AND %8 "
        "UNION ALL SELECT 'pg_class'::regclass, c.oid, a.attnum, 'Column', '' FROM pg_attribute a "
        "JOIN pg_class c ON c.oid = a.attrelid WHERE c.relnamespace %1 AND c.relkind IN ('r', 'p', 'v', 'm', 'f', 'c') "
        "AND a.attnum > 0 AND NOT a.attisdropped AND %9")
                        .arg(kInSchemas, like(QStringLiteral("c.relname")), like(QStringLiteral("p.proname")),
                            like(QStringLiteral("t.typname")), like(QStringLiteral("t.tgname")),
                            like(QStringLiteral("co.conname")), like(QStringLiteral("r.rulename")),
                            like(QStringLiteral("po.polname")), like(QStringLiteral("a.attname")));
    for (const QString &column : {QStringLiteral("c.relname"), QStringLiteral("p.proname"), QStringLiteral("t.typname"),
             QStringLiteral("t.tgname"), QStringLiteral("co.conname"), QStringLiteral("r.rulename"),
             QStringLiteral("po.polname"), QStringLiteral("a.attname")})
        found = withHit(found, request, like(column), column);
    return statement(request,
        withHit(QStringLiteral("SELECT cls, objid, sub, type, def, type || ' Name' AS what FROM (") + found
                + QStringLiteral(") names"),
            request, QStringLiteral(" FROM ("), QStringLiteral("hit"), QStringLiteral(" FROM (")));
}

QString definitionsStatement(const SearchRequest &request)
{
    const QString found = QStringLiteral(
        "SELECT 'pg_class'::regclass AS cls, c.oid AS objid, 0 AS sub, "
        "CASE c.relkind WHEN 'v' THEN 'View' ELSE 'Materialized View' END AS type, 'view' AS def, "
        "'Definition' AS what, pg_get_viewdef(c.oid) AS body FROM pg_class c "
        "WHERE c.relnamespace %1 AND c.relkind IN ('v', 'm') "
        "UNION ALL SELECT 'pg_proc'::regclass, p.oid, 0, CASE p.prokind WHEN 'p' THEN 'Procedure' "
        "WHEN 'w' THEN 'Window Function' ELSE 'Function' END, 'function', 'Source', p.prosrc FROM pg_proc p "
        "WHERE p.pronamespace %1 AND p.prokind <> 'a' "
        "UNION ALL SELECT 'pg_trigger'::regclass, t.oid, 0, 'Trigger', 'trigger', 'Definition', "
        "pg_get_triggerdef(t.oid) FROM pg_trigger t JOIN pg_class c ON c.oid = t.tgrelid "
        "WHERE c.relnamespace %1 AND NOT t.tgisinternal "
        "UNION ALL SELECT 'pg_constraint'::regclass, co.oid, 0, 'Check Constraint', 'constraint', 'Definition', "
        "pg_get_constraintdef(co.oid) FROM pg_constraint co WHERE co.connamespace %1 AND co.contype = 'c' "
        // A default is named by its column; the row fetches it by table and column number.
        "UNION ALL SELECT 'pg_class'::regclass, d.adrelid, d.adnum, 'Column', 'default', 'Default', "
        "pg_get_expr(d.adbin, d.adrelid) FROM pg_attrdef d JOIN pg_class c ON c.oid = d.adrelid "
        "WHERE c.relnamespace %1 "
        "UNION ALL SELECT 'pg_class'::regclass, c.oid, 0, 'Index', 'index', 'Definition', pg_get_indexdef(c.oid) "
        "FROM pg_class c WHERE c.relnamespace %1 AND c.relkind IN ('i', 'I') "
        "UNION ALL SELECT 'pg_rewrite'::regclass, r.oid, 0, 'Rule', 'rule', 'Definition', pg_get_ruledef(r.oid) "
        "FROM pg_rewrite r JOIN pg_class c ON c.oid = r.ev_class WHERE c.relnamespace %1 AND r.rulename <> '_RETURN' "
        "UNION ALL SELECT 'pg_policy'::regclass, po.oid, 0, 'Policy', 'policy', 'Expression', "
        "concat_ws(' ', pg_get_expr(po.polqual, po.polrelid), pg_get_expr(po.polwithcheck, po.polrelid)) "
        "FROM pg_policy po JOIN pg_class c ON c.oid = po.polrelid WHERE c.relnamespace %1")
                              .arg(kInSchemas);
    return statement(request,
        withHit(QStringLiteral("SELECT cls, objid, sub, type, def, type || ' ' || what AS what FROM (") + found
                + QStringLiteral(") bodies WHERE ") + likeTest(QStringLiteral("body"), request),
            request, QStringLiteral(" FROM ("), QStringLiteral("body"), QStringLiteral(" FROM (")));
}

QString commentsStatement(const SearchRequest &request)
{
    // Comments on schemas count as in the schema they are on.
    const QString found = QStringLiteral(
        "SELECT d.classoid AS cls, d.objoid AS objid, d.objsubid AS sub, "
        "CASE WHEN i.type LIKE '% column' THEN 'Column' ELSE initcap(i.type) END AS type, 'comment' AS def, "
        "CASE WHEN i.type LIKE '% column' THEN 'Column' ELSE initcap(i.type) END || ' Comment' AS what "
        "FROM pg_description d CROSS JOIN LATERAL pg_identify_object(d.classoid, d.objoid, d.objsubid) i "
        "CROSS JOIN LATERAL pg_identify_object_as_address(d.classoid, d.objoid, d.objsubid) ia "
        "WHERE %1 AND %2 IN (SELECT nspname FROM n)")
                              .arg(likeTest(QStringLiteral("d.description"), request),
                                  schemaOf(QStringLiteral("i"), QStringLiteral("ia")));
    return statement(
        request, withHit(found, request, QStringLiteral(" FROM pg_description"), QStringLiteral("d.description")));
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
        QStringLiteral("SELECT nspname FROM pg_namespace WHERE ") + schemaCondition(request)
            + QStringLiteral(" ORDER BY 1"));
    for (; !records->eof(); records->moveNext())
        names << records->text(0);
    records->close();
    return names;
}

QList<PlannedStatement> searchStatements(const SearchRequest &request)
{
    QList<PlannedStatement> statements {{NameRow, namesStatement(request)}};
    if (request.definitions)
        statements.append({DefinitionRow, definitionsStatement(request)});
    if (request.comments)
        statements.append({CommentRow, commentsStatement(request)});
    return statements;
}

void runSearch(Connection &connection, const SearchRequest &request, const std::function<void(ResultRow)> &addRow,
    const StatementProgress &progress)
{
    const SearchMatcher matcher = searchMatcher(request);
    const QList<PlannedStatement> statements = searchStatements(request);
    for (int i = 0; i < statements.size(); ++i) {
        if (progress)
            progress(i + 1, int(statements.size()));
        auto records = ExecuteSql(connection, statements.at(i).sql);
        for (; !records->eof(); records->moveNext()) {
            if (clientDecides(request) && !matcher.matches(records->text(8)))
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

std::optional<QString> definitionStatement(const ResultRow &row)
{
    if (!row.key)
        return std::nullopt;
    const ObjectKey key = unpackKey<ObjectKey>(row.key);
    bool oidRead = false;
    bool subRead = false;
    const QString oid = QString::number(key.oid.toUInt(&oidRead));
    const QString sub = QString::number(key.subId.toInt(&subRead));
    if (!oidRead || !subRead)
        return std::nullopt;
    const QString &def = key.what;
    if (def == QStringLiteral("comment"))
        return QStringLiteral("SELECT description FROM pg_description WHERE classoid = ") + literal(key.catalogue)
            + QStringLiteral("::regclass AND objoid = ") + oid + QStringLiteral(" AND objsubid = ") + sub;
    if (def == QStringLiteral("view"))
        return QStringLiteral("SELECT pg_get_viewdef(%1, true)").arg(oid);
    if (def == QStringLiteral("function"))
        return QStringLiteral("SELECT pg_get_functiondef(%1)").arg(oid);
    if (def == QStringLiteral("trigger"))
        return QStringLiteral("SELECT pg_get_triggerdef(%1, true)").arg(oid);
    if (def == QStringLiteral("constraint"))
        return QStringLiteral("SELECT pg_get_constraintdef(%1, true)").arg(oid);
    if (def == QStringLiteral("index"))
        return QStringLiteral("SELECT pg_get_indexdef(%1)").arg(oid);
    if (def == QStringLiteral("rule"))
        return QStringLiteral("SELECT pg_get_ruledef(%1, true)").arg(oid);
    if (def == QStringLiteral("default"))
        return QStringLiteral("SELECT pg_get_expr(adbin, adrelid) FROM pg_attrdef WHERE adrelid = %1 AND adnum = %2")
            .arg(oid, sub);
    if (def == QStringLiteral("policy"))
        return QStringLiteral("SELECT format('CREATE POLICY %I ON %s', polname, polrelid::regclass) "
                              "|| coalesce(E'\\n    USING (' || pg_get_expr(polqual, polrelid) || ')', '') "
                              "|| coalesce(E'\\n    WITH CHECK (' || pg_get_expr(polwithcheck, polrelid) || ')', '') "
                              "|| ';' FROM pg_policy WHERE oid = ")
            + oid;
    if (def == QStringLiteral("aggregate"))
        // PostgreSQL has no function that writes an aggregate back; this is what pg_aggregate holds.
        return QStringLiteral(
                   "SELECT format(E'CREATE AGGREGATE %s (\\n    SFUNC = %s,\\n    STYPE = %s', "
                   "a.aggfnoid::regprocedure, "
                   "a.aggtransfn::regproc, format_type(a.aggtranstype, NULL)) "
                   "|| CASE WHEN a.aggfinalfn <> 0 THEN E',\\n    FINALFUNC = ' || a.aggfinalfn::regproc ELSE '' END "
                   "|| CASE WHEN a.aggcombinefn <> 0 THEN E',\\n    COMBINEFUNC = ' || a.aggcombinefn::regproc ELSE '' "
                   "END || coalesce(E',\\n    INITCOND = ' || quote_literal(a.agginitval), '') || E'\\n);' "
                   "FROM pg_aggregate a WHERE a.aggfnoid = ")
            + oid;
    return std::nullopt;
}

void writeDefinition(Connection &connection, const QString &sql, TKsStringOutput &output)
{
    auto records = ExecuteSql(connection, sql);
    for (; !records->eof(); records->moveNext())
        output.WriteLn(bareLfToCrLf(records->text(0)));
    records->close();
}

} // namespace ks::postgresql
