#pragma once
// Rows for the tables of the Oracle dictionary (data/oracle-dictionary.sql),
// inserted through prepared statements, with a count of what was written.
// The catalogue generator writes everything through it.

#include "CatalogueGenerator.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>

namespace ks::tools {

// A column's type as DBA_TAB_COLUMNS describes it.
struct ColumnType {
    const char *dataType;
    int dataLength;
    int precision; // -1: none
    int scale; // -1: none
    bool isChar; // a character type: CHARACTER_SET_NAME, CHAR_LENGTH and CHAR_USED are set
};

class DictionaryWriter {
public:
    // Prepares the inserts on a database that holds the dictionary tables.
    explicit DictionaryWriter(QSqlDatabase &db);

    void user(const QString &name, int id, const QString &tablespace, const QString &created, bool oracleMaintained);
    // The one row of CATALOGUE_SESSION.
    void sessionUser(const QString &name);
    // The next object id, created three minutes after the object before.
    void object(const QString &owner, const QString &name, const QString &type);
    void column(const QString &owner, const QString &table, const QString &name, const ColumnType &type, bool nullable,
        int columnId);
    // A comment of NULL stands for a table or view nobody commented.
    void tableComment(const QString &owner, const QString &table, const QString &type, const QVariant &comment);
    void columnComment(const QString &owner, const QString &table, const QString &column, const QVariant &comment);
    void view(const QString &owner, const QString &name, const QString &text);
    void trigger(const QString &owner, const QString &name, const QString &type, const QString &event,
        const QString &tableOwner, const QString &table, bool enabled, const QString &description, const QString &body);
    // Stores a unit line by line; every line but the last keeps its line feed.
    void source(const QString &owner, const QString &name, const QString &type, const QStringList &lines);

    CatalogueCounts &counts() { return m_counts; }

private:
    static void run(QSqlQuery &query, std::initializer_list<QVariant> values);

    QSqlQuery m_users;
    QSqlQuery m_session;
    QSqlQuery m_objects;
    QSqlQuery m_columns;
    QSqlQuery m_tabComments;
    QSqlQuery m_colComments;
    QSqlQuery m_views;
    QSqlQuery m_triggers;
    QSqlQuery m_source;
    CatalogueCounts m_counts;
};

} // namespace ks::tools
