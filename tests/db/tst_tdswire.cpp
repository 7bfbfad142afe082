// The TDS test server on the wire, seen by a client written here from the
// protocol's description: requests split across reads and packets, replies
// cut to the packet size agreed at login, attention, misbehaving clients,
// and the pieces the server is built from.

#include "support/TdsCatalogue.h"
#include "support/TdsRequests.h"
#include "support/TdsResult.h"
#include "support/TdsTestServer.h"
#include "support/TdsWire.h"
#include "support/TestCatalogue.h"

#include <QDataStream>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <optional>

using ks::test::TdsTestServer;
using namespace ks::tds;

namespace {

const QString kUser = QStringLiteral("quill");
const QString kPassword = QStringLiteral("pässword");
constexpr int kNumberRows = 200;

// ---------------------------------------------------------------------------
// A client's requests, built from the protocol description

QByteArray ucs2(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QByteArray preloginRequest()
{
    // VERSION, ENCRYPTION (off), INSTOPT, THREADID, MARS, terminator.
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::BigEndian);
    const QList<QByteArray> data {QByteArray(6, '\x01'), QByteArray(1, '\0'), QByteArray("MSSQLServer", 12),
        QByteArray(4, '\0'), QByteArray(1, '\0')};
    quint16 offset = quint16(data.size() * 5 + 1);
    for (int option = 0; option < data.size(); ++option) {
        out << quint8(option) << offset << quint16(data.at(option).size());
        offset += quint16(data.at(option).size());
    }
    out << quint8(0xFF);
    for (const QByteArray &bytes : data)
        out.writeRawData(bytes.constData(), int(bytes.size()));
    return request;
}

QByteArray login7Request(const QString &user, const QString &password, quint32 packetSize)
{
    // Fixed part, then host, user, password, app, server, (unused), library,
    // language, database, client id, SSPI, attach file, change password.
    const QList<QByteArray> texts {ucs2(QStringLiteral("testhost")), ucs2(user), scramblePassword(ucs2(password)),
        ucs2(QStringLiteral("wire test")), ucs2(QStringLiteral("127.0.0.1")), {}, ucs2(QStringLiteral("raw")), {},
        ucs2(QStringLiteral("shop"))};
    QByteArray variable;
    QByteArray fixed;
    QDataStream out(&fixed, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    constexpr quint32 kFixed = 94;
    out << quint32(0) << quint32(0x74000004) << packetSize << quint32(7) << quint32(1234) << quint32(0);
    out << quint8(0xE0) << quint8(0x03) << quint8(0) << quint8(0) << qint32(0) << quint32(0x0409);
    for (const QByteArray &text : texts) {
        out << quint16(kFixed + variable.size()) << quint16(text.size() / 2);
        variable += text;
    }
    out.writeRawData("\x00\x11\x22\x33\x44\x55", 6);
    for (int pair = 0; pair < 3; ++pair)
        out << quint16(kFixed + variable.size()) << quint16(0);
    out << quint32(0);
    QByteArray request = fixed + variable;
    qToLittleEndian(quint32(request.size()), request.data());
    return request;
}

QByteArray batchRequest(const QString &sql)
{
    // ALL_HEADERS with the transaction descriptor header, then the text.
    QByteArray request;
    QDataStream out(&request, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(22) << quint32(18) << quint16(2) << quint64(0) << quint32(1);
    return request + ucs2(sql);
}

// The packets of one message of `type`, each at most `packetSize` bytes.
QByteArray packets(quint8 type, const QByteArray &payload, int packetSize = 4096)
{
    QByteArray bytes;
    const int room = packetSize - 8;
    qsizetype at = 0;
    do {
        const QByteArray piece = payload.mid(at, room);
        at += piece.size();
        QByteArray header(8, '\0');
        header[0] = char(type);
        header[1] = at >= payload.size() ? 1 : 0;
        header[2] = char((piece.size() + 8) >> 8);
        header[3] = char((piece.size() + 8) & 0xFF);
        bytes += header + piece;
    } while (at < payload.size());
    return bytes;
}

// ---------------------------------------------------------------------------
// The server's replies, read from the protocol description

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

// A reply taken apart token by token.
struct Decoded {
    QList<quint8> tokens;
    QList<quint8> columnTypes;
    QList<quint16> columnLengths;
    QList<QVariantList> rows;
    QStringList messages;
    QString packetSize; // from ENVCHANGE
    QByteArray tdsVersion; // from LOGINACK
    quint16 doneStatus = 0;
    quint64 doneRows = 0;
};

class Cursor {
public:
    explicit Cursor(const QByteArray &data)
        : m_data(data)
    {
    }
    bool atEnd() const { return m_at >= m_data.size(); }
    bool ok() const { return m_ok; }
    QByteArray take(qsizetype n)
    {
        if (n < 0 || m_at + n > m_data.size()) {
            m_ok = false;
            m_at = m_data.size();
            return {};
        }
        m_at += n;
        return m_data.mid(m_at - n, n);
    }
    quint64 number(int bytes)
    {
        const QByteArray raw = take(bytes);
        quint64 value = 0;
        for (qsizetype i = raw.size() - 1; i >= 0; --i)
            value = (value << 8) | quint8(raw.at(i));
        return value;
    }
    QString text(qsizetype characters)
    {
        const QByteArray raw = take(characters * 2);
        QString result;
        for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
            result.append(QChar(char16_t(quint8(raw.at(i)) | (quint8(raw.at(i + 1)) << 8))));
        return result;
    }

private:
    QByteArray m_data;
    qsizetype m_at = 0;
    bool m_ok = true;
};

QVariant readValue(Cursor &in, quint8 type, quint16 maxLength)
{
    if (type == 0x26 || type == 0x6D) {
        const int length = int(in.number(1));
        if (length == 0)
            return {};
        const quint64 raw = in.number(length);
        if (type == 0x6D) {
            double real = 0;
            std::memcpy(&real, &raw, sizeof real);
            return real;
        }
        return length == 4 ? QVariant(qint32(raw)) : QVariant(qint64(raw));
    }
    QByteArray bytes;
    if (maxLength == 0xFFFF) { // PLP
        const quint64 total = in.number(8);
        if (total == ~quint64(0))
            return {};
        for (quint64 chunk = in.number(4); chunk != 0 && in.ok(); chunk = in.number(4))
            bytes += in.take(qsizetype(chunk));
        if (total != quint64(bytes.size()))
            return QStringLiteral("<PLP length %1 for %2 bytes>").arg(total).arg(bytes.size());
    } else {
        const quint16 length = quint16(in.number(2));
        if (length == 0xFFFF)
            return {};
        bytes = in.take(length);
    }
    return type == 0xE7 ? QVariant(Cursor(bytes).text(bytes.size() / 2)) : QVariant(bytes);
}

std::optional<Decoded> decode(const QByteArray &payload)
{
    Decoded result;
    Cursor in(payload);
    while (!in.atEnd() && in.ok()) {
        const quint8 token = quint8(in.number(1));
        result.tokens << token;
        switch (token) {
        case 0xE3: { // ENVCHANGE
            Cursor body(in.take(qsizetype(in.number(2))));
            const quint8 type = quint8(body.number(1));
            if (type == 4)
                result.packetSize = body.text(qsizetype(body.number(1)));
            break;
        }
        case 0xAD: { // LOGINACK
            Cursor body(in.take(qsizetype(in.number(2))));
            body.take(1);
            result.tdsVersion = body.take(4);
            break;
        }
        case 0xAA:
        case 0xAB: { // ERROR, INFO
            Cursor body(in.take(qsizetype(in.number(2))));
            body.take(6);
            result.messages << body.text(qsizetype(body.number(2)));
            break;
        }
        case 0x81: { // COLMETADATA
            const int count = int(in.number(2));
            for (int column = 0; column < count; ++column) {
                in.take(6);
                const quint8 type = quint8(in.number(1));
                quint16 length = 0;
                if (type == 0x26 || type == 0x6D) {
                    length = quint16(in.number(1));
                } else if (type == 0xE7 || type == 0xA5) {
                    length = quint16(in.number(2));
                    if (type == 0xE7)
                        in.take(5);
                } else {
                    return std::nullopt;
                }
                result.columnTypes << type;
                result.columnLengths << length;
                in.text(qsizetype(in.number(1)));
            }
            break;
        }
        case 0xD1: { // ROW
            QVariantList row;
            for (qsizetype column = 0; column < result.columnTypes.size(); ++column)
                row << readValue(in, result.columnTypes.at(column), result.columnLengths.at(column));
            result.rows << row;
            break;
        }
        case 0xFD: // DONE
            result.doneStatus = quint16(in.number(2));
            in.take(2);
            result.doneRows = in.number(8);
            break;
        default:
            return std::nullopt;
        }
    }
    if (!in.ok())
        return std::nullopt;
    return result;
}

// A client on a blocking socket; the server answers from its own thread.
class RawClient {
public:
    explicit RawClient(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        m_socket.waitForConnected(5000);
        m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    void send(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.waitForBytesWritten(5000);
    }

    std::optional<Packet> readPacket(int timeoutMs = 10000)
    {
        for (;;) {
            if (m_buffer.size() >= 8) {
                const int length = (quint8(m_buffer.at(2)) << 8) | quint8(m_buffer.at(3));
                if (length >= 8 && m_buffer.size() >= length) {
                    Packet packet {quint8(m_buffer.at(0)), quint8(m_buffer.at(1)), length, m_buffer.mid(8, length - 8)};
                    m_buffer.remove(0, length);
                    return packet;
                }
            }
            if (!m_socket.waitForReadyRead(timeoutMs))
                return std::nullopt;
            m_buffer += m_socket.readAll();
        }
    }

    std::optional<Reply> readReply()
    {
        Reply reply;
        for (;;) {
            const auto packet = readPacket();
            if (!packet)
                return std::nullopt;
            reply.packets << *packet;
            reply.payload += packet->payload;
            if (packet->status & 1)
                return reply;
        }
    }

    std::optional<Decoded> exchange(quint8 type, const QByteArray &payload, int packetSize = 4096)
    {
        send(packets(type, payload, packetSize));
        const auto reply = readReply();
        return reply ? decode(reply->payload) : std::nullopt;
    }

    std::optional<Decoded> login(const QString &user, const QString &password, quint32 packetSize = 4096)
    {
        send(packets(PreloginPacket, preloginRequest()));
        if (!readReply())
            return std::nullopt;
        return exchange(Login7Packet, login7Request(user, password, packetSize));
    }

    bool waitClosed() { return !isConnected() || m_socket.waitForDisconnected(5000); }
    // True when nothing comes within `milliseconds`, the connection still open.
    bool staysSilent(int milliseconds)
    {
        return m_buffer.isEmpty() && !m_socket.waitForReadyRead(milliseconds) && isConnected();
    }

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
};

} // namespace

class TestTdsWire : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The server on the wire
    void preloginInSingleBytesIsAnsweredWithoutEncryption();
    void loginAndBatchOverManyPacketsRepliesWithinPacketSize();
    void refusedLoginCarriesRealMessageAndCloses();
    void integersRealsTextsAndNullsAreEncoded();
    void attentionEndsDelayedResultAndConnectionGoesOn();
    void attentionAfterResultIsAcknowledged();
    void stallAfterRowsKeepsConnectionOpenAndSilent();
    void rpcIsAnsweredWithError();
    void malformedStreamClosesOnlyThatConnection_data();
    void malformedStreamClosesOnlyThatConnection();
    void startFailsOnNoCatalogue();
    void standaloneServerServesCatalogue();

    // Its pieces
    void assemblerJoinsPacketsFedByteByByte();
    void assemblerRejectsBrokenStreams_data();
    void assemblerRejectsBrokenStreams();
    void packetWriterCutsToPacketSize_data();
    void packetWriterCutsToPacketSize();
    void passwordScrambling();
    void columnTypeFollowsValues_data();
    void columnTypeFollowsValues();
    void sessionStatementsAreRecognised_data();
    void sessionStatementsAreRecognised();

private:
    QTemporaryDir m_dir;
    QString m_file;
    QString m_long;
    std::unique_ptr<TdsTestServer> m_server;
};

void TestTdsWire::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_file = m_dir.filePath(QStringLiteral("wire.qmcat"));
    m_long = QString(300 * 1024, u'x');
    for (qsizetype i = 0; i < m_long.size(); i += 7)
        m_long[i] = QChar(u'a' + int(i % 26));
    m_long += QStringLiteral("ü日本\U0001F600");
    ks::test::makeCatalogue(m_file,
        {QStringLiteral("CREATE TABLE numbers (n INTEGER)"),
            QStringLiteral("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < %1) "
                           "INSERT INTO numbers SELECT n FROM c")
                .arg(kNumberRows),
            QStringLiteral("CREATE TABLE texts (id INTEGER, text TEXT)"),
            QStringLiteral("INSERT INTO texts VALUES (1, '%1'), (2, NULL), (3, '')").arg(m_long)});
    m_server = std::make_unique<TdsTestServer>(m_file, kUser, kPassword);
    QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
}

void TestTdsWire::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestTdsWire::cleanup()
{
    m_server->setRowDelay(0);
    m_server->setStallAfterRows(-1);
}

void TestTdsWire::preloginInSingleBytesIsAnsweredWithoutEncryption()
{
    RawClient client(m_server->port());
    QVERIFY(client.isConnected());
    for (const char byte : packets(PreloginPacket, preloginRequest()))
        client.send(QByteArray(1, byte));
    const auto reply = client.readReply();
    QVERIFY(reply);
    QCOMPARE(reply->packets.size(), 1);
    QCOMPARE(reply->packets.first().type, quint8(ReplyPacket));
    // The ENCRYPTION option: the server has none, so the session stays plain.
    const QByteArray &options = reply->payload;
    qsizetype at = 0;
    while (at < options.size() && quint8(options.at(at)) != 0x01 && quint8(options.at(at)) != 0xFF)
        at += 5;
    QVERIFY(at + 5 <= options.size() && options.at(at) == 0x01);
    const int offset = (quint8(options.at(at + 1)) << 8) | quint8(options.at(at + 2));
    QCOMPARE(quint8(options.at(offset)), quint8(EncryptNotSupported));
}

void TestTdsWire::loginAndBatchOverManyPacketsRepliesWithinPacketSize()
{
    RawClient client(m_server->port());
    client.send(packets(PreloginPacket, preloginRequest()));
    QVERIFY(client.readReply());
    // The login itself in packets of 64 bytes; the client asks for 512.
    client.send(packets(Login7Packet, login7Request(kUser, kPassword, 512), 64));
    const auto login = client.readReply();
    QVERIFY(login);
    const auto ack = decode(login->payload);
    QVERIFY(ack);
    QVERIFY(ack->tokens.contains(quint8(0xAD)));
    QCOMPARE(ack->tdsVersion, QByteArray("\x74\x00\x00\x04", 4));
    QCOMPARE(ack->packetSize, QStringLiteral("512"));
    QCOMPARE(ack->doneStatus & DoneError, 0);

    const QString sql = QStringLiteral("SELECT text FROM texts WHERE id = 1 /* %1 */").arg(QString(700, u'-'));
    client.send(packets(SqlBatchPacket, batchRequest(sql), 512));
    const auto reply = client.readReply();
    QVERIFY(reply);
    QVERIFY(reply->packets.size() > 1000);
    for (qsizetype i = 0; i < reply->packets.size(); ++i) {
        const Packet &packet = reply->packets.at(i);
        QVERIFY2(packet.length <= 512, qPrintable(QString::number(packet.length)));
        QCOMPARE(packet.status, quint8(i + 1 == reply->packets.size() ? 1 : 0));
    }
    const auto rows = decode(reply->payload);
    QVERIFY(rows);
    QCOMPARE(rows->columnTypes, (QList<quint8> {0xE7}));
    QCOMPARE(rows->columnLengths, (QList<quint16> {0xFFFF})); // NVARCHAR(MAX)
    QCOMPARE(rows->rows.size(), 1);
    QVERIFY(rows->rows.first().first().toString() == m_long);
    QCOMPARE(rows->doneStatus, quint16(DoneCount));
    QCOMPARE(rows->doneRows, quint64(1));
    QVERIFY(m_server->batchTexts().contains(sql));
}

void TestTdsWire::refusedLoginCarriesRealMessageAndCloses()
{
    RawClient client(m_server->port());
    const auto reply = client.login(QStringLiteral("o'brien"), kPassword);
    QVERIFY(reply);
    QCOMPARE(reply->messages, QStringList {QStringLiteral("Login failed for user 'o'brien'.")});
    QVERIFY(!reply->tokens.contains(quint8(0xAD)));
    QVERIFY(reply->doneStatus & DoneError);
    QVERIFY(client.waitClosed());
}

void TestTdsWire::integersRealsTextsAndNullsAreEncoded()
{
    RawClient client(m_server->port());
    QVERIFY(client.login(kUser, kPassword));
    const auto reply = client.exchange(SqlBatchPacket,
        batchRequest(QStringLiteral("SELECT id, id * 3000000000 AS big, id / 4.0 AS quarter, text "
                                    "FROM texts WHERE id > 1 ORDER BY id")));
    QVERIFY(reply);
    QCOMPARE(reply->columnTypes, (QList<quint8> {0x26, 0x26, 0x6D, 0xE7}));
    QCOMPARE(reply->columnLengths, (QList<quint16> {4, 8, 8, 8000}));
    QCOMPARE(reply->rows,
        (QList<QVariantList> {
            {qint32(2), qint64(6000000000), 0.5, QVariant()}, {qint32(3), qint64(9000000000), 0.75, QString()}}));
    QVERIFY(reply->rows.at(1).at(3).metaType() == QMetaType::fromType<QString>()); // empty, not NULL
    QCOMPARE(reply->doneRows, quint64(2));
}

void TestTdsWire::attentionEndsDelayedResultAndConnectionGoesOn()
{
    RawClient client(m_server->port());
    QVERIFY(client.login(kUser, kPassword));
    const int attentions = m_server->attentions();
    m_server->setRowDelay(20);
    client.send(packets(SqlBatchPacket, batchRequest(QStringLiteral("SELECT n FROM numbers ORDER BY n"))));
    // Wait for the first row, then stop the result.
    QByteArray payload;
    for (;;) {
        const auto packet = client.readPacket();
        QVERIFY(packet);
        QCOMPARE(packet->status, quint8(0));
        payload += packet->payload;
        const auto sofar = decode(payload);
        if (sofar && !sofar->rows.isEmpty())
            break;
    }
    client.send(packets(AttentionPacket, {}));
    const auto rest = client.readReply();
    QVERIFY(rest);
    const auto reply = decode(payload + rest->payload);
    QVERIFY(reply);
    QVERIFY(reply->doneStatus & DoneAttention);
    QVERIFY2(reply->rows.size() < kNumberRows / 2, qPrintable(QString::number(reply->rows.size())));
    QCOMPARE(m_server->attentions(), attentions + 1);

    m_server->setRowDelay(0);
    const auto after = client.exchange(SqlBatchPacket, batchRequest(QStringLiteral("SELECT COUNT(*) FROM numbers")));
    QVERIFY(after);
    QCOMPARE(after->rows, (QList<QVariantList> {{qint32(kNumberRows)}}));
}

void TestTdsWire::attentionAfterResultIsAcknowledged()
{
    RawClient client(m_server->port());
    QVERIFY(client.login(kUser, kPassword));
    QVERIFY(client.exchange(SqlBatchPacket, batchRequest(QStringLiteral("SELECT n FROM numbers"))));
    const auto ack = client.exchange(AttentionPacket, {});
    QVERIFY(ack);
    QCOMPARE(ack->tokens, (QList<quint8> {0xFD}));
    QVERIFY(ack->doneStatus & DoneAttention);
}

void TestTdsWire::stallAfterRowsKeepsConnectionOpenAndSilent()
{
    RawClient client(m_server->port());
    QVERIFY(client.login(kUser, kPassword));
    m_server->setStallAfterRows(2);
    client.send(packets(SqlBatchPacket, batchRequest(QStringLiteral("SELECT n FROM numbers ORDER BY n"))));
    const auto packet = client.readPacket();
    QVERIFY(packet);
    QCOMPARE(packet->status, quint8(0)); // the reply is not complete
    const auto rows = decode(packet->payload);
    QVERIFY(rows);
    QCOMPARE(rows->rows, (QList<QVariantList> {{qint32(1)}, {qint32(2)}}));
    // Nothing more, not even for an attention.
    client.send(packets(AttentionPacket, {}));
    QVERIFY(client.staysSilent(300));
}

void TestTdsWire::rpcIsAnsweredWithError()
{
    RawClient client(m_server->port());
    QVERIFY(client.login(kUser, kPassword));
    QByteArray rpc = batchRequest(QString()); // ALL_HEADERS only
    rpc += QByteArray("\xFF\xFF\x02\x00\x00\x00", 6); // sp_cursoropen by number, no options
    const int rpcs = m_server->rpcs();
    const auto reply = client.exchange(RpcPacket, rpc);
    QVERIFY(reply);
    QCOMPARE(reply->messages, QStringList {QStringLiteral("Could not find stored procedure 'sp_cursoropen'.")});
    QVERIFY(reply->doneStatus & DoneError);
    QCOMPARE(m_server->rpcs(), rpcs + 1);
    // The session goes on.
    QVERIFY(client.exchange(SqlBatchPacket, batchRequest(QStringLiteral("SET NOCOUNT ON"))));
}

void TestTdsWire::malformedStreamClosesOnlyThatConnection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("packet shorter than its header") << QByteArray("\x12\x01\x00\x04\x00\x00\x00\x00", 8);
    QTest::newRow("batch before login") << packets(SqlBatchPacket, batchRequest(QStringLiteral("SELECT 1")));
    QTest::newRow("login record cut short") << packets(Login7Packet, QByteArray(40, '\0'));
    QTest::newRow("pre-login without terminator") << packets(PreloginPacket, QByteArray("\x00\x00\x06\x00\x06", 5));
}

