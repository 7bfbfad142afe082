#pragma once
// One client connection of the test server: pre-login, login, then SQL
// batches, RPC requests and attention, answered from the catalogue. Lives on
// the server's thread; a result is sent row by row, so that a per-row delay,
// an attention, a dropped connection or a stall can come between two rows.

#include "support/TdsResult.h"
#include "support/TdsServerState.h"
#include "support/TdsWire.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;

namespace ks::tds {

class Catalogue;

class Session : public QObject {
    Q_OBJECT

public:
    // Takes over `socket` as its child. `onClosed` is called once the
    // connection is gone, by either side.
    Session(QTcpSocket *socket, std::shared_ptr<ServerState> state, const Catalogue &catalogue, quint16 spid,
        std::function<void(Session *)> onClosed, QObject *parent);
    ~Session() override;

private:
    enum class Phase { Prelogin, Login, LoggedIn, Stalled, Closed };

    // A result on its way to the client.
    struct Stream {
        ResultSet rows;
        qsizetype next = 0;
        std::optional<ServerMessage> failure; // sent once `failAfter` rows are out
        qsizetype failAfter = 0;
        int dropAfter = -1;
        int stallAfter = -1;
        int pauseAfter = -1;
        int delayMs = 0;
    };

    void readAvailable();
    void processQueue();
    void handle(const Message &message);
    void prelogin(const Message &message);
    void login(const Message &message);
    void batch(const Message &message);
    void rpc(const Message &message);
    void attention();

    void startRows(Stream stream);
    void continueRows();
    void replyDone(quint16 status, quint16 command = 0, quint64 rows = 0);
    void replyError(const ServerMessage &message);
    void refuseLogin(const QString &text);
    void protocolError();
    void closeConnection();
    void closed();

    QTcpSocket *m_socket;
    std::shared_ptr<ServerState> m_state;
    const Catalogue &m_catalogue;
    std::function<void(Session *)> m_onClosed;
    MessageAssembler m_in;
    PacketWriter m_out;
    Phase m_phase = Phase::Prelogin;
    QList<Message> m_queue;
    std::optional<Stream> m_stream;
    QTimer m_rowTimer;
    bool m_rowDue = false;
};

} // namespace ks::tds
