#pragma once
// Helpers of the settings tests: a configuration directory of their own,
// stored files read back as text, and places where no file can be written.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace ks::test {

// Points the user's configuration directory ($XDG_CONFIG_HOME) at a fresh
// temporary directory for the life of the object.
class ConfigHome {
public:
    ConfigHome()
        : m_hadPrevious(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        , m_previous(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    }
    ~ConfigHome()
    {
        if (m_hadPrevious)
            qputenv("XDG_CONFIG_HOME", m_previous);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    ConfigHome(const ConfigHome &) = delete;
    ConfigHome &operator=(const ConfigHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.filePath(relative); }

    // Makes the configuration directory a place below a plain file, where
    // nothing can be created whatever the user's rights.
    void makeUnwritable()
    {
        QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker.fileName() + QStringLiteral("/config")));
    }

private:
    QTemporaryDir m_dir;
    bool m_hadPrevious;
    QByteArray m_previous;
};

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The values of one section of a stored file, read as plain text: profile
// files as they stand, QSettings files with their escapes undone (names are
// percent-encoded, texts with a comma are quoted, "\\" is doubled).
inline QMap<QString, QString> sectionValues(const QString &path, const QString &section)
{
    QMap<QString, QString> values;
    bool inSection = false;
    const QList<QByteArray> lines = fileBytes(path).split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inSection = QString::fromUtf8(line.mid(1, line.indexOf(']') - 1)) == section;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inSection || equals < 0)
            continue;
        const bool conf = path.endsWith(QStringLiteral(".conf"));
        QByteArray name = line.left(equals);
        QByteArray text = line.mid(equals + 1);
        if (conf) {
            name = QByteArray::fromPercentEncoding(name);
            if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"'))
                text = text.mid(1, text.size() - 2);
            text.replace("\\\\", "\\");
        }
        values.insert(QString::fromUtf8(name), QString::fromUtf8(text));
    }
    return values;
}

inline bool runningAsRoot()
{
    return geteuid() == 0;
}

} // namespace ks::test
