#include "MsSqlCatalogueWriter.h"

#include "SqlScript.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>

namespace ks::tools {

namespace {

// A one-letter code padded with a blank, as the server returns it.
QString padded(const QString &code)
{
    return code.size() == 1 ? code + u' ' : code;
}

constexpr qsizetype kRecordCharacters = 4000;

} // namespace

MsSqlCatalogueWriter::MsSqlCatalogueWriter(QSqlDatabase &db)
    : m_users(prepareStatement(db,
        "INSERT INTO sysusers (uid, status, name, createdate, updatedate, hasdbaccess, islogin, issqluser) "
        "VALUES (?, 0, ?, '2019-12-02 10:00:00', '2019-12-02 10:00:00', 1, 1, 1)"))
    , m_objects(prepareStatement(db,
          "INSERT INTO sysobjects (name, id, xtype, uid, status, parent_obj, crdate, type, refdate) "
          "VALUES (?, ?, ?, ?, 0, ?, ?, ?, ?)"))
    , m_columns(prepareStatement(db,
          "INSERT INTO syscolumns (name, id, xtype, xusertype, length, xprec, xscale, colid, cdefault, number, "
          "colorder, isoutparam, isnullable, collation) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?)"))
    , m_comments(prepareStatement(db, "INSERT INTO syscomments (id, number, colid, text) VALUES (?, ?, ?, ?)"))
    , m_indexes(prepareStatement(db,
          "INSERT INTO sysindexes (id, status, indid, keycnt, name, dpages, rowcnt, rows, OrigFillFactor) "
          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0)"))
{
}

void MsSqlCatalogueWriter::user(int uid, const QString &name)
{
    run(m_users, {uid, name});
    ++m_counts.users;
}

int MsSqlCatalogueWriter::object(const QString &name, const QString &xtype, int uid, int parent)
{
    // Ids as the server hands them out: large, growing with creation.
    const int id = 1000003 + m_counts.objects * 7919;
    static const QDateTime start(QDate(2020, 1, 6), QTime(8, 0), Qt::UTC);
    const QString created
        = start.addSecs(qint64(m_counts.objects) * 97).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString type
        = xtype == QStringLiteral("PK") || xtype == QStringLiteral("UQ") ? QStringLiteral("K ") : padded(xtype);
    run(m_objects, {name, id, padded(xtype), uid, parent, created, type, created});
    ++m_counts.objects;
    return id;
}

void MsSqlCatalogueWriter::column(
    int objectId, int colid, const QString &name, const MsSqlType &type, bool nullable, int cdefault, bool parameter)
{
    const bool text = type.xtype == 167 || type.xtype == 175 || type.xtype == 231 || type.xtype == 239;
    run(m_columns,
        {name, objectId, type.xtype, type.xusertype, type.length, type.precision, type.scale, colid, cdefault,
            parameter ? 1 : 0, colid, nullable ? 1 : 0,
            text ? QVariant(QStringLiteral("Latin1_General_CI_AS")) : QVariant()});
}

void MsSqlCatalogueWriter::definition(int objectId, const QString &text, bool procedure)
{
    int colid = 1;
    for (qsizetype from = 0; from < text.size() || colid == 1; from += kRecordCharacters, ++colid) {
        run(m_comments, {objectId, procedure ? 1 : 0, colid, text.mid(from, kRecordCharacters)});
        ++m_counts.comments;
    }
    m_counts.definitionCharacters += text.size();
}

void MsSqlCatalogueWriter::index(int objectId, int indid, const QVariant &name, int status, int keys)
{
    const bool real = (status & (8388608 | 32)) == 0;
    run(m_indexes, {objectId, status, indid, keys, name, real ? 1 + indid : 0, real ? 250 : 0, real ? 250 : 0});
    ++m_counts.indexes;
}

void MsSqlCatalogueWriter::run(QSqlQuery &query, std::initializer_list<QVariant> values)
{
    int position = 0;
    for (const QVariant &value : values)
        query.bindValue(position++, value);
    if (!query.exec())
        throw ScriptError(QStringLiteral("%1: %2").arg(query.lastQuery(), query.lastError().text()).toStdString());
}

} // namespace ks::tools
