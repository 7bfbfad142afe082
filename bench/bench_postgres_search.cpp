// Times whole PostgreSQL searches (names, definitions and comments) on a
// large generated catalogue: the search as a window runs it, the kind's task
// on the background runner with its rows going into a result list, against
// the same statements run alone through libpq, every value of every row
// read. Both open their own connection and both include the server's work,
// so the ratio of the wall times is what the program adds on top of server
// and client library. It also reports when the first row reaches the list,
// against the whole search and the time its last statement takes alone, and
// a table per statement for the first search text.
//
//   bench_postgres_search [--port N] [search text...]
//
// Without --port it starts a throwaway server and loads
// bench/postgres-catalogue.sql into it (about half a minute); with it, it
// searches the server pg_test_server runs on that port with its default
// login, loaded with that script beforehand.

#include "BenchPostgres.h"
#include "BenchReference.h"

#include "db/KsAdo.h"
#include "db/KsConnection.h"
#include "db/KsConnectionString.h"
#include "kinds/postgresql/PostgresKind.h"
#include "search/KsPreparedSearch.h"
#include "search/KsResultModel.h"
#include "search/KsSearchRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>

#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

#ifndef QUILLMERE_PG_CATALOGUE
#define QUILLMERE_PG_CATALOGUE ""
#endif

