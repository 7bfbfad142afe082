#pragma once
// Result rows taken out of the program: the columns they carry under fixed
// names, and the text formats they are written in (tab-separated, CSV, one
// JSON document, one JSON object a line), all UTF-8. The command line and the
// windows' export write the same columns the same way.

#include "search/KsResultModel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <span>

namespace ks {

enum class RecordFormat { Tsv, Csv, Json, Jsonl };

// "connection", "name", "type", "owner", "matched", and "definition" with
// `withDefinition`.
QStringList resultColumns(bool withDefinition);

// The values of a row under resultColumns(false): the connection it came
// from, then the window's columns, empty where the row has none. Never a
// null text, so that only a missing definition writes as JSON null.
QStringList resultRecord(const QString &connection, const ResultRow &row);

// Writes records of the same columns. A value that is a null text is
// written as JSON null in JSON and as nothing in the other formats.
class RecordWriter {
public:
    virtual ~RecordWriter() = default;
    // What stands before the first record: the header line of CSV and TSV,
    // the opening of the JSON array.
    virtual QByteArray begin() = 0;
    // Appends one record, its values in the order of the columns.
    void write(const QStringList &values, QByteArray &out);
    // Appends the record of a row, as resultRecord() gives it, followed by
    // `definition` (null: none) where the columns have a sixth. Rows are
    // written by the hundred thousand: no value is copied on the way.
    void writeRow(
        const QString &connection, const ResultRow &row, QByteArray &out, const QString *definition = nullptr);
    // What stands after the last record.
    virtual QByteArray end() = 0;

protected:
    explicit RecordWriter(qsizetype columnCount)
        : m_columnCount(columnCount)
    {
    }
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;
    virtual void writeValues(std::span<const QStringView> values, QByteArray &out) = 0;

private:
    qsizetype m_columnCount;
};

// A writer of `format` for records of `columns`:
// - Tsv: a header line, then one line a record ending in LF, values joined by
//   tabs; a tab, line feed, carriage return or backslash inside a value is
//   written \t, \n, \r or \\.
// - Csv: RFC 4180, a header line, CR LF line ends, a value quoted (quotes
//   doubled) when it holds a comma, a quote, a CR or an LF.
// - Json: one array of objects, one object a line, its members in the order
//   of the columns.
// - Jsonl: one object a line, nothing around them.
std::unique_ptr<RecordWriter> makeRecordWriter(RecordFormat format, const QStringList &columns);

// The file format a file name asks for by its suffix: ".json" JSON, ".jsonl"
// JSON lines, ".tsv" and ".txt" tab-separated, anything else CSV.
RecordFormat recordFormatForFile(const QString &fileName);

} // namespace ks
