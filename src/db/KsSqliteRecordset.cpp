#include "db/KsSqliteRecordset.h"

#include "base/KsStrings.h"
#include "db/KsUtf8.h"

#include <sqlite3.h>

#include <string_view>

namespace ks {

namespace {

QString messageOf(sqlite3 *handle)
{
    return QString::fromUtf8(sqlite3_errmsg(handle));
}

} // namespace

void SqliteRecordset::Finalizer::operator()(sqlite3_stmt *statement) const noexcept
{
    sqlite3_finalize(statement);
}

SqliteRecordset::SqliteRecordset(sqlite3 *handle, const QString &sql, Storage storage)
    : m_handle(handle)
    , m_storage(storage)
{
    const QByteArray utf8 = sql.toUtf8();
    const char *at = utf8.constData();
    const char *const end = at + utf8.size();
    // Blanks, comments and empty statements before the first one are skipped.
    while (!m_statement && at < end) {
        sqlite3_stmt *prepared = nullptr;
        const char *tail = nullptr;
        if (sqlite3_prepare_v2(handle, at, int(end - at), &prepared, &tail) != SQLITE_OK)
            throw Error(messageOf(handle));
        m_statement.reset(prepared);
        if (!tail || tail <= at)
            break;
        at = tail;
    }
    if (!m_statement)
        throw Error(QStringLiteral("No query"));
    // Whatever follows may be blanks and comments, but no second statement.
    while (at < end) {
        sqlite3_stmt *next = nullptr;
        const char *tail = nullptr;
        const int rc = sqlite3_prepare_v2(handle, at, int(end - at), &next, &tail);
        sqlite3_finalize(next);
        if (rc != SQLITE_OK || next || !tail || tail <= at)
            throw Error(QStringLiteral("Unable to execute multiple statements at a time"));
        at = tail;
    }

    const int columns = sqlite3_column_count(m_statement.get());
    m_names.reserve(columns);
    for (int i = 0; i < columns; ++i) {
        // Named as Qt's SQLite driver names its fields: without double quotes.
        m_names << QString::fromUtf8(sqlite3_column_name(m_statement.get(), i)).remove(u'"');
    }
    step();
    // A statement without columns (BEGIN, PRAGMA with a value) has run; it has no rows.
    if (columns == 0) {
        m_eof = true;
        m_statement.reset();
    }
}

SqliteRecordset::~SqliteRecordset() = default;

void SqliteRecordset::step()
{
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW) {
        m_eof = false;
        return;
    }
    // At the end, or after a failure, the statement is let go of at once:
    // it then holds no read lock, and an interrupt ends with it.
    m_eof = true;
    if (rc == SQLITE_DONE) {
        m_statement.reset();
        return;
    }
    const QString message = messageOf(m_handle);
    m_statement.reset();
    throw Error(message);
}

void SqliteRecordset::moveNext()
{
    if (m_closed)
        throwClosed();
    if (m_eof)
        throwNoCurrentRow();
    step();
}

int SqliteRecordset::fieldIndex(const QString &name) const
{
    if (m_closed)
        throwClosed();
    return indexOfName(m_names, name);
}

sqlite3_stmt *SqliteRecordset::rowFor(int index) const
{
    if (m_closed)
        throwClosed();
    if (index < 0 || index >= m_names.size())
        throwNoField(index, int(m_names.size()));
    if (m_eof)
        throwNoCurrentRow();
    return m_statement.get();
}

QString SqliteRecordset::columnText(sqlite3_stmt *statement, int index) const
{
    if (m_storage == Storage::Utf8) {
        const auto *bytes = reinterpret_cast<const char *>(sqlite3_column_text(statement, index));
        const int size = sqlite3_column_bytes(statement, index);
        if (bytes) {
            const std::string_view text(bytes, std::size_t(size));
            if (utf8::isAscii(text))
                return QString::fromLatin1(bytes, size);
            QString converted(size, Qt::Uninitialized);
            if (const std::optional<std::size_t> units
                = utf8::toUtf16(text, reinterpret_cast<char16_t *>(converted.data()))) {
                converted.truncate(qsizetype(*units));
                return converted;
            }
        }
    }
    // Text that is not plain UTF-8 comes out as SQLite itself converts it.
    const auto *units = static_cast<const QChar *>(sqlite3_column_text16(statement, index));
    return QString(units, sqlite3_column_bytes16(statement, index) / qsizetype(sizeof(QChar)));
}

QVariant SqliteRecordset::value(int index) const
{
    sqlite3_stmt *statement = rowFor(index);
    // The types Qt's SQLite driver gives (with its default precision).
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(statement, index)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, index));
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(statement, index));
        return QVariant(QByteArray(bytes, sqlite3_column_bytes(statement, index)));
    }
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(columnText(statement, index));
    }
}

QString SqliteRecordset::text(int index) const
{
    sqlite3_stmt *statement = rowFor(index);
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_TEXT:
        return columnText(statement, index);
    case SQLITE_NULL:
        return QString();
    default:
        // Numbers and blobs read as their QVariant reads.
        return fieldText(value(index));
    }
}

QString SqliteRecordset::strictText(int index) const
{
    sqlite3_stmt *statement = rowFor(index);
    if (sqlite3_column_type(statement, index) == SQLITE_TEXT)
        return columnText(statement, index);
    return fieldTextStrict(value(index));
}

void SqliteRecordset::close()
{
    m_closed = true;
    m_eof = true;
    m_statement.reset();
}

SqliteRecordset::Storage sqliteTextStorage(sqlite3 *handle)
{
    sqlite3_stmt *statement = nullptr;
    auto storage = SqliteRecordset::Storage::Other;
    if (sqlite3_prepare_v2(handle, "PRAGMA encoding", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW) {
        const auto *name = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        if (name && std::string_view(name) == "UTF-8")
            storage = SqliteRecordset::Storage::Utf8;
    }
    sqlite3_finalize(statement);
    return storage;
}

} // namespace ks
