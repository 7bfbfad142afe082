#include "db/KsSqliteDialect.h"

#include "db/KsOracleFormat.h"
#include "db/KsSqlLike.h"
#include "shell/KsStrings.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

#include <cstdint>
#include <memory>

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

// like(pattern, text [, escape]): SQLite's function behind "text LIKE pattern".
// The compiled pattern is kept with the statement while the pattern stays the
// same, so a search over many rows compiles it once.
void likeFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] {
        const auto flavour = static_cast<LikeFlavour>(reinterpret_cast<std::intptr_t>(sqlite3_user_data(context)));
        char32_t escape = 0;
        if (argc == 3) {
            const QList<uint> escapeText = argText(argv[2]).toUcs4();
            if (escapeText.size() != 1)
                throw Error(QStringLiteral("ESCAPE expression must be a single character"));
            escape = escapeText.front();
        }
        const QString text = argText(argv[1]);
        const auto *cached = static_cast<const LikePattern *>(sqlite3_get_auxdata(context, 0));
        if (cached && cached->escape() == escape) {
            sqlite3_result_int(context, cached->matches(text) ? 1 : 0);
            return;
        }
        auto pattern = std::make_unique<LikePattern>(argText(argv[0]), flavour, escape);
        sqlite3_result_int(context, pattern->matches(text) ? 1 : 0);
        sqlite3_set_auxdata(context, 0, pattern.release(), &deletePattern);
    });
}

void upperFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] { resultText(context, oracle::changeCase(argText(argv[0]), true)); });
}

void lowerFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] { resultText(context, oracle::changeCase(argText(argv[0]), false)); });
}

void initCapFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] { resultText(context, oracle::initCap(argText(argv[0]))); });
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

using SqlFunction = void (*)(sqlite3_context *, int, sqlite3_value **);

void createFunction(sqlite3 *handle, const char *name, int argc, SqlFunction function, void *userData = nullptr)
{
    const int rc = sqlite3_create_function_v2(
        handle, name, argc, SQLITE_UTF8 | SQLITE_DETERMINISTIC, userData, function, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw Error(QStringLiteral("Cannot register the SQL function %1: %2")
                        .arg(QLatin1String(name), QString::fromUtf8(sqlite3_errmsg(handle))));
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
    createFunction(handle, "like", 2, &likeFunction, flavourData);
    createFunction(handle, "like", 3, &likeFunction, flavourData);
    // Both servers fold every letter, not only a to z as SQLite's own do.
    createFunction(handle, "upper", 1, &upperFunction);
    createFunction(handle, "lower", 1, &lowerFunction);
    if (dialect == CatalogueDialect::Oracle) {
        createFunction(handle, "initcap", 1, &initCapFunction);
        createFunction(handle, "nvl", 2, &nvlFunction);
        createFunction(handle, "to_char", 1, &toCharFunction);
        createFunction(handle, "to_char", 2, &toCharFunction);
    }
}

} // namespace ks
