#pragma once
// The database access layer: connection strings, opening a connection from
// one, running SQL text and walking the rows it returns. Qt SQL serves it;
// which driver stands behind a connection is decided from the string's
// provider (see KsConnectionTarget.h).

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>

namespace ks {

// The value of `key` in an ADO-style connection string ("k=v;k=v"): the key is
// matched ignoring letter case, only at the start or right after a ";", and only
// when "=" follows it directly; the first occurrence wins; a missing key gives
// the empty text.
QString GetConnectionValue(const QString &connectionString, const QString &key);

// `text` with every `quoteChar` replaced by `replacement`, between two
// `quoteChar`s: QuoteSqlText("O'Brien", "'", "''") gives 'O''Brien'.
QString QuoteSqlText(const QString &text, const QString &quoteChar, const QString &replacement);

// "Provider=sqloledb;Data Source=<server>;Initial Catalog=<database>" followed by
// the SQL login, or by ";Integrated Security=SSPI" when userName is empty.
QString BuildMsSqlConnectionString(
    const QString &server, const QString &database, const QString &userName, const QString &password);

// The general conversion of a field value: NULL gives the empty text.
QString fieldText(const QVariant &value);
// The strict conversion: NULL raises "Invalid variant type conversion".
QString fieldTextStrict(const QVariant &value);

// The rows of one executed statement, read forward only.
class Recordset {
public:
    virtual ~Recordset() = default;
    virtual bool eof() const = 0;
    virtual void moveNext() = 0;
    virtual int fieldCount() const = 0;
    // Field of the current row by 0-based position, or by column name
    // (letter case ignored). A NULL value is a null QVariant. An unknown
    // position or name, or reading past the end, raises ks::Error.
    virtual QVariant value(int index) const = 0;
    virtual QVariant value(const QString &name) const = 0;
    virtual void close() = 0;

    QString text(int index) const { return fieldText(value(index)); }
    QString text(const QString &name) const { return fieldText(value(name)); }
    QString strictText(int index) const { return fieldTextStrict(value(index)); }
    QString strictText(const QString &name) const { return fieldTextStrict(value(name)); }
};

// A record set that holds the values of its current row; an engine supplies
// the column names and reads one row after another.
class RowRecordset : public Recordset {
public:
    bool eof() const override { return m_eof; }
    void moveNext() override;
    int fieldCount() const override { return int(m_names.size()); }
    QVariant value(int index) const override;
    QVariant value(const QString &name) const override;
    void close() override;

protected:
    // Takes the column names and reads the first row; called once by the
    // engine's constructor.
    void start(QStringList names);
    // Reads the next row into `row`, NULLs as null QVariants; false at the end.
    virtual bool fetchRow(QVariantList &row) = 0;
    // Lets go of the engine's result.
    virtual void release() = 0;

private:
    void requireOpen() const;

    QStringList m_names;
    QVariantList m_row;
    bool m_eof = true;
    bool m_closed = false;
};

class ConnectionPrivate;
struct ConnectionTarget;

// One database connection, opened from a connection string for one operation
// and closed at its end (or when the last owner lets go of it).
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens the connection; raises ks::Error with the client's message text.
    // userId and password, when not empty, take the place of those in the string.
    void open(const QString &connectionString, const QString &userId, const QString &password);
    // Opens a target already translated (see KsConnectionTarget.h), for
    // example an ODBC connection string; raises ks::Error as open() does.
    void openTarget(const ConnectionTarget &target);
    bool isOpen() const;
    // 1 while open, 0 otherwise.
    int state() const { return isOpen() ? 1 : 0; }
    // Runs SQL text and returns its rows positioned on the first one. Raises
    // ks::Error with the client's message; on a connection that did not open,
    // the message says so and why the open failed.
    std::unique_ptr<Recordset> execute(const QString &sql);
    void close();

private:
    std::shared_ptr<ConnectionPrivate> d;
};

using ConnectionPtr = std::shared_ptr<Connection>;

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

// Every statement executed through the layer is first handed to the observer,
// if one is set, also when running it then fails (tests inspect the SQL text
// sent; diagnostics may log it).
using StatementObserver = std::function<void(const QString &sql)>;
class ScopedStatementObserver {
public:
    explicit ScopedStatementObserver(StatementObserver observer);
    ~ScopedStatementObserver();
    ScopedStatementObserver(const ScopedStatementObserver &) = delete;
    ScopedStatementObserver &operator=(const ScopedStatementObserver &) = delete;

private:
    StatementObserver m_previous;
};

} // namespace ks
