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

} // namespace ks::test
