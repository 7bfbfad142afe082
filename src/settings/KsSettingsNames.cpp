#include "settings/KsSettingsNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ks {

QString programName()
{
    const QString file = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    const QString name = QFileInfo(file).completeBaseName();
    return name.isEmpty() ? QCoreApplication::applicationName() : name;
}

QString StandardRegistryKey()
{
    return QStringLiteral("Software\\") + programName();
}

QString StandardIniName()
{
#ifdef Q_OS_WIN
    return programName() + QStringLiteral(".INI");
#else
    return programName() + QStringLiteral(".ini");
#endif
}

QString configurationDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString profileFilePath(const QString &name)
{
    const QString path = QDir::fromNativeSeparators(name);
    if (path.isEmpty() || path.contains(QLatin1Char('/')))
        return path;
    return configurationDirectory() + QLatin1Char('/') + path;
}

} // namespace ks
