#pragma once
// Typed access to one profile file for the components that keep their state
// there (the find-and-replace component). The file is opened at the first
// read or write; every write is saved at once, so a refused write raises
// "Unable to write to %s" in the caller's action.

#include <QObject>
#include <QString>

#include <memory>

namespace ks {
class ProfileFile;
}

class TTolmIniFile : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
public:
    explicit TTolmIniFile(QObject *parent = nullptr);
    ~TTolmIniFile() override;

    // The effective name: when none is set, the program's name with ".ini";
    // a name without extension gets ".ini". A name without a directory lies
    // in the user's configuration directory. While the component is being
    // destroyed an unset name stays empty.
    QString FileName() const;
    // Does not move a file that is already open.
    void setFileName(const QString &fileName);

    // The full path of the file in use, or empty while it is not open.
    QString openedPath() const;

    bool ReadBool(const QString &section, const QString &key, bool defaultValue);
    void WriteBool(const QString &section, const QString &key, bool value);
    int ReadInteger(const QString &section, const QString &key, int defaultValue);
    void WriteInteger(const QString &section, const QString &key, int value);
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue);
    void WriteString(const QString &section, const QString &key, const QString &value);

private:
    ks::ProfileFile &file();
    void save();

    QString m_fileName;
    std::unique_ptr<ks::ProfileFile> m_file;
    bool m_destroying = false;
};
