#include "db/KsRecordset.h"

#include "shell/KsStrings.h"

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

void RowRecordset::start(QStringList names)
{
    m_names = std::move(names);
    m_closed = false;
    m_eof = !fetchRow(m_row);
}

void RowRecordset::requireOpen() const
{
    if (m_closed)
        throw Error(QStringLiteral("Operation is not allowed when the record set is closed."));
}

void RowRecordset::moveNext()
{
    requireOpen();
    if (m_eof)
        throw Error(QStringLiteral("There is no current row: the end of the record set has been reached."));
    m_eof = !fetchRow(m_row);
    if (m_eof)
        m_row.clear();
}

QVariant RowRecordset::value(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_names.size())
        throw Error(
            QStringLiteral("Field %1 does not exist: the record set has %2 fields.").arg(index).arg(m_names.size()));
    if (m_eof)
        throw Error(QStringLiteral("There is no current row: the end of the record set has been reached."));
    return m_row.at(index);
}

QVariant RowRecordset::value(const QString &name) const
{
    requireOpen();
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        if (m_names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return value(int(i));
    }
    throw Error(QStringLiteral("Field \"%1\" does not exist in the record set.").arg(name));
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
