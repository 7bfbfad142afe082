#pragma once
// The storage a placement opens for one save or restore and lends to the
// components linked to it: a registry key or a profile file behind the same
// small set of operations. Sections are registry subkeys ("\" separates
// levels) or profile sections; every value is stored as text.

#include <QString>

namespace ks {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The file or key behind the store, as named in messages.
    virtual QString location() const = 0;

    virtual QString readString(const QString &section, const QString &name, const QString &defaultValue) const = 0;
    virtual void writeString(const QString &section, const QString &name, const QString &value) = 0;
    // Removes the section with every value in it (and, in the registry, its subkeys).
    virtual void eraseSection(const QString &section) = 0;
    virtual void deleteValue(const QString &section, const QString &name) = 0;
    // Saves what has changed; raises "Unable to write to %s" when refused.
    virtual void flush() = 0;

    // Integers are decimal text; a read also accepts "0x1F" and "$1F" and
    // gives the default for anything else.
    int readInteger(const QString &section, const QString &name, int defaultValue) const;
    void writeInteger(const QString &section, const QString &name, int value);
    // Booleans are "1" and "0"; any integer other than 0 reads as true.
    bool readBool(const QString &section, const QString &name, bool defaultValue) const;
    void writeBool(const QString &section, const QString &name, bool value);

protected:
    SettingsStore() = default;
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;
};

} // namespace ks
