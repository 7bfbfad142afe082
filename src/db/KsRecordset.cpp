#include "db/KsRecordset.h"

#include "base/KsStrings.h"

#include <utility>

namespace ks {

QString fieldText(const QVariant &value)
{
    return value.isNull() ? QString() : value.toString();
}

QString fieldTextStrict(const QVariant &value)
{
    if (value.isNull())
        throw Error(QStringLiteral("Invalid variant type conversion"));
    return value.toString();
}

void Recordset::throwClosed()
{
    throw Error(QStringLiteral("Operation is not allowed when the record set is closed."));
}

void Recordset::throwNoCurrentRow()
{
    throw Error(QStringLiteral("There is no current row: the end of the record set has been reached."));
}

void Recordset::throwNoField(int index, int fieldCount)
{
    throw Error(QStringLiteral("Field %1 does not exist: the record set has %2 fields.").arg(index).arg(fieldCount));
}

void Recordset::throwNoField(const QString &name)
{
    throw Error(QStringLiteral("Field \"%1\" does not exist in the record set.").arg(name));
}

int Recordset::indexOfName(const QStringList &names, const QString &name)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    throwNoField(name);
}

void RowRecordset::start(QStringList names)
{
    m_names = std::move(names);
    m_closed = false;
    m_eof = !fetchRow(m_row);
}

void RowRecordset::requireOpen() const
{
    if (m_closed)
        throwClosed();
}

void RowRecordset::moveNext()
{
    requireOpen();
    if (m_eof)
        throwNoCurrentRow();
    try {
        m_eof = !fetchRow(m_row);
    } catch (...) {
        // A read that failed, or was stopped, leaves no current row.
        m_eof = true;
        m_row.clear();
        throw;
    }
    if (m_eof)
        m_row.clear();
}

int RowRecordset::fieldIndex(const QString &name) const
{
    requireOpen();
    return indexOfName(m_names, name);
}

QVariant RowRecordset::value(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_names.size())
        throwNoField(index, int(m_names.size()));
    if (m_eof)
        throwNoCurrentRow();
    return m_row.at(index);
}

void RowRecordset::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_eof = true;
    m_row.clear();
    release();
}

} // namespace ks
