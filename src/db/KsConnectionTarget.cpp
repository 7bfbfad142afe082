#include "db/KsConnectionTarget.h"

#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "db/KsFileDialect.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSqlDatabase>
#include <QUrl>
#include <QUrlQuery>

#include <sqlite3.h>

#include <algorithm>

#include <memory>
#include <optional>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

#include <sql.h>
#include <sqlext.h>

namespace ks {

namespace {

const QString kOdbcVersionOption = QStringLiteral("SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3");

bool sameText(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString findDriver(const QStringList &installed, const QString &name)
{
    for (const QString &driver : installed) {
        if (sameText(driver, name))
            return driver;
    }
    return {};
}

QString findDriverContaining(const QStringList &installed, const QString &part)
{
    for (const QString &driver : installed) {
        if (driver.contains(part, Qt::CaseInsensitive))
            return driver;
    }
    return {};
}

void requireQtDriver(const DriverEnvironment &environment, const QString &driver, const QString &package)
{
    if (!environment.qtDrivers.contains(driver))
        throw Error(QStringLiteral("Qt's SQL driver %1 is not installed. Install it with \"apt-get install %2\" "
                                   "and connect again.")
                        .arg(driver, package));
}

ConnectionTarget odbcConnection(const QString &connectionText)
{
    // QODBC 6.4 prefixes "FILEDSN=" to any connection text that contains
    // ".dsn" anywhere, and the driver manager then looks for a file DSN.
    if (connectionText.contains(QStringLiteral(".dsn"), Qt::CaseInsensitive))
        throw Error(QStringLiteral("Qt's ODBC driver cannot open this connection: it takes any connection text "
                                   "that contains \".dsn\" for a file DSN, and the server, database, user name "
                                   "or password here contains \".dsn\"."));
    ConnectionTarget target;
    target.kind = ConnectionTarget::Kind::Odbc;
    target.qtDriver = QStringLiteral("QODBC");
    target.databaseName = connectionText;
    target.connectOptions = kOdbcVersionOption;
    return target;
}

struct Login {
    QString userName;
    QString password;
};

ConnectionTarget oracleTarget(const QString &dataSource, const Login &login, const DriverEnvironment &environment)
{
    if (environment.qtDrivers.contains(QStringLiteral("QOCI"))) {
        ConnectionTarget target;
        target.kind = ConnectionTarget::Kind::Oci;
        target.qtDriver = QStringLiteral("QOCI");
        target.databaseName = dataSource; // TNS alias or Easy Connect text; empty for the default database
        target.userName = login.userName;
        target.password = login.password;
        return target;
    }
    const QString driver = findDriverContaining(environment.odbcDrivers, QStringLiteral("Oracle"));
    if (driver.isEmpty())
        throw Error(QStringLiteral(
            "No Oracle client is installed: neither Qt's QOCI driver nor an Oracle ODBC driver was found. "
            "Install Oracle Instant Client (Basic and ODBC packages) and register its ODBC driver with "
            "the driver manager (odbc_update_ini.sh of the Instant Client, or \"odbcinst -i -d\"), "
            "then connect again."));
    requireQtDriver(environment, QStringLiteral("QODBC"), QStringLiteral("libqt6sql6-odbc"));
    QString text = QStringLiteral("Driver=") + odbcBraced(driver);
    if (!dataSource.isEmpty())
        text += QStringLiteral(";DBQ=") + odbcBraced(dataSource);
    text += QStringLiteral(";UID=") + odbcBraced(login.userName) + QStringLiteral(";PWD=") + odbcBraced(login.password);
    return odbcConnection(text);
}

// A value of a FreeTDS connection string. FreeTDS reads a braced value as
// it stands, up to the first "}" that a ";" or the end of the string follows,
// and does not take a doubled "}}" for one "}"; so the value goes into braces
// unchanged, and one that holds "};" (or a NUL, which ends the text) cannot be
// carried at all.
QString freeTdsBraced(const QString &value, const QString &field)
{
    if (value.contains(QStringLiteral("};")))
        throw Error(QStringLiteral("The %1 cannot be passed to FreeTDS: it contains \"};\", which FreeTDS's ODBC "
                                   "driver takes for the end of the %1. Choose a %1 without a \"}\" followed by "
                                   "\";\", or connect through Microsoft's ODBC Driver 18 for SQL Server.")
                        .arg(field));
    if (value.contains(QChar(0)))
        throw Error(QStringLiteral("The %1 cannot be passed to FreeTDS: it contains a NUL character.").arg(field));
    return u'{' + value + u'}';
}

ConnectionTarget msSqlTarget(const QString &connectionString, const QString &dataSource, const Login &login,
    const DriverEnvironment &environment)
{
    QString driver = findDriver(environment.odbcDrivers, QStringLiteral("ODBC Driver 18 for SQL Server"));
    const bool driver18 = !driver.isEmpty();
    if (driver.isEmpty())
        driver = findDriver(environment.odbcDrivers, QStringLiteral("ODBC Driver 17 for SQL Server"));
    const bool microsoft = !driver.isEmpty();
    if (!microsoft)
        driver = findDriverContaining(environment.odbcDrivers, QStringLiteral("FreeTDS"));
    if (driver.isEmpty())
        throw Error(
            QStringLiteral("No SQL Server ODBC driver is installed. Install FreeTDS's driver with "
                           "\"apt-get install tdsodbc unixodbc\" (or Microsoft's \"ODBC Driver 18 for SQL Server\", "
                           "package msodbcsql18), then connect again."));
    requireQtDriver(environment, QStringLiteral("QODBC"), QStringLiteral("libqt6sql6-odbc"));

    // Microsoft's drivers undo a doubled "}" inside braces, as ODBC has it;
    // FreeTDS takes braced values literally.
    const auto braced = [microsoft](const QString &value, const QString &field) {
        return microsoft ? odbcBraced(value) : freeTdsBraced(value, field);
    };
    QString text = QStringLiteral("Driver=") + odbcBraced(driver);
    if (microsoft) {
        // Microsoft's driver reads host, host,port and host\instance itself.
        text += QStringLiteral(";Server=") + braced(dataSource, QStringLiteral("server name"));
    } else {
        // FreeTDS takes the port apart; host\instance it resolves itself.
        const qsizetype comma = dataSource.indexOf(u',');
        text += QStringLiteral(";Server=")
            + braced(comma < 0 ? dataSource : dataSource.left(comma).trimmed(), QStringLiteral("server name"));
        if (comma >= 0)
            text += QStringLiteral(";Port=") + braced(dataSource.mid(comma + 1).trimmed(), QStringLiteral("port"));
    }
    const QString database = GetConnectionValue(connectionString, QStringLiteral("initial catalog"));
    if (!database.isEmpty())
        text += QStringLiteral(";Database=") + braced(database, QStringLiteral("database name"));

    const QString integrated = GetConnectionValue(connectionString, QStringLiteral("integrated security")).trimmed();
    if (sameText(integrated, QStringLiteral("SSPI")) || sameText(integrated, QStringLiteral("true"))
        || sameText(integrated, QStringLiteral("yes"))) {
        // The driver's integrated login: Kerberos with the user's ticket.
        // Without one FreeTDS only says it could not connect, which blames
        // the server; say what is missing instead.
        if (!microsoft && environment.kerberosCredentials && !environment.kerberosCredentials())
            throw Error(QStringLiteral(
                "Windows authentication through FreeTDS logs in with the Kerberos ticket of the user, and this "
                "user has none. Get one with \"kinit <user>@<REALM>\" (package krb5-user) and connect again, "
                "or log in with a user name and password."));
        text += QStringLiteral(";Trusted_Connection=Yes");
    } else {
        text += QStringLiteral(";UID=") + braced(login.userName, QStringLiteral("user name")) + QStringLiteral(";PWD=")
            + braced(login.password, QStringLiteral("password"));
    }
    if (driver18) {
        // Driver 18 insists on encryption by default; the connection strings
        // mean the old provider's default, encryption only when the server
        // asks for it.
        text += QStringLiteral(";Encrypt=Optional");
    }
    if (!microsoft)
        text += QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
    ConnectionTarget target = odbcConnection(text);
    // Without a bound FreeTDS waits for ever on a server that accepts the
    // connection and never answers the login.
    target.connectOptions += QStringLiteral(";SQL_ATTR_LOGIN_TIMEOUT=%1").arg(kMsSqlLoginTimeoutSeconds);
    return target;
}

// A value of a libpq connection option, quoted as libpq reads it. Qt's
// driver turns every ";" of its options into a blank, so none may stand in one.
QString postgresOption(const QString &key, const QString &value, const QString &field)
{
    if (value.contains(u';'))
        throw Error(QStringLiteral("The PostgreSQL %1 cannot contain \";\".").arg(field));
    QString quoted = value;
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\'', QStringLiteral("\\'"));
    return key + QStringLiteral("='") + quoted + QStringLiteral("';");
}

ConnectionTarget postgresTarget(const QString &connectionString, const QString &dataSource, const Login &login,
    const DriverEnvironment &environment)
{
    requireQtDriver(environment, QStringLiteral("QPSQL"), QStringLiteral("libqt6sql6-psql"));
    QString host = dataSource.trimmed();
    QString port = GetConnectionValue(connectionString, QStringLiteral("port")).trimmed();
    QString database = GetConnectionValue(connectionString, QStringLiteral("initial catalog"));
    Login effective = login;
    QString extra;
    bool ownTimeout = false;
    if (host.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive)
        || host.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive)) {
        // A server address as psql takes it: what it says wins over the
        // fields it leaves out only.
        const QUrl url(host, QUrl::StrictMode);
        if (!url.isValid())
            throw Error(QStringLiteral("%1 is not a PostgreSQL address: %2").arg(host, url.errorString()));
        host = url.host();
        if (url.port() >= 0)
            port = QString::number(url.port());
        if (const QString path = url.path().mid(1); !path.isEmpty())
            database = path;
        if (!url.userName().isEmpty())
            effective.userName = url.userName();
        if (!url.password().isEmpty())
            effective.password = url.password();
        for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
            extra += postgresOption(key, value, key);
            ownTimeout = ownTimeout || key == QStringLiteral("connect_timeout");
        }
    }
    ConnectionTarget target;
    target.kind = ConnectionTarget::Kind::Postgres;
    target.qtDriver = QStringLiteral("QPSQL");
    target.databaseName = database;
    target.userName = effective.userName;
    // Empty: libpq looks in ~/.pgpass and PGPASSWORD itself.
    target.password = effective.password;
    if (!host.isEmpty())
        target.connectOptions += postgresOption(QStringLiteral("host"), host, QStringLiteral("host"));
    if (!port.isEmpty())
        target.connectOptions += postgresOption(QStringLiteral("port"), port, QStringLiteral("port"));
    // Without a bound libpq waits for ever on a server that never answers;
    // libpq takes the last of two values, so an address's own bound would lose.
    target.connectOptions += extra;
    if (!ownTimeout)
        target.connectOptions += QStringLiteral("connect_timeout=%1").arg(kPostgresConnectTimeoutSeconds);
    return target;
}

