#pragma once
// The tokens of a TDS 7.4 server's replies that the test server sends: the
// login acknowledgement with its environment changes, messages (errors and
// informational ones) and DONE.

#include "support/TdsWire.h"

#include <QString>
#include <QStringView>

namespace ks::tds {

enum TokenType : quint8 {
    ColumnMetadataToken = 0x81,
    ErrorToken = 0xAA,
    InfoToken = 0xAB,
    LoginAckToken = 0xAD,
    RowToken = 0xD1,
    EnvChangeToken = 0xE3,
    DoneToken = 0xFD,
};

// Bits of a DONE token's status.
enum DoneStatus : quint16 {
    DoneFinal = 0x0000,
    DoneMore = 0x0001,
    DoneError = 0x0002,
    DoneCount = 0x0010,
    DoneAttention = 0x0020,
};

// The command a DONE token reports; the client only passes it on.
constexpr quint16 kCommandSelect = 0xC1;

enum EnvChangeType : quint8 {
    EnvDatabase = 1,
    EnvLanguage = 2,
    EnvPacketSize = 4,
    EnvCollation = 7,
};

// TDS versions as they stand in LOGIN7 (read little-endian).
constexpr quint32 kTds72 = 0x72090002;
constexpr quint32 kTds74 = 0x74000004;

// The server's name in its messages.
inline constexpr QStringView kServerName = u"QMTDSTEST";

// The collation announced at login and with every text column:
// Latin1_General, case-insensitive, accent-sensitive, code page 1252.
QByteArray collationBytes();

// A message of the server: its number, state, class (severity) and text.
struct ServerMessage {
    qint32 number = 0;
    quint8 state = 1;
    quint8 severity = 16;
    QString text;
};

void writeEnvChange(ByteWriter &out, EnvChangeType type, QStringView newValue, QStringView oldValue);
void writeCollationChange(ByteWriter &out);
// LOGINACK for `tdsVersion` (as read from LOGIN7).
void writeLoginAck(ByteWriter &out, quint32 tdsVersion);
// ERROR (isError) or INFO.
void writeMessage(ByteWriter &out, bool isError, const ServerMessage &message);
void writeDone(ByteWriter &out, quint16 status, quint16 command, quint64 rowCount);

} // namespace ks::tds
