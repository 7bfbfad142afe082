#include "settings/TolmIniFile.h"

#include "settings/KsProfileFile.h"
#include "settings/KsSettingsNames.h"

#include <QFileInfo>

TTolmIniFile::TTolmIniFile(QObject *parent)
    : QObject(parent)
{
}

TTolmIniFile::~TTolmIniFile()
{
    m_destroying = true;
    if (!m_file)
        return;
    try {
        m_file->flush();
    } catch (...) {
        // Every write was saved when it was made; nothing is lost here.
    }
}

QString TTolmIniFile::FileName() const
{
    if (m_fileName.isEmpty())
        return m_destroying ? QString() : ks::programName() + QStringLiteral(".ini");
    if (QFileInfo(m_fileName).suffix().isEmpty())
        return m_fileName + QStringLiteral(".ini");
    return m_fileName;
}

void TTolmIniFile::setFileName(const QString &fileName)
{
    m_fileName = fileName;
}

QString TTolmIniFile::openedPath() const
{
    return m_file ? m_file->path() : QString();
}

ks::ProfileFile &TTolmIniFile::file()
{
    if (!m_file)
        m_file = std::make_unique<ks::ProfileFile>(ks::profileFilePath(FileName()));
    return *m_file;
}

void TTolmIniFile::save()
{
    try {
        m_file->flush();
    } catch (...) {
        // A refused write leaves the file as it was, also for later writes.
        m_file->reload();
        throw;
    }
}

bool TTolmIniFile::ReadBool(const QString &section, const QString &key, bool defaultValue)
{
    return file().readBool(section, key, defaultValue);
}

void TTolmIniFile::WriteBool(const QString &section, const QString &key, bool value)
{
    file().writeBool(section, key, value);
    save();
}

int TTolmIniFile::ReadInteger(const QString &section, const QString &key, int defaultValue)
{
    return file().readInteger(section, key, defaultValue);
}

void TTolmIniFile::WriteInteger(const QString &section, const QString &key, int value)
{
    file().writeInteger(section, key, value);
    save();
}

QString TTolmIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue)
{
    return file().readString(section, key, defaultValue);
}

void TTolmIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    file().writeString(section, key, value);
    save();
}
