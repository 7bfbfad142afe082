// Times the background search of the real connection windows on the large
// generated catalogues against the same search run the synchronous way
// (on the window's thread, into the same list, told to the view once at the
// end), and reports what the user sees of it: the time from Find to the
// first row listed (beside the time the engine needs for the first row of
// the first statement alone), the interval between updates of the list, and
// how long a stop takes to be answered.
//
//   bench_background_search [oracle catalogue] [SQL Server catalogue] [Designer repository]
//
// Total times are best of several runs, the two ways in turn: wall time,
// which is what the user waits, and processor time of the whole process (both
// threads), which a loaded machine disturbs less.

#include "BenchReference.h"

#include "app/FMain.h"
#include "db/KsAdo.h"
#include "kinds/designer/DesignerSearch.h"
#include "kinds/designer/FConnectDesigner.h"
#include "kinds/mssql/FConnectMsSql.h"
#include "kinds/oracle/FConnectOracle.h"
#include "search/KsResultModel.h"
#include "kinds/mssql/MsSqlSearch.h"
#include "kinds/oracle/OracleSearch.h"
#include "text/FKsTextView.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

#ifndef QUILLMERE_LARGE_CATALOGUE
#define QUILLMERE_LARGE_CATALOGUE ""
#endif
#ifndef QUILLMERE_MSSQL_LARGE_CATALOGUE
#define QUILLMERE_MSSQL_LARGE_CATALOGUE ""
#endif
#ifndef QUILLMERE_DESIGNER_LARGE_CATALOGUE
#define QUILLMERE_DESIGNER_LARGE_CATALOGUE ""
#endif

