#pragma once
// The SQL dialect of a catalogue file's session: the functions an Oracle or a
// SQL Server catalogue statement expects, registered on the SQLite handle of
// one open connection (functions belong to the connection, not to the file).

#include <QString>
#include <QVariant>

class QSqlDatabase;

namespace ks {

enum class CatalogueDialect { Oracle, MsSql };

// Registers the dialect's functions on the open QSQLITE connection `db`.
// Oracle: like (case-sensitive, "%" "_"), upper and lower for every letter,
// initcap, to_char with and without a format, nvl.
// SQL Server: like (letter case ignored, with "[...]" sets), upper and lower.
// Raises ks::Error when `db` is not an open SQLite connection.
void installCatalogueDialect(const QSqlDatabase &db, CatalogueDialect dialect);

// The Oracle functions behind the registered SQL, usable on their own.
namespace oracle {

// UPPER and LOWER: every letter mapped on its own, non-ASCII letters too
// (SQL Server's UPPER and LOWER do the same).
QString changeCase(const QString &text, bool upper);

// INITCAP: the first letter of every word upper case, the others lower case;
// words are runs of letters and digits.
QString initCap(const QString &text);

// TO_CHAR(number) in Oracle's default text form: "0.5" gives ".5", 2 gives "2".
QString numberText(const QVariant &number);

// TO_CHAR(number, format) for the number format elements 9 0 . , D G $ S MI FM.
// Raises ks::Error for a format Oracle refuses.
QString formatNumber(const QVariant &number, const QString &format);

// TO_CHAR(date, format): `date` is ISO text ("2024-03-05", "2024-03-05 14:07:09"
// or with a "T"); elements YYYY YYY YY Y RRRR RR MM MON MONTH DD DDD D DY DAY
// HH HH12 HH24 MI SS SSSSS AM PM A.M. P.M. Q J FM, quoted text and punctuation.
// Raises ks::Error for an unknown element or a value that is not a date.
QString formatDate(const QString &isoDate, const QString &format);

} // namespace oracle

} // namespace ks
