#pragma once
// The framing of the TDS protocol as the test server sees it: little-endian
// values and UCS-2 texts written into a byte array, a byte stream cut into
// packets and gathered into messages, and a reply cut into packets no longer
// than the size agreed at login.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace ks::tds {

// Packet types of the header's first byte.
enum PacketType : quint8 {
    SqlBatchPacket = 0x01,
    RpcPacket = 0x03,
    ReplyPacket = 0x04,
    AttentionPacket = 0x06,
    TransactionManagerPacket = 0x0E,
    Login7Packet = 0x10,
    PreloginPacket = 0x12,
};

constexpr int kHeaderSize = 8;
constexpr quint8 kEndOfMessage = 0x01;
// The packet sizes a client may ask for at login.
constexpr int kMinPacketSize = 512;
constexpr int kMaxPacketSize = 32767;
constexpr int kDefaultPacketSize = 4096;

// Appends values in the wire's byte order (little-endian) and UCS-2 texts.
class ByteWriter {
public:
    void u8(quint8 value) { m_data.append(char(value)); }
    void u16(quint16 value);
    void u16BigEndian(quint16 value); // pre-login offsets and lengths
    void u32(quint32 value);
    void u64(quint64 value);
    void bytes(QByteArrayView bytes) { m_data.append(bytes); }
    // The text's UTF-16 units, two bytes each, without a length.
    void ucs2(QStringView text);
    // A length in characters in one byte (B_VARCHAR) or two (US_VARCHAR),
    // then the text; a longer text is cut to what the length can tell.
    void bVarchar(QStringView text);
    void usVarchar(QStringView text);

    qsizetype size() const { return m_data.size(); }
    const QByteArray &data() const { return m_data; }
    QByteArray take();
    // Writes a 16-bit value over two bytes already written (a token's length).
    void patchU16(qsizetype at, quint16 value);

private:
    QByteArray m_data;
};

// Reads little-endian values and UCS-2 texts at given offsets; every read
// is checked against the end, so a malformed message gives nullopt.
class ByteReader {
public:
    explicit ByteReader(QByteArrayView data)
        : m_data(data)
    {
    }
    std::optional<quint8> u8(qsizetype at) const;
    std::optional<quint16> u16(qsizetype at) const;
    std::optional<quint16> u16BigEndian(qsizetype at) const;
    std::optional<quint32> u32(qsizetype at) const;
    std::optional<QString> ucs2(qsizetype at, qsizetype characters) const;
    qsizetype size() const { return m_data.size(); }

private:
    QByteArrayView m_data;
};

// One request of a client: the packets of one message joined.
struct Message {
    quint8 type = 0;
    QByteArray payload;
};

// Gathers a byte stream, however the network splits it, into packets and
// the packets into messages (the last packet of a message has the
// end-of-message status).
class MessageAssembler {
public:
    // Takes the bytes read; false once the stream cannot be TDS (a packet
    // shorter than its header, longer than the largest packet size, a
    // message whose packets change type, or one past `maxMessageSize`).
    bool feed(QByteArrayView bytes);
    std::optional<Message> takeMessage();
    void setMaxMessageSize(qsizetype bytes) { m_maxMessageSize = bytes; }

private:
    bool takePackets();

    QByteArray m_buffer;
    Message m_partial;
    bool m_inMessage = false;
    QList<Message> m_ready;
    qsizetype m_maxMessageSize = 64 * 1024 * 1024;
    bool m_broken = false;
};

// Cuts the tokens of one reply into packets of at most the agreed packet
// size and hands each to `sink`. Packets go out as they fill; flush() sends
// what is left, as the message's last packet or not.
class PacketWriter {
public:
    explicit PacketWriter(std::function<void(const QByteArray &)> sink);
    void setPacketSize(int bytes);
    int packetSize() const { return m_packetSize; }
    void setSpid(quint16 spid) { m_spid = spid; }

    void append(QByteArrayView tokens);
    // Sends what is pending; with `endOfMessage` the reply is complete and
    // its last packet carries that status.
    void flush(bool endOfMessage);
    bool hasPending() const { return !m_pending.isEmpty(); }

private:
    void send(QByteArrayView payload, bool last);

    std::function<void(const QByteArray &)> m_sink;
    QByteArray m_pending;
    int m_packetSize = kDefaultPacketSize;
    quint16 m_spid = 0;
    quint8 m_packetId = 1;
};

} // namespace ks::tds
