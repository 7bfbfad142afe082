// The TDS test server on the wire, seen by a client written from the
// protocol's description: requests split across reads and packets, replies
// cut to the packet size agreed at login, values of each type, attention,
// stalls, and clients that break the protocol.

#include "support/TdsRawClient.h"
#include "support/TdsRequests.h"
#include "support/TdsTestServer.h"
#include "support/TdsTokens.h"
#include "support/TdsWire.h"
#include "support/TestCatalogue.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using ks::test::TdsTestServer;
using namespace ks::tds;
using namespace ks::tdsclient;

namespace {

const QString kUser = QStringLiteral("quill");
const QString kPassword = QStringLiteral("pässword");
constexpr int kNumberRows = 200;

} // namespace

class TestTdsWire : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

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

QTEST_GUILESS_MAIN(TestTdsWire)
#include "tst_tdswire.moc"
