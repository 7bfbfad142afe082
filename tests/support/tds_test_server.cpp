// tds_test_server <catalogue-file> [options]: the tests' TDS server on its
// own, for trying the SQL Server path by hand (isql, the program's connect
// dialog). Runs until interrupted.

#include "support/TdsTestServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tds_test_server"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves a catalogue file over TDS 7.4 on 127.0.0.1."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("catalogue-file"), QStringLiteral("The SQLite catalogue to serve."));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on (default: a free one)."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption user(
        QStringLiteral("user"), QStringLiteral("Login name (default quill)."), QStringLiteral("name"), "quill");
    const QCommandLineOption password(
        QStringLiteral("password"), QStringLiteral("Password (default secret)."), QStringLiteral("text"), "secret");
    const QCommandLineOption refuse(QStringLiteral("refuse-login"), QStringLiteral("Refuse every login (18456)."));
    const QCommandLineOption fail(QStringLiteral("fail"),
        QStringLiteral("Fail every statement that contains TEXT with MESSAGE."), QStringLiteral("TEXT=MESSAGE"));
    const QCommandLineOption drop(QStringLiteral("drop-after"),
        QStringLiteral("Drop the connection after N rows of a result."), QStringLiteral("N"), QStringLiteral("-1"));
    const QCommandLineOption stallRows(QStringLiteral("stall-after"),
        QStringLiteral("Fall silent after N rows of a result."), QStringLiteral("N"), QStringLiteral("-1"));
    const QCommandLineOption pauseRows(QStringLiteral("pause-after"),
        QStringLiteral("Wait after N rows of a result until the client sends an attention."), QStringLiteral("N"),
        QStringLiteral("-1"));
    const QCommandLineOption stall(QStringLiteral("stall"),
        QStringLiteral("Never answer the pre-login (prelogin) or the login (login)."), QStringLiteral("where"));
    const QCommandLineOption delay(QStringLiteral("row-delay"), QStringLiteral("Milliseconds waited before each row."),
        QStringLiteral("ms"), QStringLiteral("0"));
    parser.addOptions({port, user, password, refuse, fail, drop, stallRows, pauseRows, stall, delay});
    parser.process(app);

    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << parser.helpText();
        return 2;
    }
    ks::test::TdsTestServer server(
        parser.positionalArguments().constFirst(), parser.value(user), parser.value(password));
    server.setRefuseLogin(parser.isSet(refuse));
    for (const QString &rule : parser.values(fail)) {
        const qsizetype equals = rule.indexOf(u'=');
        if (equals <= 0) {
            err << "--fail takes TEXT=MESSAGE\n";
            return 2;
        }
        server.failStatements(rule.left(equals), rule.mid(equals + 1));
    }
    server.setDropAfterRows(parser.value(drop).toInt());
    server.setStallAfterRows(parser.value(stallRows).toInt());
    server.setPauseAfterRows(parser.value(pauseRows).toInt());
    server.setRowDelay(parser.value(delay).toInt());
    if (parser.isSet(stall)) {
        const QString where = parser.value(stall);
        if (where == QLatin1String("prelogin"))
            server.setStall(ks::test::TdsTestServer::Stall::Prelogin);
        else if (where == QLatin1String("login"))
            server.setStall(ks::test::TdsTestServer::Stall::Login);
        else {
            err << "--stall takes prelogin or login\n";
            return 2;
        }
    }
    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    if (!portOk || portNumber > 65535) {
        err << "--port takes a number from 0 to 65535\n";
        return 2;
    }
    if (!server.start(quint16(portNumber))) {
        err << server.errorString() << '\n';
        return 1;
    }
    QTextStream(stdout) << "Listening on 127.0.0.1:" << server.port() << Qt::endl
                        << "ODBC: "
                        << ks::test::freeTdsConnectionString(
                               server.port(), QStringLiteral("catalogue"), parser.value(user), parser.value(password))
                        << Qt::endl;
    return app.exec();
}
