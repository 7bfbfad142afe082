// Times whole Oracle searches on a large generated catalogue against what
// SQLite itself needs for the same statements with its built-in functions
// (case-sensitive LIKE, UPPER): the ratio is what the program costs on top of
// the engine. A third figure runs the statements with the dialect's own
// registered functions, so a ratio far from 1 can be put down to the
// functions or to the rest of the program.
//
//   bench_oracle_search [catalogue, "" for the large one] [search text...]

#include "BenchSearch.h"

#include "db/KsAdo.h"
#include "kinds/oracle/OracleFileDialect.h"
#include "kinds/oracle/OracleSearch.h"
#include "search/KsResultModel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

#ifndef QUILLMERE_LARGE_CATALOGUE
#define QUILLMERE_LARGE_CATALOGUE ""
#endif

namespace {

constexpr int Runs = 9;

struct Listed {
    int rows = 0;
    QByteArray digest; // of every row in list order, to compare versions of the program by
};

// The search as the window runs it, into a result list; the digest, when
// asked for, is taken after the search.
Listed programSearch(const QString &connectionString, const ks::oracle::SearchState &state,
    const ks::oracle::SearchRequest &request, bool digest = false)
{
    ks::KsResultModel model;
    {
        ks::KsResultModel::Batch batch(model);
        ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
        ks::oracle::runSearch(
            *connection, state, request, [&model](ks::ResultRow row) { model.addRow(std::move(row)); });
        connection->close();
    }
    return {model.rowCount(), digest ? ks::bench::rowsDigest(model) : QByteArray()};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file
        = args.size() > 1 && !args.at(1).isEmpty() ? args.at(1) : QStringLiteral(QUILLMERE_LARGE_CATALOGUE);
    // Many rows, few rows, none.
    const QStringList texts = args.size() > 2
        ? args.mid(2)
        : QStringList {QStringLiteral("_0"), QStringLiteral("order"), QStringLiteral("zzz")};
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        std::fprintf(stderr, "no catalogue: build the oracle_large_catalogue target or name a file\n");
        return 1;
    }
    const QString connectionString
        = QStringLiteral("provider=OraOLEDB.Oracle;user id=bench;password=bench;data source=") + file;

    QTextStream out(stdout);
    out << "catalogue: " << file << "\n"
        << "ALL dictionary, all schemas, ignore case, every option; processor time, best of " << Runs
        << " runs, program and reference in turn\n"
        << "reference: SQLite with built-in LIKE (case_sensitive_like) and UPPER, every column read\n\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
               .arg(QStringLiteral("search"), -8)
               .arg(QStringLiteral("rows listed"), 12)
               .arg(QStringLiteral("program ms"), 11)
               .arg(QStringLiteral("reference ms"), 13)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("dialect fns ms"), 15)
               .arg(QStringLiteral("rows digest"));
    for (const QString &text : texts) {
        ks::oracle::SearchRequest request;
        request.prefix = QStringLiteral("ALL");
        request.searchText = text;
        request.schema = QStringLiteral("(all)");
        request.schemaIndex = 0;
        const ks::oracle::SearchState state = ks::oracle::makeSearchState(request);
        const QStringList statements = ks::bench::sqlOf(ks::oracle::searchStatements(state, request));

        Listed listed;
        const auto [program, reference] = ks::bench::bestOfAlternating(
            Runs, [&] { listed = programSearch(connectionString, state, request); },
            [&] { ks::bench::runWithBuiltins(file, statements, ks::bench::BuiltinLike::CaseSensitive); });
        const double dialect = ks::bench::bestOfMilliseconds(
            Runs, [&] { ks::bench::runWithDialect(file, statements, &ks::oracle::installFileDialect); });
        listed = programSearch(connectionString, state, request, true);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6  %7\n")
                   .arg(u'"' + text + u'"', -8)
                   .arg(listed.rows, 12)
                   .arg(program, 11, 'f', 1)
                   .arg(reference, 13, 'f', 1)
                   .arg(program / reference, 6, 'f', 2)
                   .arg(dialect, 15, 'f', 1)
                   .arg(QString::fromLatin1(listed.digest));
        out.flush();
    }
    return 0;
}