void TestTdsWire::malformedStreamClosesOnlyThatConnection()
{
    QFETCH(QByteArray, bytes);
    RawClient good(m_server->port());
    QVERIFY(good.login(kUser, kPassword));
    RawClient bad(m_server->port());
    bad.send(bytes);
    QVERIFY(bad.waitClosed());
    const auto reply = good.exchange(SqlBatchPacket, batchRequest(QStringLiteral("SELECT MAX(n) FROM numbers")));
    QVERIFY(reply);
    QCOMPARE(reply->rows, (QList<QVariantList> {{qint32(kNumberRows)}}));
}

void TestTdsWire::startFailsOnNoCatalogue()
{
    const QString notSqlite = m_dir.filePath(QStringLiteral("notes.txt"));
    QFile file(notSqlite);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a database");
    file.close();
    for (const QString &path : {notSqlite, m_dir.filePath(QStringLiteral("missing.qmcat"))}) {
        TdsTestServer server(path);
        QVERIFY(!server.start());
        QVERIFY2(server.errorString().contains(path), qPrintable(server.errorString()));
        QVERIFY(!server.isRunning());
    }
    // A port in use is refused too.
    TdsTestServer second(m_file);
    QVERIFY(!second.start(m_server->port()));
    QVERIFY(!second.errorString().isEmpty());
}

