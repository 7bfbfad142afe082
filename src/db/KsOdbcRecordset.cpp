#include "db/KsOdbcRecordset.h"

#include "shell/KsStrings.h"

#include <QSqlResult>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <vector>

namespace ks {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "wide ODBC text is taken as UTF-16");

QString wideText(const SQLWCHAR *text, qsizetype length)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), length);
}

Error odbcError(SQLSMALLINT handleType, SQLHANDLE handle, const QString &fallback)
{
    const QString message = odbcDiagnostics(handleType, handle);
    return Error(message.isEmpty() ? fallback : message);
}

// Characters read by one SQLGetData call; longer values take several calls.
constexpr SQLLEN kChunkCharacters = 8192;

} // namespace

QString odbcDiagnostics(short handleType, void *handle)
{
    QStringList messages;
    SQLWCHAR state[6];
    SQLINTEGER nativeError = 0;
    std::vector<SQLWCHAR> text(1024);
    for (SQLSMALLINT record = 1;; ++record) {
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(
            handleType, handle, record, state, &nativeError, text.data(), SQLSMALLINT(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
            text.resize(size_t(length) + 1);
            rc = SQLGetDiagRecW(
                handleType, handle, record, state, &nativeError, text.data(), SQLSMALLINT(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        messages << wideText(text.data(), length);
    }
    return messages.join(QStringLiteral("\n"));
}

OdbcRecordset::OdbcRecordset(QSqlQuery query)
    : m_query(std::move(query))
{
    const QSqlResult *result = m_query.result();
    const QVariant handle = result ? result->handle() : QVariant();
    if (!handle.isValid() || handle.metaType().sizeOf() != sizeof(SQLHANDLE)
        || !*static_cast<const SQLHANDLE *>(handle.constData()))
        throw Error(QStringLiteral("The ODBC statement handle of the query is not available."));
    m_statement = *static_cast<const SQLHANDLE *>(handle.constData());

    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(m_statement, &columns)))
        throw odbcError(SQL_HANDLE_STMT, m_statement, QStringLiteral("The statement's columns cannot be read."));
    m_columns = columns;
    start(columnNames());
}

OdbcRecordset::~OdbcRecordset() = default;

QStringList OdbcRecordset::columnNames() const
{
    QStringList names;
    std::vector<SQLWCHAR> name(256);
    for (SQLUSMALLINT column = 1; column <= m_columns; ++column) {
        SQLSMALLINT length = 0;
        SQLSMALLINT dataType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLRETURN rc = SQLDescribeColW(
            m_statement, column, name.data(), SQLSMALLINT(name.size()), &length, &dataType, &size, &digits, &nullable);
        if (SQL_SUCCEEDED(rc) && length >= SQLSMALLINT(name.size())) {
            name.resize(size_t(length) + 1);
            rc = SQLDescribeColW(m_statement, column, name.data(), SQLSMALLINT(name.size()), &length, &dataType, &size,
                &digits, &nullable);
        }
        if (!SQL_SUCCEEDED(rc))
            throw odbcError(
                SQL_HANDLE_STMT, m_statement, QStringLiteral("A column of the statement cannot be described."));
        names << wideText(name.data(), length);
    }
    return names;
}

bool OdbcRecordset::fetchRow(QVariantList &row)
{
    if (!m_statement || m_columns == 0)
        return false;
    const SQLRETURN rc = SQLFetch(m_statement);
    if (rc == SQL_NO_DATA)
        return false;
    if (!SQL_SUCCEEDED(rc))
        throw odbcError(SQL_HANDLE_STMT, m_statement, QStringLiteral("The next row cannot be read."));
    // SQLGetData must take the columns in ascending order.
    row.clear();
    for (int column = 1; column <= m_columns; ++column)
        row << columnText(column);
    return true;
}

QVariant OdbcRecordset::columnText(int column) const
{
    std::vector<SQLWCHAR> buffer(size_t(kChunkCharacters) + 1);
    const SQLLEN bufferBytes = SQLLEN(buffer.size() * sizeof(SQLWCHAR));
    QString text;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc
            = SQLGetData(m_statement, SQLUSMALLINT(column), SQL_C_WCHAR, buffer.data(), bufferBytes, &indicator);
        if (rc == SQL_NO_DATA)
            break; // the whole value has been read
        if (!SQL_SUCCEEDED(rc))
            throw odbcError(SQL_HANDLE_STMT, m_statement, QStringLiteral("A value of the row cannot be read."));
        if (indicator == SQL_NULL_DATA)
            return {};
        // With the value cut short, the buffer is full but for its terminator;
        // otherwise the indicator tells how many bytes are left.
        const bool truncated = indicator == SQL_NO_TOTAL || indicator >= bufferBytes;
        const qsizetype characters = truncated ? kChunkCharacters : qsizetype(indicator / SQLLEN(sizeof(SQLWCHAR)));
        text += wideText(buffer.data(), characters);
        if (rc == SQL_SUCCESS || !truncated)
            break;
    }
    return text;
}

void OdbcRecordset::release()
{
    m_statement = nullptr;
    m_query = QSqlQuery();
}

} // namespace ks
