// Times a whole SQL Server search (T-SQL Code ticked) on a large generated
// catalogue and compares it with what SQLite alone needs for the same
// statements with its own built-in functions: the difference is the
// program's own cost (the dialect's LIKE, record sets, row mapping and
// filling the result list). For an ASCII search text the built-in LIKE,
// which ignores the case of ASCII letters, finds what the dialect finds.
//
//   bench_mssql_search [catalogue] [search text]

#include "db/KsAdo.h"
#include "db/KsSqliteDialect.h"
#include "search/KsResultModel.h"
#include "search/MsSqlSearch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>

#ifndef QUILLMERE_MSSQL_LARGE_CATALOGUE
#define QUILLMERE_MSSQL_LARGE_CATALOGUE ""
#endif

namespace {

using ks::mssql::PlannedStatement;

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

// SQLite with its built-in functions, opened as any SQLite tool opens the
// file: steps through every statement and reads every column as text, as any
// client must. Returns the number of records.
class EngineAlone {
public:
    // With `dialect`, the catalogue dialect's functions take the place of the
    // built-in ones, which tells their share apart from the rest of the program.
    explicit EngineAlone(const QString &file, bool dialect = false)
    {
        static int instances = 0;
        m_name = QStringLiteral("engine-%1").arg(++instances);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            qFatal("cannot open %s", qPrintable(file));
        if (dialect)
            ks::installCatalogueDialect(db, ks::CatalogueDialect::MsSql);
        m_handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
    }
    ~EngineAlone()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    EngineAlone(const EngineAlone &) = delete;
    EngineAlone &operator=(const EngineAlone &) = delete;

    qint64 run(const QString &sql) const
    {
        qint64 records = 0;
        sqlite3_stmt *statement = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_handle, text.constData(), int(text.size()), &statement, nullptr) != SQLITE_OK)
            qFatal("%s: %s", text.constData(), sqlite3_errmsg(m_handle));
        const int columns = sqlite3_column_count(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            ++records;
            for (int c = 0; c < columns; ++c)
                sqlite3_column_text16(statement, c);
        }
        sqlite3_finalize(statement);
        return records;
    }

private:
    QString m_name;
    sqlite3 *m_handle = nullptr;
};

// The search as the window runs it, into a result list.
int programSearch(const QString &connectionString, const ks::mssql::SearchRequest &request)
{
    ks::KsResultModel model;
    {
        ks::KsResultModel::Batch batch(model);
        ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
        ks::mssql::runSearch(*connection, request, [&model](ks::ResultRow row) { model.addRow(std::move(row)); });
        connection->close();
    }
    return model.rowCount();
}

// One statement through the program's connection, records walked and read.
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString file = args.size() > 1 ? args.at(1) : QStringLiteral(QUILLMERE_MSSQL_LARGE_CATALOGUE);
    const QString text = args.size() > 2 ? args.at(2) : QStringLiteral("Customer");
    if (file.isEmpty() || !QFileInfo::exists(file)) {
        // Not a failure of the program: the catalogue is built on demand only.
        std::printf("not run: no catalogue at \"%s\"; build the mssql_large_catalogue target or name a file\n",
            qPrintable(file));
        return 0;
    }

    const ks::mssql::SearchRequest request {text, true};
    const QList<PlannedStatement> statements = ks::mssql::searchStatements(request);
    const QString connectionString
        = ks::BuildMsSqlConnectionString(file, QStringLiteral("bench"), QString(), QString());

    QTextStream out(stdout);
    out << "catalogue: " << file << "\n"
        << "search: T-SQL Code ticked, text \"" << text << "\"\n\n"
        << "statement   engine alone ms   engine with the dialect ms   through the program ms   records\n";
    {
        const EngineAlone engine(file);
        const ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
        for (int i = 0; i < statements.size(); ++i) {
            qint64 engineRecords = 0;
            qint64 programRecords = 0;
            const QString &sql = statements.at(i).sql;
            const double alone = bestOf(5, [&] { engineRecords = engine.run(sql); });
            double withDialect = 0;
            {
                const EngineAlone dialect(file, true);
                withDialect = bestOf(5, [&] { dialect.run(sql); });
            }
            const double through = bestOf(5, [&] { programRecords = programStatement(*connection, sql); });
            out << QStringLiteral("S%1  %2  %3  %4  %5%6\n")
                       .arg(i + 1, -8)
                       .arg(alone, 16, 'f', 1)
                       .arg(withDialect, 27, 'f', 1)
                       .arg(through, 23, 'f', 1)
                       .arg(engineRecords, 8)
                       .arg(engineRecords == programRecords ? QString()
                                                            : QStringLiteral(" (program read %1)").arg(programRecords));
        }
        connection->close();
    }

    qint64 engineRecords = 0;
    int listed = 0;
    double engineTime = 0;
    double dialectTime = 0;
    {
        const EngineAlone dialect(file, true);
        dialectTime = bestOf(5, [&] {
            for (const PlannedStatement &planned : statements)
                dialect.run(planned.sql);
        });
    }
    {
        const EngineAlone engine(file);
        engineTime = bestOf(5, [&] {
            engineRecords = 0;
            for (const PlannedStatement &planned : statements)
                engineRecords += engine.run(planned.sql);
        });
    }
    const double program = bestOf(5, [&] { listed = programSearch(connectionString, request); });

    out << "\nengine alone (SQLite API, built-in functions, every column read): " << engineTime << " ms, "
        << engineRecords << " records\n"
        << "SQLite with the catalogue dialect's functions, every column read: " << dialectTime << " ms\n"
        << "whole search into the result list:                              " << program << " ms, " << listed
        << " rows listed\n"
        << "program's own overhead: " << (program - engineTime) << " ms, ratio " << (program / engineTime)
        << " (goal: 1.2 or less)\n"
        << "of which the dialect's functions: " << (dialectTime - engineTime)
        << " ms, the rest of the program: " << (program - dialectTime) << " ms\n";
    return 0;
}
