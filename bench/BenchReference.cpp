#include "BenchReference.h"

#include <sqlite3.h>

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ks::bench {

namespace {

[[noreturn]] void fail(const char *what, sqlite3 *handle)
{
    std::fprintf(stderr, "%s: %s\n", what, handle ? sqlite3_errmsg(handle) : "out of memory");
    std::exit(1);
}

bool isAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// INITCAP on ASCII letters, the least a C function can do for it.
void initCap(sqlite3_context *context, int, sqlite3_value **argv)
{
    const auto *text = sqlite3_value_text(argv[0]);
    if (!text) {
        sqlite3_result_null(context);
        return;
    }
    const int bytes = sqlite3_value_bytes(argv[0]);
    auto *result = static_cast<char *>(sqlite3_malloc(bytes + 1));
    if (!result) {
        sqlite3_result_error_nomem(context);
        return;
    }
    bool inWord = false;
    for (int i = 0; i < bytes; ++i) {
        const unsigned char c = text[i];
        const bool word = isAsciiAlnum(c);
        char out = char(c);
        if (word && !inWord && c >= 'a' && c <= 'z')
            out = char(c - 'a' + 'A');
        else if (word && inWord && c >= 'A' && c <= 'Z')
            out = char(c - 'A' + 'a');
        result[i] = out;
        inWord = word;
    }
    result[bytes] = 0;
    sqlite3_result_text(context, result, bytes, sqlite3_free);
}

void nvl(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_result_value(context, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

// TO_CHAR of a number: SQLite's own text of it.
void toChar(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = sqlite3_value_text(argv[0]);
    sqlite3_result_text(context, reinterpret_cast<const char *>(text), sqlite3_value_bytes(argv[0]), SQLITE_TRANSIENT);
}

// DATALENGTH of nvarchar text: two bytes a character, counted on the UTF-8
// bytes, which is right for the ASCII the generated catalogues hold.
void dataLength(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_result_int64(context, 2 * sqlite3_int64(sqlite3_value_bytes(argv[0])));
}

// STUFF(text, 1, 0, insert), the only use the statements make of it: the two
// texts joined.
void stuff(sqlite3_context *context, int, sqlite3_value **argv)
{
    const auto *text = sqlite3_value_text(argv[0]);
    const auto *insert = sqlite3_value_text(argv[3]);
    if (!text || !insert) {
        sqlite3_result_null(context);
        return;
    }
    const int textBytes = sqlite3_value_bytes(argv[0]);
    const int insertBytes = sqlite3_value_bytes(argv[3]);
    auto *result = static_cast<char *>(sqlite3_malloc(textBytes + insertBytes + 1));
    if (!result) {
        sqlite3_result_error_nomem(context);
        return;
    }
    std::memcpy(result, insert, size_t(insertBytes));
    std::memcpy(result + insertBytes, text, size_t(textBytes));
    result[textBytes + insertBytes] = 0;
    sqlite3_result_text(context, result, textBytes + insertBytes, sqlite3_free);
}

} // namespace

qint64 runWithBuiltins(const QString &file, const QStringList &statements, BuiltinLike like, FailedStatements failed)
{
    sqlite3 *handle = nullptr;
    const QByteArray path = file.toUtf8();
    if (sqlite3_open_v2(path.constData(), &handle, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail(path.constData(), handle);
    const char *pragma
        = like == BuiltinLike::CaseSensitive ? "PRAGMA case_sensitive_like = ON" : "PRAGMA case_sensitive_like = OFF";
    if (sqlite3_exec(handle, pragma, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(pragma, handle);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    if (sqlite3_create_function_v2(handle, "initcap", 1, flags, nullptr, &initCap, nullptr, nullptr, nullptr)
            != SQLITE_OK
        || sqlite3_create_function_v2(handle, "nvl", 2, flags, nullptr, &nvl, nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_create_function_v2(handle, "to_char", 1, flags, nullptr, &toChar, nullptr, nullptr, nullptr)
            != SQLITE_OK)
        fail("registering initcap, nvl and to_char", handle);
    if (sqlite3_create_function_v2(handle, "datalength", 1, flags, nullptr, &dataLength, nullptr, nullptr, nullptr)
            != SQLITE_OK
        || sqlite3_create_function_v2(handle, "stuff", 4, flags, nullptr, &stuff, nullptr, nullptr, nullptr)
            != SQLITE_OK)
        fail("registering datalength and stuff", handle);

    const qint64 rows = stepThrough(handle, statements, failed);
    sqlite3_close(handle);
    return rows;
}

qint64 stepThrough(sqlite3 *handle, const QStringList &statements, FailedStatements failed)
{
    qint64 rows = 0;
    for (const QString &statement : statements) {
        const QByteArray sql = statement.toUtf8();
        sqlite3_stmt *prepared = nullptr;
        if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &prepared, nullptr) != SQLITE_OK) {
            if (failed == FailedStatements::Skip)
                continue;
            fail(sql.constData(), handle);
        }
        const int columns = sqlite3_column_count(prepared);
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(prepared)) == SQLITE_ROW) {
            ++rows;
            // As Qt's SQLite driver reads a row: text as UTF-16, numbers as numbers.
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(prepared, c)) {
                case SQLITE_INTEGER:
                    sqlite3_column_int64(prepared, c);
                    break;
                case SQLITE_FLOAT:
                    sqlite3_column_double(prepared, c);
                    break;
                case SQLITE_NULL:
                    break;
                default:
                    sqlite3_column_text16(prepared, c);
                    sqlite3_column_bytes16(prepared, c);
                    break;
                }
            }
        }
        if (rc != SQLITE_DONE && failed == FailedStatements::Stop)
            fail(sql.constData(), handle);
        sqlite3_finalize(prepared);
    }
    return rows;
}

} // namespace ks::bench
