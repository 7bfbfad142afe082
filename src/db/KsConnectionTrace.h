#pragma once
// What the database layer writes to the trace (see db/KsTrace.h): each
// connection opened and closed, named without its password, and each
// statement with the time it took and the rows read. The connection calls
// these only while tracing is active; none of them ever throws.

#include <QElapsedTimer>
#include <QString>

#include <memory>

namespace ks {

class Engine;
class Recordset;
struct ConnectionTarget;

// The target as the trace names it: the kind, the database and the user,
// never the password (an ODBC connection string loses its PWD and Password).
QString traceTargetName(const ConnectionTarget &target);

// A data source as the trace shows it: an address without its password.
QString withoutAddressPassword(const QString &dataSource);
// An ODBC connection string without its PWD and Password pairs (braced
// values may hold ";" and "}}").
QString withoutOdbcPassword(const QString &connectionString);

void traceOpened(const ConnectionTarget &target, const QElapsedTimer &timer) noexcept;
void traceOpenFailed(const ConnectionTarget &target, const QElapsedTimer &timer, const QString &message) noexcept;
// A connection string that could not even be translated: named by its
// provider, data source and user, never its password.
void traceOpenFailed(const QString &connectionString, const QString &userId, const QString &message) noexcept;
void traceClosed(const ConnectionTarget &target) noexcept;

// Runs the statement on `engine`, tracing it, its failure or, once its rows
// are closed or let go, the rows read and the time taken since it started.
std::unique_ptr<Recordset> executeTraced(Engine &engine, const QString &sql);

} // namespace ks
