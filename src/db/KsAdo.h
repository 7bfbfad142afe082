#pragma once
// The database access layer's operations: connection strings (composing
// them, reading a key's value, quoting values), opening a connection from a
// string, running SQL text, and quoting text for SQL. The connection itself
// and its record sets are in KsConnection.h and KsRecordset.h; which engine
// serves a string is decided by KsConnectionTarget.h.

#include "db/KsConnection.h"
#include "db/KsConnectionString.h"
#include "db/KsRecordset.h"

#include <QString>

#include <functional>
#include <memory>

namespace ks {

// `text` with every `quoteChar` replaced by `replacement`, between two
// `quoteChar`s: QuoteSqlText("O'Brien", "'", "''") gives 'O''Brien'.
QString QuoteSqlText(const QString &text, const QString &quoteChar, const QString &replacement);

ConnectionPtr CreateConnection();
// Opens a connection; a failure to open is swallowed and the connection is
// returned closed, so the first ExecuteSql reports it.
ConnectionPtr OpenConnection(const QString &connectionString, const QString &userId, const QString &password);
// As OpenConnection, but errorText is cleared first and receives the failure's text.
ConnectionPtr OpenConnectionReport(
    const QString &connectionString, const QString &userId, const QString &password, QString &errorText);
// Opens a SQL Server connection built by BuildMsSqlConnectionString; a failure is
// handed to showMessage as "Error connecting to database\r\n\r\n" + the client's text
// and the closed connection is returned.
ConnectionPtr OpenMsSqlConnection(const QString &server, const QString &database, const QString &userName,
    const QString &password, const std::function<void(const QString &)> &showMessage);
std::unique_ptr<Recordset> ExecuteSql(Connection &connection, const QString &sql);

} // namespace ks
