#include "text/KsTextFile.h"

#include "base/KsStrings.h"

#include <QDir>
#include <QSaveFile>

namespace ks {

void writeLinesCrLf(const QString &fileName, const QStringList &lines)
{
    QString text;
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString &line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    const QByteArray data = text.toUtf8();

    const auto failure = [&fileName](const QString &reason) {
        return Error(QStringLiteral("The text could not be saved to \"%1\":\n%2")
                         .arg(QDir::toNativeSeparators(fileName), reason));
    };
    // Written beside the target and renamed over it only when complete, so a
    // failed save leaves an existing file as it was.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw failure(file.errorString());
    if (file.write(data) != data.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw failure(reason);
    }
    if (!file.commit())
        throw failure(file.errorString());
}

} // namespace ks
