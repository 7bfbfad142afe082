#include "kinds/mssql/MsSqlFileDialect.h"

#include "db/KsFileDialect.h"
#include "db/KsUtf8.h"

#include <algorithm>
#include <optional>

namespace ks::mssql {

namespace {

using namespace sqlfn;

// A length or position argument of the SQL Server string functions.
qsizetype countArg(sqlite3_value *value)
{
    return qsizetype(std::clamp<sqlite3_int64>(sqlite3_value_int64(value), -1, 1LL << 40));
}

// The byte at which UTF-16 unit `unit` (from 0) of UTF-8 `text` of `units`
// units begins, walking from the nearer end; none where the unit is the
// second half of a character beyond U+FFFF, or where the walk from the
// start meets a byte that begins no character. The text is read as the
// valid UTF-8 that SQLite keeps.
std::optional<size_t> unitByte(std::string_view text, qsizetype unit, qsizetype units)
{
    size_t at = 0;
    if (unit <= units / 2) {
        for (qsizetype u = 0; u < unit; ++u) {
            const auto byte = static_cast<unsigned char>(text[at]);
            if ((byte & 0xC0) == 0x80 || byte >= 0xF8)
                return std::nullopt;
            at += byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
            if (byte >= 0xF0 && ++u == unit)
                return std::nullopt;
            if (at > text.size())
                return std::nullopt;
        }
        return at;
    }
    at = text.size();
    for (qsizetype u = units; u > unit;) {
        while (at > 0 && (static_cast<unsigned char>(text[--at]) & 0xC0) == 0x80) { }
        u -= static_cast<unsigned char>(text[at]) >= 0xF0 ? 2 : 1;
        if (u < unit)
            return std::nullopt;
    }
    return at;
}

// SUBSTRING(text, start, length) as SQL Server has it: the characters (UTF-16
// units) from `start` to start + length - 1, counted from 1, of those that
// are in the text; a start before the first character shortens the result.
// SQLite's own counts from the end for a negative start, and LEFT and RIGHT
// its parser takes for joins, so the catalogue statements cut texts with it.
void substringFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] {
        const qsizetype start = countArg(argv[1]);
        const qsizetype length = countArg(argv[2]);
        if (length < 0)
            throw Error(QStringLiteral("Invalid length parameter passed to the substring function."));
        const qsizetype from = std::max<qsizetype>(start, 1);
        // Cut in the UTF-8 that SQLite keeps where no character is split.
        const std::string_view bytes = utf8Arg(argv[0]);
        const auto units = qsizetype(utf8::utf16Units(bytes));
        const qsizetype to = std::min(start + length, units + 1);
        if (from >= to) {
            resultText(context, QString());
            return;
        }
        const std::optional<size_t> begin = unitByte(bytes, from - 1, units);
        const std::optional<size_t> end = unitByte(bytes, to - 1, units);
        if (begin && end && *begin <= *end) {
            sqlite3_result_text(context, bytes.data() + *begin, int(*end - *begin), SQLITE_TRANSIENT);
            return;
        }
        resultText(context, argText(argv[0]).mid(from - 1, to - from));
    });
}

// DATALENGTH(value): the bytes of the value as SQL Server keeps the
// catalogue's text, nvarchar, two a UTF-16 unit; a blob's own bytes.
void dataLengthFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] {
        if (sqlite3_value_type(argv[0]) == SQLITE_BLOB)
            sqlite3_result_int64(context, sqlite3_value_bytes(argv[0]));
        else
            sqlite3_result_int64(context, 2 * sqlite3_int64(utf8::utf16Units(utf8Arg(argv[0]))));
    });
}

// STUFF(text, start, length, insert) as SQL Server has it: `length`
// characters from `start` (counted from 1) replaced by `insert`, which may be
// NULL for none; NULL for a start outside the text or a negative length. The
// catalogue statements join two texts with it, as both servers take it.
void stuffFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc - 1, argv, [&] {
        const QString text = argText(argv[0]);
        const qsizetype start = countArg(argv[1]);
        const qsizetype length = countArg(argv[2]);
        if (start < 1 || start > text.size() || length < 0) {
            sqlite3_result_null(context);
            return;
        }
        const QString insert = sqlite3_value_type(argv[3]) == SQLITE_NULL ? QString() : argText(argv[3]);
        resultText(context, QString(text).replace(start - 1, length, insert));
    });
}

} // namespace

void installFileDialect(sqlite3 *handle)
{
    installLike(handle, LikeFlavour::MsSql);
    installLetterCase(handle);
    create(handle, "substring", 3, &substringFunction);
    create(handle, "datalength", 1, &dataLengthFunction);
    create(handle, "stuff", 4, &stuffFunction);
}

} // namespace ks::mssql
