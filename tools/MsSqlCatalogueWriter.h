#pragma once
// Rows for the SQL Server catalogue tables (data/mssql-catalogue.sql),
// inserted through prepared statements in the server's own shapes: padded
// type codes, keys as "K ", definitions split into syscomments records of
// 4,000 characters. The SQL Server catalogue generator writes through it.

#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <initializer_list>

class QSqlDatabase;

namespace ks::tools {

// A column type as syscolumns describes it.
struct MsSqlType {
    const char *name; // as in systypes
    int xtype;
    int xusertype;
    int length; // bytes; -1 for max
    int precision;
    int scale;
};

struct MsSqlCounts {
    int users = 0;
    int tables = 0;
    int tableColumns = 0;
    int views = 0;
    int viewColumns = 0;
    int procedures = 0;
    int functions = 0;
    int triggers = 0;
    int defaults = 0;
    int checks = 0;
    int keys = 0;
    int indexes = 0; // index rows, statistics and hypothetical ones included
    int objects = 0;
    int comments = 0; // syscomments records
    qint64 definitionCharacters = 0;
};

class MsSqlCatalogueWriter {
public:
    // Prepares the inserts on a database that holds the catalogue tables.
    explicit MsSqlCatalogueWriter(QSqlDatabase &db);

    void user(int uid, const QString &name);
    // A new object with the next id; xtype as the server's ("U", "PK", "TR").
    // Returns its id.
    int object(const QString &name, const QString &xtype, int uid, int parent = 0);
    void column(int objectId, int colid, const QString &name, const MsSqlType &type, bool nullable, int cdefault = 0,
        bool parameter = false);
    // The definition of a procedure (number 1) or any other object (number 0),
    // in records of at most 4,000 characters.
    void definition(int objectId, const QString &text, bool procedure);
    void index(int objectId, int indid, const QVariant &name, int status, int keys);

    MsSqlCounts &counts() { return m_counts; }

private:
    static void run(QSqlQuery &query, std::initializer_list<QVariant> values);

    QSqlQuery m_users;
    QSqlQuery m_objects;
    QSqlQuery m_columns;
    QSqlQuery m_comments;
    QSqlQuery m_indexes;
    MsSqlCounts m_counts;
};

} // namespace ks::tools
