#include "support/TdsRawClient.h"

#include <QDataStream>
#include <QHostAddress>
#include <QtEndian>

#include <cstring>

namespace ks::tdsclient {

namespace {

constexpr int kWaitMs = 10000;

// LOGIN7's password: each byte's halves swapped, then XOR 0xA5.
QByteArray scrambled(const QByteArray &plain)
{
    QByteArray bytes = plain;
    for (char &byte : bytes)
        byte = char(quint8((quint8(byte) << 4) | (quint8(byte) >> 4)) ^ 0xA5);
    return bytes;
}

} // namespace

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
    const QList<QByteArray> texts {ucs2(QStringLiteral("testhost")), ucs2(user), scrambled(ucs2(password)),
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
QByteArray packets(quint8 type, const QByteArray &payload, int packetSize)
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

namespace {

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

} // namespace

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

RawClient::RawClient(quint16 port)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    m_socket.waitForConnected(kWaitMs);
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

void RawClient::send(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.waitForBytesWritten(kWaitMs);
}

std::optional<Packet> RawClient::readPacket()
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
        if (!m_socket.waitForReadyRead(kWaitMs))
            return std::nullopt;
        m_buffer += m_socket.readAll();
    }
}

std::optional<Reply> RawClient::readReply()
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

std::optional<Decoded> RawClient::exchange(quint8 type, const QByteArray &payload, int packetSize)
{
    send(packets(type, payload, packetSize));
    const auto reply = readReply();
    return reply ? decode(reply->payload) : std::nullopt;
}

std::optional<Decoded> RawClient::login(const QString &user, const QString &password, quint32 packetSize)
{
    send(packets(0x12, preloginRequest()));
    if (!readReply())
        return std::nullopt;
    return exchange(0x10, login7Request(user, password, packetSize));
}

bool RawClient::waitClosed()
{
    return !isConnected() || m_socket.waitForDisconnected(kWaitMs);
}

bool RawClient::staysSilent(int milliseconds)
{
    return m_buffer.isEmpty() && !m_socket.waitForReadyRead(milliseconds) && isConnected();
}

} // namespace ks::tdsclient
