#include "BenchSearch.h"

#include "search/KsResultModel.h"

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlDriver>

namespace ks::bench {

qint64 runWithDialect(const QString &file, const QStringList &statements, FileDialect dialect, FailedStatements failed)
{
    const QString name = QStringLiteral("dialect");
    qint64 rows = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            qFatal("cannot open %s", qPrintable(file));
        dialect(sqliteHandle(db));
        rows = stepThrough(*static_cast<sqlite3 *const *>(db.driver()->handle().constData()), statements, failed);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

QByteArray rowsDigest(const KsResultModel &model)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int i = 0; i < model.rowCount(); ++i) {
        const ResultRow &row = model.row(i);
        hash.addData(
            QStringList {row.name, row.type, row.schema, row.comment, QString::number(row.rowKind)}.join(u'|').toUtf8()
            + '\n');
    }
    return hash.result().toHex().left(12);
}

} // namespace ks::bench
