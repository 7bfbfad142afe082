// Times a whole Designer repository search on a large generated repository
// and compares it with SQLite running the same statements with its built-in
// UPPER and LIKE: the difference is the cost of the Oracle dialect's text
// functions and of the program itself (record sets, rows, the sorted result
// list and the statement log).
//
//   bench_designer_search [repository] [application system] [search text...]

#include "db/KsAdo.h"
#include "db/KsSqliteDialect.h"
#include "search/DesignerSearch.h"
#include "search/KsResultModel.h"
#include "text/KsStringOutput.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#ifndef QUILLMERE_DESIGNER_LARGE_CATALOGUE
#define QUILLMERE_DESIGNER_LARGE_CATALOGUE ""
#endif

namespace {

using namespace ks::designer;

// The statements the search runs, as the log shows them.
QStringList statementsOf(
    ks::Connection &connection, RepositoryKind kind, const RepositoryTables &tables, const SearchRequest &request)
{
    QStringList log;
    runSearch(
        connection, kind, tables, request, [](ks::ResultRow) {}, [&log](const QString &line) { log << line; });
    return log;
}

// SQLite alone: every statement stepped through, every column read as text.
// Without the dialect UPPER and LIKE are SQLite's own, and since SQLite has
// no TO_CHAR the id statement reads the id with a CAST; with it, the
// statements run exactly as the program sends them.
qint64 engineAlone(const QString &file, QStringList statements, bool dialect)
{
    if (!dialect)
        statements.first().replace(QStringLiteral("TO_CHAR(ID)"), QStringLiteral("CAST(ID AS TEXT)"));
    qint64 rows = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("engine"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            qFatal("cannot open %s", qPrintable(file));
        if (dialect)
            ks::installCatalogueDialect(db, ks::CatalogueDialect::Oracle);
        auto *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
        for (const QString &sql : std::as_const(statements)) {
            sqlite3_stmt *statement = nullptr;
            const QByteArray text = sql.toUtf8();
            // Statements on tables without the owner column fail here, as they
            // fail for the program.
            if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK) {
                sqlite3_finalize(statement);
                continue;
            }
            const int columns = sqlite3_column_count(statement);
            while (sqlite3_step(statement) == SQLITE_ROW) {
                ++rows;
                for (int c = 0; c < columns; ++c)
                    sqlite3_column_text16(statement, c);
            }
            sqlite3_finalize(statement);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("engine"));
    return rows;
}

class CollectedLog : public ks::TKsStringOutput {
public:
    QStringList lines;
    void PutLine(const QString &line) override { lines << line; }
};

// The search as the window runs it: a fresh connection, rows into the sorted
// result list, every statement into the log.
int programSearch(const QString &connectionString, RepositoryKind kind, const RepositoryTables &tables,
    const SearchRequest &request, int &logLines)
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
    logLines = int(log.lines.size());
    return model.rowCount();
}

// The best of several runs, in milliseconds of this process's processor
// time: other work on a shared machine then hardly moves the ratios.
template <typename Work> double bestOf(int runs, Work work)
{
    const auto now = [] {
        timespec time {};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
        return double(time.tv_sec) * 1e3 + double(time.tv_nsec) / 1e6;
    };
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = now();
        work();
        best = std::min(best, now() - start);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file = args.size() > 1 ? args.at(1) : QStringLiteral(QUILLMERE_DESIGNER_LARGE_CATALOGUE);
    const QString appSys = args.size() > 2 ? args.at(2) : QStringLiteral("ORDERS");
    const QStringList texts = args.size() > 3 ? args.mid(3) : QStringList {"customer", "nowhere"};
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        std::fprintf(stderr, "no repository: build the designer_large_catalogue target or name a file\n");
        return 1;
    }
    const QString connectionString
        = QStringLiteral("provider=OraOLEDB.Oracle;user id=bench;password=bench;data source=") + file;

    QTextStream out(stdout);
    out << "repository: " << file << "\n"
        << "times: processor time of this process, best of 5 runs\n";

    RepositoryKind kind = NoRepository;
    RepositoryTables tables;
    const double init = bestOf(1, [&] {
        ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
        kind = probeRepository(*connection);
        discoverTables(*connection, tables);
        int systems = 0;
        listApplicationSystems(*connection, kind, [&systems](const QString &) { ++systems; });
        connection->close();
    });
    int columns = 0;
    for (const QStringList &list : std::as_const(tables.columnNames))
        columns += int(list.size());
    out << "initialisation (probes, discovery, application systems): " << init << " ms, " << tables.tableNames.size()
        << " element tables, " << columns << " text columns\n";

    double worst = 0;
    for (const bool everything : {false, true}) {
        for (const QString &text : texts) {
            SearchRequest request;
            request.applicationSystem = appSys;
            request.searchText = text;
            request.ignoreCase = true;
            request.include = IncludeOptions {everything, everything, everything};

            ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
            const QStringList statements = statementsOf(*connection, kind, tables, request);
            connection->close();

            qint64 engineRows = 0;
            qint64 dialectRows = 0;
            int listed = 0;
            int logLines = 0;
            const double engine = bestOf(5, [&] { engineRows = engineAlone(file, statements, false); });
            const double withDialect = bestOf(5, [&] { dialectRows = engineAlone(file, statements, true); });
            const double program
                = bestOf(5, [&] { listed = programSearch(connectionString, kind, tables, request, logLines); });
            worst = std::max(worst, program / engine);
            out << "search for \"" << text << "\" in " << appSys << ", ignore case, "
                << (everything ? "every Include box" : "no Include box") << ": " << statements.size() << " statements\n"
                << "  SQLite alone, built-in UPPER and LIKE: " << engine << " ms, " << engineRows << " records\n"
                << "  SQLite with the Oracle dialect:        " << withDialect << " ms, " << dialectRows << " records\n"
                << "  whole search into list and log:        " << program << " ms, " << listed << " rows, " << logLines
                << " log lines\n"
                << "  ratio " << (program / engine) << " (dialect " << (withDialect / engine) << ", program on top "
                << (program / withDialect) << ")\n";
        }
    }
    out << "worst ratio: " << worst << " (goal: within 1.2)\n";
    return 0;
}
