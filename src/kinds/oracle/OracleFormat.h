#pragma once
// Oracle's TO_CHAR of numbers and dates, as the dictionary's SQL calls it on
// a catalogue file.

#include <QString>
#include <QVariant>

namespace ks::oracle {

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
