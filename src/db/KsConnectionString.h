#pragma once
// ADO-style connection strings ("k=v;k=v"): reading a key's value and
// writing a value so that it reads back whole. A leaf: it knows no engine.

#include <QString>

namespace ks {

// The value of `key` in an ADO-style connection string ("k=v;k=v"): the key is
// matched ignoring the letter case of a to z, only at the start or right after
// the ";" that ends the pair before, and only when "=" follows it directly; the
// first occurrence wins; a missing key gives the empty text. A value written
// between double quotes (see connectionStringValue) is read back without them,
// with doubled quotes made single again; a ";" or "key=" inside it is part of
// the value. Any other value runs to the next ";" and keeps its letter case
// and blanks.
QString GetConnectionValue(const QString &connectionString, const QString &key);

// `value` as it is written after "key=" in a connection string: unchanged,
// unless it contains ";", "=", a quote (" or ') or begins or ends with a blank
// or a control character; then it is put between double quotes with every
// double quote in it doubled, so that it can neither end early nor set another
// key. GetConnectionValue reads both forms back.
QString connectionStringValue(const QString &value);

// The connection string with `key` set to `value` (written by
// connectionStringValue) in place of every pair of that key (matched as
// GetConnectionValue matches it), at the end; the other pairs stay as they are.
QString withConnectionValue(const QString &connectionString, const QString &key, const QString &value);

// "Provider=sqloledb;Data Source=<server>;Initial Catalog=<database>" followed by
// the SQL login, or by ";Integrated Security=SSPI" when userName is empty. Each
// value is written by connectionStringValue.
QString BuildMsSqlConnectionString(
    const QString &server, const QString &database, const QString &userName, const QString &password);

} // namespace ks