void TestTdsWire::standaloneServerServesCatalogue()
{
    const QString program = qEnvironmentVariable("QUILLMERE_TDS_SERVER");
    if (program.isEmpty())
        QSKIP("QUILLMERE_TDS_SERVER does not name the tds_test_server program");
    QProcess process;
    process.start(program, {m_file, QStringLiteral("--user"), kUser, QStringLiteral("--password"), kPassword});
    QVERIFY(process.waitForStarted());
    while (!process.canReadLine())
        QVERIFY(process.waitForReadyRead(10000));
    const QString first = QString::fromUtf8(process.readLine());
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("^Listening on 127\\.0\\.0\\.1:(\\d+)")).match(first);
    QVERIFY2(match.hasMatch(), qPrintable(first));
    {
        RawClient client(quint16(match.captured(1).toUInt()));
        QVERIFY(client.login(kUser, kPassword));
        const auto reply = client.exchange(SqlBatchPacket, batchRequest(QStringLiteral("SELECT COUNT(*) FROM texts")));
        QVERIFY(reply);
        QCOMPARE(reply->rows, (QList<QVariantList> {{qint32(3)}}));
    }
    process.kill();
    QVERIFY(process.waitForFinished());
}

void TestTdsWire::assemblerJoinsPacketsFedByteByByte()
{
    const QByteArray first(700, 'a');
    const QByteArray second("tail");
    const QByteArray stream
        = packets(SqlBatchPacket, first, 512) + packets(AttentionPacket, {}) + packets(SqlBatchPacket, second);
    MessageAssembler assembler;
    QList<Message> messages;
    for (const char byte : stream) {
        QVERIFY(assembler.feed(QByteArrayView(&byte, 1)));
        while (auto message = assembler.takeMessage())
            messages << *message;
    }
    QCOMPARE(messages.size(), 3);
    QCOMPARE(messages.at(0).type, quint8(SqlBatchPacket));
    QCOMPARE(messages.at(0).payload, first);
    QCOMPARE(messages.at(1).type, quint8(AttentionPacket));
    QVERIFY(messages.at(1).payload.isEmpty());
    QCOMPARE(messages.at(2).payload, second);
}

