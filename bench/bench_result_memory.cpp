// What a large result list costs in memory: the real Oracle and SQL Server
// searches run on the large generated catalogues again and again into one
// result list, their rows handed over in runs as the search runner delivers
// them, until the list holds more than a million rows. Reports the growth of
// the heap in use and of the resident set, per row listed.
//
//   bench_result_memory [rows wanted]

#include "db/KsAdo.h"
#include "search/KsResultModel.h"
#include "kinds/mssql/MsSqlSearch.h"
#include "kinds/oracle/OracleSearch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <vector>

#ifndef QUILLMERE_LARGE_CATALOGUE
#define QUILLMERE_LARGE_CATALOGUE ""
#endif
#ifndef QUILLMERE_MSSQL_LARGE_CATALOGUE
#define QUILLMERE_MSSQL_LARGE_CATALOGUE ""
#endif

namespace {

// As many rows as the runner hands over at a time on a busy search.
constexpr std::size_t DeliveredRun = 20000;

struct Memory {
    double heap = 0; // bytes the allocator has handed out and not had back
    double resident = 0; // bytes of the process in memory
};

Memory memoryNow()
{
    malloc_trim(0);
    const struct mallinfo2 info = mallinfo2();
    long pages = 0;
    long residentPages = 0;
    std::ifstream("/proc/self/statm") >> pages >> residentPages;
    return {double(info.uordblks + info.hblkhd), double(residentPages) * double(sysconf(_SC_PAGESIZE))};
}

using Search = std::function<void(const std::function<void(ks::ResultRow)> &)>;

// Runs the search until the list holds `wanted` rows; returns the rows listed.
int fill(ks::KsResultModel &model, const Search &search, int wanted)
{
    model.setKeepSort(true);
    std::vector<ks::ResultRow> delivered;
    const auto hand = [&] {
        model.addRows(std::move(delivered));
        delivered = {};
    };
    while (model.rowCount() < wanted) {
        const int before = model.rowCount();
        search([&](ks::ResultRow row) {
            delivered.push_back(std::move(row));
            if (delivered.size() == DeliveredRun)
                hand();
        });
        hand();
        if (model.rowCount() == before)
            break;
    }
    model.setKeepSort(false);
    return model.rowCount();
}

void report(QTextStream &out, const QString &what, const Search &search, int wanted)
{
    const Memory before = memoryNow();
    ks::KsResultModel model;
    const int rows = fill(model, search, wanted);
    const Memory after = memoryNow();
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(what, -12)
               .arg(rows, 10)
               .arg((after.heap - before.heap) / rows, 13, 'f', 1)
               .arg((after.resident - before.resident) / rows, 17, 'f', 1);
    out.flush();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int wanted = args.size() > 1 ? args.at(1).toInt() : 1500000;
    const QString oracleFile = QStringLiteral(QUILLMERE_LARGE_CATALOGUE);
    const QString msSqlFile = QStringLiteral(QUILLMERE_MSSQL_LARGE_CATALOGUE);
    if (!QFileInfo::exists(oracleFile) || !QFileInfo::exists(msSqlFile)) {
        std::fprintf(stderr, "no catalogue: build the oracle_large_catalogue and mssql_large_catalogue targets\n");
        return 1;
    }

    ks::oracle::SearchRequest oracle;
    oracle.prefix = QStringLiteral("ALL");
    oracle.searchText = QStringLiteral("_");
    oracle.schema = QStringLiteral("(all)");
    oracle.schemaIndex = 0;
    const ks::oracle::SearchState state = ks::oracle::makeSearchState(oracle);
    const QString oracleConnection
        = QStringLiteral("provider=OraOLEDB.Oracle;user id=bench;password=bench;data source=") + oracleFile;
    const Search oracleSearch = [&](const std::function<void(ks::ResultRow)> &addRow) {
        ks::ConnectionPtr connection = ks::OpenConnection(oracleConnection, QString(), QString());
        ks::oracle::runSearch(*connection, state, oracle, addRow);
        connection->close();
    };

    const ks::mssql::SearchRequest msSql {QStringLiteral("_"), true};
    const QString msSqlConnection = ks::BuildMsSqlConnectionString(msSqlFile, QStringLiteral("bench"), {}, {});
    const Search msSqlSearch = [&](const std::function<void(ks::ResultRow)> &addRow) {
        ks::ConnectionPtr connection = ks::OpenConnection(msSqlConnection, QString(), QString());
        ks::mssql::runSearch(*connection, msSql, addRow);
        connection->close();
    };

    QTextStream out(stdout);
    out << "The search for \"_\" (every option) run again and again into one result list until it holds " << wanted
        << " rows, handed over " << DeliveredRun << " at a time\n";
    out << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("catalogue"), -12)
               .arg(QStringLiteral("rows"), 10)
               .arg(QStringLiteral("heap B/row"), 13)
               .arg(QStringLiteral("resident B/row"), 17);
    report(out, QStringLiteral("Oracle"), oracleSearch, wanted);
    report(out, QStringLiteral("SQL Server"), msSqlSearch, wanted);
    return 0;
}
