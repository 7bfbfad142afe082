#include "settings/KsSettingsStore.h"

#include "settings/KsProfileFile.h"

namespace ks {

int SettingsStore::readInteger(const QString &section, const QString &name, int defaultValue) const
{
    return profileInteger(readString(section, name, QString())).value_or(defaultValue);
}

void SettingsStore::writeInteger(const QString &section, const QString &name, int value)
{
    writeString(section, name, QString::number(value));
}

bool SettingsStore::readBool(const QString &section, const QString &name, bool defaultValue) const
{
    return readInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::writeBool(const QString &section, const QString &name, bool value)
{
    writeString(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace ks
