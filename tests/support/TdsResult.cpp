#include "support/TdsResult.h"

#include "support/TdsTokens.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ks::tds {

namespace {

enum TypeCode : quint8 {
    IntNType = 0x26,
    FloatNType = 0x6D,
    BigVarBinaryType = 0xA5,
    NVarCharType = 0xE7,
};

constexpr quint16 kMaxLength = 0xFFFF; // the declared length of a (MAX) type
constexpr quint16 kNullLength = 0xFFFF; // a NULL of a two-byte length type
constexpr quint64 kPlpNull = std::numeric_limits<quint64>::max();
constexpr qsizetype kPlpChunkCharacters = 4096;

bool isInteger(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

bool isReal(const QVariant &value)
{
    return value.metaType().id() == QMetaType::Double || value.metaType().id() == QMetaType::Float;
}

bool isBlob(const QVariant &value)
{
    return value.metaType().id() == QMetaType::QByteArray;
}

QString textOf(const QVariant &value)
{
    if (isBlob(value))
        return QString::fromUtf8(value.toByteArray());
    if (isReal(value))
        return QString::number(value.toDouble(), 'g', 17);
    return value.toString();
}

ColumnType declaredType(QMetaType declared)
{
    switch (declared.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Bool:
        return ColumnType::Int;
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return ColumnType::BigInt;
    case QMetaType::Double:
    case QMetaType::Float:
        return ColumnType::Float;
    case QMetaType::QByteArray:
        return ColumnType::VarBinary;
    default:
        return ColumnType::NVarChar;
    }
}

void writePlp(ByteWriter &out, QStringView text)
{
    out.u64(quint64(text.size()) * 2);
    for (qsizetype at = 0; at < text.size(); at += kPlpChunkCharacters) {
        const QStringView chunk = text.mid(at, kPlpChunkCharacters);
        out.u32(quint32(chunk.size() * 2));
        out.ucs2(chunk);
    }
    out.u32(0); // terminator
}

void writePlp(ByteWriter &out, QByteArrayView bytes)
{
    out.u64(quint64(bytes.size()));
    for (qsizetype at = 0; at < bytes.size(); at += kPlpChunkCharacters * 2) {
        const QByteArrayView chunk = bytes.sliced(at, std::min(kPlpChunkCharacters * 2, bytes.size() - at));
        out.u32(quint32(chunk.size()));
        out.bytes(chunk);
    }
    out.u32(0);
}

} // namespace

ResultSet::ResultSet(const QStringList &names, const QList<QMetaType> &declared, QList<QVariantList> rows)
    : m_rows(std::move(rows))
{
    for (int column = 0; column < names.size(); ++column)
        m_columns.append({names.at(column), typeFor(m_rows, column, declared.value(column))});
}

ColumnType ResultSet::typeFor(const QList<QVariantList> &rows, int column, QMetaType declared)
{
    bool integers = false;
    bool reals = false;
    bool blobs = false;
    bool texts = false;
    bool wideIntegers = false;
    qsizetype longestText = 0;
    qsizetype longestBlob = 0;
    for (const QVariantList &row : rows) {
        const QVariant &value = row.at(column);
        if (value.isNull())
            continue;
        if (isInteger(value)) {
            integers = true;
            const qlonglong number = value.toLongLong();
            wideIntegers = wideIntegers || number < std::numeric_limits<qint32>::min()
                || number > std::numeric_limits<qint32>::max();
        } else if (isReal(value)) {
            reals = true;
        } else if (isBlob(value)) {
            blobs = true;
            longestBlob = std::max(longestBlob, value.toByteArray().size());
        } else {
            texts = true;
        }
        longestText = std::max(longestText, textOf(value).size());
    }
    if (texts || (blobs && (integers || reals)))
        return longestText > kMaxNVarCharLength ? ColumnType::NVarCharMax : ColumnType::NVarChar;
    if (blobs)
        return longestBlob > kMaxVarBinaryLength ? ColumnType::VarBinaryMax : ColumnType::VarBinary;
    if (reals)
        return ColumnType::Float;
    if (integers)
        return wideIntegers ? ColumnType::BigInt : ColumnType::Int;
    return declaredType(declared);
}

void ResultSet::writeColumnMetadata(ByteWriter &out) const
{
    const QByteArray collation = collationBytes();
    out.u8(ColumnMetadataToken);
    out.u16(quint16(m_columns.size()));
    for (const Column &column : m_columns) {
        out.u32(0); // user type
        out.u16(0x0001); // nullable
        switch (column.type) {
        case ColumnType::Int:
        case ColumnType::BigInt:
            out.u8(IntNType);
            out.u8(column.type == ColumnType::Int ? 4 : 8);
            break;
        case ColumnType::Float:
            out.u8(FloatNType);
            out.u8(8);
            break;
        case ColumnType::NVarChar:
        case ColumnType::NVarCharMax:
            out.u8(NVarCharType);
            out.u16(column.type == ColumnType::NVarChar ? quint16(kMaxNVarCharLength * 2) : kMaxLength);
            out.bytes(collation);
            break;
        case ColumnType::VarBinary:
        case ColumnType::VarBinaryMax:
            out.u8(BigVarBinaryType);
            out.u16(column.type == ColumnType::VarBinary ? quint16(kMaxVarBinaryLength) : kMaxLength);
            break;
        }
        out.bVarchar(column.name);
    }
}

void ResultSet::writeRow(ByteWriter &out, qsizetype row) const
{
    out.u8(RowToken);
    const QVariantList &values = m_rows.at(row);
    for (qsizetype column = 0; column < m_columns.size(); ++column)
        writeValue(out, m_columns.at(column).type, values.at(column));
}

void ResultSet::writeValue(ByteWriter &out, ColumnType type, const QVariant &value) const
{
    const bool null = value.isNull();
    switch (type) {
    case ColumnType::Int:
        out.u8(null ? 0 : 4);
        if (!null)
            out.u32(quint32(qint32(value.toLongLong())));
        break;
    case ColumnType::BigInt:
        out.u8(null ? 0 : 8);
        if (!null)
            out.u64(quint64(value.toLongLong()));
        break;
    case ColumnType::Float: {
        out.u8(null ? 0 : 8);
        if (!null) {
            const double number = value.toDouble();
            quint64 bits = 0;
            static_assert(sizeof bits == sizeof number);
            std::memcpy(&bits, &number, sizeof bits);
            out.u64(bits);
        }
        break;
    }
    case ColumnType::NVarChar: {
        if (null) {
            out.u16(kNullLength);
            break;
        }
        const QString text = textOf(value);
        out.u16(quint16(text.size() * 2));
        out.ucs2(text);
        break;
    }
    case ColumnType::NVarCharMax:
        if (null)
            out.u64(kPlpNull);
        else
            writePlp(out, QStringView(textOf(value)));
        break;
    case ColumnType::VarBinary: {
        if (null) {
            out.u16(kNullLength);
            break;
        }
        const QByteArray bytes = value.toByteArray();
        out.u16(quint16(bytes.size()));
        out.bytes(bytes);
        break;
    }
    case ColumnType::VarBinaryMax:
        if (null)
            out.u64(kPlpNull);
        else
            writePlp(out, QByteArrayView(value.toByteArray()));
        break;
    }
}

} // namespace ks::tds
