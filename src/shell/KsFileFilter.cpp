#include "shell/KsFileFilter.h"

#include <QRegularExpression>
#include <QStringList>

namespace ks {

QString qtFileFilter(const QString &filter)
{
    // Qt takes the patterns from the last parentheses of a description, so
    // any the description shows itself give way to the real ones.
    static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        const QStringList given = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString &pattern : given) {
            const QString trimmed = pattern.trimmed();
            if (trimmed.isEmpty())
                continue;
            patterns << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
        }
        if (patterns.isEmpty())
            continue;
        QString description = parts.at(i).trimmed();
        description.remove(shownPatterns);
        if (description.isEmpty())
            description = patterns.join(QLatin1Char(' '));
        entries << QStringLiteral("%1 (%2)").arg(description, patterns.join(QLatin1Char(' ')));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace ks
