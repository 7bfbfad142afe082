// Times a whole Oracle search on a large generated catalogue and compares it
// with what the engine alone needs for the same statements: the difference is
// the program's own cost (record sets, row mapping, client-side matching and
// filling the result list).
//
//   bench_oracle_search [catalogue] [search text]

#include "db/KsAdo.h"
#include "db/KsSqliteDialect.h"
#include "search/KsResultModel.h"
#include "search/OracleSearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

#ifndef QUILLMERE_LARGE_CATALOGUE
#define QUILLMERE_LARGE_CATALOGUE ""
#endif

namespace {

using ks::oracle::PlannedStatement;

// Steps through every statement with the SQLite API and reads every column as
// text, as any client must; returns the number of rows.
qint64 engineAlone(const QString &file, const QList<PlannedStatement> &statements)
{
    qint64 rows = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("engine"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            qFatal("cannot open %s", qPrintable(file));
        ks::installCatalogueDialect(db, ks::CatalogueDialect::Oracle);
        auto *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
        for (const PlannedStatement &planned : statements) {
            sqlite3_stmt *statement = nullptr;
            const QByteArray sql = planned.sql.toUtf8();
            if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
                qFatal("%s: %s", sql.constData(), sqlite3_errmsg(handle));
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

// The search as the window runs it, into a result list.
int programSearch(
    const QString &connectionString, const ks::oracle::SearchState &state, const ks::oracle::SearchRequest &request)
{
    ks::KsResultModel model;
    {
        ks::KsResultModel::Batch batch(model);
        ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
        ks::oracle::runSearch(
            *connection, state, request, [&model](ks::ResultRow row) { model.addRow(std::move(row)); });
        connection->close();
    }
    return model.rowCount();
}

template <typename Work> double bestOf(int runs, Work work)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file = args.size() > 1 ? args.at(1) : QStringLiteral(QUILLMERE_LARGE_CATALOGUE);
    const QString text = args.size() > 2 ? args.at(2) : QStringLiteral("id");
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        std::fprintf(stderr, "no catalogue: build the oracle_large_catalogue target or name a file\n");
        return 1;
    }

    ks::oracle::SearchRequest request;
    request.prefix = QStringLiteral("ALL");
    request.searchText = text;
    request.schema = QStringLiteral("(all)");
    request.schemaIndex = 0;
    const ks::oracle::SearchState state = ks::oracle::makeSearchState(request);
    const QList<PlannedStatement> statements = ks::oracle::searchStatements(state, request);
    const QString connectionString
        = QStringLiteral("provider=OraOLEDB.Oracle;user id=bench;password=bench;data source=") + file;

    qint64 engineRows = 0;
    int listed = 0;
    const double engine = bestOf(3, [&] { engineRows = engineAlone(file, statements); });
    const double program = bestOf(3, [&] { listed = programSearch(connectionString, state, request); });

    QTextStream out(stdout);
    out << "catalogue: " << file << "\n"
        << "search: ALL dictionary, all schemas, ignore case, every option, text \"" << text << "\"\n"
        << "engine alone (SQLite API, every column read): " << engine << " ms, " << engineRows << " records\n"
        << "whole search into the result list:             " << program << " ms, " << listed << " rows listed\n"
        << "program's own overhead: " << (program - engine) << " ms, ratio " << (program / engine) << "\n";
    return 0;
}
