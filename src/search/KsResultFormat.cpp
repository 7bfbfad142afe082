#include "search/KsResultFormat.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <vector>

namespace ks {

namespace {

QString nonNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

// Writes one record straight into the end of a buffer: room for the most
// the record can take is made once, and what is left over goes when the
// record is done. Rows are written by the hundred thousand, so no value is
// copied on the way.
class RecordBytes {
public:
    // Room for `values` at most 6 bytes a UTF-16 unit (an escape such as
    // \u001f, or 3 bytes of UTF-8) and `extra` bytes around them.
    RecordBytes(QByteArray &out, std::span<const QStringView> values, qsizetype extra)
        : m_out(out)
        , m_start(out.size())
    {
        qsizetype units = 0;
        for (const QStringView value : values)
            units += value.size();
        out.resize(m_start + 6 * units + extra);
        m_at = out.data() + m_start;
    }
    ~RecordBytes() { m_out.resize(m_at - m_out.constData()); }
    RecordBytes(const RecordBytes &) = delete;
    RecordBytes &operator=(const RecordBytes &) = delete;

    void put(char c) { *m_at++ = c; }
    void put(const char *text)
    {
        while (*text)
            *m_at++ = *text++;
    }
    void put(const QByteArray &bytes)
    {
        std::copy(bytes.cbegin(), bytes.cend(), m_at);
        m_at += bytes.size();
    }
    // `text` as UTF-8, each ASCII character for which `escape` gives a text
    // written as that text, and a lone surrogate as U+FFFD.
    template <typename Escape> void text(QStringView text, Escape escape)
    {
        const qsizetype size = text.size();
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t c = text[i].unicode();
            if (c < 0x80) {
                if (const char *escaped = escape(c))
                    put(escaped);
                else
                    *m_at++ = char(c);
            } else if (c < 0x800) {
                *m_at++ = char(0xC0 | (c >> 6));
                *m_at++ = char(0x80 | (c & 0x3F));
            } else if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(text[i + 1].unicode())) {
                const char32_t code = QChar::surrogateToUcs4(c, text[++i].unicode());
                *m_at++ = char(0xF0 | (code >> 18));
                *m_at++ = char(0x80 | ((code >> 12) & 0x3F));
                *m_at++ = char(0x80 | ((code >> 6) & 0x3F));
                *m_at++ = char(0x80 | (code & 0x3F));
            } else {
                const char16_t unit = QChar::isSurrogate(c) ? char16_t(0xFFFD) : c;
                *m_at++ = char(0xE0 | (unit >> 12));
                *m_at++ = char(0x80 | ((unit >> 6) & 0x3F));
                *m_at++ = char(0x80 | (unit & 0x3F));
            }
        }
    }

private:
    QByteArray &m_out;
    qsizetype m_start;
    char *m_at = nullptr;
};

// The escapes are types, not function pointers, so that each writer's loop
// over the characters has its escape inlined.
struct NoEscape {
    const char *operator()(char16_t) const { return nullptr; }
};

struct TsvEscape {
    const char *operator()(char16_t c) const
    {
        switch (c) {
        case u'\t':
            return "\\t";
        case u'\n':
            return "\\n";
        case u'\r':
            return "\\r";
        case u'\\':
            return "\\\\";
        default:
            return nullptr;
        }
    }
};

struct CsvQuotedEscape {
    const char *operator()(char16_t c) const { return c == u'"' ? "\"\"" : nullptr; }
};

struct JsonEscape {
    const char *operator()(char16_t c) const
    {
        static constexpr const char *controls[0x20] = {"\\u0000", "\\u0001", "\\u0002", "\\u0003", "\\u0004", "\\u0005",
            "\\u0006", "\\u0007", "\\b", "\\t", "\\n", "\\u000b", "\\f", "\\r", "\\u000e", "\\u000f", "\\u0010",
            "\\u0011", "\\u0012", "\\u0013", "\\u0014", "\\u0015", "\\u0016", "\\u0017", "\\u0018", "\\u0019",
            "\\u001a", "\\u001b", "\\u001c", "\\u001d", "\\u001e", "\\u001f"};
        if (c < 0x20)
            return controls[c];
        if (c == u'"')
            return "\\\"";
        if (c == u'\\')
            return "\\\\";
        return nullptr;
    }
};