void TestTdsWire::assemblerRejectsBrokenStreams_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("length below the header") << QByteArray("\x01\x01\x00\x07\x00\x00\x00\x00", 8);
    QTest::newRow("length past the largest packet") << QByteArray("\x01\x01\xFF\xFF\x00\x00\x00\x00", 8);
    QByteArray mixed = packets(SqlBatchPacket, QByteArray(600, 'a'), 512);
    mixed[512] = char(RpcPacket); // the second packet of the message changes type
    QTest::newRow("type changes within a message") << mixed;
}

void TestTdsWire::assemblerRejectsBrokenStreams()
{
    QFETCH(QByteArray, bytes);
    MessageAssembler assembler;
    QVERIFY(!assembler.feed(bytes));
    QVERIFY(!assembler.takeMessage());
    // Once broken, it stays so.
    QVERIFY(!assembler.feed(packets(SqlBatchPacket, "x")));
}

void TestTdsWire::packetWriterCutsToPacketSize_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("expectedPackets");
    QTest::newRow("empty message") << 0 << 1;
    QTest::newRow("one byte") << 1 << 1;
    QTest::newRow("exactly one packet") << 504 << 1;
    QTest::newRow("one byte more") << 505 << 2;
    QTest::newRow("exactly two packets") << 1008 << 2;
    QTest::newRow("many") << 100000 << 199;
}