// An ODBC environment handle freed on every way out.
class OdbcEnvironment {
public:
    OdbcEnvironment()
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_handle)))
            m_handle = SQL_NULL_HANDLE;
        else
            SQLSetEnvAttr(m_handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    }
    ~OdbcEnvironment()
    {
        if (m_handle != SQL_NULL_HANDLE)
            SQLFreeHandle(SQL_HANDLE_ENV, m_handle);
    }
    OdbcEnvironment(const OdbcEnvironment &) = delete;
    OdbcEnvironment &operator=(const OdbcEnvironment &) = delete;
    SQLHENV handle() const { return m_handle; }

private:
    SQLHENV m_handle = SQL_NULL_HANDLE;
};

ConnectionTarget oracleServerTarget(
    const QString &, const QString &dataSource, const Login &login, const DriverEnvironment &environment)
{
    return oracleTarget(dataSource, login, environment);
}

// The providers a connection string may name, each with the client that
// reaches its servers and the SQL dialect of its catalogue files.
struct Provider {
    QLatin1StringView name; // as "Provider=" names it, letter case aside
    QLatin1StringView description; // what users call its servers
    ConnectionTarget (*serverTarget)(const QString &connectionString, const QString &dataSource, const Login &login,
        const DriverEnvironment &environment);
};

