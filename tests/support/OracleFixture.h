#pragma once
// A small Oracle dictionary as a catalogue file, with content the tests know
// row by row: DBA_ tables, ALL_ views over them, USER_ views for SCOTT.

#include <QString>
#include <QStringList>

namespace ks::test {

// The dictionary tables and views, empty.
QStringList oracleDictionaryDdl(const QString &user = QStringLiteral("SCOTT"));

// The tables and views filled with the fixture's content.
QStringList oracleFixture();

} // namespace ks::test
