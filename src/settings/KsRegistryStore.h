#pragma once
// The settings store on a registry key, kept through QSettings in its native
// form: the registry itself on Windows, elsewhere one file per key under the
// configuration directory ("Software\Kestrin\quillmere" is
// Kestrin/quillmere.conf). Key, section and value names ignore letter case,
// as registry names do; every value is a string.

#include "settings/KsSettingsStore.h"

#include <memory>

class QSettings;

namespace ks {

// The branch of the registry a key lies in. Away from Windows the current
// user's branch is the configuration directory and every other branch the
// system-wide one.
enum class RegistryRoot { CurrentUser, LocalMachine, CurrentConfig, ClassesRoot, Users, DynData };

class RegistryStore final : public SettingsStore {
public:
    explicit RegistryStore(const QString &keyPath, RegistryRoot root = RegistryRoot::CurrentUser);
    ~RegistryStore() override;

    // What QSettings is given for a key: a registry path on Windows, a file elsewhere.
    static QString nativeLocation(const QString &keyPath, RegistryRoot root = RegistryRoot::CurrentUser);

    QString location() const override;
    QString readString(const QString &section, const QString &name, const QString &defaultValue) const override;
    void writeString(const QString &section, const QString &name, const QString &value) override;
    void eraseSection(const QString &section) override;
    void deleteValue(const QString &section, const QString &name) override;
    void flush() override;

private:
    // The stored spelling of a section path and of a value name in it.
    QString groupPath(const QString &section) const;
    QString valueKey(const QString &group, const QString &name) const;

    std::unique_ptr<QSettings> m_settings;
};

} // namespace ks