constexpr Provider kProviders[] = {
    {QLatin1StringView("OraOLEDB.Oracle"), QLatin1StringView("Oracle"), &oracleServerTarget},
    {QLatin1StringView("sqloledb"), QLatin1StringView("SQL Server"), &msSqlTarget},
    {QLatin1StringView("PostgreSQL"), QLatin1StringView("PostgreSQL"), &postgresTarget},
};

// "\"Provider=A\" (a), \"Provider=B\" (b) or \"Provider=C\" (c)".
QString knownProviders()
{
    QStringList known;
    for (const Provider &provider : kProviders)
        known << QStringLiteral("\"Provider=%1\" (%2)").arg(provider.name, provider.description);
    const QString last = known.takeLast();
    return known.isEmpty() ? last : known.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

} // namespace

DriverEnvironment DriverEnvironment::system()
{
    DriverEnvironment environment;
    environment.qtDrivers = QSqlDatabase::drivers();
    environment.odbcDrivers = installedOdbcDrivers();
    environment.inspectFile = &inspectCatalogueFile;
    environment.kerberosCredentials = &kerberosCredentialsMayExist;
    return environment;
}

ConnectionTarget translateConnectionString(const QString &connectionString, const QString &userId,
    const QString &password, const DriverEnvironment &environment)
{
    const QString name = GetConnectionValue(connectionString, QStringLiteral("provider")).trimmed();
    if (name.isEmpty())
        throw Error(
            QStringLiteral("The connection string names no provider. Connections open with %1.").arg(knownProviders()));
    const auto provider = std::find_if(std::begin(kProviders), std::end(kProviders),
        [&name](const Provider &candidate) { return sameText(name, candidate.name); });
    if (provider == std::end(kProviders))
        throw Error(
            QStringLiteral("Provider \"%1\" is not known. Connections open with %2.").arg(name, knownProviders()));

    const Login login {userId.isEmpty() ? GetConnectionValue(connectionString, QStringLiteral("user id")) : userId,
        password.isEmpty() ? GetConnectionValue(connectionString, QStringLiteral("password")) : password};
    const QString dataSource = GetConnectionValue(connectionString, QStringLiteral("data source"));
    // A data source names a catalogue file only where a kind reads the
    // provider's files; elsewhere it is always reached through its client.
    if (!hasFileDialect(provider->name))
        return provider->serverTarget(connectionString, dataSource, login, environment);

    const CatalogueFileCheck file
        = dataSource.isEmpty() || !environment.inspectFile ? CatalogueFileCheck() : environment.inspectFile(dataSource);
    // A file the user named is meant to be opened as one; no database client
    // would make sense of it, nor of a folder or a path that names nothing.
    // PostgreSQL's client takes a folder for the one that holds the server's socket.
    if (file.kind == CatalogueFileCheck::Kind::Folder && provider->serverTarget != &postgresTarget)
        throw Error(QStringLiteral("%1 is a folder, not a catalogue file").arg(dataSource));
    if (file.kind == CatalogueFileCheck::Kind::NoFile && looksLikeFilePath(dataSource))
        throw Error(QStringLiteral("%1: no such file").arg(dataSource));
    if (file.kind == CatalogueFileCheck::Kind::NotCatalogue)
        throw Error(QStringLiteral("%1 is not a catalogue file: %2").arg(dataSource, file.reason));
    if (file.kind == CatalogueFileCheck::Kind::Unreadable)
        throw Error(QStringLiteral("%1 cannot be read: %2").arg(dataSource, file.reason));
    if (file.kind == CatalogueFileCheck::Kind::Catalogue) {
        requireQtDriver(environment, QStringLiteral("QSQLITE"), QStringLiteral("libqt6sql6-sqlite"));
        ConnectionTarget target;
        target.kind = ConnectionTarget::Kind::CatalogueFile;
        target.qtDriver = QStringLiteral("QSQLITE");
        target.databaseName = dataSource;
        target.connectOptions = QStringLiteral("QSQLITE_OPEN_READONLY"); // a catalogue file is never changed
        target.dialect = provider->name;
        return target;
    }
    return provider->serverTarget(connectionString, dataSource, login, environment);
}

