#pragma once
// The PostgreSQL server the PostgreSQL benchmarks time against: one that is
// running already (--port N), or a throwaway one loaded with the benchmark
// catalogue.

#include "PgTestServer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>

namespace ks::bench {

struct PgBenchServer {
    QString host = QStringLiteral("127.0.0.1");
    int port = 0;
    QString database = QStringLiteral("quillmere");
    QString user = QStringLiteral("quill");
    QString password = QStringLiteral("secret");
    std::unique_ptr<ks::test::PgTestServer> own; // the throwaway server, stopped with this

    // As the program's connections name it.
    QString connectionString() const;
    // As libpq's PQconnectdb takes it.
    QByteArray conninfo() const;
};

// "--port N" at the front of `args` (taken off) names a server that holds
// the catalogue; otherwise a throwaway server is started, loaded with
// `catalogueScript` and vacuumed at once, so that autovacuum does not wake
// up on the new rows in the middle of the timings; what was loaded and how
// long it took goes to `out`. False, with the reason on stderr, when no
// server can be had.
bool startPgBenchServer(PgBenchServer &server, QStringList &args, const QString &catalogueScript, QTextStream &out);

} // namespace ks::bench
