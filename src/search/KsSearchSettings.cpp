#include "search/KsSearchSettings.h"

#include "base/KsStrings.h"

#include <QStringList>

namespace ks {

const SearchOption *findSearchOption(const QList<SearchOption> &options, const QString &name)
{
    for (const SearchOption &option : options) {
        if (option.name == name)
            return &option;
    }
    return nullptr;
}

QString settingValue(const QList<SearchOption> &options, const SearchSettings &settings, const QString &name)
{
    const SearchOption *option = findSearchOption(options, name);
    if (!option)
        throw Error(QStringLiteral("No search option \"%1\".").arg(name));
    return settings.value(*option);
}

bool settingSwitch(const QList<SearchOption> &options, const SearchSettings &settings, const QString &name)
{
    const QString value = settingValue(options, settings, name).trimmed().toLower();
    static const QStringList on
        = {QStringLiteral("1"), QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("on")};
    static const QStringList off
        = {QStringLiteral("0"), QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("off"), QString()};
    if (on.contains(value))
        return true;
    if (off.contains(value))
        return false;
    throw Error(QStringLiteral("--%1 takes on or off, not \"%2\".").arg(name, value));
}

} // namespace ks
