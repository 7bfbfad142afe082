#pragma once
// The rows of one executed statement, read forward only, and the two ways a
// field value becomes text. Every engine hands out its rows through these.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace ks {

// The general conversion of a field value: NULL gives the empty text.
QString fieldText(const QVariant &value);
// The strict conversion: NULL raises "Invalid variant type conversion".
QString fieldTextStrict(const QVariant &value);

// The rows of one executed statement, read forward only.
class Recordset {
public:
    virtual ~Recordset() = default;
    virtual bool eof() const = 0;
    virtual void moveNext() = 0;
    virtual int fieldCount() const = 0;
    // Position of the first field of that column name, letter case ignored;
    // raises ks::Error for an unknown name or a closed record set.
    virtual int fieldIndex(const QString &name) const = 0;
    // Field of the current row by 0-based position. A NULL value is a null
    // QVariant. An unknown position, or reading past the end, raises ks::Error.
    virtual QVariant value(int index) const = 0;
    // The field through fieldText() and fieldTextStrict(); an engine that can
    // make the text without a QVariant in between does so.
    virtual QString text(int index) const { return fieldText(value(index)); }
    virtual QString strictText(int index) const { return fieldTextStrict(value(index)); }
    virtual void close() = 0;

    QVariant value(const QString &name) const { return value(fieldIndex(name)); }
    QString text(const QString &name) const { return text(fieldIndex(name)); }
    QString strictText(const QString &name) const { return strictText(fieldIndex(name)); }

protected:
    // What every record set says when it is used wrongly.
    [[noreturn]] static void throwClosed();
    [[noreturn]] static void throwNoCurrentRow();
    [[noreturn]] static void throwNoField(int index, int fieldCount);
    [[noreturn]] static void throwNoField(const QString &name);
    // The first of `names` equal to `name`, letter case ignored; raises
    // ks::Error when there is none.
    static int indexOfName(const QStringList &names, const QString &name);
};

// A record set that holds the values of its current row; an engine supplies
// the column names and reads one row after another.
class RowRecordset : public Recordset {
public:
    using Recordset::value;

    bool eof() const override { return m_eof; }
    void moveNext() override;
    int fieldCount() const override { return int(m_names.size()); }
    int fieldIndex(const QString &name) const override;
    QVariant value(int index) const override;
    void close() override;

protected:
    // Takes the column names and reads the first row; called once by the
    // engine's constructor.
    void start(QStringList names);
    // Reads the next row into `row`, NULLs as null QVariants; false at the end.
    virtual bool fetchRow(QVariantList &row) = 0;
    // Lets go of the engine's result.
    virtual void release() = 0;

private:
    void requireOpen() const;

    QStringList m_names;
    QVariantList m_row;
    bool m_eof = true;
    bool m_closed = false;
};

} // namespace ks
