#include "support/TdsSession.h"

#include "support/TdsCatalogue.h"
#include "support/TdsRequests.h"
#include "support/TdsTokens.h"

#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace ks::tds {

namespace {

// A real server's answer to an unknown or refused login.
constexpr qint32 kLoginFailed = 18456;
constexpr quint8 kLoginFailedSeverity = 14;
// A real server's answer to a procedure it does not know.
constexpr qint32 kProcedureNotFound = 2812;

const StatementFailure *failureFor(const Settings &settings, const QString &sql)
{
    for (const StatementFailure &failure : settings.failures) {
        if (sql.contains(failure.containing, Qt::CaseInsensitive))
            return &failure;
    }
    return nullptr;
}

} // namespace

Session::Session(QTcpSocket *socket, std::shared_ptr<ServerState> state, const Catalogue &catalogue, quint16 spid,
    std::function<void(Session *)> onClosed, QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_state(std::move(state))
    , m_catalogue(catalogue)
    , m_onClosed(std::move(onClosed))
    , m_out([this](const QByteArray &packet) { m_socket->write(packet); })
{
    m_socket->setParent(this);
    // Replies are small and the client waits for each one.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_out.setSpid(spid);
    m_rowTimer.setSingleShot(true);
    connect(&m_rowTimer, &QTimer::timeout, this, [this] {
        m_rowDue = true;
        if (m_stream)
            continueRows();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &Session::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &Session::closed);
}

Session::~Session() = default;

void Session::readAvailable()
{
    const QByteArray bytes = m_socket->readAll();
    if (m_phase == Phase::Closed)
        return;
    if (!m_in.feed(bytes)) {
        protocolError();
        return;
    }
    while (auto message = m_in.takeMessage()) {
        if (m_phase == Phase::Closed)
            return;
        if (message->type == AttentionPacket) {
            attention();
            continue;
        }
        m_queue.append(std::move(*message));
        processQueue();
    }
}

void Session::processQueue()
{
    // Requests wait while a result is still being sent.
    while (!m_stream && !m_queue.isEmpty() && m_phase != Phase::Stalled && m_phase != Phase::Closed)
        handle(m_queue.takeFirst());
}

void Session::handle(const Message &message)
{
    switch (m_phase) {
    case Phase::Prelogin:
        if (message.type == PreloginPacket)
            prelogin(message);
        else if (message.type == Login7Packet)
            login(message);
        else
            protocolError();
        break;
    case Phase::Login:
        if (message.type == Login7Packet)
            login(message);
        else
            protocolError();
        break;
    case Phase::LoggedIn:
        if (message.type == SqlBatchPacket)
            batch(message);
        else if (message.type == RpcPacket)
            rpc(message);
        else if (message.type == TransactionManagerPacket)
            replyDone(DoneFinal);
        else
            protocolError();
        break;
    case Phase::Stalled:
    case Phase::Closed:
        break;
    }
}

void Session::prelogin(const Message &message)
{
    if (!parsePrelogin(message.payload)) {
        protocolError();
        return;
    }
    if (m_state->settings().stall == Stall::Prelogin) {
        m_phase = Phase::Stalled;
        return;
    }
    m_out.append(preloginReply());
    m_out.flush(true);
    m_phase = Phase::Login;
}

void Session::login(const Message &message)
{
    const auto request = parseLogin7(message.payload);
    if (!request) {
        protocolError();
        return;
    }
    ++m_state->logins;
    const Settings settings = m_state->settings();
    if (settings.stall != Stall::None) {
        m_phase = Phase::Stalled;
        return;
    }
    if (request->packetSize != 0)
        m_out.setPacketSize(int(std::min<quint32>(request->packetSize, kMaxPacketSize)));
    if (request->tdsVersion < kTds72) {
        refuseLogin(QStringLiteral("The test server speaks TDS 7.2 to 7.4; the client asked for an older version."));
        return;
    }
    if (settings.refuseLogin || request->userName != settings.userName || request->password != settings.password) {
        refuseLogin(QStringLiteral("Login failed for user '%1'.").arg(request->userName));
        return;
    }
    const QString database = request->database.isEmpty() ? QStringLiteral("master") : request->database;
    ByteWriter out;
    writeEnvChange(out, EnvDatabase, database, u"master");
    writeCollationChange(out);
    writeEnvChange(out, EnvLanguage, u"us_english", u"");
    writeLoginAck(out, std::min(request->tdsVersion, kTds74));
    writeEnvChange(out, EnvPacketSize, QString::number(m_out.packetSize()), QString::number(kDefaultPacketSize));
    writeDone(out, DoneFinal, 0, 0);
    m_out.append(out.data());
    m_out.flush(true);
    m_phase = Phase::LoggedIn;
}

void Session::refuseLogin(const QString &text)
{
    ByteWriter out;
    writeMessage(out, true, ServerMessage {kLoginFailed, 1, kLoginFailedSeverity, text});
    writeDone(out, DoneError, 0, 0);
    m_out.append(out.data());
    m_out.flush(true);
    closeConnection();
}

void Session::batch(const Message &message)
{
    const auto sql = parseSqlBatch(message.payload);
    if (!sql) {
        protocolError();
        return;
    }
    ++m_state->batches;
    m_state->recordBatch(*sql);
    const Settings settings = m_state->settings();
    const StatementFailure *failure = failureFor(settings, *sql);
    if (failure && failure->afterRows <= 0) {
        replyError(failure->message);
        return;
    }
    if (isSessionStatement(*sql)) {
        replyDone(DoneFinal);
        return;
    }
    Outcome outcome = m_catalogue.execute(*sql);
    if (!outcome.result || outcome.result->columns().isEmpty()) {
        if (outcome.error)
            replyError(*outcome.error);
        else
            replyDone(DoneFinal);
        return;
    }
    Stream stream;
    stream.rows = std::move(*outcome.result);
    if (failure) {
        stream.failure = failure->message;
        stream.failAfter = failure->afterRows;
    } else if (outcome.error) {
        stream.failure = outcome.error;
        stream.failAfter = stream.rows.rowCount();
    }
    stream.dropAfter = settings.dropAfterRows;
    stream.stallAfter = settings.stallAfterRows;
    stream.pauseAfter = settings.pauseAfterRows;
    stream.delayMs = settings.rowDelayMs;
    startRows(std::move(stream));
}

void Session::rpc(const Message &message)
{
    const auto procedure = parseRpcProcedure(message.payload);
    if (!procedure) {
        protocolError();
        return;
    }
    ++m_state->rpcs;
    // Only SQL batches are served; a client that tries a server cursor or
    // a prepared statement hears what a server says of a missing procedure.
    replyError(ServerMessage {
        kProcedureNotFound, 62, 16, QStringLiteral("Could not find stored procedure '%1'.").arg(*procedure)});
}

void Session::attention()
{
    ++m_state->attentions;
    // A stalled server hears nothing; before the login there is nothing to stop.
    if (m_phase != Phase::LoggedIn)
        return;
    m_queue.clear();
    m_rowTimer.stop();
    m_stream.reset();
    replyDone(DoneAttention);
}

void Session::startRows(Stream stream)
{
    ByteWriter out;
    stream.rows.writeColumnMetadata(out);
    m_out.append(out.data());
    m_stream = std::move(stream);
    m_rowDue = false;
    continueRows();
}

void Session::continueRows()
{
    Stream &stream = *m_stream;
    bool mayWrite = stream.delayMs <= 0 || std::exchange(m_rowDue, false);
    ByteWriter out;
    for (;;) {
        const qsizetype sent = stream.next;
        if (stream.dropAfter >= 0 && sent >= stream.dropAfter) {
            m_out.flush(false);
            closeConnection();
            return;
        }
        if (stream.stallAfter >= 0 && sent >= stream.stallAfter) {
            m_out.flush(false);
            m_stream.reset();
            m_phase = Phase::Stalled;
            return;
        }
        if (stream.pauseAfter >= 0 && sent >= stream.pauseAfter) {
            // Alive but with nothing more to say: only an attention, which
            // ends the result, moves the session on.
            m_out.flush(false);
            return;
        }
        const bool atEnd = sent == stream.rows.rowCount();
        if (stream.failure && (sent >= stream.failAfter || atEnd)) {
            writeMessage(out, true, *stream.failure);
            writeDone(out, DoneError, kCommandSelect, 0);
        } else if (atEnd) {
            writeDone(out, DoneCount, kCommandSelect, quint64(sent));
        } else if (!mayWrite) {
            m_out.flush(false); // the rows so far reach the client before the wait
            m_rowTimer.start(stream.delayMs);
            return;
        } else {
            stream.rows.writeRow(out, sent);
            m_out.append(out.take());
            ++stream.next;
            mayWrite = stream.delayMs <= 0;
            continue;
        }
        m_out.append(out.take());
        m_out.flush(true);
        m_stream.reset();
        processQueue();
        return;
    }
}

void Session::replyDone(quint16 status, quint16 command, quint64 rows)
{
    ByteWriter out;
    writeDone(out, status, command, rows);
    m_out.append(out.data());
    m_out.flush(true);
}

void Session::replyError(const ServerMessage &message)
{
    ByteWriter out;
    writeMessage(out, true, message);
    writeDone(out, DoneError, 0, 0);
    m_out.append(out.data());
    m_out.flush(true);
}

void Session::protocolError()
{
    m_phase = Phase::Closed;
    m_rowTimer.stop();
    m_stream.reset();
    m_socket->abort();
    closed();
}

void Session::closeConnection()
{
    // What was written still goes out before the connection closes.
    m_phase = Phase::Closed;
    m_rowTimer.stop();
    m_stream.reset();
    m_socket->disconnectFromHost();
}

void Session::closed()
{
    m_phase = Phase::Closed;
    m_rowTimer.stop();
    m_stream.reset();
    if (auto onClosed = std::exchange(m_onClosed, nullptr))
        onClosed(this);
}

} // namespace ks::tds