void TestTdsWire::packetWriterCutsToPacketSize()
{
    QFETCH(int, bytes);
    QFETCH(int, expectedPackets);
    QList<QByteArray> sent;
    PacketWriter writer([&](const QByteArray &packet) { sent << packet; });
    writer.setPacketSize(512);
    writer.setSpid(53);
    QByteArray payload(bytes, Qt::Uninitialized);
    for (int i = 0; i < bytes; ++i)
        payload[i] = char(i * 7);
    // Appended in uneven pieces, as tokens come.
    for (int at = 0; at < bytes; at += 333)
        writer.append(QByteArrayView(payload).sliced(at, std::min(333, bytes - at)));
    writer.flush(true);
    QCOMPARE(sent.size(), expectedPackets);
    QByteArray joined;
    for (int i = 0; i < sent.size(); ++i) {
        const QByteArray &packet = sent.at(i);
        const int length = (quint8(packet.at(2)) << 8) | quint8(packet.at(3));
        QCOMPARE(length, packet.size());
        QVERIFY(length <= 512);
        QCOMPARE(quint8(packet.at(0)), quint8(ReplyPacket));
        QCOMPARE(quint8(packet.at(1)), quint8(i + 1 == sent.size() ? kEndOfMessage : 0));
        QCOMPARE((quint8(packet.at(4)) << 8) | quint8(packet.at(5)), 53);
        joined += packet.mid(8);
    }
    QCOMPARE(joined, payload);
}

