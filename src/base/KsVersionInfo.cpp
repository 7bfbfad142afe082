#include "base/KsVersionInfo.h"

#include "base/KsVersionBlock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

namespace vb = ks::versionblock;

// The build gives the version numbers from the project's version.
constexpr std::uint16_t kVersion[4]
    = {QUILLMERE_VERSION_MAJOR, QUILLMERE_VERSION_MINOR, QUILLMERE_VERSION_PATCH, QUILLMERE_VERSION_TWEAK};

constexpr vb::Entry kEntries[] = {
    {"FileDescription", "quillmere"},
    {"LegalCopyright", "Copyright \xC2\xA9 Kestrin"},
};

constexpr vb::Source kSource {{kVersion[0], kVersion[1], kVersion[2], kVersion[3]}, "040904E4", kEntries};

// The block itself, kept in the program file even though no code reads it
// from memory: it is found by reading the file.
[[gnu::used]] constexpr auto kVersionBlock = vb::encoded<vb::sizeOf(kSource)>(kSource);

const QString kTable = QStringLiteral("040904E4");

struct Block {
    TVSFixedFileInfo fixed;
    QString table;
    QHash<QString, QString> values;
};

// The text ended by a 0 byte at `p`, moving `p` past it; none when the
// text runs to `end`.
std::optional<QString> takeText(const unsigned char *&p, const unsigned char *end)
{
    const unsigned char *stop = std::find(p, end, 0);
    if (stop == end)
        return std::nullopt;
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(p), stop - p);
    p = stop + 1;
    return text;
}

// The block that starts with a marker at `start`, if it is a whole one.
std::optional<Block> blockAt(const unsigned char *start, const unsigned char *fileEnd)
{
    if (std::size_t(fileEnd - start) < vb::kHeaderSize)
        return std::nullopt;
    const std::size_t size = vb::getUInt32(start + vb::kMarker.size());
    const std::size_t smallest = vb::kHeaderSize + vb::kFixedSize + 2 + vb::kChecksumSize;
    if (size < smallest || size > vb::kMaxSize || size > std::size_t(fileEnd - start))
        return std::nullopt;
    const unsigned char *tableEnd = start + size - vb::kChecksumSize;
    if (vb::checksum(start, tableEnd) != vb::getUInt32(tableEnd))
        return std::nullopt;

    Block block;
    std::uint32_t fixed[vb::kFixedValues];
    const unsigned char *p = start + vb::kHeaderSize;
    for (std::uint32_t &value : fixed) {
        value = vb::getUInt32(p);
        p += 4;
    }
    if (fixed[0] != vb::kFixedSignature)
        return std::nullopt;
    block.fixed = {fixed[0], fixed[1], fixed[2], fixed[3], fixed[4], fixed[5], fixed[6], fixed[7], fixed[8], fixed[9],
        fixed[10], fixed[11], fixed[12]};

    const std::optional<QString> table = takeText(p, tableEnd);
    if (!table)
        return std::nullopt;
    block.table = *table;
    for (;;) {
        const std::optional<QString> name = takeText(p, tableEnd);
        if (!name)
            return std::nullopt;
        if (name->isEmpty())
            break;
        const std::optional<QString> value = takeText(p, tableEnd);
        if (!value)
            return std::nullopt;
        block.values.insert(*name, *value);
    }
    // The table fills the block exactly.
    if (p != tableEnd)
        return std::nullopt;
    return block;
}

// The first whole block in the file; none for a file without one or a file
// that cannot be read.
std::optional<Block> readBlock(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile())
        return std::nullopt;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return std::nullopt;
    QByteArray read;
    const uchar *data = file.map(0, file.size());
    qint64 size = file.size();
    if (!data) {
        read = file.readAll();
        data = reinterpret_cast<const uchar *>(read.constData());
        size = read.size();
    }
    const unsigned char *end = data + size;
    const std::boyer_moore_horspool_searcher marker(vb::kMarker.begin(), vb::kMarker.end());
    for (const unsigned char *p = data; p < end;) {
        const unsigned char *found = std::search(p, end, marker);
        if (found == end)
            break;
        if (std::optional<Block> block = blockAt(found, end))
            return block;
        p = found + 1;
    }
    return std::nullopt;
}

} // namespace

TKsStringFileInfo::TKsStringFileInfo(const QString &fileName)
    : m_fileName(fileName)
{
    const std::optional<Block> block = readBlock(fileName);
    if (!block)
        return;
    m_version = FileVersionText(block->fixed);
    if (block->table == kTable) {
        m_fileDescription = block->values.value(QStringLiteral("FileDescription"));
        m_legalCopyright = block->values.value(QStringLiteral("LegalCopyright"));
    }
}

bool ReadFixedFileVersion(TVSFixedFileInfo &info)
{
    const std::optional<Block> block = readBlock(ks::programFilePath());
    if (!block)
        return false;
    info = block->fixed;
    return true;
}

QString FileVersionText(const TVSFixedFileInfo &info)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(info.dwFileVersionMS >> 16)
        .arg(info.dwFileVersionMS & 0xFFFF)
        .arg(info.dwFileVersionLS >> 16)
        .arg(info.dwFileVersionLS & 0xFFFF);
}

namespace ks {

QString programVersion()
{
    return QStringLiteral("%1.%2.%3.%4").arg(kVersion[0]).arg(kVersion[1]).arg(kVersion[2]).arg(kVersion[3]);
}

QString programFilePath()
{
    return QCoreApplication::applicationFilePath();
}

} // namespace ks
