#pragma once
// What the search benchmarks share beside the yardstick: the statements run
// with the functions the program registers, and a digest of a result list
// to compare versions of the program by.

#include "BenchReference.h"

#include "db/KsFileDialect.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace ks {
class KsResultModel;
}

namespace ks::bench {

// The SQL of a search's planned statements, in their order.
template <typename Planned> QStringList sqlOf(const QList<Planned> &statements)
{
    QStringList sql;
    for (const Planned &planned : statements)
        sql << planned.sql;
    return sql;
}

// The statements on SQLite, opened read-only through Qt with the functions
// `dialect` registers, every row stepped through as
// stepThrough() does. Returns the number of rows.
qint64 runWithDialect(const QString &file, const QStringList &statements, FileDialect dialect,
    FailedStatements failed = FailedStatements::Stop);

// The first 12 hex digits of a SHA-1 over every row of the list, in list order.
QByteArray rowsDigest(const KsResultModel &model);

} // namespace ks::bench
