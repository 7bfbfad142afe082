#include "kinds/oracle/OracleFormat.h"

#include "base/KsStrings.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <array>
#include <cmath>

namespace ks::oracle {

namespace {

QString caseLike(const QString &element, const QString &upperText)
{
    // The element's own letter case chooses the output's: "MONTH" gives
    // JANUARY, "Month" January, "month" january.
    if (element.isEmpty() || element.at(0).isLower())
        return upperText.toLower();
    if (element.size() > 1 && element.at(1).isLower())
        return upperText.left(1) + upperText.mid(1).toLower();
    return upperText;
}

const std::array<const char *, 12> kMonths = {"JANUARY", "FEBRUARY", "MARCH", "APRIL", "MAY", "JUNE", "JULY", "AUGUST",
    "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
const std::array<const char *, 7> kDays
    = {"MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY"};

// The decimal digits of |number| without exponent, split at the decimal point.
struct Digits {
    QString integral;
    QString fraction;
    bool negative = false;
};

Digits decimalDigits(const QVariant &number)
{
    Digits digits;
    if (number.typeId() == QMetaType::LongLong || number.typeId() == QMetaType::Int) {
        const qlonglong value = number.toLongLong();
        digits.negative = value < 0;
        const quint64 magnitude = value < 0 ? quint64(0) - quint64(value) : quint64(value);
        digits.integral = QString::number(magnitude);
        return digits;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw Error(QStringLiteral("invalid number"));
    digits.negative = std::signbit(value) && value != 0.0;
    const QString text = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf(u'.');
    digits.integral = point < 0 ? text : text.left(point);
    digits.fraction = point < 0 ? QString() : text.mid(point + 1);
    return digits;
}

// Rounds to `places` fraction digits, half away from zero, on the decimal text
// (so 2.675 gives 2.68, as Oracle's decimal numbers do).
void roundDigits(Digits &digits, qsizetype places)
{
    if (digits.fraction.size() <= places) {
        digits.fraction = digits.fraction.leftJustified(places, u'0');
        return;
    }
    const bool up = digits.fraction.at(places) >= u'5';
    digits.fraction.truncate(places);
    if (!up)
        return;
    QString all = digits.integral + digits.fraction;
    qsizetype i = all.size() - 1;
    for (; i >= 0; --i) {
        if (all.at(i) == u'9') {
            all[i] = u'0';
        } else {
            all[i] = QChar(all.at(i).unicode() + 1);
            break;
        }
    }
    if (i < 0)
        all.prepend(u'1');
    digits.integral = all.left(all.size() - places);
    digits.fraction = all.right(places);
}

QString stripLeadingZeros(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u'0')
        ++i;
    return text.mid(i);
}

} // namespace

QString numberText(const QVariant &number)
{
    const Digits digits = decimalDigits(number);
    QString integral = stripLeadingZeros(digits.integral);
    QString fraction = digits.fraction;
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (integral.isEmpty() && fraction.isEmpty())
        return QStringLiteral("0");
    QString text = integral;
    if (!fraction.isEmpty())
        text += u'.' + fraction;
    // Oracle writes 0.5 as ".5" and -0.5 as "-.5".
    return digits.negative ? u'-' + text : text;
}

QString formatNumber(const QVariant &number, const QString &format)
{
    const auto invalid = [] { return Error(QStringLiteral("invalid number format model")); };
    const QString model = asciiUpper(format);
    enum class Sign { Default, Leading, Trailing, TrailingMinus };
    Sign sign = Sign::Default;
    bool fillMode = false;
    bool dollar = false;
    bool hasPoint = false;
    QString integralModel; // "9", "0" and ","
    QString fractionModel; // "9" and "0"

    qsizetype i = 0;
    if (model.startsWith(QLatin1String("FM"))) {
        fillMode = true;
        i = 2;
    }
    if (i < model.size() && model.at(i) == u'S') {
        sign = Sign::Leading;
        ++i;
    }
    for (; i < model.size(); ++i) {
        const QChar c = model.at(i);
        const QStringView rest = QStringView(model).mid(i);
        if (sign == Sign::Default && rest == QLatin1String("MI")) {
            sign = Sign::TrailingMinus;
            break;
        }
        if (sign == Sign::Default && rest == QLatin1String("S")) {
            sign = Sign::Trailing;
            break;
        }
        if (c == u'9' || c == u'0') {
            (hasPoint ? fractionModel : integralModel) += c;
        } else if ((c == u',' || c == u'G') && !hasPoint && !integralModel.isEmpty()) {
            integralModel += u',';
        } else if ((c == u'.' || c == u'D') && !hasPoint) {
            hasPoint = true;
        } else if (c == u'$' && !dollar) {
            dollar = true;
        } else {
            throw invalid();
        }
    }
    const qsizetype integralPlaces = integralModel.count(u'9') + integralModel.count(u'0');
    if (integralPlaces + fractionModel.size() == 0)
        throw invalid();

    Digits digits = decimalDigits(number);
    roundDigits(digits, fractionModel.size());
    QString integral = stripLeadingZeros(digits.integral);
    const bool zero = integral.isEmpty()
        && std::all_of(digits.fraction.cbegin(), digits.fraction.cend(), [](QChar c) { return c == u'0'; });
    const bool negative = digits.negative && !zero;
    if (integral.isEmpty() && fractionModel.isEmpty())
        integral = QStringLiteral("0");
    // A "0" in the model forces digits from there to the decimal point.
    const qsizetype firstZero = QString(integralModel).remove(u',').indexOf(u'0');
    if (firstZero >= 0)
        integral = integral.rightJustified(integralPlaces - firstZero, u'0');

    const qsizetype width = (sign == Sign::Default ? 1 : 0) + (sign == Sign::Leading ? 1 : 0) + (dollar ? 1 : 0)
        + integralModel.size() + (hasPoint ? 1 : 0) + fractionModel.size() + (sign == Sign::Trailing ? 1 : 0)
        + (sign == Sign::TrailingMinus ? 1 : 0);
    if (integral.size() > integralPlaces)
        return QString(width, u'#');

    // Integral digits right-aligned in the model's places; a group separator
    // shows only with digits on its left.
    QString field;
    qsizetype remaining = integral.size();
    for (qsizetype k = integralModel.size() - 1; k >= 0; --k) {
        if (integralModel.at(k) == u',') {
            field.prepend(remaining > 0 ? u',' : u' ');
        } else if (remaining > 0) {
            field.prepend(integral.at(--remaining));
        } else {
            field.prepend(u' ');
        }
    }
    QString floating;
    if (sign == Sign::Default && negative)
        floating += u'-';
    if (sign == Sign::Leading)
        floating += negative ? u'-' : u'+';
    if (dollar)
        floating += u'$';
    const qsizetype spareSlots = (sign == Sign::Default || sign == Sign::Leading ? 1 : 0) + (dollar ? 1 : 0);
    field.prepend(QString(spareSlots, u' '));
    qsizetype firstUsed = 0;
    while (firstUsed < field.size() && field.at(firstUsed) == u' ')
        ++firstUsed;
    field.replace(firstUsed - floating.size(), floating.size(), floating);

    if (hasPoint) {
        QString fraction = digits.fraction;
        if (fillMode) {
            // FM drops trailing zeros that stand in "9" places.
            while (!fraction.isEmpty() && fraction.endsWith(u'0') && fractionModel.at(fraction.size() - 1) == u'9')
                fraction.chop(1);
        }
        field += u'.' + fraction;
    }
    if (sign == Sign::Trailing)
        field += negative ? u'-' : u'+';
    if (sign == Sign::TrailingMinus)
        field += negative ? u'-' : u' ';
    return fillMode ? field.trimmed() : field;
}

QString formatDate(const QString &isoDate, const QString &format)
{
    QString iso = isoDate.trimmed();
    if (iso.size() > 10 && iso.at(10) == u' ')
        iso[10] = u'T';
    QDateTime moment;
    if (iso.size() == 10)
        moment = QDateTime(QDate::fromString(iso, Qt::ISODate), QTime(0, 0));
    else
        moment = QDateTime::fromString(iso, Qt::ISODate);
    if (!moment.isValid())
        throw Error(QStringLiteral("not a valid date: ") + isoDate);
    const QDate date = moment.date();
    const QTime time = moment.time();

    QString result;
    bool fillMode = false;
    const QString upper = asciiUpper(format); // keeps positions equal to the format's
    const auto number = [&](qint64 value, int places) {
        const QString text = QString::number(value);
        result += fillMode ? text : text.rightJustified(places, u'0');
    };
    const auto name = [&](const QString &element, const QString &upperName, bool padded) {
        const QString text = caseLike(element, upperName);
        result += padded && !fillMode ? text.leftJustified(9, u' ') : text;
    };
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    const QString meridian = time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");

    qsizetype i = 0;
    const auto take = [&](const char *element) {
        const QLatin1String e(element);
        if (!QStringView(upper).mid(i).startsWith(e))
            return false;
        i += e.size();
        return true;
    };
    while (i < upper.size()) {
        const qsizetype start = i;
        const QString original = format.mid(start, 5);
        const QChar c = upper.at(i);
        if (c == u'"') {
            const qsizetype close = format.indexOf(u'"', i + 1);
            if (close < 0)
                throw Error(QStringLiteral("date format not recognized"));
            result += format.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (!c.isLetterOrNumber()) {
            result += format.at(i++); // punctuation stands for itself
        } else if (take("FM")) {
            fillMode = !fillMode;
        } else if (take("SSSSS")) {
            number(time.msecsSinceStartOfDay() / 1000, 5);
        } else if (take("SS")) {
            number(time.second(), 2);
        } else if (take("YYYY") || take("RRRR")) {
            number(date.year(), 4);
        } else if (take("YYY")) {
            number(date.year() % 1000, 3);
        } else if (take("YY") || take("RR")) {
            number(date.year() % 100, 2);
        } else if (take("Y")) {
            number(date.year() % 10, 1);
        } else if (take("HH24")) {
            number(time.hour(), 2);
        } else if (take("HH12") || take("HH")) {
            number(hour12, 2);
        } else if (take("MONTH")) {
            name(original, QLatin1String(kMonths[size_t(date.month() - 1)]), true);
        } else if (take("MON")) {
            name(original, QLatin1String(kMonths[size_t(date.month() - 1)]).left(3), false);
        } else if (take("MM")) {
            number(date.month(), 2);
        } else if (take("MI")) {
            number(time.minute(), 2);
        } else if (take("DDD")) {
            number(date.dayOfYear(), 3);
        } else if (take("DD")) {
            number(date.day(), 2);
        } else if (take("DAY")) {
            name(original, QLatin1String(kDays[size_t(date.dayOfWeek() - 1)]), true);
        } else if (take("DY")) {
            name(original, QLatin1String(kDays[size_t(date.dayOfWeek() - 1)]).left(3), false);
        } else if (take("D")) {
            number(date.dayOfWeek() % 7 + 1, 1); // Sunday is day 1
        } else if (take("A.M.") || take("P.M.")) {
            name(original, meridian.left(1) + u'.' + meridian.mid(1) + u'.', false);
        } else if (take("AM") || take("PM")) {
            name(original, meridian, false);
        } else if (take("Q")) {
            number((date.month() - 1) / 3 + 1, 1);
        } else if (take("J")) {
            number(date.toJulianDay(), 7);
        } else {
            throw Error(QStringLiteral("date format not recognized"));
        }
    }
    return result;
}

} // namespace ks::oracle
