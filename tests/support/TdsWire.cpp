#include "support/TdsWire.h"

#include <QtEndian>

#include <algorithm>

namespace ks::tds {

// ---------------------------------------------------------------------------
// ByteWriter

void ByteWriter::u16(quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    m_data.append(bytes, 2);
}

void ByteWriter::u16BigEndian(quint16 value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    m_data.append(bytes, 2);
}

void ByteWriter::u32(quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    m_data.append(bytes, 4);
}

void ByteWriter::u64(quint64 value)
{
    char bytes[8];
    qToLittleEndian(value, bytes);
    m_data.append(bytes, 8);
}

void ByteWriter::ucs2(QStringView text)
{
    const qsizetype at = m_data.size();
    m_data.resize(at + text.size() * 2);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), m_data.data() + at);
}

void ByteWriter::bVarchar(QStringView text)
{
    const QStringView cut = text.left(0xFF);
    u8(quint8(cut.size()));
    ucs2(cut);
}

void ByteWriter::usVarchar(QStringView text)
{
    const QStringView cut = text.left(0xFFFF);
    u16(quint16(cut.size()));
    ucs2(cut);
}

QByteArray ByteWriter::take()
{
    QByteArray result;
    result.swap(m_data);
    return result;
}

void ByteWriter::patchU16(qsizetype at, quint16 value)
{
    Q_ASSERT(at >= 0 && at + 2 <= m_data.size());
    qToLittleEndian(value, m_data.data() + at);
}

// ---------------------------------------------------------------------------
// ByteReader

std::optional<quint8> ByteReader::u8(qsizetype at) const
{
    if (at < 0 || at + 1 > m_data.size())
        return std::nullopt;
    return quint8(m_data[at]);
}

std::optional<quint16> ByteReader::u16(qsizetype at) const
{
    if (at < 0 || at + 2 > m_data.size())
        return std::nullopt;
    return qFromLittleEndian<quint16>(m_data.data() + at);
}

std::optional<quint16> ByteReader::u16BigEndian(qsizetype at) const
{
    if (at < 0 || at + 2 > m_data.size())
        return std::nullopt;
    return qFromBigEndian<quint16>(m_data.data() + at);
}

std::optional<quint32> ByteReader::u32(qsizetype at) const
{
    if (at < 0 || at + 4 > m_data.size())
        return std::nullopt;
    return qFromLittleEndian<quint32>(m_data.data() + at);
}

std::optional<QString> ByteReader::ucs2(qsizetype at, qsizetype characters) const
{
    if (at < 0 || characters < 0 || at + characters * 2 > m_data.size())
        return std::nullopt;
    QString text(characters, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(m_data.data() + at, characters, text.data());
    return text;
}

// ---------------------------------------------------------------------------
// MessageAssembler

bool MessageAssembler::feed(QByteArrayView bytes)
{
    if (m_broken)
        return false;
    m_buffer.append(bytes);
    m_broken = !takePackets();
    return !m_broken;
}

bool MessageAssembler::takePackets()
{
    qsizetype at = 0;
    while (m_buffer.size() - at >= kHeaderSize) {
        const auto *header = reinterpret_cast<const uchar *>(m_buffer.constData() + at);
        const quint8 type = header[0];
        const quint8 status = header[1];
        const int length = qFromBigEndian<quint16>(header + 2);
        if (length < kHeaderSize || length > kMaxPacketSize)
            return false;
        if (m_buffer.size() - at < length)
            break; // the rest of the packet is still on its way
        if (!m_inMessage) {
            m_partial = Message {type, {}};
            m_inMessage = true;
        } else if (m_partial.type != type) {
            return false;
        }
        if (m_partial.payload.size() + length - kHeaderSize > m_maxMessageSize)
            return false;
        m_partial.payload.append(m_buffer.constData() + at + kHeaderSize, length - kHeaderSize);
        at += length;
        if (status & kEndOfMessage) {
            m_ready.append(std::move(m_partial));
            m_partial = {};
            m_inMessage = false;
        }
    }
    m_buffer.remove(0, at);
    return true;
}

std::optional<Message> MessageAssembler::takeMessage()
{
    if (m_ready.isEmpty())
        return std::nullopt;
    return m_ready.takeFirst();
}

// ---------------------------------------------------------------------------
// PacketWriter

PacketWriter::PacketWriter(std::function<void(const QByteArray &)> sink)
    : m_sink(std::move(sink))
{
}

void PacketWriter::setPacketSize(int bytes)
{
    m_packetSize = std::clamp(bytes, kMinPacketSize, kMaxPacketSize);
}

void PacketWriter::append(QByteArrayView tokens)
{
    m_pending.append(tokens);
    // Full packets leave at once; at least one byte stays behind, so that
    // the message's last packet is never an empty one.
    const qsizetype payload = m_packetSize - kHeaderSize;
    qsizetype at = 0;
    while (m_pending.size() - at > payload) {
        send(QByteArrayView(m_pending).sliced(at, payload), false);
        at += payload;
    }
    m_pending.remove(0, at);
}

void PacketWriter::flush(bool endOfMessage)
{
    const qsizetype payload = m_packetSize - kHeaderSize;
    qsizetype at = 0;
    while (m_pending.size() - at > payload) {
        send(QByteArrayView(m_pending).sliced(at, payload), false);
        at += payload;
    }
    if (m_pending.size() > at || endOfMessage)
        send(QByteArrayView(m_pending).sliced(at), endOfMessage);
    m_pending.clear();
}

void PacketWriter::send(QByteArrayView payload, bool last)
{
    QByteArray packet(kHeaderSize, Qt::Uninitialized);
    auto *header = reinterpret_cast<uchar *>(packet.data());
    header[0] = ReplyPacket;
    header[1] = last ? kEndOfMessage : 0;
    qToBigEndian(quint16(kHeaderSize + payload.size()), header + 2);
    qToBigEndian(m_spid, header + 4);
    header[6] = m_packetId++;
    header[7] = 0;
    packet.append(payload);
    m_sink(packet);
}

} // namespace ks::tds
