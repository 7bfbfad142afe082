// Times a snapshot of a PostgreSQL server loaded with a large generated
// catalogue, and searches on that snapshot. The capture, as a window runs it
// on the background runner into a catalogue file, is timed against the same
// capture statements run alone through libpq with every value read (wall
// time: both include the server's work). Searches on the file, as a window
// runs them, are timed against SQLite running the same statements alone
// (processor time, see BenchReference.h).
//
//   bench_postgres_snapshot [--port N] [search text...]
//
// Without --port it starts a throwaway server and loads
// bench/postgres-catalogue.sql into it (about half a minute); with it, it
// reads the server pg_test_server runs on that port with its default login.

#include "BenchPostgres.h"
#include "BenchReference.h"

#include "kinds/postgresql/PgSearch.h"
#include "kinds/postgresql/PostgresKind.h"
#include "search/KsCatalogueKind.h"
#include "search/KsPreparedSearch.h"
#include "search/KsResultModel.h"
#include "search/KsSearchRunner.h"
#include "search/KsSnapshot.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>

#ifndef QUILLMERE_PG_CATALOGUE
#define QUILLMERE_PG_CATALOGUE ""
#endif

namespace {

constexpr int CaptureRuns = 3;
constexpr int SearchRuns = 7;
constexpr double CaptureGoal = 1.5;
constexpr double Never = std::numeric_limits<double>::max();

using Server = ks::bench::PgBenchServer;

// Runs a task on the background runner as a window does, its rows into a
// result list that keeps its sort; returns the rows listed.
qint64 runAsWindow(const QString &connectionString, ks::SearchTask task)
{
    ks::KsResultModel model;
    model.setKeepSort(true);
    ks::SearchRunner runner;
    QEventLoop loop;
    std::exception_ptr failure;
    ks::SearchSinks sinks;
    sinks.rows = [&model](std::vector<ks::ResultRow> rows) { model.addRows(std::move(rows)); };
    sinks.finished = [&](ks::SearchOutcome, const ks::SearchProgress &, std::exception_ptr error) {
        failure = std::move(error);
        loop.quit();
    };
    runner.start(connectionString, std::move(task), std::move(sinks));
    loop.exec();
    if (failure)
        qFatal("the task failed: %s", qPrintable(ks::SearchRunner::errorText(failure)));
    return model.rowCount();
}

// The capture statements of the snapshot tables, each reading the table's
// columns in their order, as the snapshot task asks for them.
QStringList captureStatements()
{
    const ks::CatalogueKind &kind = ks::postgresql::catalogueKind();
    sqlite3 *opened = nullptr;
    sqlite3_open(":memory:", &opened);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> handle(opened, &sqlite3_close);
    if (sqlite3_exec(handle.get(), kind.snapshotSchema().toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("the snapshot tables: %s", sqlite3_errmsg(handle.get()));
    QStringList statements;
    sqlite3_stmt *prepared = nullptr;
    sqlite3_prepare_v2(handle.get(),
        "SELECT m.name, p.name FROM sqlite_master m, pragma_table_info(m.name) p "
        "WHERE m.type = 'table' ORDER BY m.rowid, p.cid",
        -1, &prepared, nullptr);
    QString table;
    QStringList columns;
    const auto flush = [&] {
        if (!table.isEmpty())
            statements << kind.snapshotSelect(table, columns, false);
        columns.clear();
    };
    while (sqlite3_step(prepared) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(prepared, 0)));
        if (name != table) {
            flush();
            table = name;
        }
        columns << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(prepared, 1)));
    }
    flush();
    sqlite3_finalize(prepared);
    return statements;
}

