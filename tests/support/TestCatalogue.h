#pragma once
// Catalogue files made by the tests themselves: an SQLite database whose
// tables carry the names and columns the search statements read.

#include <QString>
#include <QStringList>

namespace ks::test {

// Creates (or replaces) the SQLite file `path` and runs `statements` in it, in
// order. Fails the calling test through QFAIL-like exceptions on any error.
void makeCatalogue(const QString &path, const QStringList &statements);

// An Oracle connection string whose data source is the catalogue file.
QString oracleConnectionString(const QString &catalogueFile, const QString &user = QStringLiteral("SCOTT"));

// Splits an SQL script at the ";" that end its lines (no ";" inside string
// literals at the end of a line) and drops "--" comment lines.
QStringList splitScript(const QString &script);

} // namespace ks::test