namespace {

constexpr int Runs = 7;
constexpr double Goal = 1.15;
constexpr double Never = std::numeric_limits<double>::max();

using ks::postgresql::SearchRequest;

using Server = ks::bench::PgBenchServer;

// One run of one way, in milliseconds from its start; wall time includes
// the server's work, processor time is this process's alone.
struct Timing {
    double wallMs = Never;
    double cpuMs = Never;
    double firstRowMs = Never;
    qint64 rows = 0;
};

void keepBest(Timing &best, const Timing &run)
{
    best.wallMs = std::min(best.wallMs, run.wallMs);
    best.cpuMs = std::min(best.cpuMs, run.cpuMs);
    best.firstRowMs = std::min(best.firstRowMs, run.firstRowMs);
    best.rows = run.rows;
}

// The search as a window runs it: the kind's prepared task on the background
// runner, which opens its connection on a worker thread, and the rows added
// to a result list that keeps its sort, batch by batch on this thread.
Timing programSearch(const Server &server, const SearchRequest &request)
{
    ks::KsResultModel model;
    model.setKeepSort(true);
    ks::SearchRunner runner;
    QEventLoop loop;
    Timing timing;
    QElapsedTimer clock;
    std::exception_ptr failure;
    ks::SearchSinks sinks;
    sinks.rows = [&](std::vector<ks::ResultRow> rows) {
        if (timing.firstRowMs == Never)
            timing.firstRowMs = double(clock.nsecsElapsed()) / 1e6;
        model.addRows(std::move(rows));
    };
    sinks.finished = [&](ks::SearchOutcome, const ks::SearchProgress &, std::exception_ptr error) {
        failure = std::move(error);
        loop.quit();
    };
    const double cpuStart = ks::bench::processorMilliseconds();
    clock.start();
    runner.start(server.connectionString(), ks::postgresql::prepareSearch(request)->task(), std::move(sinks));
    loop.exec();
    timing.wallMs = double(clock.nsecsElapsed()) / 1e6;
    timing.cpuMs = ks::bench::processorMilliseconds() - cpuStart;
    if (failure)
        qFatal("the search failed: %s", qPrintable(ks::SearchRunner::errorText(failure)));
    timing.rows = model.rowCount();
    return timing;
}

class PgConnection {
public:
    explicit PgConnection(const Server &server)
        : m_connection(PQconnectdb(server.conninfo().constData()))
    {
        if (PQstatus(m_connection) != CONNECTION_OK)
            qFatal("libpq cannot connect: %s", PQerrorMessage(m_connection));
    }
    ~PgConnection() { PQfinish(m_connection); }
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    // Runs the statement and reads every value of every row; returns the
    // number of rows.
    qint64 run(const QString &sql, qint64 &bytes) const
    {
        PGresult *result = PQexec(m_connection, sql.toUtf8().constData());
        if (PQresultStatus(result) != PGRES_TUPLES_OK)
            qFatal("libpq: %s", PQresultErrorMessage(result));
        const int rows = PQntuples(result);
        const int fields = PQnfields(result);
        for (int r = 0; r < rows; ++r) {
            for (int f = 0; f < fields; ++f)
                bytes += qint64(qstrlen(PQgetvalue(result, r, f)));
        }
        PQclear(result);
        return rows;
    }

private:
    PGconn *m_connection;
};

// The same statements alone through libpq on a connection of their own;
// `lastStatementMs` receives how long the last one took.
Timing rawSearch(const Server &server, const QStringList &statements, double &lastStatementMs, qint64 &bytes)
{
    Timing timing;
    QElapsedTimer clock;
    const double cpuStart = ks::bench::processorMilliseconds();
    clock.start();
    const PgConnection connection(server);
    for (const QString &sql : statements) {
        const double start = double(clock.nsecsElapsed()) / 1e6;
        timing.rows += connection.run(sql, bytes);
        lastStatementMs = double(clock.nsecsElapsed()) / 1e6 - start;
        if (timing.firstRowMs == Never && timing.rows > 0)
            timing.firstRowMs = double(clock.nsecsElapsed()) / 1e6;
    }
    timing.wallMs = double(clock.nsecsElapsed()) / 1e6;
    timing.cpuMs = ks::bench::processorMilliseconds() - cpuStart;
    return timing;
}

QStringList sqlOf(const SearchRequest &request)
{
    QStringList sql;
    for (const ks::postgresql::PlannedStatement &planned : ks::postgresql::searchStatements(request))
        sql << planned.sql;
    return sql;
}

// Each statement both ways on one open connection each: libpq, and the
// program's connection with every field read as text.
void statementTable(QTextStream &out, const Server &server, const SearchRequest &request)
{
    out << "\nper statement of \"" << request.searchText << "\", best of " << Runs << " runs, wall ms:\n"
        << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("statement"), -10)
               .arg(QStringLiteral("libpq"), 9)
               .arg(QStringLiteral("program"), 9)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("rows"), 7);
    const QStringList statements = sqlOf(request);
    const PgConnection raw(server);
    const ks::ConnectionPtr connection = ks::OpenConnection(server.connectionString(), QString(), QString());
    for (int i = 0; i < statements.size(); ++i) {
        double libpq = Never;
        double program = Never;
        qint64 rows = 0;
        qint64 bytes = 0;
        for (int run = 0; run < Runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            rows = raw.run(statements.at(i), bytes);
            libpq = std::min(libpq, double(clock.nsecsElapsed()) / 1e6);
            clock.start();
            auto records = connection->execute(statements.at(i));
            for (; !records->eof(); records->moveNext()) {
                for (int c = 0; c < records->fieldCount(); ++c)
                    bytes += records->text(c).size();
            }
            records->close();
            program = std::min(program, double(clock.nsecsElapsed()) / 1e6);
        }
        out << QStringLiteral("S%1 %2 %3 %4 %5\n")
                   .arg(i + 1, -9)
                   .arg(libpq, 9, 'f', 1)
                   .arg(program, 9, 'f', 1)
                   .arg(program / libpq, 6, 'f', 2)
                   .arg(rows, 7);
        out.flush();
    }
    connection->close();
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
    // Many rows, few rows, none.
    const QStringList texts = !args.isEmpty()
        ? args
        : QStringList {QStringLiteral("order"), QStringLiteral("calc_audit_1"), QStringLiteral("zzz")};
    {
        const ks::ConnectionPtr connection = ks::OpenConnection(server.connectionString(), QString(), QString());
        auto sizes = ks::ExecuteSql(*connection,
            QStringLiteral("SELECT (SELECT count(*) FROM pg_class WHERE relkind = 'r'), "
                           "(SELECT count(*) FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid "
                           "WHERE c.relkind = 'r' AND a.attnum > 0), "
                           "(SELECT count(*) FROM pg_class WHERE relkind = 'v'), (SELECT count(*) FROM pg_proc), "
                           "(SELECT sum(length(prosrc)) FROM pg_proc), (SELECT count(*) FROM pg_description)"));
        out << "catalogue (system schemas included): " << sizes->text(0) << " tables, " << sizes->text(1)
            << " columns, " << sizes->text(2) << " views, " << sizes->text(3) << " functions with " << sizes->text(4)
            << " characters of source, " << sizes->text(5) << " comments\n";
        sizes->close();
    }
    out << "names, definitions and comments, all user schemas, letter case ignored; best of " << Runs
        << " runs, the two ways in turn, each opening its connection\n"
        << "program: the kind's search task on the background runner into a result list; "
           "libpq: the same statements through PQexec, every value read\n\n"
        << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(QStringLiteral("search"), -15)
               .arg(QStringLiteral("rows"), 6)
               .arg(QStringLiteral("program ms"), 11)
               .arg(QStringLiteral("libpq ms"), 9)
               .arg(QStringLiteral("ratio"), 6)
               .arg(QStringLiteral("cpu prog"), 9)
               .arg(QStringLiteral("cpu libpq"), 10)
               .arg(QStringLiteral("first row ms"), 13)
               .arg(QStringLiteral("last stmt ms"), 13);
    double worst = 0;
    bool early = true;
    for (const QString &text : texts) {
        SearchRequest request;
        request.searchText = text;
        const QStringList statements = sqlOf(request);
        Timing program;
        Timing raw;
        double lastStatement = Never;
        qint64 bytes = 0;
        for (int run = 0; run < Runs; ++run) {
            keepBest(program, programSearch(server, request));
            double last = 0;
            keepBest(raw, rawSearch(server, statements, last, bytes));
            lastStatement = std::min(lastStatement, last);
        }
        if (program.rows != raw.rows)
            out << "the list has " << program.rows << " rows, the statements returned " << raw.rows << "\n";
        worst = std::max(worst, program.wallMs / raw.wallMs);
        // Rows that came before the time the last statement alone takes
        // came before it ended.
        if (program.rows > 0 && program.firstRowMs > program.wallMs - lastStatement)
            early = false;
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                   .arg(u'"' + text + u'"', -15)
                   .arg(program.rows, 6)
                   .arg(program.wallMs, 11, 'f', 1)
                   .arg(raw.wallMs, 9, 'f', 1)
                   .arg(program.wallMs / raw.wallMs, 6, 'f', 3)
                   .arg(program.cpuMs, 9, 'f', 1)
                   .arg(raw.cpuMs, 10, 'f', 1)
                   .arg(program.firstRowMs == Never ? -1.0 : program.firstRowMs, 13, 'f', 1)
                   .arg(lastStatement, 13, 'f', 1);
        out.flush();
    }
    out << "worst ratio program / libpq: " << QString::number(worst, 'f', 3) << " (goal: at most " << Goal << ")\n"
        << "first row: when the first row reached the list; last stmt: the last statement alone through libpq. "
        << "Rows arrive before the last statement ends: " << (early ? "yes" : "NO") << "\n";

    SearchRequest first;
    first.searchText = texts.constFirst();
    statementTable(out, server, first);
    return 0;
}
