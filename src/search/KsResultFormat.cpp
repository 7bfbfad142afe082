#include "search/KsResultFormat.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace ks {

namespace {

QString nonNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

class TsvWriter final : public RecordWriter {
public:
    explicit TsvWriter(const QStringList &columns)
        : m_columns(columns)
    {
    }
    QByteArray begin() override
    {
        QByteArray out;
        write(m_columns, out);
        return out;
    }
    void write(const QStringList &values, QByteArray &out) override
    {
        QString line;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                line += u'\t';
            for (const QChar c : values.at(i)) {
                switch (c.unicode()) {
                case u'\t':
                    line += QLatin1String("\\t");
                    break;
                case u'\n':
                    line += QLatin1String("\\n");
                    break;
                case u'\r':
                    line += QLatin1String("\\r");
                    break;
                case u'\\':
                    line += QLatin1String("\\\\");
                    break;
                default:
                    line += c;
                }
            }
        }
        line += u'\n';
        out += line.toUtf8();
    }
    QByteArray end() override { return {}; }

private:
    QStringList m_columns;
};

class CsvWriter final : public RecordWriter {
public:
    explicit CsvWriter(const QStringList &columns)
        : m_columns(columns)
    {
    }
    QByteArray begin() override
    {
        QByteArray out;
        write(m_columns, out);
        return out;
    }
    void write(const QStringList &values, QByteArray &out) override
    {
        QString line;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                line += u',';
            const QString &value = values.at(i);
            const bool quoted
                = value.contains(u',') || value.contains(u'"') || value.contains(u'\r') || value.contains(u'\n');
            if (quoted) {
                line += u'"';
                line += QString(value).replace(u'"', QLatin1String("\"\""));
                line += u'"';
            } else {
                line += value;
            }
        }
        line += QLatin1String("\r\n");
        out += line.toUtf8();
    }
    QByteArray end() override { return {}; }

private:
    QStringList m_columns;
};

// One compact object on a line; JSON lines alone, or the items of an array.
class JsonWriter final : public RecordWriter {
public:
    JsonWriter(const QStringList &columns, bool array)
        : m_columns(columns)
        , m_array(array)
    {
    }
    QByteArray begin() override { return m_array ? QByteArrayLiteral("[") : QByteArray(); }
    void write(const QStringList &values, QByteArray &out) override
    {
        QJsonObject object;
        for (qsizetype i = 0; i < values.size() && i < m_columns.size(); ++i)
            object.insert(m_columns.at(i), values.at(i).isNull() ? QJsonValue() : QJsonValue(values.at(i)));
        if (m_array)
            out += m_records++ == 0 ? "\n" : ",\n";
        out += QJsonDocument(object).toJson(QJsonDocument::Compact);
        if (!m_array)
            out += '\n';
    }
    QByteArray end() override
    {
        if (!m_array)
            return {};
        return m_records == 0 ? QByteArrayLiteral("]\n") : QByteArrayLiteral("\n]\n");
    }

private:
    QStringList m_columns;
    bool m_array;
    qint64 m_records = 0;
};

} // namespace

QStringList resultColumns(bool withDefinition)
{
    QStringList columns {QStringLiteral("connection"), QStringLiteral("name"), QStringLiteral("type"),
        QStringLiteral("owner"), QStringLiteral("matched")};
    if (withDefinition)
        columns << QStringLiteral("definition");
    return columns;
}

QStringList resultRecord(const QString &connection, const ResultRow &row)
{
    // A row shows only as many of Type, Schema and Comment as it has.
    return {nonNull(connection), nonNull(row.name), nonNull(row.subItems >= 1 ? row.type : QString()),
        nonNull(row.subItems >= 2 ? row.schema : QString()), nonNull(row.subItems >= 3 ? row.comment : QString())};
}

std::unique_ptr<RecordWriter> makeRecordWriter(RecordFormat format, const QStringList &columns)
{
    switch (format) {
    case RecordFormat::Tsv:
        return std::make_unique<TsvWriter>(columns);
    case RecordFormat::Csv:
        return std::make_unique<CsvWriter>(columns);
    case RecordFormat::Json:
        return std::make_unique<JsonWriter>(columns, true);
    case RecordFormat::Jsonl:
        return std::make_unique<JsonWriter>(columns, false);
    }
    return std::make_unique<CsvWriter>(columns);
}

RecordFormat recordFormatForFile(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("json"))
        return RecordFormat::Json;
    if (suffix == QLatin1String("jsonl"))
        return RecordFormat::Jsonl;
    if (suffix == QLatin1String("tsv") || suffix == QLatin1String("txt"))
        return RecordFormat::Tsv;
    return RecordFormat::Csv;
}

} // namespace ks
