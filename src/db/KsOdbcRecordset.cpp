#include "db/KsOdbcRecordset.h"

#include "base/KsStrings.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <string>
#include <thread>
#include <utility>
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

bool OdbcRunningStatement::cancel()
{
    std::unique_lock lock(m_mutex);
    if (!m_statement)
        return false;
    m_cancelRequested = true;
    while (m_inCall && !m_cancelSent) {
        const Clock::duration age = Clock::now() - m_callStart;
        if (age >= kSettle) {
            m_cancelSent = true;
            // Under the lock: the call cannot return into a next one, nor
            // its statement be freed, while the driver takes the cancel.
            SQLCancel(m_statement);
            break;
        }
        const quint64 call = m_serial;
        lock.unlock();
        std::this_thread::sleep_for(kSettle - age);
        lock.lock();
        // The call ended meanwhile: the statement stops before its next one.
        if (m_serial != call)
            break;
    }
    return true;
}

void OdbcRunningStatement::enter(void *statement)
{
    const std::lock_guard lock(m_mutex);
    m_statement = statement;
    ++m_serial;
    m_inCall = false;
    m_cancelRequested = false;
    m_cancelSent = false;
}

void OdbcRunningStatement::leave(void *statement)
{
    const std::lock_guard lock(m_mutex);
    if (m_statement == statement) {
        m_statement = nullptr;
        ++m_serial;
        m_inCall = false;
    }
}

void OdbcRunningStatement::beginCall()
{
    const std::lock_guard lock(m_mutex);
    if (m_cancelRequested || m_cancelSent)
        throw Error(QStringLiteral("Operation canceled"));
    ++m_serial;
    m_inCall = true;
    m_callStart = Clock::now();
}

bool OdbcRunningStatement::endCall()
{
    const std::lock_guard lock(m_mutex);
    m_inCall = false;
    ++m_serial;
    return m_cancelSent;
}

template <typename Call> short OdbcRecordset::waitingCall(Call call, const char *failure)
{
    if (!m_running)
        return call();
    m_running->beginCall();
    const SQLRETURN rc = call();
    if (m_running->endCall()) {
        // Nothing more is asked of a statement that was cancelled.
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
            throw odbcError(SQL_HANDLE_STMT, m_statement, QString::fromLatin1(failure));
        throw Error(QStringLiteral("Operation canceled"));
    }
    return rc;
}

OdbcRecordset::OdbcRecordset(void *connection, const QString &sql, std::shared_ptr<OdbcRunningStatement> running)
    : m_running(std::move(running))
{
    SQLHSTMT statement = SQL_NULL_HSTMT;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &statement)))
        throw odbcError(SQL_HANDLE_DBC, connection, QStringLiteral("The connection cannot run a statement."));
    m_statement = statement;
    if (m_running)
        m_running->enter(m_statement);
    try {
        // The statement text goes as UTF-16, whatever the client's code page.
        std::u16string text(reinterpret_cast<const char16_t *>(sql.utf16()), std::size_t(sql.size()));
        const SQLRETURN rc = waitingCall(
            [&] {
                return SQLExecDirectW(m_statement, reinterpret_cast<SQLWCHAR *>(text.data()), SQLINTEGER(text.size()));
            },
            "The statement cannot be run.");
        // SQL_NO_DATA: a statement that touched no rows, and returns none.
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
            throw odbcError(SQL_HANDLE_STMT, m_statement, QStringLiteral("The statement cannot be run."));
        SQLSMALLINT columns = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(m_statement, &columns)))
            throw odbcError(SQL_HANDLE_STMT, m_statement, QStringLiteral("The statement's columns cannot be read."));
        m_columns = columns;
        start(columnNames());
    } catch (...) {
        freeStatement();
        throw;
    }
}

OdbcRecordset::~OdbcRecordset()
{
    freeStatement();
}

void OdbcRecordset::freeStatement() noexcept
{
    if (!m_statement)
        return;
    void *statement = std::exchange(m_statement, nullptr);
    // Out of the running slot first: a cancel from another thread either
    // has finished with the handle or will not find it.
    if (m_running)
        m_running->leave(statement);
    // With rows still unread the driver tells the server to stop sending them.
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

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
    const SQLRETURN rc = waitingCall([this] { return SQLFetch(m_statement); }, "The next row cannot be read.");
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
    freeStatement();
}

} // namespace ks
