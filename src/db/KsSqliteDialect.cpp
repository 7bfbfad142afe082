#include "db/KsSqliteDialect.h"

#include "base/KsStrings.h"
#include "db/KsOracleFormat.h"
#include "db/KsSqlLike.h"
#include "db/KsUtf8.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ks {

namespace {

QString argText(sqlite3_value *value)
{
    const void *data = sqlite3_value_text16(value);
    const int bytes = sqlite3_value_bytes16(value);
    return QString(static_cast<const QChar *>(data), bytes / 2);
}

QVariant argValue(sqlite3_value *value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_value_double(value));
    case SQLITE_NULL:
        return {};
    default:
        return QVariant(argText(value));
    }
}

void resultText(sqlite3_context *context, const QString &text)
{
    sqlite3_result_text16(context, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
}

void resultError(sqlite3_context *context, const QString &message)
{
    sqlite3_result_error16(context, message.utf16(), int(message.size() * 2));
}

bool anyNull(int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    }
    return false;
}

// Runs a function body; an exception becomes the statement's error, since it
// must not unwind through SQLite.
template <typename Body> void guarded(sqlite3_context *context, int argc, sqlite3_value **argv, Body body)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(context);
        return;
    }
    try {
        body();
    } catch (const Error &error) {
        resultError(context, error.message());
    } catch (const std::exception &error) {
        resultError(context, QString::fromLocal8Bit(error.what()));
    }
}

void deletePattern(void *pattern)
{
    delete static_cast<LikePattern *>(pattern);
}

// A text argument as SQLite holds it in UTF-8 (numbers turned into text).
std::string_view utf8Arg(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    const int bytes = sqlite3_value_bytes(value);
    return text ? std::string_view(text, size_t(bytes)) : std::string_view();
}

using SqliteBuffer = std::unique_ptr<char, decltype(&sqlite3_free)>;

// A buffer from SQLite's allocator for `bytes` bytes and a terminating NUL.
SqliteBuffer sqliteBuffer(size_t bytes)
{
    return SqliteBuffer(static_cast<char *>(sqlite3_malloc64(bytes + 1)), &sqlite3_free);
}

// Hands `buffer`, holding `bytes` bytes of UTF-8, to SQLite as the result. A
// text that SQLite knows to end in a NUL is read in place by whatever takes
// it next (LIKE reads its arguments as NUL-terminated text); one without the
// mark would be copied for the sake of that NUL.
void resultBuffer(sqlite3_context *context, SqliteBuffer buffer, size_t bytes)
{
    if (!buffer) {
        sqlite3_result_error_nomem(context);
        return;
    }
    buffer.get()[bytes] = 0;
    // A NUL inside the text (rare, but SQLite allows it) needs the length.
    if (std::memchr(buffer.get(), 0, bytes) != nullptr)
        sqlite3_result_text64(context, buffer.release(), bytes, &sqlite3_free, SQLITE_UTF8);
    else
        sqlite3_result_text(context, buffer.release(), -1, &sqlite3_free);
}

// The escape character of like(pattern, text, escape), or 0 for none.
char32_t escapeArg(sqlite3_value *value)
{
    const std::string_view text = utf8Arg(value);
    size_t at = 0;
    char32_t code = 0;
    if (!text.empty() && utf8::decode(text, at, code) && at == text.size())
        return utf8::asSqliteConverts(code); // as the pattern, which comes in UTF-16
    const QList<uint> characters = argText(value).toUcs4(); // as SQLite converts invalid UTF-8
    if (characters.size() != 1)
        throw Error(QStringLiteral("ESCAPE expression must be a single character"));
    return characters.front();
}

// like(pattern, text [, escape]): SQLite's function behind "text LIKE pattern".
// The compiled pattern is kept with the statement while the pattern stays the
// same, so a search over many rows compiles it once; the text is matched in
// the UTF-8 that SQLite keeps, without a conversion per row.
void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] {
        const char32_t escape = argc == 3 ? escapeArg(argv[2]) : 0;
        const auto *pattern = static_cast<const LikePattern *>(sqlite3_get_auxdata(context, 0));
        std::unique_ptr<LikePattern> compiled;
        if (!pattern || pattern->escape() != escape) {
            const auto flavour = static_cast<LikeFlavour>(reinterpret_cast<std::intptr_t>(sqlite3_user_data(context)));
            compiled = std::make_unique<LikePattern>(argText(argv[0]), flavour, escape);
            pattern = compiled.get();
        }
        std::optional<bool> found = pattern->matchesUtf8(utf8Arg(argv[1]));
        if (!found) // not valid UTF-8: as SQLite converts it
            found = pattern->matches(argText(argv[1]));
        sqlite3_result_int(context, *found ? 1 : 0);
        if (compiled)
            sqlite3_set_auxdata(context, 0, compiled.release(), &deletePattern);
    });
}

