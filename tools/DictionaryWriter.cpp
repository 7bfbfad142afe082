#include "DictionaryWriter.h"

#include "SqlScript.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>

namespace ks::tools {

namespace {

QVariant orNull(int value)
{
    return value < 0 ? QVariant() : QVariant(value);
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("Y") : QStringLiteral("N");
}

} // namespace

DictionaryWriter::DictionaryWriter(QSqlDatabase &db)
    : m_users(prepareStatement(db,
        "INSERT INTO DBA_USERS (USERNAME, USER_ID, ACCOUNT_STATUS, EXPIRY_DATE, "
        "DEFAULT_TABLESPACE, TEMPORARY_TABLESPACE, CREATED, PROFILE, AUTHENTICATION_TYPE, "
        "ORACLE_MAINTAINED) VALUES (?, ?, 'OPEN', NULL, ?, 'TEMP', ?, 'DEFAULT', 'PASSWORD', ?)"))
    , m_session(prepareStatement(db, "INSERT INTO CATALOGUE_SESSION (USERNAME) VALUES (?)"))
    , m_objects(prepareStatement(db,
          "INSERT INTO DBA_OBJECTS (OWNER, OBJECT_NAME, OBJECT_ID, DATA_OBJECT_ID, "
          "OBJECT_TYPE, CREATED, LAST_DDL_TIME, TIMESTAMP, STATUS, TEMPORARY, "
          "GENERATED, SECONDARY) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 'VALID', 'N', 'N', 'N')"))
    , m_columns(prepareStatement(db,
          "INSERT INTO DBA_TAB_COLUMNS (OWNER, TABLE_NAME, COLUMN_NAME, DATA_TYPE, "
          "DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE, COLUMN_ID, "
          "CHARACTER_SET_NAME, CHAR_LENGTH, CHAR_USED) "
          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))
    , m_tabComments(prepareStatement(db,
          "INSERT INTO DBA_TAB_COMMENTS (OWNER, TABLE_NAME, TABLE_TYPE, COMMENTS) "
          "VALUES (?, ?, ?, ?)"))
    , m_colComments(prepareStatement(db,
          "INSERT INTO DBA_COL_COMMENTS (OWNER, TABLE_NAME, COLUMN_NAME, COMMENTS) "
          "VALUES (?, ?, ?, ?)"))
    , m_views(prepareStatement(db,
          "INSERT INTO DBA_VIEWS (OWNER, VIEW_NAME, TEXT_LENGTH, TEXT, EDITIONING_VIEW, "
          "READ_ONLY) VALUES (?, ?, ?, ?, 'N', 'N')"))
    , m_triggers(prepareStatement(db,
          "INSERT INTO DBA_TRIGGERS (OWNER, TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT, "
          "TABLE_OWNER, BASE_OBJECT_TYPE, TABLE_NAME, REFERENCING_NAMES, STATUS, "
          "DESCRIPTION, ACTION_TYPE, TRIGGER_BODY) VALUES (?, ?, ?, ?, ?, 'TABLE', ?, "
          "'REFERENCING NEW AS NEW OLD AS OLD', ?, ?, 'PL/SQL', ?)"))
    , m_source(prepareStatement(db, "INSERT INTO DBA_SOURCE (OWNER, NAME, TYPE, LINE, TEXT) VALUES (?, ?, ?, ?, ?)"))
{
}

void DictionaryWriter::user(
    const QString &name, int id, const QString &tablespace, const QString &created, bool oracleMaintained)
{
    run(m_users, {name, id, tablespace, created, yesNo(oracleMaintained)});
    ++m_counts.users;
}

void DictionaryWriter::sessionUser(const QString &name)
{
    run(m_session, {name});
}

void DictionaryWriter::object(const QString &owner, const QString &name, const QString &type)
{
    const int id = 73001 + m_counts.objects;
    // From the first working day of 2020 on.
    static const QDateTime start(QDate(2020, 1, 6), QTime(8, 0), Qt::UTC);
    const QString created
        = start.addSecs(qint64(m_counts.objects) * 180).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QString timestamp = created; // Oracle's form: 2020-01-06:08:00:00
    timestamp[10] = u':';
    const bool hasSegment = type == QStringLiteral("TABLE") || type == QStringLiteral("INDEX");
    run(m_objects, {owner, name, id, hasSegment ? QVariant(id) : QVariant(), type, created, created, timestamp});
    ++m_counts.objects;
}

void DictionaryWriter::column(const QString &owner, const QString &table, const QString &name, const ColumnType &type,
    bool nullable, int columnId)
{
    run(m_columns,
        {owner, table, name, QString::fromLatin1(type.dataType), type.dataLength, orNull(type.precision),
            orNull(type.scale), yesNo(nullable), columnId,
            type.isChar ? QVariant(QStringLiteral("CHAR_CS")) : QVariant(), type.isChar ? type.dataLength : 0,
            type.isChar ? QVariant(QStringLiteral("B")) : QVariant()});
}

void DictionaryWriter::tableComment(
    const QString &owner, const QString &table, const QString &type, const QVariant &comment)
{
    run(m_tabComments, {owner, table, type, comment});
}

void DictionaryWriter::columnComment(
    const QString &owner, const QString &table, const QString &column, const QVariant &comment)
{
    run(m_colComments, {owner, table, column, comment});
}

void DictionaryWriter::view(const QString &owner, const QString &name, const QString &text)
{
    // TEXT_LENGTH counts bytes, as Oracle does.
    run(m_views, {owner, name, int(text.toUtf8().size()), text});
}

void DictionaryWriter::trigger(const QString &owner, const QString &name, const QString &type, const QString &event,
    const QString &tableOwner, const QString &table, bool enabled, const QString &description, const QString &body)
{
    run(m_triggers,
        {owner, name, type, event, tableOwner, table, enabled ? QStringLiteral("ENABLED") : QStringLiteral("DISABLED"),
            description, body});
}

void DictionaryWriter::source(const QString &owner, const QString &name, const QString &type, const QStringList &lines)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString text = i + 1 < lines.size() ? lines.at(i) + u'\n' : lines.at(i);
        run(m_source, {owner, name, type, int(i + 1), text});
    }
    m_counts.sourceLines += int(lines.size());
}

void DictionaryWriter::run(QSqlQuery &query, std::initializer_list<QVariant> values)
{
    int position = 0;
    for (const QVariant &value : values)
        query.bindValue(position++, value);
    if (!query.exec())
        throw ScriptError(QStringLiteral("%1: %2").arg(query.lastQuery(), query.lastError().text()).toStdString());
}

} // namespace ks::tools
