#include "settings/KsRegistryStore.h"

#include "base/KsStrings.h"
#include "settings/KsSettingsNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace ks {

namespace {

QStringList pathParts(const QString &path)
{
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    return path.split(separators, Qt::SkipEmptyParts);
}

const QString *sameIgnoringCase(const QStringList &names, const QString &name)
{
    for (const QString &candidate : names) {
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

#ifndef Q_OS_WIN
QString systemConfigurationDirectory()
{
    const QStringList all = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    const QString own = configurationDirectory();
    for (const QString &directory : all) {
        if (directory != own)
            return directory;
    }
    return QStringLiteral("/etc/xdg");
}

// Registry names ignore letter case but file names do not: the program's own
// organisation and name keep their spelling, other parts take the spelling
// of what already exists, and otherwise the one given.
QString spelling(const QString &part, const QString &directory, bool isFile)
{
    for (const QString &own : {QCoreApplication::organizationName(), QCoreApplication::applicationName()}) {
        if (!own.isEmpty() && own.compare(part, Qt::CaseInsensitive) == 0)
            return own;
    }
    const QDir dir(directory);
    const QString wanted = isFile ? part + QStringLiteral(".conf") : part;
    const QStringList entries = dir.entryList(isFile ? QDir::Files : QDir::Dirs | QDir::NoDotAndDotDot);
    if (const QString *existing = sameIgnoringCase(entries, wanted))
        return isFile ? existing->chopped(5) : *existing;
    return part;
}
#endif

} // namespace

QString RegistryStore::nativeLocation(const QString &keyPath, RegistryRoot root)
{
#ifdef Q_OS_WIN
    static const char *const roots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_CONFIG",
        "HKEY_CLASSES_ROOT", "HKEY_USERS", "HKEY_DYN_DATA"};
    return QString::fromLatin1(roots[static_cast<int>(root)]) + QLatin1Char('\\')
        + pathParts(keyPath).join(QLatin1Char('\\'));
#else
    QStringList parts = pathParts(keyPath);
    if (parts.size() > 1 && parts.first().compare(QStringLiteral("Software"), Qt::CaseInsensitive) == 0)
        parts.removeFirst();
    if (parts.isEmpty())
        parts << programName();
    QString path = root == RegistryRoot::CurrentUser ? configurationDirectory() : systemConfigurationDirectory();
    if (root != RegistryRoot::CurrentUser && root != RegistryRoot::LocalMachine) {
        static const char *const others[] = {"", "", "CurrentConfig", "ClassesRoot", "Users", "DynData"};
        path += QLatin1Char('/') + QLatin1String(others[static_cast<int>(root)]);
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool isFile = i == parts.size() - 1;
        path += QLatin1Char('/') + spelling(parts.at(i), path, isFile);
    }
    return path + QStringLiteral(".conf");
#endif
}

RegistryStore::RegistryStore(const QString &keyPath, RegistryRoot root)
    : m_settings(std::make_unique<QSettings>(nativeLocation(keyPath, root), QSettings::NativeFormat))
{
    // Two instances closing at once must leave one's values or the other's.
    m_settings->setAtomicSyncRequired(true);
}

RegistryStore::~RegistryStore() = default;

QString RegistryStore::location() const
{
    return QDir::toNativeSeparators(m_settings->fileName());
}

QString RegistryStore::groupPath(const QString &section) const
{
    QString path;
    for (const QString &part : pathParts(section)) {
        m_settings->beginGroup(path);
        const QStringList groups = m_settings->childGroups();
        m_settings->endGroup();
        const QString *existing = sameIgnoringCase(groups, part);
        path += (path.isEmpty() ? QString() : QStringLiteral("/")) + (existing ? *existing : part);
    }
    return path;
}

QString RegistryStore::valueKey(const QString &group, const QString &name) const
{
    m_settings->beginGroup(group);
    const QStringList keys = m_settings->childKeys();
    m_settings->endGroup();
    const QString *existing = sameIgnoringCase(keys, name);
    const QString key = existing ? *existing : name;
    return group.isEmpty() ? key : group + QLatin1Char('/') + key;
}

QString RegistryStore::readString(const QString &section, const QString &name, const QString &defaultValue) const
{
    const QVariant value = m_settings->value(valueKey(groupPath(section), name));
    // Every value we write is a string; a file edited by hand may hold
    // something QSettings reads otherwise.
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList:
        return value.toStringList().join(QLatin1Char(','));
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.canConvert<QString>() ? value.toString() : defaultValue;
    }
}

void RegistryStore::writeString(const QString &section, const QString &name, const QString &value)
{
    m_settings->setValue(valueKey(groupPath(section), name), value);
}

void RegistryStore::eraseSection(const QString &section)
{
    const QString group = groupPath(section);
    if (!group.isEmpty())
        m_settings->remove(group);
}

void RegistryStore::deleteValue(const QString &section, const QString &name)
{
    const QString group = groupPath(section);
    m_settings->beginGroup(group);
    const QStringList keys = m_settings->childKeys();
    m_settings->endGroup();
    // Only when such a value exists: a subkey alone of that name stays.
    if (const QString *existing = sameIgnoringCase(keys, name))
        m_settings->remove(group.isEmpty() ? *existing : group + QLatin1Char('/') + *existing);
}

void RegistryStore::flush()
{
    m_settings->sync();
    if (m_settings->status() == QSettings::AccessError)
        throw Error(QStringLiteral("Unable to write to %1").arg(location()));
}

} // namespace ks
