#pragma once
// The database access layer's operations: connection strings (composing
// them, reading a key's value, quoting values), opening a connection from a
// string, running SQL text, and quoting text for SQL. The connection itself
// and its record sets are in KsConnection.h and KsRecordset.h; which engine
// serves a string is decided by KsConnectionTarget.h.

#include "db/KsConnection.h"
#include "db/KsRecordset.h"

#include <QString>

#include <functional>
#include <memory>

namespace ks {

// The value of `key` in an ADO-style connection string ("k=v;k=v"): the key is
// matched ignoring the letter case of a to z, only at the start or right after
// the ";" that ends the pair before, and only when "=" follows it directly; the
// first occurrence wins; a missing key gives the empty text. A value written
// between double quotes (see connectionStringValue) is read back without them,
// with doubled quotes made single again; a ";" or "key=" inside it is part of
// the value. Any other value runs to the next ";" and keeps its letter case
// and blanks.
QString GetConnectionValue(const QString &connectionString, const QString &key);

// `value` as it is written after "key=" in a connection string: unchanged,
// unless it contains ";", "=", a quote (" or ') or begins or ends with a blank
// or a control character; then it is put between double quotes with every
// double quote in it doubled, so that it can neither end early nor set another
// key. GetConnectionValue reads both forms back.
QString connectionStringValue(const QString &value);

// `text` with every `quoteChar` replaced by `replacement`, between two
// `quoteChar`s: QuoteSqlText("O'Brien", "'", "''") gives 'O''Brien'.
QString QuoteSqlText(const QString &text, const QString &quoteChar, const QString &replacement);

// "Provider=sqloledb;Data Source=<server>;Initial Catalog=<database>" followed by
// the SQL login, or by ";Integrated Security=SSPI" when userName is empty. Each
// value is written by connectionStringValue.
QString BuildMsSqlConnectionString(
    const QString &server, const QString &database, const QString &userName, const QString &password);

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
