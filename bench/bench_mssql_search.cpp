// Times whole SQL Server searches (T-SQL Code ticked) on a large generated
// catalogue against what SQLite itself needs for the same statements with its
// built-in functions (LIKE, which ignores the case of ASCII letters as the
// dialect's LIKE does for an ASCII search text without sets): the ratio is
// what the program costs on top of the engine. A third figure runs the
// statements with the dialect's own registered functions, so a ratio far
// from 1 can be put down to the functions or to the rest of the program; a
// table per statement follows for the first search text.
//
//   bench_mssql_search [catalogue, "" for the large one] [search text...]

#include "BenchSearch.h"

#include "db/KsAdo.h"
#include "kinds/mssql/MsSqlFileDialect.h"
#include "kinds/mssql/MsSqlSearch.h"
#include "search/KsResultModel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

#ifndef QUILLMERE_MSSQL_LARGE_CATALOGUE
#define QUILLMERE_MSSQL_LARGE_CATALOGUE ""
#endif

namespace {

constexpr int Runs = 7;

using ks::bench::BuiltinLike;
using ks::mssql::PlannedStatement;

struct Listed {
    int rows = 0;
    QByteArray digest; // of every row in list order, to compare versions of the program by
};

// The search as the window runs it, into a result list; the digest, when
// asked for, is taken after the search.
Listed programSearch(const QString &connectionString, const ks::mssql::SearchRequest &request, bool digest = false)
{
    ks::KsResultModel model;
    {
        ks::KsResultModel::Batch batch(model);
        ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
        ks::mssql::runSearch(*connection, request, [&model](ks::ResultRow row) { model.addRow(std::move(row)); });
        connection->close();
    }
    return {model.rowCount(), digest ? ks::bench::rowsDigest(model) : QByteArray()};
}

// One statement through the program's connection, every field of every
// record read as text.
qint64 programStatement(ks::Connection &connection, const QString &sql)
{
    qint64 records = 0;
    auto rows = connection.execute(sql);
    for (; !rows->eof(); rows->moveNext()) {
        ++records;
        for (int c = 0; c < rows->fieldCount(); ++c)
            rows->text(c);
    }
    return records;
}

void statementTable(
    QTextStream &out, const QString &file, const QString &connectionString, const QList<PlannedStatement> &statements)
{
    out << "\nper statement, best of " << Runs << " runs (ms):\n"
        << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("statement"), -10)
               .arg(QStringLiteral("reference"), 10)
               .arg(QStringLiteral("dialect fns"), 12)
               .arg(QStringLiteral("program"), 10)
               .arg(QStringLiteral("records"), 9);
    const ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
    for (int i = 0; i < statements.size(); ++i) {
        const QStringList one {statements.at(i).sql};
        qint64 records = 0;
        const auto [program, reference] = ks::bench::bestOfAlternating(
            Runs, [&] { records = programStatement(*connection, one.constFirst()); },
            [&] { ks::bench::runWithBuiltins(file, one, BuiltinLike::IgnoringCase); });
        const double dialect = ks::bench::bestOfMilliseconds(
            Runs, [&] { ks::bench::runWithDialect(file, one, &ks::mssql::installFileDialect); });
        out << QStringLiteral("S%1 %2 %3 %4 %5\n")
                   .arg(i + 1, -9)
                   .arg(reference, 10, 'f', 1)
                   .arg(dialect, 12, 'f', 1)
                   .arg(program, 10, 'f', 1)
                   .arg(records, 9);
        out.flush();
    }
    connection->close();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file
        = args.size() > 1 && !args.at(1).isEmpty() ? args.at(1) : QStringLiteral(QUILLMERE_MSSQL_LARGE_CATALOGUE);
    // Many rows, few rows, none.
    const QStringList texts = args.size() > 2
        ? args.mid(2)
        : QStringList {QStringLiteral("Order"), QStringLiteral("PaymentArchive"), QStringLiteral("zzz")};
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        std::fprintf(stderr, "no catalogue: build the mssql_large_catalogue target or name a file\n");
        return 1;
    }
    // Any database name will do: the file is the server.
    const QString connectionString
        = ks::BuildMsSqlConnectionString(file, QStringLiteral("bench"), QString(), QString());

    QTextStream out(stdout);
    out << "catalogue: " << file << "\n"
        << "T-SQL Code ticked; best of " << Runs << " runs\n"
        << "reference: SQLite with its built-in LIKE (ASCII letter case ignored), every column read\n\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
               .arg(QStringLiteral("search"), -16)
               .arg(QStringLiteral("rows listed"), 12)
               .arg(QStringLiteral("program ms"), 11)
               .arg(QStringLiteral("reference ms"), 13)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("dialect fns ms"), 15)
               .arg(QStringLiteral("rows digest"));
    for (const QString &text : texts) {
        const ks::mssql::SearchRequest request {text, true};
        const QStringList statements = ks::bench::sqlOf(ks::mssql::searchStatements(request));
        Listed listed;
        const auto [program, reference] = ks::bench::bestOfAlternating(
            Runs, [&] { listed = programSearch(connectionString, request); },
            [&] { ks::bench::runWithBuiltins(file, statements, BuiltinLike::IgnoringCase); });
        const double dialect = ks::bench::bestOfMilliseconds(
            Runs, [&] { ks::bench::runWithDialect(file, statements, &ks::mssql::installFileDialect); });
        listed = programSearch(connectionString, request, true);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
                   .arg(u'"' + text + u'"', -16)
                   .arg(listed.rows, 12)
                   .arg(program, 11, 'f', 1)
                   .arg(reference, 13, 'f', 1)
                   .arg(program / reference, 6, 'f', 2)
                   .arg(dialect, 15, 'f', 1)
                   .arg(QString::fromLatin1(listed.digest));
        out.flush();
    }
    const ks::mssql::SearchRequest first {texts.constFirst(), true};
    statementTable(out, file, connectionString, ks::mssql::searchStatements(first));
    return 0;
}
