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

// What the search may still read of candidate blocks, their tables parsed
// and their bytes checksummed. A file dense with markers can make candidates
// overlap, each running to a block's largest size; all of them together
// read no more than twice the file and two largest blocks, so reading stays
// linear in the file's size. A real block costs twice its size at most.
class ReadBudget {
public:
    explicit ReadBudget(std::size_t fileSize)
        : m_left(2 * (fileSize + vb::kMaxSize))
    {
    }

    // False, and no more reading, when `bytes` are more than is left.
    bool allows(std::size_t bytes)
    {
        if (bytes > m_left)
            m_exhausted = true;
        return !m_exhausted;
    }
    void spend(std::size_t bytes)
    {
        m_left -= std::min(bytes, m_left);
        m_spent += bytes;
    }
    bool exhausted() const { return m_exhausted; }
    std::size_t spent() const { return m_spent; }

private:
    std::size_t m_left;
    std::size_t m_spent = 0;
    bool m_exhausted = false;
};

// The texts of a table, each ended by a 0 byte; `p` is as far as it read.
struct TableReader {
    const unsigned char *p;
    const unsigned char *end;

    // None when the text runs to the end.
    std::optional<QString> take()
    {
        const unsigned char *stop = std::find(p, end, 0);
        if (stop == end) {
            p = end;
            return std::nullopt;
        }
        QString text = QString::fromUtf8(reinterpret_cast<const char *>(p), stop - p);
        p = stop + 1;
        return text;
    }
};

// The table of a block, read up to its checksum: its name and entries; none
// unless it fills the block exactly.
std::optional<Block> readTable(TableReader &reader)
{
    Block block;
    const std::optional<QString> table = reader.take();
    if (!table)
        return std::nullopt;
    block.table = *table;
    for (;;) {
        const std::optional<QString> name = reader.take();
        if (!name)
            return std::nullopt;
        if (name->isEmpty())
            break;
        const std::optional<QString> value = reader.take();
        if (!value)
            return std::nullopt;
        block.values.insert(*name, *value);
    }
    if (reader.p != reader.end)
        return std::nullopt;
    return block;
}

// The block that starts with a marker at `start`, if it is a whole one. The
// checks that cost nothing come first, the checksum last.
std::optional<Block> blockAt(const unsigned char *start, const unsigned char *fileEnd, ReadBudget &budget)
{
    if (std::size_t(fileEnd - start) < vb::kHeaderSize)
        return std::nullopt;
    const std::size_t size = vb::getUInt32(start + vb::kMarker.size());
    const std::size_t smallest = vb::kHeaderSize + vb::kFixedSize + 2 + vb::kChecksumSize;
    if (size < smallest || size > vb::kMaxSize || size > std::size_t(fileEnd - start))
        return std::nullopt;
    const unsigned char *fixedStart = start + vb::kHeaderSize;
    if (vb::getUInt32(fixedStart) != vb::kFixedSignature || !budget.allows(2 * size))
        return std::nullopt;

    const unsigned char *tableStart = fixedStart + vb::kFixedSize;
    const unsigned char *tableEnd = start + size - vb::kChecksumSize;
    TableReader reader {tableStart, tableEnd};
    std::optional<Block> block = readTable(reader);
    budget.spend(std::size_t(reader.p - tableStart));
    if (!block)
        return std::nullopt;
    budget.spend(size - vb::kChecksumSize);
    if (vb::checksum(start, tableEnd) != vb::getUInt32(tableEnd))
        return std::nullopt;

    std::uint32_t fixed[vb::kFixedValues];
    for (std::size_t i = 0; i < vb::kFixedValues; ++i)
        fixed[i] = vb::getUInt32(fixedStart + 4 * i);
    block->fixed = {fixed[0], fixed[1], fixed[2], fixed[3], fixed[4], fixed[5], fixed[6], fixed[7], fixed[8], fixed[9],
        fixed[10], fixed[11], fixed[12]};
    return block;
}

// The first whole block in the file; none for a file without one, a file
// that cannot be read, or one whose candidates use up the search's budget.
// `work`, when given, is set to the bytes the candidates read.
std::optional<Block> readBlock(const QString &fileName, std::size_t *work = nullptr)
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
    ReadBudget budget {std::size_t(size)};
    std::optional<Block> block;
    const std::boyer_moore_horspool_searcher marker(vb::kMarker.begin(), vb::kMarker.end());
    for (const unsigned char *p = data; p < end && !block && !budget.exhausted();) {
        const unsigned char *found = std::search(p, end, marker);
        if (found == end)
            break;
        block = blockAt(found, end, budget);
        p = found + 1;
    }
    if (work)
        *work = budget.spent();
    return block;
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

std::size_t versionReadingWork(const QString &fileName)
{
    std::size_t work = 0;
    readBlock(fileName, &work);
    return work;
}

} // namespace ks
