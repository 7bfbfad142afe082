#pragma once
// A profile file: sections in square brackets followed by lines of a key, "="
// and a value. Names ignore letter case, a read strips one pair of enclosing
// quotes and returns at most 2,047 characters, and a write touches only its
// own line. Changes collect in memory until flush() saves them atomically.

#include <QByteArrayList>
#include <QList>
#include <QString>

#include <optional>

namespace ks {

// The integer in a stored text: decimal, or hexadecimal after "0x", "0X" or
// "$", with an optional sign; nothing when the text is not such a number or
// does not fit 32 bits.
std::optional<int> profileInteger(const QString &text);

class ProfileFile {
public:
    // Longest text a read returns.
    static constexpr int kMaxValueLength = 2047;

    // Reads the file when it exists; a missing or unreadable file is empty.
    explicit ProfileFile(const QString &path);

    QString path() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    // The default when the key is missing or its text is no integer.
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    // True for any integer other than 0; the default when missing or unreadable.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    bool sectionExists(const QString &section) const;

    // The value is stored as it is; line breaks in names and values become
    // blanks so that a value can never start a line of its own.
    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void eraseSection(const QString &section);
    void deleteKey(const QString &section, const QString &key);

    bool hasPendingChanges() const { return !m_pending.isEmpty(); }

    // Saves the pending changes: under a lock file, the file on disk is read
    // again, the changes are applied to it in order and the result replaces
    // the file in one step. Raises "Unable to write to %s" when refused; the
    // changes then stay pending.
    void flush();

    // Forgets the pending changes and reads the file again.
    void reload();

private:
    struct Change {
        enum Kind { Write, DeleteKey, EraseSection } kind;
        QString section;
        QString key;
        QString value;
    };

    void apply(const Change &change);
    static void applyTo(QByteArrayList &lines, const Change &change);
    static QByteArrayList load(const QString &path, QByteArray *eol);

    QString m_path;
    QByteArrayList m_lines; // raw lines, so that lines we do not change keep every byte
    QByteArray m_eol;
    QList<Change> m_pending;
};

} // namespace ks
