// Times single catalogue statements with the dialect's registered functions
// against SQLite's built-in ones on the large generated catalogue: UPPER and
// INITCAP of the Oracle dialect, and the SQL Server dialect's LIKE (letter
// case ignored, "[...]" sets) against SQLite's default LIKE, which ignores the
// case of a to z. The catalogue's comments carry non-ASCII text, so the
// comment rows show what the way for non-ASCII text costs.
//
//   bench_dialect_functions [catalogue] [word: only the statements whose name holds it]

#include "BenchReference.h"

#include "db/KsFileDialect.h"
#include "kinds/mssql/MsSqlFileDialect.h"
#include "kinds/oracle/OracleFileDialect.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTextStream>

#include <sqlite3.h>

#include <cstdio>

#ifndef QUILLMERE_LARGE_CATALOGUE
#define QUILLMERE_LARGE_CATALOGUE ""
#endif

namespace {

constexpr int Runs = 15;

qint64 withDialect(const QString &file, const QString &statement, ks::FileDialect dialect)
{
    qint64 rows = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("dialect"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            qFatal("cannot open %s", qPrintable(file));
        dialect(ks::sqliteHandle(db));
        rows = ks::bench::stepThrough(*static_cast<sqlite3 *const *>(db.driver()->handle().constData()), {statement});
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("dialect"));
    return rows;
}

struct Case {
    const char *what;
    ks::FileDialect dialect;
    ks::bench::BuiltinLike builtin;
    const char *sql;
};

const Case kCases[] = {
    {"UPPER of column names", &ks::oracle::installFileDialect, ks::bench::BuiltinLike::CaseSensitive,
        "SELECT count(*) FROM DBA_TAB_COLUMNS WHERE UPPER(COLUMN_NAME) LIKE '%ZZZ%'"},
    {"UPPER of comments, some non-ASCII", &ks::oracle::installFileDialect, ks::bench::BuiltinLike::CaseSensitive,
        "SELECT count(*) FROM DBA_COL_COMMENTS WHERE UPPER(COMMENTS) LIKE '%ZZZ%'"},
    {"UPPER of source lines", &ks::oracle::installFileDialect, ks::bench::BuiltinLike::CaseSensitive,
        "SELECT count(*) FROM DBA_SOURCE WHERE UPPER(TEXT) LIKE '%ZZZ%'"},
    {"INITCAP of object types", &ks::oracle::installFileDialect, ks::bench::BuiltinLike::CaseSensitive,
        "SELECT count(DISTINCT INITCAP(OBJECT_TYPE)) FROM DBA_OBJECTS"},
    {"INITCAP grouping many source lines", &ks::oracle::installFileDialect, ks::bench::BuiltinLike::CaseSensitive,
        "SELECT count(*) FROM (SELECT NAME, INITCAP(TYPE) FROM DBA_SOURCE WHERE UPPER(TEXT) LIKE '%O_%' "
        "GROUP BY NAME, INITCAP(TYPE))"},
    {"UPPER of many matching lines", &ks::oracle::installFileDialect, ks::bench::BuiltinLike::CaseSensitive,
        "SELECT count(*) FROM DBA_SOURCE WHERE UPPER(TEXT) LIKE '%O_%'"},
    {"LIKE, case-sensitive, column names", &ks::oracle::installFileDialect, ks::bench::BuiltinLike::CaseSensitive,
        "SELECT count(*) FROM DBA_TAB_COLUMNS WHERE COLUMN_NAME LIKE '%_ID%'"},
    {"SQL Server LIKE, column names", &ks::mssql::installFileDialect, ks::bench::BuiltinLike::IgnoringCase,
        "SELECT count(*) FROM DBA_TAB_COLUMNS WHERE COLUMN_NAME LIKE '%order%'"},
    {"SQL Server LIKE, absent", &ks::mssql::installFileDialect, ks::bench::BuiltinLike::IgnoringCase,
        "SELECT count(*) FROM DBA_TAB_COLUMNS WHERE COLUMN_NAME LIKE '%zzz%'"},
    {"SQL Server LIKE, comments", &ks::mssql::installFileDialect, ks::bench::BuiltinLike::IgnoringCase,
        "SELECT count(*) FROM DBA_COL_COMMENTS WHERE COMMENTS LIKE '%zzz%'"},
    // Only the comments with non-ASCII text reach LIKE here; SQLite's LIKE
    // folds a to z alone, the dialect's every letter.
    {"SQL Server LIKE, non-ASCII comments", &ks::mssql::installFileDialect, ks::bench::BuiltinLike::IgnoringCase,
        "SELECT count(*) FROM DBA_COL_COMMENTS WHERE length(CAST(COMMENTS AS BLOB)) <> length(COMMENTS) "
        "AND COMMENTS LIKE '%straße%'"},
    {"SQL Server LIKE, source lines", &ks::mssql::installFileDialect, ks::bench::BuiltinLike::IgnoringCase,
        "SELECT count(*) FROM DBA_SOURCE WHERE TEXT LIKE '%order%'"},
    {"SQL Server LIKE, view texts", &ks::mssql::installFileDialect, ks::bench::BuiltinLike::IgnoringCase,
        "SELECT count(*) FROM DBA_VIEWS WHERE TEXT LIKE '%zzz%'"},
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file
        = args.size() > 1 && !args.at(1).isEmpty() ? args.at(1) : QStringLiteral(QUILLMERE_LARGE_CATALOGUE);
    const QString only = args.size() > 2 ? args.at(2) : QString();
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        std::fprintf(stderr, "no catalogue: build the oracle_large_catalogue target or name a file\n");
        return 1;
    }
    QTextStream out(stdout);
    out << "catalogue: " << file << "; best of " << Runs << " runs\n\n";
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("statement"), -36)
               .arg(QStringLiteral("dialect ms"), 11)
               .arg(QStringLiteral("built-in ms"), 12)
               .arg(QStringLiteral("ratio"), 6);
    // SQLite's LIKE knows no "[...]" sets, so the patterns here have none.
    for (const Case &c : kCases) {
        if (!QLatin1String(c.what).contains(only, Qt::CaseInsensitive))
            continue;
        const QString sql = QString::fromLatin1(c.sql);
        const auto [dialect, builtin] = ks::bench::bestOfAlternating(
            Runs, [&] { withDialect(file, sql, c.dialect); },
            [&] { ks::bench::runWithBuiltins(file, {sql}, c.builtin); });
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(QLatin1String(c.what), -36)
                   .arg(dialect, 11, 'f', 1)
                   .arg(builtin, 12, 'f', 1)
                   .arg(dialect / builtin, 6, 'f', 2);
        out.flush();
    }
    return 0;
}