void TestTdsWire::passwordScrambling()
{
    // "a" is 61 00 in UCS-2; halves swapped 16 00, XOR A5 gives B3 A5.
    QCOMPARE(scramblePassword(ucs2(QStringLiteral("a"))), QByteArray("\xB3\xA5", 2));
    const QByteArray plain = ucs2(kPassword + QStringLiteral("}; 日本"));
    QCOMPARE(unscramblePassword(scramblePassword(plain)), plain);
    const auto login = parseLogin7(login7Request(kUser, kPassword + QStringLiteral("}; 日本"), 4096));
    QVERIFY(login);
    QCOMPARE(login->userName, kUser);
    QCOMPARE(login->password, kPassword + QStringLiteral("}; 日本"));
    QCOMPARE(login->database, QStringLiteral("shop"));
    QCOMPARE(login->packetSize, quint32(4096));
    QCOMPARE(login->tdsVersion, quint32(0x74000004));
}

void TestTdsWire::columnTypeFollowsValues_data()
{
    QTest::addColumn<QVariantList>("values");
    QTest::addColumn<QMetaType>("declared");
    QTest::addColumn<ColumnType>("expected");
    const QMetaType text = QMetaType::fromType<QString>();
    QTest::newRow("integers") << QVariantList {qlonglong(1), QVariant(), qlonglong(-2147483648LL)} << text
                              << ColumnType::Int;
    QTest::newRow("integer past 32 bits")
        << QVariantList {qlonglong(1), qlonglong(2147483648LL)} << text << ColumnType::BigInt;
    QTest::newRow("integers and reals") << QVariantList {qlonglong(1), 0.5} << text << ColumnType::Float;
    QTest::newRow("integers and texts") << QVariantList {qlonglong(1), QStringLiteral("a")} << text
                                        << ColumnType::NVarChar;
    QTest::newRow("text of 4,000") << QVariantList {QString(4000, u'x')} << text << ColumnType::NVarChar;
    QTest::newRow("text of 4,001") << QVariantList {QStringLiteral("a"), QString(4001, u'x')} << text
                                   << ColumnType::NVarCharMax;
    QTest::newRow("blob") << QVariantList {QByteArray(8000, 'b')} << text << ColumnType::VarBinary;
    QTest::newRow("long blob") << QVariantList {QByteArray(8001, 'b')} << text << ColumnType::VarBinaryMax;
    QTest::newRow("only NULL, declared integer")
        << QVariantList {QVariant()} << QMetaType::fromType<int>() << ColumnType::Int;
    QTest::newRow("no rows, declared text") << QVariantList {} << text << ColumnType::NVarChar;
}