ConnectionTarget odbcTarget(const QString &odbcConnectionString)
{
    return odbcConnection(odbcConnectionString);
}

QString odbcBraced(const QString &value)
{
    QString escaped = value;
    escaped.replace(u'}', QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

bool isSqliteDatabaseFile(const QString &path)
{
    static const QByteArray header("SQLite format 3\0", 16);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(header.size()) == header;
}

CatalogueFileCheck inspectCatalogueFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return {CatalogueFileCheck::Kind::Folder, {}};
    if (!info.isFile())
        return {};
    if (isSqliteDatabaseFile(path))
        return {CatalogueFileCheck::Kind::Catalogue, {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {CatalogueFileCheck::Kind::Unreadable, file.errorString()};
    // SQLite would take an empty file for an empty database without tables.
    if (file.size() == 0)
        return {CatalogueFileCheck::Kind::NotCatalogue, QStringLiteral("the file is empty")};
    file.close();

    // Let the engine say what it makes of the file.
    QString reason;
    sqlite3 *handle = nullptr;
    const QByteArray name = path.toUtf8(); // as Qt's SQLite driver names it
    if (sqlite3_open_v2(name.constData(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK
        || sqlite3_exec(handle, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
        reason = QString::fromUtf8(handle ? sqlite3_errmsg(handle) : "out of memory");
    sqlite3_close(handle);
    if (reason.isEmpty())
        reason = QStringLiteral("it does not start with the header of an SQLite database");
    return {CatalogueFileCheck::Kind::NotCatalogue, reason};
}

bool looksLikeFilePath(const QString &dataSource)
{
    const QString text = dataSource.trimmed();
    if (text.endsWith(QStringLiteral(".qmcat"), Qt::CaseInsensitive))
        return true;
    if (text.startsWith(u'/'))
        return !text.startsWith(QStringLiteral("//"));
    for (const QString &start : {QStringLiteral("./"), QStringLiteral("../"), QStringLiteral("~/")}) {
        if (text.startsWith(start))
            return true;
    }
    // A drive letter, "C:/" or "C:\" (a one-letter host has a port's digits
    // after its colon).
    return text.size() > 2 && text.at(0).isLetter() && text.at(1) == u':'
        && (text.at(2) == u'/' || text.at(2) == u'\\');
}

namespace {

struct FileKinds {
    QMutex mutex;
    QList<CatalogueFileSignature> signatures; // by precedence
};

FileKinds &fileKinds()
{
    static FileKinds registry;
    return registry;
}

QList<CatalogueFileSignature> fileSignatures()
{
    FileKinds &kinds = fileKinds();
    const QMutexLocker lock(&kinds.mutex);
    return kinds.signatures;
}

} // namespace

void registerCatalogueFileKind(const CatalogueFileSignature &signature)
{
    FileKinds &kinds = fileKinds();
    const QMutexLocker lock(&kinds.mutex);
    kinds.signatures.removeIf(
        [&signature](const CatalogueFileSignature &known) { return known.kindId == signature.kindId; });
    const auto at = std::upper_bound(kinds.signatures.begin(), kinds.signatures.end(), signature.precedence,
        [](int precedence, const CatalogueFileSignature &known) { return precedence < known.precedence; });
    kinds.signatures.insert(at, signature);
}

CatalogueFileKind catalogueKindOf(const QString &path)
{
    const QByteArray name = path.toUtf8(); // as Qt's SQLite driver names it
    sqlite3 *opened = nullptr;
    const int status = sqlite3_open_v2(name.constData(), &opened, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> handle(opened, &sqlite3_close);
    if (status != SQLITE_OK)
        return {};
    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(handle.get(), "SELECT lower(name) FROM sqlite_master WHERE type IN ('table', 'view')", -1,
            &prepared, nullptr)
        != SQLITE_OK)
        return {};
    const std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)> statement(prepared, &sqlite3_finalize);
    QSet<QString> tables;
    while (sqlite3_step(statement.get()) == SQLITE_ROW)
        tables.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.get(), 0))));
    for (const CatalogueFileSignature &signature : fileSignatures()) {
        for (const QString &table : signature.tables) {
            if (tables.contains(table.toLower()))
                return {signature.kindId};
        }
    }
    return {};
}

QString catalogueKindName(const CatalogueFileKind &kind)
{
    for (const CatalogueFileSignature &signature : fileSignatures()) {
        if (signature.kindId == kind.id)
            return signature.description;
    }
    return QStringLiteral("no known catalogue");
}

void requireCatalogueKind(const QString &dataSource, const CatalogueFileKind &expected)
{
    if (dataSource.isEmpty() || inspectCatalogueFile(dataSource).kind != CatalogueFileCheck::Kind::Catalogue)
        return;
    const CatalogueFileKind kind = catalogueKindOf(dataSource);
    if (kind.isKnown() && kind != expected)
        throw Error(QStringLiteral("%1 holds %2, not %3.")
                        .arg(dataSource, catalogueKindName(kind), catalogueKindName(expected)));
}

bool kerberosCredentialsMayExist()
{
#ifdef Q_OS_WIN
    return true; // the system's own logon is the ticket
#else
    QString cache = qEnvironmentVariable("KRB5CCNAME");
    if (cache.isEmpty()) {
        // A configuration may name a default cache of another kind or place.
        QString config = qEnvironmentVariable("KRB5_CONFIG");
        if (config.isEmpty())
            config = QStringLiteral("/etc/krb5.conf");
        for (const QString &file : config.split(u':', Qt::SkipEmptyParts)) {
            QFile configuration(file);
            if (configuration.open(QIODevice::ReadOnly) && configuration.readAll().contains("default_ccache_name"))
                return true;
        }
        cache = QStringLiteral("FILE:/tmp/krb5cc_%1").arg(getuid());
    }
    if (cache.startsWith(QStringLiteral("FILE:")))
        return QFileInfo(cache.mid(5)).isFile();
    if (cache.startsWith(u'/'))
        return QFileInfo(cache).isFile();
    return true; // a keyring, a directory collection or a cache daemon: cannot tell
#endif
}

QStringList installedOdbcDrivers()
{
    QStringList drivers;
    const OdbcEnvironment environment;
    if (environment.handle() == SQL_NULL_HANDLE)
        return drivers;
    SQLCHAR description[512];
    SQLCHAR attributes[2048];
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(environment.handle(), direction, description, sizeof description,
        &descriptionLength, attributes, sizeof attributes, &attributesLength))) {
        drivers << QString::fromLocal8Bit(reinterpret_cast<const char *>(description));
        direction = SQL_FETCH_NEXT;
    }
    return drivers;
}

} // namespace ks
