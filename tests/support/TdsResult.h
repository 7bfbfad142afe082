#pragma once
// One result of the test server, read whole from the catalogue before it is
// sent, so that each column's TDS type follows from all of its values:
// INT (BIGINT past 32 bits) for integers, FLOAT for reals, NVARCHAR(4000)
// for texts and NVARCHAR(MAX) for a column with a value longer than 4,000
// characters, VARBINARY likewise for blobs. A column whose values mix kinds
// is sent as text; one with no value at all takes the declared type.

#include "support/TdsWire.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace ks::tds {

enum class ColumnType { Int, BigInt, Float, NVarChar, NVarCharMax, VarBinary, VarBinaryMax };

// The longest NVARCHAR(n) value in characters, and VARBINARY(n) in bytes.
constexpr qsizetype kMaxNVarCharLength = 4000;
constexpr qsizetype kMaxVarBinaryLength = 8000;

struct Column {
    QString name;
    ColumnType type = ColumnType::NVarChar;
};

class ResultSet {
public:
    ResultSet() = default;
    // `declared` are the column types the engine declares, used only for a
    // column without any non-NULL value.
    ResultSet(const QStringList &names, const QList<QMetaType> &declared, QList<QVariantList> rows);

    const QList<Column> &columns() const { return m_columns; }
    qsizetype rowCount() const { return m_rows.size(); }

    void writeColumnMetadata(ByteWriter &out) const;
    void writeRow(ByteWriter &out, qsizetype row) const;

    // The type a column's values call for.
    static ColumnType typeFor(const QList<QVariantList> &rows, int column, QMetaType declared);

private:
    void writeValue(ByteWriter &out, ColumnType type, const QVariant &value) const;

    QList<Column> m_columns;
    QList<QVariantList> m_rows;
};

} // namespace ks::tds
