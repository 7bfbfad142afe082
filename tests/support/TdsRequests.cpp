#include "support/TdsRequests.h"

#include "support/TdsWire.h"

#include <array>

namespace ks::tds {

namespace {

enum PreloginOption : quint8 {
    OptionVersion = 0x00,
    OptionEncryption = 0x01,
    OptionInstance = 0x02,
    OptionThreadId = 0x03,
    OptionMars = 0x04,
    OptionTerminator = 0xFF,
};

// Offsets of the LOGIN7 record's fixed part.
constexpr qsizetype kLoginFixedSize = 94;
constexpr qsizetype kLoginTdsVersion = 4;
constexpr qsizetype kLoginPacketSize = 8;
constexpr qsizetype kLoginHostName = 36;
constexpr qsizetype kLoginUserName = 40;
constexpr qsizetype kLoginPassword = 44;
constexpr qsizetype kLoginAppName = 48;
constexpr qsizetype kLoginServerName = 52;
constexpr qsizetype kLoginDatabase = 68;

quint8 swapHalves(quint8 byte)
{
    return quint8((byte << 4) | (byte >> 4));
}

// A text of the LOGIN7 record given by its offset/length pair at `at`.
std::optional<QString> loginText(const ByteReader &reader, qsizetype at)
{
    const auto offset = reader.u16(at);
    const auto length = reader.u16(at + 2);
    if (!offset || !length)
        return std::nullopt;
    if (*length == 0)
        return QString();
    return reader.ucs2(*offset, *length);
}

// Where the request proper starts after ALL_HEADERS.
std::optional<qsizetype> afterAllHeaders(const ByteReader &reader)
{
    const auto total = reader.u32(0);
    if (!total || *total < 4 || *total > quint32(reader.size()))
        return std::nullopt;
    return qsizetype(*total);
}

} // namespace

std::optional<Prelogin> parsePrelogin(QByteArrayView payload)
{
    const ByteReader reader(payload);
    Prelogin prelogin;
    for (qsizetype at = 0;; at += 5) {
        const auto option = reader.u8(at);
        if (!option)
            return std::nullopt; // no terminator
        if (*option == OptionTerminator)
            return prelogin;
        const auto offset = reader.u16BigEndian(at + 1);
        const auto length = reader.u16BigEndian(at + 3);
        if (!offset || !length || qsizetype(*offset) + *length > payload.size())
            return std::nullopt;
        if (*option == OptionEncryption && *length >= 1)
            prelogin.encryption = *reader.u8(*offset);
    }
}

QByteArray preloginReply()
{
    struct Option {
        quint8 token;
        QByteArray data;
    };
    const std::array<Option, 5> options {{
        {OptionVersion, QByteArray("\x10\x00\x03\xE8\x00\x00", 6)}, // 16.0.1000, sub-build 0
        {OptionEncryption, QByteArray(1, char(EncryptNotSupported))},
        {OptionInstance, QByteArray(1, '\0')},
        {OptionThreadId, QByteArray()},
        {OptionMars, QByteArray(1, '\0')},
    }};
    // Option headers (token, big-endian offset and length), the terminator,
    // then the option data in the same order.
    ByteWriter head;
    QByteArray data;
    const qsizetype dataStart = qsizetype(options.size()) * 5 + 1;
    for (const Option &option : options) {
        head.u8(option.token);
        head.u16BigEndian(quint16(dataStart + data.size()));
        head.u16BigEndian(quint16(option.data.size()));
        data += option.data;
    }
    head.u8(OptionTerminator);
    return head.take() + data;
}

std::optional<Login7> parseLogin7(QByteArrayView payload)
{
    const ByteReader reader(payload);
    const auto length = reader.u32(0);
    if (payload.size() < kLoginFixedSize || !length || *length > quint32(payload.size()))
        return std::nullopt;
    Login7 login;
    login.tdsVersion = *reader.u32(kLoginTdsVersion);
    login.packetSize = *reader.u32(kLoginPacketSize);
    const auto host = loginText(reader, kLoginHostName);
    const auto user = loginText(reader, kLoginUserName);
    const auto app = loginText(reader, kLoginAppName);
    const auto server = loginText(reader, kLoginServerName);
    const auto database = loginText(reader, kLoginDatabase);
    const auto passwordOffset = reader.u16(kLoginPassword);
    const auto passwordLength = reader.u16(kLoginPassword + 2);
    if (!host || !user || !app || !server || !database || !passwordOffset || !passwordLength)
        return std::nullopt;
    if (qsizetype(*passwordOffset) + qsizetype(*passwordLength) * 2 > payload.size())
        return std::nullopt;
    const QByteArray password = unscramblePassword(payload.sliced(*passwordOffset, qsizetype(*passwordLength) * 2));
    login.password = *ByteReader(password).ucs2(0, *passwordLength);
    login.hostName = *host;
    login.userName = *user;
    login.appName = *app;
    login.serverName = *server;
    login.database = *database;
    return login;
}

QByteArray scramblePassword(QByteArrayView ucs2)
{
    QByteArray result(ucs2.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < ucs2.size(); ++i)
        result[i] = char(swapHalves(quint8(ucs2[i])) ^ 0xA5);
    return result;
}

QByteArray unscramblePassword(QByteArrayView scrambled)
{
    QByteArray result(scrambled.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < scrambled.size(); ++i)
        result[i] = char(swapHalves(quint8(scrambled[i]) ^ 0xA5));
    return result;
}

std::optional<QString> parseSqlBatch(QByteArrayView payload)
{
    const ByteReader reader(payload);
    const auto start = afterAllHeaders(reader);
    if (!start || (payload.size() - *start) % 2 != 0)
        return std::nullopt;
    return reader.ucs2(*start, (payload.size() - *start) / 2);
}

std::optional<QString> parseRpcProcedure(QByteArrayView payload)
{
    static const std::array<const char *, 16> byNumber {"", "sp_cursor", "sp_cursoropen", "sp_cursorprepare",
        "sp_cursorexecute", "sp_cursorprepexec", "sp_cursorunprepare", "sp_cursorfetch", "sp_cursoroption",
        "sp_cursorclose", "sp_executesql", "sp_prepare", "sp_execute", "sp_prepexec", "sp_prepexecrpc", "sp_unprepare"};
    const ByteReader reader(payload);
    const auto start = afterAllHeaders(reader);
    if (!start)
        return std::nullopt;
    const auto length = reader.u16(*start);
    if (!length)
        return std::nullopt;
    if (*length != 0xFFFF)
        return reader.ucs2(*start + 2, *length);
    const auto number = reader.u16(*start + 2);
    if (!number)
        return std::nullopt;
    if (*number == 0 || *number >= byNumber.size())
        return QStringLiteral("procedure %1").arg(*number);
    return QString::fromLatin1(byNumber.at(*number));
}

} // namespace ks::tds