// A format of lines whose first line names the columns.
class HeaderLineWriter : public RecordWriter {
public:
    explicit HeaderLineWriter(const QStringList &columns)
        : RecordWriter(columns.size())
        , m_columns(columns)
    {
    }
    QByteArray begin() override
    {
        QByteArray out;
        write(m_columns, out);
        return out;
    }
    QByteArray end() override { return {}; }

private:
    QStringList m_columns;
};

class TsvWriter final : public HeaderLineWriter {
public:
    using HeaderLineWriter::HeaderLineWriter;

protected:
    void writeValues(std::span<const QStringView> values, QByteArray &out) override
    {
        RecordBytes record(out, values, qsizetype(values.size()) + 1);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i > 0)
                record.put('\t');
            record.text(values[i], TsvEscape());
        }
        record.put('\n');
    }
};

class CsvWriter final : public HeaderLineWriter {
public:
    using HeaderLineWriter::HeaderLineWriter;

protected:
    void writeValues(std::span<const QStringView> values, QByteArray &out) override
    {
        RecordBytes record(out, values, 3 * qsizetype(values.size()) + 2);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i > 0)
                record.put(',');
            const QStringView value = values[i];
            const bool quoted = std::any_of(value.cbegin(), value.cend(),
                [](QChar c) { return c == u',' || c == u'"' || c == u'\r' || c == u'\n'; });
            if (quoted) {
                record.put('"');
                record.text(value, CsvQuotedEscape());
                record.put('"');
            } else {
                record.text(value, NoEscape());
            }
        }
        record.put("\r\n");
    }
};

// One compact object on a line, its members in the order of the columns;
// JSON lines alone, or the items of an array.
class JsonWriter final : public RecordWriter {
public:
    JsonWriter(const QStringList &columns, bool array)
        : RecordWriter(columns.size())
        , m_array(array)
    {
        for (const QString &column : columns) {
            QByteArray name = "\"";
            const QStringView view = column;
            RecordBytes(name, {&view, 1}, 0).text(view, JsonEscape());
            m_names << name + "\":";
            m_namesSize += m_names.constLast().size();
        }
    }
    QByteArray begin() override { return m_array ? QByteArrayLiteral("[") : QByteArray(); }
    QByteArray end() override
    {
        if (!m_array)
            return {};
        return m_records == 0 ? QByteArrayLiteral("]\n") : QByteArrayLiteral("\n]\n");
    }

protected:
    void writeValues(std::span<const QStringView> values, QByteArray &out) override
    {
        RecordBytes record(out, values, m_namesSize + 8 * qsizetype(values.size()) + 4);
        if (m_array)
            record.put(m_records++ == 0 ? "\n" : ",\n");
        record.put('{');
        for (std::size_t i = 0; i < values.size() && i < std::size_t(m_names.size()); ++i) {
            if (i > 0)
                record.put(',');
            record.put(m_names.at(qsizetype(i)));
            if (values[i].isNull()) {
                record.put("null");
                continue;
            }
            record.put('"');
            record.text(values[i], JsonEscape());
            record.put('"');
        }
        record.put('}');
        if (!m_array)
            record.put('\n');
    }

private:
    QList<QByteArray> m_names; // "name": as written
    qsizetype m_namesSize = 0;
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

void RecordWriter::write(const QStringList &values, QByteArray &out)
{
    std::vector<QStringView> views(values.cbegin(), values.cend());
    writeValues(views, out);
}

void RecordWriter::writeRow(const QString &connection, const ResultRow &row, QByteArray &out, const QString *definition)
{
    // Empty, never null, where the row has no such column.
    const auto text
        = [](const QString &value, bool has) { return has && !value.isNull() ? QStringView(value) : QStringView(u""); };
    const std::array<QStringView, 6> values {text(connection, true), text(row.name, true),
        text(row.type, row.subItems >= 1), text(row.schema, row.subItems >= 2), text(row.comment, row.subItems >= 3),
        definition ? QStringView(*definition) : QStringView()};
    writeValues(std::span(values).first(std::size_t(std::clamp<qsizetype>(m_columnCount, 0, 6))), out);
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
