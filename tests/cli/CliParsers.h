#pragma once
// Readers of the command line's text formats for the tests, written from the
// formats' rules rather than from the program's writers.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

namespace ks::test {

// Records of RFC 4180 text: a quoted field may hold commas, line breaks and
// quotes (doubled); a record ends in CR LF.
inline QList<QStringList> readCsv(const QString &text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted && c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
            field += text.at(++i);
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u',') {
            record << std::exchange(field, QString());
        } else if (!quoted && c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            record << std::exchange(field, QString());
            records << std::exchange(record, QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

// Records of tab-separated lines whose values escape \t, \n, \r and \\.
inline QList<QStringList> readTsv(const QString &text)
{
    QList<QStringList> records;
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        QStringList record;
        for (const QString &field : line.split(u'\t')) {
            QString value;
            for (qsizetype i = 0; i < field.size(); ++i) {
                if (field.at(i) != u'\\' || i + 1 == field.size()) {
                    value += field.at(i);
                    continue;
                }
                const QChar escaped = field.at(++i);
                value += escaped == u't' ? u'\t' : escaped == u'n' ? u'\n' : escaped == u'r' ? u'\r' : escaped;
            }
            record << value;
        }
        records << record;
    }
    return records;
}

// The records of text in `format` ("csv", "tsv", "json" or "jsonl"), the
// header line first; JSON, read by Qt's parser, under `columns` (a null
// value read as a null text). Nothing when a JSON text does not parse.
inline QList<QStringList> readRecords(const QString &format, const QByteArray &bytes, const QStringList &columns)
{
    if (format == QLatin1String("csv"))
        return readCsv(QString::fromUtf8(bytes));
    if (format == QLatin1String("tsv"))
        return readTsv(QString::fromUtf8(bytes));
    QList<QJsonObject> objects;
    if (format == QLatin1String("json")) {
        const QJsonDocument document = QJsonDocument::fromJson(bytes);
        if (!document.isArray())
            return {};
        for (const QJsonValue &value : document.array())
            objects << value.toObject();
    } else {
        for (const QByteArray &line : bytes.split('\n')) {
            const QJsonDocument document = QJsonDocument::fromJson(line);
            if (!line.isEmpty() && !document.isObject())
                return {};
            if (!line.isEmpty())
                objects << document.object();
        }
    }
    QList<QStringList> records {columns};
    for (const QJsonObject &object : std::as_const(objects)) {
        QStringList record;
        for (const QString &column : columns)
            record << (object.value(column).isNull() ? QString() : object.value(column).toString());
        records << record;
    }
    return records;
}

} // namespace ks::test