// UPPER and LOWER. ASCII text the way SQLite's own do it: one buffer, a to z
// mapped in one pass. Other text has every letter mapped, in a buffer of
// twice the size; text that is not valid UTF-8 goes the way SQLite converts it.
void caseFunction(sqlite3_context *context, int argc, sqlite3_value **argv, bool upper)
{
    guarded(context, argc, argv, [&] {
        const std::string_view text = utf8Arg(argv[0]);
        SqliteBuffer buffer = sqliteBuffer(text.size());
        if (buffer && utf8::changeAsciiCase(text, upper, buffer.get())) {
            resultBuffer(context, std::move(buffer), text.size());
            return;
        }
        buffer = sqliteBuffer(2 * text.size());
        if (!buffer) {
            sqlite3_result_error_nomem(context);
            return;
        }
        if (const std::optional<size_t> written = utf8::changeCase(text, upper, buffer.get()))
            resultBuffer(context, std::move(buffer), *written);
        else
            resultText(context, oracle::changeCase(argText(argv[0]), upper));
    });
}

void upperFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    caseFunction(context, argc, argv, true);
}

void lowerFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    caseFunction(context, argc, argv, false);
}

void initCapFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] {
        const std::string_view text = utf8Arg(argv[0]);
        SqliteBuffer buffer = sqliteBuffer(2 * text.size());
        if (!buffer) {
            sqlite3_result_error_nomem(context);
            return;
        }
        if (const std::optional<size_t> written = utf8::initCap(text, buffer.get()))
            resultBuffer(context, std::move(buffer), *written);
        else
            resultText(context, oracle::initCap(argText(argv[0])));
    });
}

void nvlFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_result_value(context, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

void toCharFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] {
        const QVariant value = argValue(argv[0]);
        const bool isNumber = value.typeId() != QMetaType::QString;
        if (argc == 1) {
            resultText(context, isNumber ? oracle::numberText(value) : value.toString());
            return;
        }
        const QString format = argText(argv[1]);
        if (isNumber) {
            resultText(context, oracle::formatNumber(value, format));
            return;
        }
        // Text that reads as a number is formatted as one, the rest as a date.
        bool numeric = false;
        const double asNumber = value.toString().trimmed().toDouble(&numeric);
        resultText(
            context, numeric ? oracle::formatNumber(asNumber, format) : oracle::formatDate(value.toString(), format));
    });
}

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

using SqlFunction = void (*)(sqlite3_context *, int, sqlite3_value **);

void createFunction(sqlite3 *handle, const char *name, int argc, SqlFunction function, void *userData = nullptr)
{
    const int rc = sqlite3_create_function_v2(
        handle, name, argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC, userData, function, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw Error(QStringLiteral("Cannot register the SQL function %1: %2")
                        .arg(QLatin1String(name), QString::fromUtf8(sqlite3_errmsg(handle))));
}

// Whether the LIKE the handle has now tells "a" from "A".
bool likeRespectsCase(sqlite3 *handle)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(handle, "SELECT 'a' LIKE 'A'", -1, &statement, nullptr) != SQLITE_OK)
        return false;
    const bool respects = sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_int(statement, 0) == 0;
    sqlite3_finalize(statement);
    return respects;
}

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        throw Error(QStringLiteral("The catalogue connection is not open."));
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Error(QStringLiteral("The catalogue connection is not an SQLite connection."));
    sqlite3 *result = *static_cast<sqlite3 *const *>(handle.constData());
    if (!result)
        throw Error(QStringLiteral("The catalogue connection has no SQLite handle."));
    return result;
}

} // namespace

void installCatalogueDialect(const QSqlDatabase &db, CatalogueDialect dialect)
{
    sqlite3 *handle = sqliteHandle(db);
    const LikeFlavour flavour = dialect == CatalogueDialect::Oracle ? LikeFlavour::Oracle : LikeFlavour::MsSql;
    void *flavourData = reinterpret_cast<void *>(static_cast<std::intptr_t>(flavour));
    if (dialect == CatalogueDialect::Oracle) {
        // SQLite's own LIKE, told to respect letter case, is Oracle's: "%" any
        // run, "_" one character, every other character itself. It is the
        // engine's fastest. The pragma installs SQLite's LIKE afresh, so it
        // comes before the LIKE with ESCAPE below, which stays the dialect's:
        // Oracle refuses an escape character before anything but "%", "_"
        // or itself, where SQLite takes the character literally. An SQLite
        // built without the pragma ignores it; the dialect's LIKE then
        // serves without it.
        sqlite3_exec(handle, "PRAGMA case_sensitive_like = ON", nullptr, nullptr, nullptr);
        if (!likeRespectsCase(handle))
            createFunction(handle, "like", 2, &likeFunction, flavourData);
        createFunction(handle, "like", 3, &likeFunction, flavourData);
    } else {
        createFunction(handle, "like", 2, &likeFunction, flavourData);
        createFunction(handle, "like", 3, &likeFunction, flavourData);
    }
    // Both servers fold every letter, not only a to z as SQLite's own do.
    createFunction(handle, "upper", 1, &upperFunction);
    createFunction(handle, "lower", 1, &lowerFunction);
    if (dialect == CatalogueDialect::Oracle) {
        createFunction(handle, "initcap", 1, &initCapFunction);
        createFunction(handle, "nvl", 2, &nvlFunction);
        createFunction(handle, "to_char", 1, &toCharFunction);
        createFunction(handle, "to_char", 2, &toCharFunction);
    } else {
        createFunction(handle, "substring", 3, &substringFunction);
        createFunction(handle, "datalength", 1, &dataLengthFunction);
        createFunction(handle, "stuff", 4, &stuffFunction);
    }
}

} // namespace ks
