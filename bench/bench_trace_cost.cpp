// What tracing costs the database layer. While no trace window listens and
// Log to File is off, a statement pays one relaxed atomic load: the bench
// times that load alone, and then the same small statement on a catalogue
// file run straight on its engine, through the connection with tracing off,
// and through the connection with a listening window (lines built and
// handed over); a second engine shows how much two equal connections differ
// anyway. Best of several rounds, nanoseconds per statement.

#include "db/KsConnection.h"
#include "db/KsConnectionTarget.h"
#include "db/KsEngine.h"
#include "db/KsRecordset.h"
#include "db/KsTrace.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

constexpr int Statements = 20000;
constexpr int Rounds = 5;
const QString Sql = QStringLiteral("select n from t where n = 7");

// Stands in for the trace window: listens and is never shown anything.
class Listener : public QObject {
public:
    bool event(QEvent *event) override
    {
        return event->type() == ks::trace::pendingEventType() || QObject::event(event);
    }
};

bool makeCatalogue(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    const int rc = sqlite3_exec(db,
        "create table t (n integer primary key, name text);"
        "with recursive k(n) as (select 1 union all select n + 1 from k where n < 100)"
        " insert into t select n, 'name ' || n from k;",
        nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

int readAll(ks::Recordset &rows)
{
    int sum = 0;
    for (; !rows.eof(); rows.moveNext())
        sum += rows.value(0).toInt();
    return sum;
}

// Best time per call over the rounds, in nanoseconds.
double best(const std::function<void()> &batch, int calls)
{
    double result = std::numeric_limits<double>::max();
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        batch();
        result = std::min(result, double(timer.nsecsElapsed()) / calls);
    }
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.qmcat"));
    if (!makeCatalogue(file))
        qFatal("cannot create the catalogue file");
    ks::ConnectionTarget target;
    target.kind = ks::ConnectionTarget::Kind::CatalogueFile;
    target.qtDriver = QStringLiteral("QSQLITE");
    target.databaseName = file;

    // The check alone.
    constexpr int Checks = 100'000'000;
    int active = 0;
    const double check = best(
        [&] {
            for (int i = 0; i < Checks; ++i) {
                active += ks::trace::active() ? 1 : 0;
                asm volatile("" : : "r"(active) : "memory");
            }
        },
        Checks);
    out << "ks::trace::active(), nobody listening: " << QString::number(check, 'f', 2) << " ns\n";

    int sum = 0;
    std::unique_ptr<ks::Engine> engine = ks::openEngine(target);
    // A second engine of its own shows how far two equal connections differ.
    std::unique_ptr<ks::Engine> otherEngine = ks::openEngine(target);
    ks::Connection connection;
    connection.openTarget(target);
    const auto onEngine = [&] {
        for (int i = 0; i < Statements; ++i) {
            auto rows = engine->execute(Sql);
            sum += readAll(*rows);
        }
    };
    const auto onOtherEngine = [&] {
        for (int i = 0; i < Statements; ++i) {
            auto rows = otherEngine->execute(Sql);
            sum += readAll(*rows);
        }
    };
    const auto throughConnection = [&] {
        for (int i = 0; i < Statements; ++i) {
            auto rows = connection.execute(Sql);
            sum += readAll(*rows);
        }
    };
    // Interleaved, so that a slower phase of the machine hits all alike.
    double engineOnly = std::numeric_limits<double>::max();
    double otherEngineOnly = std::numeric_limits<double>::max();
    double tracingOff = std::numeric_limits<double>::max();
    for (int pass = 0; pass < 3; ++pass) {
        engineOnly = std::min(engineOnly, best(onEngine, Statements));
        tracingOff = std::min(tracingOff, best(throughConnection, Statements));
        otherEngineOnly = std::min(otherEngineOnly, best(onOtherEngine, Statements));
    }
    Listener listener;
    ks::trace::attachWindow(&listener, true);
    const double tracingOn = best(
        [&] {
            throughConnection();
            ks::trace::takePending();
        },
        Statements);
    ks::trace::detachWindow(&listener);

    out << "statement on the engine itself:        " << QString::number(engineOnly, 'f', 0) << " ns\n";
    out << "the same on a second engine:           " << QString::number(otherEngineOnly, 'f', 0) << " ns ("
        << QString::number(100.0 * (otherEngineOnly - engineOnly) / engineOnly, 'f', 1) << " %, the noise)\n";
    out << "through the connection, tracing off:   " << QString::number(tracingOff, 'f', 0) << " ns ("
        << QString::number(100.0 * (tracingOff - engineOnly) / engineOnly, 'f', 1) << " %)\n";
    out << "through the connection, window listens: " << QString::number(tracingOn, 'f', 0) << " ns ("
        << QString::number(100.0 * (tracingOn - engineOnly) / engineOnly, 'f', 1) << " %)\n";
    out << "(rows digest " << sum % 1000 << ", checks " << active << ")\n";
    return 0;
}
