#include "db/KsFileDialect.h"

#include "db/KsUtf8.h"

#include <QHash>
#include <QMutex>
#include <QSqlDatabase>
#include <QSqlDriver>

#include <cstdint>
#include <cstring>
#include <optional>

namespace ks {

namespace {

struct Registry {
    QMutex mutex;
    QHash<QString, FileDialect> dialects; // by provider, in lower case
};

Registry &registry()
{
    static Registry instance;
    return instance;
}

FileDialect registeredDialect(const QString &provider)
{
    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    return r.dialects.value(provider.toLower());
}

} // namespace

void registerFileDialect(const QString &provider, FileDialect dialect)
{
    Registry &r = registry();
    const QMutexLocker lock(&r.mutex);
    r.dialects.insert(provider.toLower(), dialect);
}

bool hasFileDialect(const QString &provider)
{
    return registeredDialect(provider) != nullptr;
}

void installFileDialect(const QSqlDatabase &db, const QString &provider)
{
    const FileDialect dialect = registeredDialect(provider);
    if (!dialect)
        throw Error(QStringLiteral("No catalogue kind of this program reads catalogue files of provider \"%1\".")
                        .arg(provider));
    dialect(sqliteHandle(db));
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

namespace sqlfn {

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

std::string_view utf8Arg(sqlite3_value *value)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(value));
    const int bytes = sqlite3_value_bytes(value);
    return text ? std::string_view(text, size_t(bytes)) : std::string_view();
}

Buffer buffer(size_t bytes)
{
    return Buffer(static_cast<char *>(sqlite3_malloc64(bytes + 1)), &sqlite3_free);
}

// Hands `buffer`, holding `bytes` bytes of UTF-8, to SQLite as the result. A
// text that SQLite knows to end in a NUL is read in place by whatever takes
// it next (LIKE reads its arguments as NUL-terminated text); one without the
// mark would be copied for the sake of that NUL.
void resultBuffer(sqlite3_context *context, Buffer buffer, size_t bytes)
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

void create(sqlite3 *handle, const char *name, int argc, Function function, void *userData)
{
    const int rc = sqlite3_create_function_v2(
        handle, name, argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC, userData, function, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw Error(QStringLiteral("Cannot register the SQL function %1: %2")
                        .arg(QLatin1String(name), QString::fromUtf8(sqlite3_errmsg(handle))));
}

namespace {

void deletePattern(void *pattern)
{
    delete static_cast<LikePattern *>(pattern);
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
        Buffer out = buffer(text.size());
        if (out && utf8::changeAsciiCase(text, upper, out.get())) {
            resultBuffer(context, std::move(out), text.size());
            return;
        }
        out = buffer(2 * text.size());
        if (!out) {
            sqlite3_result_error_nomem(context);
            return;
        }
        if (const std::optional<size_t> written = utf8::changeCase(text, upper, out.get()))
            resultBuffer(context, std::move(out), *written);
        else
            resultText(context, changeCase(argText(argv[0]), upper));
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

} // namespace

void installLike(sqlite3 *handle, LikeFlavour flavour)
{
    void *flavourData = reinterpret_cast<void *>(static_cast<std::intptr_t>(flavour));
    if (flavour == LikeFlavour::Oracle) {
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
            create(handle, "like", 2, &likeFunction, flavourData);
    } else {
        create(handle, "like", 2, &likeFunction, flavourData);
    }
    create(handle, "like", 3, &likeFunction, flavourData);
}

void installLetterCase(sqlite3 *handle)
{
    create(handle, "upper", 1, &upperFunction);
    create(handle, "lower", 1, &lowerFunction);
}

} // namespace sqlfn
} // namespace ks
