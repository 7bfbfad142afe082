#pragma once
// Oracle's text functions as the catalogue's SQL calls them: letter case
// (UPPER, LOWER, INITCAP) and TO_CHAR of numbers and dates.

#include <QString>
#include <QVariant>

namespace ks::oracle {

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

} // namespace ks::oracle
