#include "BenchPostgres.h"

#include "db/KsConnectionString.h"

#include <QElapsedTimer>

#include <cstdio>

namespace ks::bench {

QString PgBenchServer::connectionString() const
{
    return QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User Id=%4;Password=%5")
        .arg(host, QString::number(port), connectionStringValue(database), connectionStringValue(user),
            connectionStringValue(password));
}

QByteArray PgBenchServer::conninfo() const
{
    return QStringLiteral("host=%1 port=%2 dbname='%3' user='%4' password='%5'")
        .arg(host, QString::number(port), database, user, password)
        .toUtf8();
}

bool startPgBenchServer(PgBenchServer &server, QStringList &args, const QString &catalogueScript, QTextStream &out)
{
    if (args.size() >= 2 && args.constFirst() == QStringLiteral("--port")) {
        server.port = args.at(1).toInt();
        args = args.mid(2);
        return true;
    }
    if (const auto reason = ks::test::PgTestServer::unavailableReason()) {
        std::fprintf(stderr, "%s\n", qPrintable(*reason));
        return false;
    }
    server.own = std::make_unique<ks::test::PgTestServer>(server.user, server.password, server.database);
    QElapsedTimer loading;
    loading.start();
    if (!server.own->start() || !server.own->runSqlFile(catalogueScript)
        || !server.own->runSql(QStringLiteral("VACUUM"))) {
        std::fprintf(stderr, "%s\n", qPrintable(server.own->errorString()));
        return false;
    }
    server.port = server.own->port();
    out << "PostgreSQL " << server.own->version() << ", " << catalogueScript << " loaded in "
        << QString::number(double(loading.elapsed()) / 1000.0, 'f', 1) << " s\n";
    return true;
}

} // namespace ks::bench
