#pragma once
// The version data of a program file: TKsStringFileInfo reads the file
// version and two texts of any file's version block; ReadFixedFileVersion
// reads the fixed block of the program's own file. Missing or damaged data
// gives empty fields, never an error.

#include <QString>

#include <cstddef>
#include <cstdint>

// The fixed version block, value by value as the file holds it.
struct TVSFixedFileInfo {
    std::uint32_t dwSignature = 0;
    std::uint32_t dwStrucVersion = 0;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = 0;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = 0;
    std::uint32_t dwFileType = 0;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;
};
static_assert(sizeof(TVSFixedFileInfo) == 52);

class TKsStringFileInfo {
public:
    // Reads the version block of `fileName`. Without one (or when the file
    // cannot be read) Version, FileDescription and LegalCopyright are empty.
    explicit TKsStringFileInfo(const QString &fileName);

    const QString &FileName() const { return m_fileName; }
    // Four decimal numbers joined by ".", e.g. "1.2.0.10".
    const QString &Version() const { return m_version; }
    // "FileDescription" and "LegalCopyright" of the table "040904E4".
    const QString &FileDescription() const { return m_fileDescription; }
    const QString &LegalCopyright() const { return m_legalCopyright; }

private:
    QString m_fileName;
    QString m_version;
    QString m_fileDescription;
    QString m_legalCopyright;
};

// The fixed version block of the program's own file (the file the program
// was started from); false when it has none.
bool ReadFixedFileVersion(TVSFixedFileInfo &info);

// The file version of a fixed block as four decimal numbers joined by ".".
QString FileVersionText(const TVSFixedFileInfo &info);

namespace ks {

// The program's version as the build knows it ("1.2.0.10"); the version
// block carries the same numbers.
QString programVersion();

// The file ReadFixedFileVersion reads.
QString programFilePath();

// The bytes of candidate blocks that reading the version data of `fileName`
// parses and checksums, all together: at most twice the file's size and two
// largest blocks, however densely markers stand in the file.
std::size_t versionReadingWork(const QString &fileName);

} // namespace ks
