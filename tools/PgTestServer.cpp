#include "PgTestServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ks::test {

namespace {

// The system user that owns the clusters when the tests run as root.
constexpr char kOwner[] = "postgres";
// Every cluster's folder starts so, in the temporary folder; a left-over one
// is found by it.
const QString kFolderPrefix = QStringLiteral("qm-pg-");
const QString kOwnerPidFile = QStringLiteral("owner.pid");

// The bin folder of the newest server installed, or empty.
QString binDir()
{
    static const QString dir = [] {
        const QDir root(QStringLiteral("/usr/lib/postgresql"));
        QString newest;
        int newestVersion = -1;
        for (const QString &name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            bool numeric = false;
            const int version = name.toInt(&numeric);
            if (numeric && version > newestVersion && QFileInfo::exists(root.filePath(name + "/bin/initdb"))) {
                newestVersion = version;
                newest = root.filePath(name + QStringLiteral("/bin"));
            }
        }
        return newest;
    }();
    return dir;
}

QString tool(const char *name)
{
    return binDir() + u'/' + QLatin1String(name);
}

QString runuser()
{
    return QStandardPaths::findExecutable(QStringLiteral("runuser"),
        {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
}

bool isRoot()
{
    return ::geteuid() == 0;
}

QString literal(QString text)
{
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}
QString identifier(QString name)
{
    return u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

struct Result {
    bool ok = false;
    QString output;
    QString error;
};

// Runs a program to its end in `folder`; `asOwner` runs it as the
// cluster's owner, who is another user when we are root.
Result run(QString program, QStringList arguments, const QString &folder, bool asOwner, const QByteArray &input = {})
{
    if (asOwner && isRoot()) {
        arguments
            = QStringList {QStringLiteral("-u"), QLatin1String(kOwner), QStringLiteral("--"), program} + arguments;
        program = runuser();
    }
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Scripts and output are UTF-8 whatever the locale of the run.
    environment.insert(QStringLiteral("PGCLIENTENCODING"), QStringLiteral("UTF8"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {false, {}, program + QStringLiteral(": ") + process.errorString()};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    Result result;
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.error = QString::fromUtf8(process.readAllStandardError()).trimmed();
    result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!result.ok && result.error.isEmpty())
        result.error
            = QFileInfo(program).fileName() + QStringLiteral(" failed with exit code %1").arg(process.exitCode());
    return result;
}

// A TCP port on 127.0.0.1 that nobody listens on at the moment.
quint16 freePort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket < 0)
        return 0;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    quint16 port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        && ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(socket);
    return port;
}

void stopCluster(const QString &folder)
{
    if (QFileInfo::exists(folder + QStringLiteral("/data/postmaster.pid")))
        run(tool("pg_ctl"),
            {QStringLiteral("-D"), folder + QStringLiteral("/data"), QStringLiteral("-m"), QStringLiteral("immediate"),
                QStringLiteral("-w"), QStringLiteral("stop")},
            folder, true);
}

// A run that died (a crash, an abort under a sanitizer) left its cluster
// running; stop it and remove its folder, so that servers do not pile up.
void removeLeftovers()
{
    const QDir temp(QDir::tempPath());
    for (const QFileInfo &folder : temp.entryInfoList({kFolderPrefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile ownerPid(folder.filePath() + u'/' + kOwnerPidFile);
        if (!ownerPid.open(QIODevice::ReadOnly))
            continue;
        const pid_t pid = ownerPid.readAll().trimmed().toInt();
        if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        stopCluster(folder.filePath());
        QDir(folder.filePath()).removeRecursively();
    }
}

QString logTail(const QString &path)
{
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    const qint64 tail = 2000;
    log.seek(std::max<qint64>(0, log.size() - tail));
    return QString::fromUtf8(log.readAll()).trimmed();
}

} // namespace

PgTestServer::PgTestServer(QString user, QString password, QString database)
    : m_user(std::move(user))
    , m_password(std::move(password))
    , m_database(std::move(database))
{
}

PgTestServer::~PgTestServer()
{
    if (m_running)
        stopCluster(directory());
}

std::optional<QString> PgTestServer::unavailableReason()
{
    if (binDir().isEmpty())
        return QStringLiteral("PostgreSQL's server is not installed (no /usr/lib/postgresql/<version>/bin/initdb); "
                              "scripts/setup.sh installs it");
    if (isRoot() && ::getpwnam(kOwner) == nullptr)
        return QStringLiteral("PostgreSQL refuses to run as root, and there is no \"postgres\" user to run it as");
    if (isRoot() && runuser().isEmpty())
        return QStringLiteral("PostgreSQL refuses to run as root, and runuser is missing to run it as \"postgres\"");
    return std::nullopt;
}

QString PgTestServer::directory() const
{
    return m_dir ? m_dir->path() : QString();
}

QString PgTestServer::version() const
{
    return QFileInfo(binDir()).dir().dirName();
}

bool PgTestServer::start()
{
    if (const auto reason = unavailableReason()) {
        m_error = *reason;
        return false;
    }
    removeLeftovers();
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + u'/' + kFolderPrefix + QStringLiteral("XXXXXX"));
    if (!m_dir->isValid()) {
        m_error = QStringLiteral("Cannot make the cluster's folder: ") + m_dir->errorString();
        return false;
    }
    const QString folder = directory();
    QFile ownerPid(m_dir->filePath(kOwnerPidFile));
    if (!ownerPid.open(QIODevice::WriteOnly)
        || ownerPid.write(QByteArray::number(QCoreApplication::applicationPid())) <= 0) {
        m_error = ownerPid.fileName() + QStringLiteral(": ") + ownerPid.errorString();
        return false;
    }
    ownerPid.close();
    if (isRoot()) {
        const passwd *owner = ::getpwnam(kOwner);
        if (::chown(QFile::encodeName(folder).constData(), owner->pw_uid, owner->pw_gid) != 0) {
            m_error = QStringLiteral("Cannot give %1 to %2").arg(folder, QLatin1String(kOwner));
            return false;
        }
    }

    // Nothing here needs to survive a crash of the machine: no syncs, and
    // little shared memory, so that a cluster starts in a second or two.
    const QString data = folder + QStringLiteral("/data");
    const Result made = run(tool("initdb"),
        {QStringLiteral("-D"), data, QStringLiteral("--no-sync"), QStringLiteral("-E"), QStringLiteral("UTF8"),
            QStringLiteral("--locale=C.UTF-8"), QStringLiteral("-U"), superUser(), QStringLiteral("--auth-local=trust"),
            QStringLiteral("--auth-host=scram-sha-256")},
        folder, true);
    if (!made.ok) {
        m_error = QStringLiteral("initdb failed: ") + made.error;
        return false;
    }
    QFile config(data + QStringLiteral("/postgresql.conf"));
    if (!config.open(QIODevice::Append)
        || config.write(QStringLiteral("listen_addresses = '127.0.0.1'\n"
                                       "unix_socket_directories = %1\n"
                                       "fsync = off\nsynchronous_commit = off\nfull_page_writes = off\n"
                                       "shared_buffers = 16MB\nmax_connections = 30\n")
                            .arg(literal(folder))
                            .toUtf8())
            < 0) {
        m_error = config.fileName() + QStringLiteral(": ") + config.errorString();
        return false;
    }
    config.close();

    // Another server may take the free port before this one binds it.
    const QString log = folder + QStringLiteral("/server.log");
    for (int attempt = 0; attempt < 3 && !m_running; ++attempt) {
        m_port = freePort();
        m_running = run(tool("pg_ctl"),
            {QStringLiteral("-D"), data, QStringLiteral("-l"), log, QStringLiteral("-w"), QStringLiteral("-o"),
                QStringLiteral("-p %1").arg(m_port), QStringLiteral("start")},
            folder, true)
                        .ok;
    }
    if (!m_running) {
        m_error = QStringLiteral("The server did not start:\n") + logTail(log);
        return false;
    }
    return runSql(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD %2;\nCREATE DATABASE %3 OWNER %1;\n")
                      .arg(identifier(m_user), literal(m_password), identifier(m_database)),
        QStringLiteral("postgres"))
        .has_value();
}

std::optional<QString> PgTestServer::runSql(const QString &sql, const QString &database)
{
    return psql({}, sql.toUtf8(), database);
}

std::optional<QString> PgTestServer::runSqlFile(const QString &path, const QString &database)
{
    return psql({QStringLiteral("-f"), QFileInfo(path).absoluteFilePath()}, {}, database);
}

int PgTestServer::terminateConnections(const QString &user)
{
    // The filter ends only the sessions of `user`, whatever order the
    // planner evaluates conditions in; the timeout makes each call wait
    // until its session is gone.
    const auto ended = runSql(QStringLiteral("SELECT count(*) FILTER (WHERE pg_terminate_backend(pid, 10000)) "
                                             "FROM pg_stat_activity WHERE usename = %1;")
                                  .arg(literal(user)),
        QStringLiteral("postgres"));
    return ended ? ended->trimmed().toInt() : -1;
}

std::optional<QString> PgTestServer::psql(
    const QStringList &arguments, const QByteArray &input, const QString &database)
{
    if (!m_running) {
        m_error = QStringLiteral("The server is not running");
        return std::nullopt;
    }
    const Result result = run(tool("psql"),
        QStringList {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
            QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), socketDir(),
            QStringLiteral("-p"), QString::number(m_port), QStringLiteral("-U"), superUser(), QStringLiteral("-d"),
            database.isEmpty() ? m_database : database}
            + arguments,
        directory(), false, input);
    if (!result.ok) {
        m_error = result.error;
        return std::nullopt;
    }
    return result.output;
}

} // namespace ks::test
