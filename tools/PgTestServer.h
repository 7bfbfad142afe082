#pragma once
// A throwaway PostgreSQL server for the tests, benchmarks and demo of the
// PostgreSQL path: a new cluster in a temporary folder of its own, with its
// socket there and TCP on 127.0.0.1 at a free port, password logins
// (SCRAM) for one test user who owns one database. The cluster is stopped
// and its folder removed when the object goes, also after a failed check.
//
//     PgTestServer server;                          // user "quill", password "secret"
//     QVERIFY2(server.start(), qPrintable(server.errorString()));
//     server.runSqlFile(demoScript);                // as the superuser, in database()
//
// The server refuses to run as root: as root, the cluster belongs to the
// "postgres" system user and its programs run as that user.

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTemporaryDir;

namespace ks::test {

class PgTestServer {
public:
    explicit PgTestServer(QString user = QStringLiteral("quill"), QString password = QStringLiteral("secret"),
        QString database = QStringLiteral("quillmere"));
    ~PgTestServer();
    PgTestServer(const PgTestServer &) = delete;
    PgTestServer &operator=(const PgTestServer &) = delete;

    // Why no server can be started on this machine (its programs or the
    // user to run them as are missing), or nothing when one can.
    static std::optional<QString> unavailableReason();

    // Makes the cluster, starts it, and creates the test user and its
    // database; false with errorString() when any step fails. Clusters
    // left behind by runs that died are stopped and removed first.
    bool start();
    QString errorString() const { return m_error; }

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    // The folder of the cluster, its log and its socket.
    QString directory() const;
    QString socketDir() const { return directory(); }
    QString database() const { return m_database; }
    QString user() const { return m_user; }
    QString password() const { return m_password; }
    // Logs in through the socket without a password.
    QString superUser() const { return QStringLiteral("postgres"); }
    // The server's major version, as in /usr/lib/postgresql/<version>.
    QString version() const;

    // Runs SQL text or a script file through psql as the superuser, in
    // `database` (database() when empty), stopping at its first error.
    // Returns what the statements printed, one row a line and the columns
    // separated by "|"; nothing, with errorString(), when one failed.
    std::optional<QString> runSql(const QString &sql, const QString &database = {});
    std::optional<QString> runSqlFile(const QString &path, const QString &database = {});

    // Ends the sessions of `user` and waits until they are gone, as an
    // administrator or a dying server does; their next statement fails.
    // Returns how many ended, or -1 with errorString().
    int terminateConnections(const QString &user);

private:
    std::optional<QString> psql(const QStringList &arguments, const QByteArray &input, const QString &database);

    QString m_user;
    QString m_password;
    QString m_database;
    std::unique_ptr<QTemporaryDir> m_dir;
    quint16 m_port = 0;
    bool m_running = false;
    QString m_error;
};

} // namespace ks::test
