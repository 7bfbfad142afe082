// Times whole Designer repository searches on a large generated repository
// against what SQLite itself needs for the same statements with its built-in
// functions (case-sensitive LIKE, UPPER; TO_CHAR of the id as SQLite's own
// text): the ratio is what the program costs on top of the engine (the
// dialect's functions, record sets, rows, the sorted result list and the
// statement log). A third figure runs the statements with the dialect's own
// registered functions, to tell their share apart.
//
//   bench_designer_search [repository] [application system] [search text...]

#include "BenchSearch.h"

#include "db/KsAdo.h"
#include "kinds/designer/DesignerSearch.h"
#include "kinds/oracle/OracleFileDialect.h"
#include "search/KsResultModel.h"
#include "text/KsStringOutput.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

#ifndef QUILLMERE_DESIGNER_LARGE_CATALOGUE
#define QUILLMERE_DESIGNER_LARGE_CATALOGUE ""
#endif

namespace {

using namespace ks::designer;

constexpr int Runs = 7;

// The statements the search runs, as the log shows them.
QStringList statementsOf(
    ks::Connection &connection, RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request)
{
    QStringList log;
    runSearch(
        connection, kind, tables, request, [](ks::ResultRow) {}, [&log](const QString &line) { log << line; });
    return log;
}

class CollectedLog : public ks::TKsStringOutput {
public:
    QStringList lines;
    void PutLine(const QString &line) override { lines << line; }
};

// The search as the window runs it: a fresh connection, rows into the sorted
// result list, every statement into the log.
int programSearch(
    const QString &connectionString, RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request)
{
    ks::KsResultModel model;
    CollectedLog log;
    {
        ks::KsResultModel::Batch batch(model);
        ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
        runSearch(
            *connection, kind, tables, request, [&model](ks::ResultRow row) { model.addRow(std::move(row)); },
            [&log](const QString &line) { log.WriteLn(line); });
        connection->close();
    }
    return model.rowCount();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file
        = args.size() > 1 && !args.at(1).isEmpty() ? args.at(1) : QStringLiteral(QUILLMERE_DESIGNER_LARGE_CATALOGUE);
    const QString appSys = args.size() > 2 ? args.at(2) : QStringLiteral("ORDERS");
    // Few rows, none.
    const QStringList texts
        = args.size() > 3 ? args.mid(3) : QStringList {QStringLiteral("customer"), QStringLiteral("nowhere")};
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        std::fprintf(stderr, "no repository: build the designer_large_catalogue target or name a file\n");
        return 1;
    }
    const QString connectionString
        = QStringLiteral("provider=OraOLEDB.Oracle;user id=bench;password=bench;data source=") + file;

    RepositoryKind kind = NoRepository;
    RepositoryTables tables;
    {
        ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
        kind = probeRepository(*connection);
        discoverTables(*connection, tables);
        connection->close();
    }
    int columns = 0;
    for (const QStringList &list : std::as_const(tables.columnNames))
        columns += int(list.size());

    QTextStream out(stdout);
    out << "repository: " << file << "\n"
        << tables.tableNames.size() << " element tables, " << columns << " text columns; application system " << appSys
        << ", ignore case\n"
        << "processor time, best of " << Runs << " runs, program and reference in turn\n"
        << "reference: SQLite with built-in LIKE (case_sensitive_like) and UPPER, every column read\n\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8\n")
               .arg(QStringLiteral("search"), -11)
               .arg(QStringLiteral("Include"), -8)
               .arg(QStringLiteral("statements"), 10)
               .arg(QStringLiteral("rows listed"), 12)
               .arg(QStringLiteral("program ms"), 11)
               .arg(QStringLiteral("reference ms"), 13)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("dialect fns ms"), 15);
    double worst = 0;
    for (const bool everything : {false, true}) {
        for (const QString &text : texts) {
            SearchRequest request;
            request.applicationSystem = appSys;
            request.searchText = text;
            request.ignoreCase = true;
            request.include = IncludeOptions {everything, everything, everything};

            QStringList statements;
            {
                ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
                statements = statementsOf(*connection, kind, tables, request);
                connection->close();
            }

            int listed = 0;
            const auto [program, reference] = ks::bench::bestOfAlternating(
                Runs, [&] { listed = programSearch(connectionString, kind, tables, request); },
                [&] {
                    ks::bench::runWithBuiltins(
                        file, statements, ks::bench::BuiltinLike::CaseSensitive, ks::bench::FailedStatements::Skip);
                });
            const double dialect = ks::bench::bestOfMilliseconds(Runs, [&] {
                ks::bench::runWithDialect(
                    file, statements, &ks::oracle::installFileDialect, ks::bench::FailedStatements::Skip);
            });
            worst = std::max(worst, program / reference);
            out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8\n")
                       .arg(u'"' + text + u'"', -11)
                       .arg(everything ? QStringLiteral("all") : QStringLiteral("none"), -8)
                       .arg(statements.size(), 10)
                       .arg(listed, 12)
                       .arg(program, 11, 'f', 1)
                       .arg(reference, 13, 'f', 1)
                       .arg(program / reference, 6, 'f', 2)
                       .arg(dialect, 15, 'f', 1);
            out.flush();
        }
    }
    out << "worst ratio: " << QString::number(worst, 'f', 2) << " (goal: within 1.2)\n";
    return 0;
}
