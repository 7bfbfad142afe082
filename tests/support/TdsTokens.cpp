#include "support/TdsTokens.h"

#include <QtEndian>

namespace ks::tds {

namespace {

// Starts a token whose length follows in two bytes; returns where the
// length goes, to be filled in by endToken().
qsizetype beginToken(ByteWriter &out, TokenType token)
{
    out.u8(token);
    const qsizetype at = out.size();
    out.u16(0);
    return at;
}

void endToken(ByteWriter &out, qsizetype lengthAt)
{
    out.patchU16(lengthAt, quint16(out.size() - lengthAt - 2));
}

} // namespace

QByteArray collationBytes()
{
    // LCID 0x0409 with the case-insensitive flags, sort id 52.
    return QByteArray("\x09\x04\xD0\x00\x34", 5);
}

void writeEnvChange(ByteWriter &out, EnvChangeType type, QStringView newValue, QStringView oldValue)
{
    const qsizetype at = beginToken(out, EnvChangeToken);
    out.u8(type);
    out.bVarchar(newValue);
    out.bVarchar(oldValue);
    endToken(out, at);
}

void writeCollationChange(ByteWriter &out)
{
    const QByteArray collation = collationBytes();
    const qsizetype at = beginToken(out, EnvChangeToken);
    out.u8(EnvCollation);
    out.u8(quint8(collation.size()));
    out.bytes(collation);
    out.u8(0); // no old collation
    endToken(out, at);
}

void writeLoginAck(ByteWriter &out, quint32 tdsVersion)
{
    const qsizetype at = beginToken(out, LoginAckToken);
    out.u8(1); // SQL_TSQL interface
    char version[4];
    qToBigEndian(tdsVersion, version); // this one field travels most significant byte first
    out.bytes(QByteArrayView(version, 4));
    // The driver reports this name as the DBMS name, and Qt's ODBC driver
    // knows a SQL Server by it; the test server is taken for one.
    out.bVarchar(u"Microsoft SQL Server");
    out.bytes(QByteArrayView("\x10\x00\x03\xE8", 4)); // program version 16.0.1000
    endToken(out, at);
}

void writeMessage(ByteWriter &out, bool isError, const ServerMessage &message)
{
    const qsizetype at = beginToken(out, isError ? ErrorToken : InfoToken);
    out.u32(quint32(message.number));
    out.u8(message.state);
    out.u8(message.severity);
    // The text may be long, but the token's own length has two bytes.
    out.usVarchar(QStringView(message.text).left(30000));
    out.bVarchar(kServerName);
    out.bVarchar(u""); // no procedure
    out.u32(1); // line number
    endToken(out, at);
}

void writeDone(ByteWriter &out, quint16 status, quint16 command, quint64 rowCount)
{
    out.u8(DoneToken);
    out.u16(status);
    out.u16(command);
    out.u64(rowCount);
}

} // namespace ks::tds
