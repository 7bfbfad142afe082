// The pieces the TDS test server is built from: gathering packets into
// messages, cutting replies into packets, the LOGIN7 password, the column
// types of a result, and the session statements answered without running.

#include "support/TdsCatalogue.h"
#include "support/TdsRawClient.h"
#include "support/TdsRequests.h"
#include "support/TdsResult.h"
#include "support/TdsWire.h"

#include <QTest>

using namespace ks::tds;
using namespace ks::tdsclient;

namespace {

const QString kUser = QStringLiteral("quill");
const QString kPassword = QStringLiteral("pässword");

} // namespace

class TestTdsProtocol : public QObject {
    Q_OBJECT

private slots:
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
};

void TestTdsProtocol::assemblerJoinsPacketsFedByteByByte()
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

void TestTdsProtocol::assemblerRejectsBrokenStreams_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("length below the header") << QByteArray("\x01\x01\x00\x07\x00\x00\x00\x00", 8);
    QTest::newRow("length past the largest packet") << QByteArray("\x01\x01\xFF\xFF\x00\x00\x00\x00", 8);
    QByteArray mixed = packets(SqlBatchPacket, QByteArray(600, 'a'), 512);
    mixed[512] = char(RpcPacket); // the second packet of the message changes type
    QTest::newRow("type changes within a message") << mixed;
}

void TestTdsProtocol::assemblerRejectsBrokenStreams()
{
    QFETCH(QByteArray, bytes);
    MessageAssembler assembler;
    QVERIFY(!assembler.feed(bytes));
    QVERIFY(!assembler.takeMessage());
    // Once broken, it stays so.
    QVERIFY(!assembler.feed(packets(SqlBatchPacket, "x")));
}

void TestTdsProtocol::packetWriterCutsToPacketSize_data()
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

void TestTdsProtocol::packetWriterCutsToPacketSize()
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

void TestTdsProtocol::passwordScrambling()
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

void TestTdsProtocol::columnTypeFollowsValues_data()
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

void TestTdsProtocol::columnTypeFollowsValues()
{
    QFETCH(QVariantList, values);
    QFETCH(QMetaType, declared);
    QFETCH(ColumnType, expected);
    QList<QVariantList> rows;
    for (const QVariant &value : values)
        rows << QVariantList {QStringLiteral("other"), value};
    QCOMPARE(ResultSet::typeFor(rows, 1, declared), expected);
}

void TestTdsProtocol::sessionStatementsAreRecognised_data()
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

void TestTdsProtocol::sessionStatementsAreRecognised()
{
    QFETCH(QString, sql);
    QFETCH(bool, session);
    QCOMPARE(isSessionStatement(sql), session);
}

QTEST_GUILESS_MAIN(TestTdsProtocol)
#include "tst_tdsprotocol.moc"
