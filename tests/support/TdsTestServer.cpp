#include "support/TdsTestServer.h"

#include "support/TdsCatalogue.h"
#include "support/TdsSession.h"

#include "db/KsConnectionTarget.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QSqlDatabase>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <future>

namespace ks::test {

namespace {

// The listener and its sessions, made and destroyed on the server's thread.
class ServerWorker : public QObject {
public:
    explicit ServerWorker(std::shared_ptr<tds::ServerState> state)
        : m_state(std::move(state))
    {
    }
    ~ServerWorker() override
    {
        // Sessions go before the catalogue they read from.
        m_server.close();
        const auto sessions = findChildren<tds::Session *>(Qt::FindDirectChildrenOnly);
        qDeleteAll(sessions);
        m_catalogue.close();
    }
    ServerWorker(const ServerWorker &) = delete;
    ServerWorker &operator=(const ServerWorker &) = delete;

    bool listen(const QString &catalogueFile, quint16 port, QString &error)
    {
        if (!m_catalogue.open(catalogueFile, error))
            return false;
        connect(&m_server, &QTcpServer::newConnection, this, &ServerWorker::accept);
        if (!m_server.listen(QHostAddress::LocalHost, port)) {
            error = m_server.errorString();
            return false;
        }
        return true;
    }

    quint16 port() const { return m_server.serverPort(); }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++m_state->connections;
            new tds::Session(
                socket, m_state, m_catalogue, m_nextSpid++, [](tds::Session *session) { session->deleteLater(); },
                this);
        }
    }

    std::shared_ptr<tds::ServerState> m_state;
    tds::Catalogue m_catalogue;
    QTcpServer m_server;
    quint16 m_nextSpid = 51;
};

struct Started {
    quint16 port = 0;
    QString error;
};

} // namespace

TdsTestServer::TdsTestServer(QString catalogueFile, const QString &userName, const QString &password)
    : m_state(std::make_shared<tds::ServerState>())
    , m_catalogueFile(std::move(catalogueFile))
    , m_userName(userName)
    , m_password(password)
{
    setLogin(userName, password);
}

TdsTestServer::~TdsTestServer()
{
    stop();
}

bool TdsTestServer::start(quint16 port)
{
    if (m_thread) {
        m_error = QStringLiteral("The server is already running.");
        return false;
    }
    auto started = std::make_shared<std::promise<Started>>();
    std::future<Started> result = started->get_future();
    m_thread.reset(QThread::create([state = m_state, file = m_catalogueFile, port, started] {
        ServerWorker worker(state);
        Started outcome;
        if (!worker.listen(file, port, outcome.error)) {
            started->set_value(outcome);
            return;
        }
        outcome.port = worker.port();
        started->set_value(outcome);
        // Runs until stop() quits the thread's event loops.
        QEventLoop loop;
        loop.exec();
    }));
    m_thread->setObjectName(QStringLiteral("tds-test-server"));
    m_thread->start();
    const Started outcome = result.get();
    if (!outcome.error.isEmpty()) {
        m_thread->wait();
        m_thread.reset();
        m_error = outcome.error;
        return false;
    }
    m_port = outcome.port;
    m_error.clear();
    return true;
}

void TdsTestServer::stop()
{
    if (!m_thread)
        return;
    m_thread->quit();
    m_thread->wait();
    m_thread.reset();
    m_port = 0;
}

void TdsTestServer::setLogin(const QString &userName, const QString &password)
{
    m_state->change([&](tds::Settings &settings) {
        settings.userName = userName;
        settings.password = password;
    });
}

void TdsTestServer::setRefuseLogin(bool refuse)
{
    m_state->change([&](tds::Settings &settings) { settings.refuseLogin = refuse; });
}

void TdsTestServer::failStatements(const QString &containing, const QString &message, int afterRows, int number)
{
    m_state->change([&](tds::Settings &settings) {
        settings.failures.append({containing, tds::ServerMessage {number, 1, 16, message}, afterRows});
    });
}

void TdsTestServer::clearStatementFailures()
{
    m_state->change([](tds::Settings &settings) { settings.failures.clear(); });
}

void TdsTestServer::setDropAfterRows(int rows)
{
    m_state->change([&](tds::Settings &settings) { settings.dropAfterRows = rows; });
}

void TdsTestServer::setStallAfterRows(int rows)
{
    m_state->change([&](tds::Settings &settings) { settings.stallAfterRows = rows; });
}

void TdsTestServer::resetKnobs()
{
    m_state->change([this](tds::Settings &settings) {
        settings = tds::Settings();
        settings.userName = m_userName;
        settings.password = m_password;
    });
}

void TdsTestServer::setPauseAfterRows(int rows)
{
    m_state->change([&](tds::Settings &settings) { settings.pauseAfterRows = rows; });
}

void TdsTestServer::setStall(Stall stall)
{
    m_state->change([&](tds::Settings &settings) { settings.stall = stall; });
}

void TdsTestServer::setRowDelay(int milliseconds)
{
    m_state->change([&](tds::Settings &settings) { settings.rowDelayMs = milliseconds; });
}

QString freeTdsConnectionString(quint16 port, const QString &database, const QString &userName, const QString &password)
{
    const auto braced = [](const QString &value) { return u'{' + value + u'}'; };
    return QStringLiteral("Driver={FreeTDS};Server=127.0.0.1;Port=%1;Database=%2;UID=%3;PWD=%4;"
                          "TDS_Version=7.4;ClientCharset=UTF-8")
        .arg(port)
        .arg(braced(database), braced(userName), braced(password));
}

QString freeTdsUnavailable(bool asTheProgramConnects)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        return QStringLiteral("Qt's ODBC driver is not installed (bash scripts/setup.sh)");
    const QStringList drivers = ks::installedOdbcDrivers();
    if (!drivers.contains(QStringLiteral("FreeTDS")))
        return QStringLiteral("FreeTDS's ODBC driver is not registered (bash scripts/setup.sh)");
    if (asTheProgramConnects) {
        for (const QString &driver : drivers) {
            if (!driver.compare(QStringLiteral("ODBC Driver 18 for SQL Server"), Qt::CaseInsensitive)
                || !driver.compare(QStringLiteral("ODBC Driver 17 for SQL Server"), Qt::CaseInsensitive))
                return QStringLiteral(
                    "Microsoft's ODBC driver is registered here and would be used instead of FreeTDS");
        }
    }
    return QString();
}

} // namespace ks::test
