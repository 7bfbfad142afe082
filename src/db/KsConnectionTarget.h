#pragma once
// Turns a connection string into what Qt SQL has to open: a catalogue file
// through QSQLITE, an Oracle database through QOCI, or an ODBC connection
// through QODBC. The installed drivers are passed in, so the translation is
// the same pure function on every machine and in the tests.

#include <QString>
#include <QStringList>

#include <functional>

namespace ks {

struct ConnectionTarget {
    enum class Kind { CatalogueFile, Oci, Odbc, Postgres };

    Kind kind = Kind::Odbc;
    QString qtDriver; // "QSQLITE", "QOCI", "QODBC" or "QPSQL"
    // catalogue file, Oracle data source, ODBC connection string or PostgreSQL database
    QString databaseName;
    QString userName; // QOCI and QPSQL; ODBC carries its login in databaseName
    QString password; // QOCI and QPSQL
    QString connectOptions; // QSqlDatabase::setConnectOptions(); QPSQL: host, port and timeout
    // The provider whose SQL dialect a catalogue file speaks (see
    // KsFileDialect.h); the Oracle dictionary's where nothing says otherwise.
    QString dialect = QStringLiteral("OraOLEDB.Oracle");
};

// What a data source (or a server) names on this machine, as far as
// catalogue files go.
struct CatalogueFileCheck {
    enum class Kind {
        NoFile, // no file of that name: a database name for a client
        Folder, // a folder of that name
        Catalogue, // an SQLite database file
        NotCatalogue, // a file that cannot be opened as a catalogue
        Unreadable, // a file that cannot be read at all
    };
    Kind kind = Kind::NoFile;
    QString reason; // NotCatalogue, Unreadable: why, in the engine's or the system's words
};

// What is installed on the machine, as far as opening a connection goes.
struct DriverEnvironment {
    QStringList qtDrivers; // QSqlDatabase::drivers()
    QStringList odbcDrivers; // names registered with the ODBC driver manager
    // What a path names (see inspectCatalogueFile).
    std::function<CatalogueFileCheck(const QString &path)> inspectFile;
    // Whether the user may hold a Kerberos ticket, which FreeTDS's integrated
    // login needs (see kerberosCredentialsMayExist); none means yes.
    std::function<bool()> kerberosCredentials;

    // The drivers and files of this machine.
    static DriverEnvironment system();
};

// How long a SQL Server login may take before the open fails.
inline constexpr int kMsSqlLoginTimeoutSeconds = 15;
// How long a PostgreSQL connection may take before the open fails.
inline constexpr int kPostgresConnectTimeoutSeconds = 15;

// Translates an ADO connection string; userId and password, when not empty,
// take the place of "User Id" and "Password" in the string. A data source (or
// SQL Server's server) that names a catalogue file opens the file; one that
// names any other existing file raises ks::Error "<file> is not a catalogue
// file: <why>" (or "<file> cannot be read: <why>"), a folder "<folder> is a
// folder, not a catalogue file", and one that is written as a path (see
// looksLikeFilePath) but names nothing "<path>: no such file". Raises ks::Error that
// says what is missing and how to install it when nothing here can open the
// string, and names the field when a value cannot be carried to the client
// (FreeTDS cannot take a value that contains "};"), or says how to get a
// Kerberos ticket when Windows authentication through FreeTDS has none to
// log in with. SQL Server logins are bounded by kMsSqlLoginTimeoutSeconds.
ConnectionTarget translateConnectionString(const QString &connectionString, const QString &userId,
    const QString &password, const DriverEnvironment &environment);

// An ODBC target for a ready ODBC connection string ("Driver={...};...").
// Raises ks::Error for a text that Qt's ODBC driver would misread.
ConnectionTarget odbcTarget(const QString &odbcConnectionString);

// `value` in ODBC braces, a "}" in it doubled: {a}}b}.
QString odbcBraced(const QString &value);

// True when `path` is a file that starts with SQLite's "SQLite format 3" header.
bool isSqliteDatabaseFile(const QString &path);

// Whether `path` names no file, a folder, a catalogue file, a file that is not
// one (the reason is SQLite's own, "file is not a database", or that the file
// is empty), or a file that cannot be read (the system's reason).
CatalogueFileCheck inspectCatalogueFile(const QString &path);

// Whether a data source or server is written as a file's path rather than as
// a database name: it ends in ".qmcat", or starts at a root ("/", but not an
// Easy Connect "//host", or a drive "C:/") or at "./", "../" or "~/". Easy
// Connect texts such as "host:1521/ORCL" and "host/ORCL" stay database names.
bool looksLikeFilePath(const QString &dataSource);

// What a catalogue file holds, as its tables tell: the id of the kind of
// catalogue that registered their signature ("mssql"), or none.
struct CatalogueFileKind {
    QString id; // empty where no kind knows the file

    bool isKnown() const { return !id.isEmpty(); }
    bool operator==(const CatalogueFileKind &) const = default;
};

// How a kind's catalogue files are told by their tables.
struct CatalogueFileSignature {
    QString kindId; // "mssql"
    QString description; // "a SQL Server catalogue"
    QStringList tables; // a file with any of these (tables or views) is of the kind
    // Where a file holds the tables of several kinds, the lower tells first.
    int precedence = 0;
};

// The precedence of a signature whose tables no other kind's file holds,
// and of one whose tables other kinds' files may hold as well.
inline constexpr int kTellsFirst = 0;
inline constexpr int kTellsLast = 9;

// Registers a kind's signature; the kinds do it when they are made.
void registerCatalogueFileKind(const CatalogueFileSignature &signature);

// The kind of the catalogue file `path` (letter case of the table names
// ignored); none for a file that SQLite cannot read or no kind knows.
CatalogueFileKind catalogueKindOf(const QString &path);

// What a kind's files hold, as its signature says ("a SQL Server
// catalogue"); "no known catalogue" for none.
QString catalogueKindName(const CatalogueFileKind &kind);

// Raises ks::Error "<file> holds a SQL Server catalogue, not an Oracle data
// dictionary." when `dataSource` names a catalogue file whose tables tell
// another kind than `expected`. Anything else passes: a database name, a file
// of no known kind, a file that is no catalogue (opening it says why).
void requireCatalogueKind(const QString &dataSource, const CatalogueFileKind &expected);

// False only when this user surely holds no Kerberos ticket: no credential
// cache named by KRB5CCNAME, none configured in the Kerberos configuration
// (KRB5_CONFIG or /etc/krb5.conf), and no default cache file
// /tmp/krb5cc_<uid>. Caches that cannot be looked into (a keyring, a cache
// daemon) count as possibly holding one.
bool kerberosCredentialsMayExist();

// The ODBC drivers the driver manager knows (unixODBC's odbcinst.ini).
QStringList installedOdbcDrivers();

} // namespace ks
