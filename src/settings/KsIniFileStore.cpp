#include "settings/KsIniFileStore.h"

namespace ks {

namespace {

bool losesOnReading(const QString &value)
{
    if (value.isEmpty())
        return false;
    const QChar first = value.front();
    const QChar last = value.back();
    const bool quoted = (first == QLatin1Char('"') && last == QLatin1Char('"'))
        || (first == QLatin1Char('\'') && last == QLatin1Char('\''));
    return quoted || first.isSpace() || last.isSpace();
}

} // namespace

IniFileStore::IniFileStore(const QString &path)
    : m_file(path)
{
}

QString IniFileStore::readString(const QString &section, const QString &name, const QString &defaultValue) const
{
    return m_file.readString(section, name, defaultValue);
}

void IniFileStore::writeString(const QString &section, const QString &name, const QString &value)
{
    m_file.writeString(section, name, losesOnReading(value) ? QLatin1Char('"') + value + QLatin1Char('"') : value);
}

void IniFileStore::eraseSection(const QString &section)
{
    m_file.eraseSection(section);
}

void IniFileStore::deleteValue(const QString &section, const QString &name)
{
    m_file.deleteKey(section, name);
}

void IniFileStore::flush()
{
    m_file.flush();
}

} // namespace ks
