#include "settings/KsProfileFile.h"

#include "base/KsStrings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <limits>

namespace ks {

namespace {

constexpr int kLockWaitMs = 10000;

// The text of a line's start; a byte-order mark in front of the first line is
// no part of it.
QString textOf(const QByteArray &line)
{
    QString text = QString::fromUtf8(line);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// The text of a value. Only a line's start can be the file's start: a
// byte-order mark in front of a value is the value's own, which
// QString::fromUtf8 would drop.
QString valueText(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isHeading(const QByteArray &line)
{
    qsizetype i = line.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < line.size() && (line.at(i) == ' ' || line.at(i) == '\t'))
        ++i;
    return i < line.size() && line.at(i) == '[';
}

QString headingName(const QByteArray &line)
{
    const QString trimmed = textOf(line).trimmed();
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

// The key of a value line; empty for headings, comments and lines without "=".
QString keyOf(const QByteArray &line)
{
    const qsizetype equals = line.indexOf('=');
    if (equals < 0)
        return {};
    const QString key = textOf(line.left(equals)).trimmed();
    if (key.startsWith(QLatin1Char(';')) || key.startsWith(QLatin1Char('[')))
        return {};
    return key;
}

struct SectionRange {
    qsizetype heading;
    qsizetype begin; // first line after the heading
    qsizetype end; // next heading or the end of the file
};

QList<SectionRange> sectionsNamed(const QByteArrayList &lines, const QString &name)
{
    QList<SectionRange> ranges;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!isHeading(lines.at(i)) || !sameName(headingName(lines.at(i)), name))
            continue;
        qsizetype end = i + 1;
        while (end < lines.size() && !isHeading(lines.at(end)))
            ++end;
        ranges.append({i, i + 1, end});
        i = end - 1;
    }
    return ranges;
}

qsizetype keyLine(const QByteArrayList &lines, const SectionRange &range, const QString &key)
{
    for (qsizetype i = range.begin; i < range.end; ++i) {
        if (sameName(keyOf(lines.at(i)), key))
            return i;
    }
    return -1;
}

QString withoutLineBreaks(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QByteArray nativeEol()
{
#ifdef Q_OS_WIN
    return QByteArrayLiteral("\r\n");
#else
    return QByteArrayLiteral("\n");
#endif
}

} // namespace

std::optional<int> profileInteger(const QString &text)
{
    QStringView rest = QStringView(text).trimmed();
    bool negative = false;
    if (rest.startsWith(QLatin1Char('-')) || rest.startsWith(QLatin1Char('+'))) {
        negative = rest.front() == QLatin1Char('-');
        rest = rest.mid(1);
    }
    int base = 10;
    if (rest.startsWith(QLatin1Char('$'))) {
        base = 16;
        rest = rest.mid(1);
    } else if (rest.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        rest = rest.mid(2);
    }
    if (rest.isEmpty())
        return std::nullopt;
    qulonglong magnitude = 0;
    for (const QChar c : rest) {
        const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - '0'
            : base == 16 && c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')
            ? c.toLower().unicode() - 'a' + 10
            : -1;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFull)
            return std::nullopt;
    }
    if (base == 16) {
        // Hexadecimal spells the 32 bits, so $FFFFFFFF is -1. The minus
        // negates the bits in unsigned arithmetic, as -$80000000 is the one
        // 32-bit number whose negation does not fit.
        const auto bits = static_cast<quint32>(magnitude);
        return static_cast<qint32>(negative ? 0u - bits : bits);
    }
    const qlonglong value = negative ? -static_cast<qlonglong>(magnitude) : static_cast<qlonglong>(magnitude);
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

ProfileFile::ProfileFile(const QString &path)
    : m_path(path)
{
    m_lines = load(m_path, &m_eol);
}

QString ProfileFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const QList<SectionRange> ranges = sectionsNamed(m_lines, section);
    if (ranges.isEmpty())
        return defaultValue;
    const qsizetype line = keyLine(m_lines, ranges.first(), key);
    if (line < 0)
        return defaultValue;
    const QByteArray &raw = m_lines.at(line);
    QString value = valueText(raw.mid(raw.indexOf('=') + 1)).trimmed();
    if (value.size() >= 2 && value.front() == value.back()
        && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))) {
        value = value.mid(1, value.size() - 2);
    }
    value.truncate(kMaxValueLength);
    return value;
}

int ProfileFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    return profileInteger(readString(section, key)).value_or(defaultValue);
}

bool ProfileFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool ProfileFile::sectionExists(const QString &section) const
{
    return !sectionsNamed(m_lines, section).isEmpty();
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    apply({Change::Write, withoutLineBreaks(section), withoutLineBreaks(key), withoutLineBreaks(value)});
}

void ProfileFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void ProfileFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void ProfileFile::eraseSection(const QString &section)
{
    apply({Change::EraseSection, section, {}, {}});
}

void ProfileFile::deleteKey(const QString &section, const QString &key)
{
    apply({Change::DeleteKey, section, key, {}});
}

void ProfileFile::apply(const Change &change)
{
    applyTo(m_lines, change);
    m_pending.append(change);
}

void ProfileFile::applyTo(QByteArrayList &lines, const Change &change)
{
    const QList<SectionRange> ranges = sectionsNamed(lines, change.section);
    switch (change.kind) {
    case Change::Write: {
        const QByteArray line = (change.key + QLatin1Char('=') + change.value).toUtf8();
        if (ranges.isEmpty()) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QByteArray());
            lines.append((QLatin1Char('[') + change.section + QLatin1Char(']')).toUtf8());
            lines.append(line);
            return;
        }
        const SectionRange &range = ranges.first();
        const qsizetype existing = keyLine(lines, range, change.key);
        if (existing >= 0) {
            lines[existing] = line;
            return;
        }
        // After the section's last line that is not blank, so that the blank
        // line before the next heading stays where it is.
        qsizetype at = range.begin;
        for (qsizetype i = range.begin; i < range.end; ++i) {
            if (!lines.at(i).trimmed().isEmpty())
                at = i + 1;
        }
        lines.insert(at, line);
        return;
    }
    case Change::DeleteKey:
        for (auto range = ranges.crbegin(); range != ranges.crend(); ++range) {
            for (qsizetype i = range->end - 1; i >= range->begin; --i) {
                if (sameName(keyOf(lines.at(i)), change.key))
                    lines.removeAt(i);
            }
        }
        return;
    case Change::EraseSection:
        for (auto range = ranges.crbegin(); range != ranges.crend(); ++range)
            lines.remove(range->heading, range->end - range->heading);
        return;
    }
}

QByteArrayList ProfileFile::load(const QString &path, QByteArray *eol)
{
    *eol = nativeEol();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    const qsizetype firstBreak = data.indexOf('\n');
    if (firstBreak > 0)
        *eol = data.at(firstBreak - 1) == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    QByteArrayList lines = data.split('\n');
    if (data.endsWith('\n'))
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

void ProfileFile::flush()
{
    if (m_pending.isEmpty())
        return;
    const QString failure = QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(m_path));
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        throw Error(failure);
    // Another program (or a second instance of this one) may save the same
    // file at this moment: the lock orders the saves, and each save starts
    // from what the other left.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        throw Error(failure);
    QByteArray eol;
    QByteArrayList lines = load(m_path, &eol);
    for (const Change &change : std::as_const(m_pending))
        applyTo(lines, change);
    QByteArray data = lines.join(eol);
    if (!lines.isEmpty())
        data += eol;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw Error(failure);
    m_lines = lines;
    m_eol = eol;
    m_pending.clear();
}

void ProfileFile::reload()
{
    m_pending.clear();
    m_lines = load(m_path, &m_eol);
}

} // namespace ks