// The statements alone through libpq on a connection of their own, every
// value read (`bytes` counts them); returns the rows.
qint64 readWithLibpq(const Server &server, const QStringList &statements, qint64 &bytes)
{
    PGconn *connection = PQconnectdb(server.conninfo().constData());
    if (PQstatus(connection) != CONNECTION_OK)
        qFatal("libpq cannot connect: %s", PQerrorMessage(connection));
    qint64 rows = 0;
    bytes = 0;
    for (const QString &sql : statements) {
        PGresult *result = PQexec(connection, sql.toUtf8().constData());
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            qFatal("libpq: %s", PQresultErrorMessage(result));
        const int count = PQntuples(result);
        const int fields = PQnfields(result);
        for (int r = 0; r < count; ++r) {
            for (int f = 0; f < fields; ++f)
                bytes += qint64(qstrlen(PQgetvalue(result, r, f)));
        }
        rows += count;
        PQclear(result);
    }
    PQfinish(connection);
    return rows;
}

double wallMilliseconds(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    Server server;
    QTextStream out(stdout);
    if (!ks::bench::startPgBenchServer(server, args, QStringLiteral(QUILLMERE_PG_CATALOGUE), out))
        return 1;
    const QStringList texts = !args.isEmpty()
        ? args
        : QStringList {QStringLiteral("order"), QStringLiteral("calc_audit_1"), QStringLiteral("zzz")};

    const ks::CatalogueKind &kind = ks::postgresql::catalogueKind();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("postgres.qmcat"));
    const QStringList statements = captureStatements();
    double capture = Never;
    double libpq = Never;
    qint64 rows = 0;
    qint64 bytes = 0;
    for (int run = 0; run < CaptureRuns; ++run) {
        capture = std::min(capture, wallMilliseconds([&] {
            runAsWindow(server.connectionString(), ks::snapshotTask(kind, server.connectionString(), file));
        }));
        libpq = std::min(libpq, wallMilliseconds([&] { rows = readWithLibpq(server, statements, bytes); }));
    }
    out << "capture of " << rows << " rows (" << QString::number(double(bytes) / 1e6, 'f', 1) << " MB of text) into a "
        << QString::number(double(QFileInfo(file).size()) / 1e6, 'f', 1) << " MB snapshot, best of " << CaptureRuns
        << " runs, wall ms: program " << QString::number(capture, 'f', 0) << ", libpq alone "
        << QString::number(libpq, 'f', 0) << ", ratio " << QString::number(capture / libpq, 'f', 3)
        << " (goal: at most " << CaptureGoal << ")\n\n";
    out.flush();

    out << "searches on the snapshot (names, definitions and comments, letter case ignored), best of " << SearchRuns
        << " runs in turn, processor ms: program (the kind's task on the background runner into a result "
           "list) against SQLite alone running the same statements\n"
        << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("search"), -15)
               .arg(QStringLiteral("rows"), 6)
               .arg(QStringLiteral("program"), 9)
               .arg(QStringLiteral("sqlite"), 9)
               .arg(QStringLiteral("ratio"), 6);
    const QString snapshot = kind.fileConnectionString(file);
    for (const QString &text : texts) {
        ks::SearchSettings settings;
        settings.text = text;
        const auto search = kind.prepareSearch(settings);
        ks::postgresql::SearchRequest request;
        request.searchText = text;
        QStringList sql;
        for (const ks::postgresql::PlannedStatement &planned : ks::postgresql::searchStatements(request, true))
            sql << planned.sql;
        qint64 listed = 0;
        qint64 stepped = 0;
        const auto [program, sqlite] = ks::bench::bestOfAlternating(
            SearchRuns, [&] { listed = runAsWindow(snapshot, search->task()); },
            [&] { stepped = ks::bench::runWithBuiltins(file, sql, ks::bench::BuiltinLike::CaseSensitive); });
        if (listed != stepped)
            out << "the list has " << listed << " rows, the statements returned " << stepped << "\n";
        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(u'"' + text + u'"', -15)
                   .arg(listed, 6)
                   .arg(program, 9, 'f', 1)
                   .arg(sqlite, 9, 'f', 1)
                   .arg(program / sqlite, 6, 'f', 3);
        out.flush();
    }
    return 0;
}