namespace {

constexpr int Runs = 5;
constexpr int StopRuns = 7;
// Deliveries closer than this are one update of the list (one batch makes
// an insert signal for every run of rows that lands together).
constexpr qint64 SameUpdateMs = 5;

struct Timing {
    double wallMs = std::numeric_limits<double>::max();
    double cpuMs = std::numeric_limits<double>::max();
    void keepBest(double wall, double cpu)
    {
        wallMs = std::min(wallMs, wall);
        cpuMs = std::min(cpuMs, cpu);
    }
};

// One kind of window and its search, both ways.
struct Case {
    QString name;
    TfrmConnectionBase *window = nullptr;
    // Sets the window's search bar for the search.
    std::function<void()> prepare;
    // The search as Find ran it before it went to the background.
    std::function<void()> synchronous;
    // The first statement of the search, for the engine's own first row.
    QString firstStatement;
};

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// What one background run showed.
struct Seen {
    double wallMs = 0;
    double cpuMs = 0;
    double firstRowMs = -1;
    QList<double> updateGaps; // between the ends of one update and the start of the next
    int updates = 0;
    int rows = 0;
};

// Runs the window's background search and waits for its end in the event
// loop, watching the list.
Seen runInBackground(Case &job)
{
    TfrmConnectionBase *window = job.window;
    ks::KsResultModel *model = window->resultModel();
    Seen seen;
    QElapsedTimer clock;
    qint64 lastSignal = -1;
    qint64 lastUpdateEnd = -1;
    const auto noteUpdate = [&] {
        const qint64 now = clock.nsecsElapsed();
        if (seen.firstRowMs < 0 && model->rowCount() > 0)
            seen.firstRowMs = double(now) / 1e6;
        if (lastSignal < 0 || now - lastSignal > SameUpdateMs * 1000000) {
            if (lastUpdateEnd >= 0)
                seen.updateGaps << double(now - lastUpdateEnd) / 1e6;
            ++seen.updates;
        }
        lastSignal = now;
        lastUpdateEnd = now;
    };
    const auto inserted = QObject::connect(model, &QAbstractItemModel::rowsInserted, window, noteUpdate);
    const auto reset = QObject::connect(model, &QAbstractItemModel::modelReset, window, noteUpdate);
    QEventLoop loop;
    const auto ended = QObject::connect(window, &KsMdiChild::statusTextChanged, &loop, [&] {
        if (!window->isSearching())
            loop.quit();
    });
    const double cpuStart = ks::bench::processorMilliseconds();
    clock.start();
    window->btnFindClick();
    if (window->isSearching())
        loop.exec();
    seen.wallMs = double(clock.nsecsElapsed()) / 1e6;
    seen.cpuMs = ks::bench::processorMilliseconds() - cpuStart;
    QObject::disconnect(inserted);
    QObject::disconnect(reset);
    QObject::disconnect(ended);
    seen.rows = model->rowCount();
    return seen;
}

void runSynchronously(Case &job, Timing &timing)
{
    const double cpuStart = ks::bench::processorMilliseconds();
    QElapsedTimer clock;
    clock.start();
    job.synchronous();
    // The view lays out the rows it was told of, as it does after a search.
    QCoreApplication::processEvents();
    timing.keepBest(double(clock.nsecsElapsed()) / 1e6, ks::bench::processorMilliseconds() - cpuStart);
}

// How long after stopSearch() the window says the search has ended; the stop
// comes `after` ms into the search.
double stopLatency(Case &job, int after)
{
    TfrmConnectionBase *window = job.window;
    QEventLoop loop;
    QElapsedTimer stopping;
    const auto ended = QObject::connect(window, &KsMdiChild::statusTextChanged, &loop, [&] {
        if (!window->isSearching())
            loop.quit();
    });
    QTimer::singleShot(after, window, [&] {
        stopping.start();
        window->stopSearch();
    });
    window->btnFindClick();
    loop.exec();
    QObject::disconnect(ended);
    if (!window->statusText().startsWith(QStringLiteral("Stopped after")))
        return -1; // ended before the stop came
    return double(stopping.nsecsElapsed()) / 1e6;
}

// The engine alone: a connection opened, the first statement run to its
// first row.
double engineFirstRow(const QString &connectionString, const QString &sql)
{
    QElapsedTimer clock;
    clock.start();
    const ks::ConnectionPtr connection = ks::OpenConnection(connectionString, QString(), QString());
    const auto rows = connection->execute(sql);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    rows->close();
    connection->close();
    return ms;
}

void choose(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    if (index < 0)
        qFatal("no entry %s", qPrintable(text));
    box->setCurrentIndex(index);
    Q_EMIT box->activated(index);
}

QString oracleString(const QString &file)
{
    return QStringLiteral("provider=OraOLEDB.Oracle;user id=bench;password=bench;data source=") + file;
}

Case oracleCase(TfrmMain &main, const QString &file, const QString &text)
{
    Case job;
    job.name = QStringLiteral("Oracle \"%1\"").arg(text);
    auto *window = TfrmConnectionOracle::open(&main, oracleString(file));
    job.window = window;
    job.prepare = [window, text] {
        choose(window->cbDict, QStringLiteral("ALL"));
        choose(window->cbSchema, QStringLiteral("(all)"));
        window->edFind->setText(text);
    };
    ks::oracle::SearchRequest request;
    request.prefix = QStringLiteral("ALL");
    request.searchText = text;
    request.schema = QStringLiteral("(all)");
    request.schemaIndex = 0;
    const ks::oracle::SearchState state = ks::oracle::makeSearchState(request);
    job.firstStatement = ks::oracle::searchStatements(state, request).constFirst().sql;
    job.synchronous = [window, state, request] {
        ks::KsResultModel &model = *window->resultModel();
        model.clear();
        {
            ks::KsResultModel::Batch batch(model);
            const ks::ConnectionPtr connection = ks::OpenConnection(window->connectionString(), QString(), QString());
            ks::oracle::runSearch(
                *connection, state, request, [&model](ks::ResultRow row) { model.addRow(std::move(row)); });
            connection->close();
        }
    };
    return job;
}

Case msSqlCase(TfrmMain &main, const QString &file, const QString &text)
{
    Case job;
    job.name = QStringLiteral("SQL Server \"%1\"").arg(text);
    auto *window = TfrmConnectionMsSql::open(
        &main, ks::BuildMsSqlConnectionString(file, QStringLiteral("bench"), QString(), QString()));
    job.window = window;
    job.prepare = [window, text] { window->edFind->setText(text); };
    const ks::mssql::SearchRequest request {text, true};
    job.firstStatement = ks::mssql::searchStatements(request).constFirst().sql;
    job.synchronous = [window, request] {
        ks::KsResultModel &model = *window->resultModel();
        model.clear();
        {
            ks::KsResultModel::Batch batch(model);
            const ks::ConnectionPtr connection = ks::OpenConnection(window->connectionString(), QString(), QString());
            ks::mssql::runSearch(*connection, request, [&model](ks::ResultRow row) { model.addRow(std::move(row)); });
            connection->close();
        }
    };
    return job;
}

Case designerCase(TfrmMain &main, const QString &file, const QString &appSys, const QString &text)
{
    Case job;
    job.name = QStringLiteral("Designer \"%1\"").arg(text);
    auto *window = TfrmConnectionDesigner::open(&main, oracleString(file));
    job.window = window;
    job.prepare = [window, appSys, text] {
        choose(window->cbAppSys, appSys);
        window->cbIncUserDefs->setChecked(true);
        window->cbIncCreateChanges->setChecked(true);
        window->cbIncOwningUser->setChecked(true);
        window->edFind->setText(text);
    };
    ks::designer::SearchRequest request;
    request.applicationSystem = appSys;
    request.searchText = text;
    request.ignoreCase = true;
    request.include = ks::designer::IncludeOptions {true, true, true};
    job.firstStatement = ks::designer::idStatement(window->repositoryKind(), appSys);
    job.synchronous = [window, request, &main] {
        ks::KsResultModel &model = *window->resultModel();
        model.clear();
        // The search log, as Find opened it.
        TfrmKsTextViewer *log = TfrmKsTextViewer::create(&main, QStringLiteral("search log"));
        {
            std::unique_ptr<TfrmKsTextViewerOutput> output = log->CreateOutput();
            ks::KsResultModel::Batch batch(model);
            const ks::ConnectionPtr connection = ks::OpenConnection(window->connectionString(), QString(), QString());
            ks::designer::runSearch(
                *connection, window->repositoryKind(), window->repositoryTables(), request,
                [&model](ks::ResultRow row) { model.addRow(std::move(row)); },
                [&output](const QString &line) { output->WriteLn(line); });
            connection->close();
        }
    };
    return job;
}

// The log viewers the searches open pile up; each run starts without them.
void closeViewers(TfrmMain &main)
{
    for (KsMdiChild *child : main.childWindows()) {
        if (qobject_cast<TfrmKsTextViewer *>(child))
            child->subWindow()->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto fileArg = [&args](int index, const char *builtIn) {
        return args.size() > index && !args.at(index).isEmpty() ? args.at(index) : QString::fromUtf8(builtIn);
    };
    const QString oracle = fileArg(1, QUILLMERE_LARGE_CATALOGUE);
    const QString msSql = fileArg(2, QUILLMERE_MSSQL_LARGE_CATALOGUE);
    const QString designer = fileArg(3, QUILLMERE_DESIGNER_LARGE_CATALOGUE);
    for (const QString &file : {oracle, msSql, designer}) {
        if (file.isEmpty() || !QFileInfo::exists(file)) {
            std::fprintf(stderr,
                "no catalogue %s: build oracle_large_catalogue, mssql_large_catalogue and designer_large_catalogue\n",
                qPrintable(file));
            return 1;
        }
    }

    TfrmMain main;
    main.resize(1000, 700);
    main.show();

    QList<Case> cases;
    cases << oracleCase(main, oracle, QStringLiteral("_0")) << oracleCase(main, oracle, QStringLiteral("order"))
          << msSqlCase(main, msSql, QStringLiteral("Order"))
          << designerCase(main, designer, QStringLiteral("ORDERS"), QStringLiteral("customer"));
    closeViewers(main);

    QTextStream out(stdout);
    out << "catalogues: " << oracle << ", " << msSql << ", " << designer << "\n"
        << "the real windows, offscreen; totals best of " << Runs << " runs, the two ways in turn\n\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
               .arg(QStringLiteral("search"), -22)
               .arg(QStringLiteral("rows"), 7)
               .arg(QStringLiteral("sync ms"), 9)
               .arg(QStringLiteral("bg ms"), 9)
               .arg(QStringLiteral("wall"), 6)
               .arg(QStringLiteral("sync cpu"), 9)
               .arg(QStringLiteral("bg cpu"), 9)
               .arg(QStringLiteral("cpu"), 6)
               .arg(QStringLiteral("first row ms (engine)"), 22);
    double worstWall = 0;
    double worstCpu = 0;
    QList<QPair<QString, Seen>> lastSeen;
    for (Case &job : cases) {
        job.prepare();
        Timing sync;
        Timing background;
        double firstRow = std::numeric_limits<double>::max();
        double engine = std::numeric_limits<double>::max();
        Seen seen;
        for (int run = 0; run < Runs; ++run) {
            runSynchronously(job, sync);
            closeViewers(main);
            seen = runInBackground(job);
            closeViewers(main);
            background.keepBest(seen.wallMs, seen.cpuMs);
            if (seen.firstRowMs >= 0)
                firstRow = std::min(firstRow, seen.firstRowMs);
            engine = std::min(engine, engineFirstRow(job.window->connectionString(), job.firstStatement));
        }
        lastSeen << qMakePair(job.name, seen);
        worstWall = std::max(worstWall, background.wallMs / sync.wallMs);
        worstCpu = std::max(worstCpu, background.cpuMs / sync.cpuMs);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9\n")
                   .arg(job.name, -22)
                   .arg(seen.rows, 7)
                   .arg(sync.wallMs, 9, 'f', 1)
                   .arg(background.wallMs, 9, 'f', 1)
                   .arg(background.wallMs / sync.wallMs, 6, 'f', 3)
                   .arg(sync.cpuMs, 9, 'f', 1)
                   .arg(background.cpuMs, 9, 'f', 1)
                   .arg(background.cpuMs / sync.cpuMs, 6, 'f', 3)
                   .arg(QStringLiteral("%1 (%2)")
                            .arg(firstRow == std::numeric_limits<double>::max() ? -1.0 : firstRow, 0, 'f', 1)
                            .arg(engine, 0, 'f', 1),
                       22);
        out.flush();
    }
    out << "worst ratio background / synchronous: wall " << QString::number(worstWall, 'f', 3) << ", processor "
        << QString::number(worstCpu, 'f', 3) << " (goal: within 1.05)\n"
        << "first row: from Find to the first row in the list; in brackets the engine alone, opening its connection "
           "and running the first statement to its first row (goal: within 100 ms where that is quick)\n\n";

    out << "list updates during the last background run of each search:\n"
        << QStringLiteral("%1 %2 %3 %4 %5\n")
               .arg(QStringLiteral("search"), -22)
               .arg(QStringLiteral("updates"), 8)
               .arg(QStringLiteral("per s"), 7)
               .arg(QStringLiteral("min gap ms"), 11)
               .arg(QStringLiteral("median gap ms"), 14);
    for (const auto &[name, seen] : std::as_const(lastSeen)) {
        const double minGap
            = seen.updateGaps.isEmpty() ? 0 : *std::min_element(seen.updateGaps.cbegin(), seen.updateGaps.cend());
        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(name, -22)
                   .arg(seen.updates, 8)
                   .arg(seen.wallMs > 0 ? seen.updates * 1000.0 / seen.wallMs : 0, 7, 'f', 1)
                   .arg(minGap, 11, 'f', 1)
                   .arg(median(seen.updateGaps), 14, 'f', 1);
    }
    out << "(goal: at most about 20 updates a second; the last update comes with the end and may be closer)\n\n";

    out << "stop latency, from Stop to the window's end of the search, stopped a third of the way in, " << StopRuns
        << " runs:\n"
        << QStringLiteral("%1 %2 %3 %4\n")
               .arg(QStringLiteral("search"), -22)
               .arg(QStringLiteral("min ms"), 8)
               .arg(QStringLiteral("median ms"), 10)
               .arg(QStringLiteral("max ms"), 8);
    for (int i = 0; i < cases.size(); ++i) {
        Case &job = cases[i];
        const int after = std::max(5, int(lastSeen.at(i).second.wallMs / 3));
        QList<double> latencies;
        for (int run = 0; run < StopRuns; ++run) {
            const double latency = stopLatency(job, after);
            closeViewers(main);
            if (latency >= 0)
                latencies << latency;
        }
        if (latencies.isEmpty()) {
            out << QStringLiteral("%1 (ended before the stop)\n").arg(job.name, -22);
            continue;
        }
        out << QStringLiteral("%1 %2 %3 %4\n")
                   .arg(job.name, -22)
                   .arg(*std::min_element(latencies.cbegin(), latencies.cend()), 8, 'f', 1)
                   .arg(median(latencies), 10, 'f', 1)
                   .arg(*std::max_element(latencies.cbegin(), latencies.cend()), 8, 'f', 1);
        out.flush();
    }
    out << "(goal: within 200 ms on a catalogue file)\n";
    return 0;
}
