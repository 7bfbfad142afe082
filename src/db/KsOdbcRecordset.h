#pragma once
// The rows of a statement run through QODBC, read by this class itself with
// SQLFetch and SQLGetData: Qt 6.4's QODBC hands back long strings as NULL or
// empty with some drivers (FreeTDS reports their length as unknown), so every
// value is taken as wide text in a loop until the driver has given all of it.

#include "db/KsRecordset.h"

#include <QSqlQuery>

namespace ks {

class OdbcRecordset : public RowRecordset {
public:
    // Takes over a forward-only query that QODBC has executed and that has not
    // been moved by next(); reads the first row. Raises ks::Error with the
    // driver's message when the statement or its first row cannot be read.
    explicit OdbcRecordset(QSqlQuery query);
    ~OdbcRecordset() override;
    OdbcRecordset(const OdbcRecordset &) = delete;
    OdbcRecordset &operator=(const OdbcRecordset &) = delete;

protected:
    bool fetchRow(QVariantList &row) override;
    void release() override;

private:
    QStringList columnNames() const;
    QVariant columnText(int column) const;

    QSqlQuery m_query;
    void *m_statement = nullptr; // SQLHSTMT, owned by m_query's result
    int m_columns = 0;
};

// The driver's diagnostic messages for an ODBC handle, joined by line breaks.
QString odbcDiagnostics(short handleType, void *handle);

} // namespace ks
