#include "db/KsConnectionString.h"

#include "base/KsStrings.h"

#include <optional>

namespace ks {

namespace {

// Whether `text` holds `prefix` at `at`, the letters a to z of both compared
// without regard to case.
bool startsAt(const QString &text, qsizetype at, const QString &upperPrefix)
{
    if (at + upperPrefix.size() > text.size())
        return false;
    return asciiUpper(text.mid(at, upperPrefix.size())) == upperPrefix;
}

struct QuotedValue {
    QString text; // without the quotes, doubled quotes made single
    qsizetype end = 0; // position just after the closing quote
};

// The double-quoted value that starts at `at`; none when `at` holds no quote
// or the quote is never closed.
std::optional<QuotedValue> quotedValueAt(const QString &text, qsizetype at)
{
    if (at >= text.size() || text.at(at) != u'"')
        return std::nullopt;
    QuotedValue value;
    qsizetype from = at + 1;
    for (;;) {
        const qsizetype quote = text.indexOf(u'"', from);
        if (quote < 0)
            return std::nullopt;
        value.text += QStringView(text).mid(from, quote - from);
        if (quote + 1 < text.size() && text.at(quote + 1) == u'"') {
            value.text += u'"';
            from = quote + 2;
            continue;
        }
        value.end = quote + 1;
        return value;
    }
}

// Where the pair that starts at `at` ends: the position of its closing ";",
// or -1 for the last pair. A ";" inside a quoted value does not end it.
qsizetype pairEnd(const QString &text, qsizetype at)
{
    const qsizetype semicolon = text.indexOf(u';', at);
    const qsizetype equals = text.indexOf(u'=', at);
    if (equals < 0 || (semicolon >= 0 && semicolon < equals))
        return semicolon;
    if (const std::optional<QuotedValue> quoted = quotedValueAt(text, equals + 1))
        return text.indexOf(u';', quoted->end);
    return text.indexOf(u';', equals + 1);
}

bool needsQuotes(const QString &value)
{
    if (value.isEmpty())
        return false;
    const auto blank = [](QChar c) { return c.unicode() <= 32 || c.isSpace(); };
    if (blank(value.front()) || blank(value.back()))
        return true;
    for (const QChar c : value) {
        if (c == u';' || c == u'=' || c == u'"' || c == u'\'')
            return true;
    }
    return false;
}

} // namespace

QString GetConnectionValue(const QString &connectionString, const QString &key)
{
    const QString needle = asciiUpper(key) + u'=';
    for (qsizetype at = 0; at <= connectionString.size();) {
        if (startsAt(connectionString, at, needle)) {
            const qsizetype valueStart = at + needle.size();
            if (const std::optional<QuotedValue> quoted = quotedValueAt(connectionString, valueStart))
                return quoted->text;
            const qsizetype end = connectionString.indexOf(u';', valueStart);
            return end < 0 ? connectionString.mid(valueStart) : connectionString.mid(valueStart, end - valueStart);
        }
        const qsizetype end = pairEnd(connectionString, at);
        if (end < 0)
            break;
        at = end + 1;
    }
    return {};
}

QString withConnectionValue(const QString &connectionString, const QString &key, const QString &value)
{
    const QString needle = asciiUpper(key) + u'=';
    QString kept;
    for (qsizetype at = 0; at < connectionString.size();) {
        const qsizetype end = pairEnd(connectionString, at);
        const QString pair = end < 0 ? connectionString.mid(at) : connectionString.mid(at, end - at);
        if (!pair.isEmpty() && !startsAt(connectionString, at, needle))
            kept += (kept.isEmpty() ? QString() : QStringLiteral(";")) + pair;
        if (end < 0)
            break;
        at = end + 1;
    }
    return (kept.isEmpty() ? QString() : kept + u';') + key + u'=' + connectionStringValue(value);
}

QString connectionStringValue(const QString &value)
{
    if (!needsQuotes(value))
        return value;
    QString doubled = value;
    doubled.replace(u'"', QStringLiteral("\"\""));
    return u'"' + doubled + u'"';
}

QString BuildMsSqlConnectionString(
    const QString &server, const QString &database, const QString &userName, const QString &password)
{
    QString result = QStringLiteral("Provider=sqloledb;Data Source=") + connectionStringValue(server)
        + QStringLiteral(";Initial Catalog=") + connectionStringValue(database);
    if (!userName.isEmpty())
        result += QStringLiteral(";User Id=") + connectionStringValue(userName) + QStringLiteral(";Password=")
            + connectionStringValue(password);
    else
        result += QStringLiteral(";Integrated Security=SSPI");
    return result;
}

} // namespace ks
