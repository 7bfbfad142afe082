#include "db/KsAdo.h"

#include "base/KsStrings.h"

#include <optional>

namespace ks {

QString QuoteSqlText(const QString &text, const QString &quoteChar, const QString &replacement)
{
    QString result;
    result.reserve(text.size() + 2);
    qsizetype from = 0;
    if (!quoteChar.isEmpty()) {
        for (qsizetype at = text.indexOf(quoteChar); at >= 0; at = text.indexOf(quoteChar, from)) {
            result += QStringView(text).mid(from, at - from);
            result += replacement;
            from = at + quoteChar.size();
        }
    }
    result += QStringView(text).mid(from);
    return quoteChar + result + quoteChar;
}

ConnectionPtr CreateConnection()
{
    return std::make_shared<Connection>();
}

ConnectionPtr OpenConnection(const QString &connectionString, const QString &userId, const QString &password)
{
    QString ignored;
    return OpenConnectionReport(connectionString, userId, password, ignored);
}

ConnectionPtr OpenConnectionReport(
    const QString &connectionString, const QString &userId, const QString &password, QString &errorText)
{
    errorText.clear();
    ConnectionPtr connection = CreateConnection();
    try {
        connection->open(connectionString, userId, password);
    } catch (const Error &error) {
        errorText = error.message();
    }
    return connection;
}

ConnectionPtr OpenMsSqlConnection(const QString &server, const QString &database, const QString &userName,
    const QString &password, const std::function<void(const QString &)> &showMessage)
{
    QString failure;
    ConnectionPtr connection = OpenConnectionReport(
        BuildMsSqlConnectionString(server, database, userName, password), userName, password, failure);
    if (!connection->isOpen() && showMessage)
        showMessage(QStringLiteral("Error connecting to database\r\n\r\n") + failure);
    return connection;
}

std::unique_ptr<Recordset> ExecuteSql(Connection &connection, const QString &sql)
{
    return connection.execute(sql);
}

} // namespace ks
