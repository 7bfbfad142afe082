#pragma once
// What the test server reads out of a client's requests: the pre-login
// options, the LOGIN7 record, the SQL text of a batch and the procedure an
// RPC request calls. Malformed requests give nullopt.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace ks::tds {

// Encryption values of the pre-login ENCRYPTION option.
enum Encryption : quint8 { EncryptOff = 0, EncryptOn = 1, EncryptNotSupported = 2, EncryptRequired = 3 };

struct Prelogin {
    quint8 encryption = EncryptOff; // what the client asked for
};

std::optional<Prelogin> parsePrelogin(QByteArrayView payload);
// The server's pre-login answer: a version, no encryption (so the session
// stays plain TCP), no instance check, no MARS.
QByteArray preloginReply();

struct Login7 {
    quint32 tdsVersion = 0; // as the client sends it, 0x74000004 for 7.4
    quint32 packetSize = 0;
    QString hostName;
    QString userName;
    QString password;
    QString appName;
    QString serverName;
    QString database;
};

std::optional<Login7> parseLogin7(QByteArrayView payload);
// The password as it travels in LOGIN7: every byte with its halves swapped
// and then XOR 0xA5. The same function turns it back.
QByteArray scramblePassword(QByteArrayView ucs2);
QByteArray unscramblePassword(QByteArrayView scrambled);

// The SQL text of a batch, after the ALL_HEADERS block of TDS 7.2 and later.
std::optional<QString> parseSqlBatch(QByteArrayView payload);

// The name of the procedure an RPC request calls; the well-known procedures
// sent by number (sp_cursoropen, sp_executesql, ...) by their names.
std::optional<QString> parseRpcProcedure(QByteArrayView payload);

} // namespace ks::tds
