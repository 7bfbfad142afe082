#include "settings/KsScramble.h"

#include <QByteArray>

namespace ks {

namespace {

QByteArray mixed(QByteArray bytes, const QString &key)
{
    const QByteArray keyBytes = key.toUtf8();
    if (keyBytes.isEmpty())
        return bytes;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(bytes.at(i) ^ keyBytes.at(i % keyBytes.size()) ^ char(i * 31));
    return bytes;
}

} // namespace

QString scrambleText(const QString &text, const QString &key)
{
    return QString::fromLatin1(mixed(text.toUtf8(), key).toBase64());
}

QString unscrambleText(const QString &scrambled, const QString &key)
{
    const auto decoded = QByteArray::fromBase64Encoding(scrambled.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return {};
    return QString::fromUtf8(mixed(*decoded, key));
}

} // namespace ks