void TestTdsWire::columnTypeFollowsValues()
{
    QFETCH(QVariantList, values);
    QFETCH(QMetaType, declared);
    QFETCH(ColumnType, expected);
    QList<QVariantList> rows;
    for (const QVariant &value : values)
        rows << QVariantList {QStringLiteral("other"), value};
    QCOMPARE(ResultSet::typeFor(rows, 1, declared), expected);
}

void TestTdsWire::sessionStatementsAreRecognised_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("session");
    QTest::newRow("set") << QStringLiteral("SET QUOTED_IDENTIFIER ON") << true;
    QTest::newRow("set, lower case, indented") << QStringLiteral("\r\n  set textsize 2147483647") << true;
    QTest::newRow("use") << QStringLiteral("USE [shop]") << true;
    QTest::newRow("begin transaction") << QStringLiteral("BEGIN TRANSACTION") << true;
    QTest::newRow("commit") << QStringLiteral("COMMIT") << true;
    QTest::newRow("rollback") << QStringLiteral("ROLLBACK TRAN") << true;
    QTest::newRow("select") << QStringLiteral("SELECT 'SET' FROM sysobjects") << false;
    QTest::newRow("word starting with set") << QStringLiteral("SETTINGS") << false;
    QTest::newRow("begin of a block") << QStringLiteral("BEGIN SELECT 1 END") << false;
}

void TestTdsWire::sessionStatementsAreRecognised()
{
    QFETCH(QString, sql);
    QFETCH(bool, session);
    QCOMPARE(isSessionStatement(sql), session);
}

QTEST_GUILESS_MAIN(TestTdsWire)
#include "tst_tdswire.moc"
