#pragma once
// The settings store on a profile file: the file is read when the store is
// made and saved, in one step, by flush().

#include "settings/KsProfileFile.h"
#include "settings/KsSettingsStore.h"

namespace ks {

class IniFileStore final : public SettingsStore {
public:
    // `path` is the file itself; see profileFilePath() for names without a directory.
    explicit IniFileStore(const QString &path);

    QString location() const override { return m_file.path(); }
    QString readString(const QString &section, const QString &name, const QString &defaultValue) const override;
    // A value that would lose something on reading (enclosing quotes, or
    // blanks at either end) is written inside one more pair of double quotes.
    void writeString(const QString &section, const QString &name, const QString &value) override;
    void eraseSection(const QString &section) override;
    void deleteValue(const QString &section, const QString &name) override;
    void flush() override;

private:
    ProfileFile m_file;
};

} // namespace ks
