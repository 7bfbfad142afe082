// pg_test_server [file.sql...] [options]: the tests' throwaway PostgreSQL
// server on its own, for trying the PostgreSQL path by hand and loading
// benchmark databases. Loads the scripts as the superuser, prints what to
// type into a connect dialog and runs until Ctrl+C or SIGTERM, then stops
// the server and removes its folder.

#include "PgTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <csignal>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
}

QString seconds(const QElapsedTimer &timer)
{
    return QString::number(double(timer.elapsed()) / 1000.0, 'f', 2);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pg_test_server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Starts a throwaway PostgreSQL server on 127.0.0.1, loads the SQL files into its database and "
                       "runs until interrupted."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("files"), QStringLiteral("SQL scripts run as the superuser."), QStringLiteral("[file.sql...]"));
    const QCommandLineOption user(
        QStringLiteral("user"), QStringLiteral("Login name (default quill)."), QStringLiteral("name"), "quill");
    const QCommandLineOption password(
        QStringLiteral("password"), QStringLiteral("Password (default secret)."), QStringLiteral("text"), "secret");
    const QCommandLineOption database(QStringLiteral("database"),
        QStringLiteral("Database the user owns (default quillmere)."), QStringLiteral("name"), "quillmere");
    parser.addOptions({user, password, database});
    parser.process(app);

    // Ctrl+C reaches the programs the server runs too (psql loading a
    // script stops); this one only notes it and cleans up. The server
    // itself runs in a session of its own.
    struct sigaction action { };
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaction(number, &action, nullptr);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (const auto reason = ks::test::PgTestServer::unavailableReason()) {
        err << *reason << Qt::endl;
        return 1;
    }
    ks::test::PgTestServer server(parser.value(user), parser.value(password), parser.value(database));
    QElapsedTimer timer;
    timer.start();
    if (!server.start()) {
        err << server.errorString() << Qt::endl;
        return 1;
    }
    out << "PostgreSQL " << server.version() << " started in " << seconds(timer) << " s in " << server.directory()
        << Qt::endl;
    for (const QString &file : parser.positionalArguments()) {
        timer.start();
        if (stopRequested || !server.runSqlFile(file)) {
            err << file << ": " << (stopRequested ? QStringLiteral("interrupted") : server.errorString()) << Qt::endl;
            return 1;
        }
        out << "Loaded " << file << " in " << seconds(timer) << " s" << Qt::endl;
    }
    out << "\nConnect with\n"
        << "  Host:     " << server.host() << "\n  Port:     " << server.port() << "\n  Database: " << server.database()
        << "\n  User:     " << server.user() << "\n  Password: " << server.password() << "\n\nSuperuser: psql -h "
        << server.socketDir() << " -p " << server.port() << " -U " << server.superUser() << ' ' << server.database()
        << "\nPress Ctrl+C to stop the server and remove it." << Qt::endl;

    // Waits with the signals blocked but for the moment of sigsuspend, so
    // that one arriving between the check and the wait is not lost.
    sigset_t stopSignals;
    sigset_t previous;
    sigemptyset(&stopSignals);
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stopSignals, number);
    sigprocmask(SIG_BLOCK, &stopSignals, &previous);
    while (!stopRequested)
        sigsuspend(&previous);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    out << "Stopping." << Qt::endl;
    return 0;
}
