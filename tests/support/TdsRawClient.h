#pragma once
// A TDS client written from the protocol's description, independent of the
// test server's own encoders, for checking the server on the wire: it
// builds requests, cuts them into packets of any size, and takes replies
// apart token by token.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTcpSocket>
#include <QVariant>

#include <optional>

namespace ks::tdsclient {

QByteArray ucs2(const QString &text);

// Requests: pre-login (encryption off), LOGIN7 for TDS 7.4 and database
// "shop", and an SQL batch with its ALL_HEADERS.
QByteArray preloginRequest();
QByteArray login7Request(const QString &user, const QString &password, quint32 packetSize);
QByteArray batchRequest(const QString &sql);
// The packets of one message of `type`, each at most `packetSize` bytes.
QByteArray packets(quint8 type, const QByteArray &payload, int packetSize = 4096);

struct Packet {
    quint8 type = 0;
    quint8 status = 0;
    int length = 0;
    QByteArray payload;
};

struct Reply {
    QList<Packet> packets;
    QByteArray payload;
};

// A reply taken apart token by token. Values: INT as qint32, BIGINT as
// qint64, FLOAT as double, NVARCHAR as QString, VARBINARY as QByteArray,
// NULL as an invalid QVariant.
struct Decoded {
    QList<quint8> tokens;
    QList<quint8> columnTypes;
    QList<quint16> columnLengths;
    QList<QVariantList> rows;
    QStringList messages; // of ERROR and INFO tokens
    QString packetSize; // from ENVCHANGE
    QByteArray tdsVersion; // from LOGINACK
    quint16 doneStatus = 0;
    quint64 doneRows = 0;
};

// nullopt for a token this client does not know or a reply cut short.
std::optional<Decoded> decode(const QByteArray &payload);

// A client on a blocking socket: the server answers from its own thread.
// Every wait ends after a few seconds.
class RawClient {
public:
    explicit RawClient(quint16 port);
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    void send(const QByteArray &bytes);
    std::optional<Packet> readPacket();
    // The packets up to the one that ends the message.
    std::optional<Reply> readReply();
    std::optional<Decoded> exchange(quint8 type, const QByteArray &payload, int packetSize = 4096);
    // Pre-login and login; the decoded login reply.
    std::optional<Decoded> login(const QString &user, const QString &password, quint32 packetSize = 4096);

    bool waitClosed();
    // True when nothing comes within `milliseconds` and the connection stays open.
    bool staysSilent(int milliseconds);

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
};

} // namespace ks::tdsclient
