#pragma once
// The program's version data as the build embeds it in the executable and as
// TKsStringFileInfo finds it again in any file: a marker, the block's size,
// the fixed version block, one string table and a checksum.
//
// Layout, integers little-endian:
//   marker    12 bytes  kMarker
//   size       4        of the whole block, marker to checksum
//   fixed     52        13 unsigned 32-bit values: signature 0xFEEF04BD,
//                       structure version, file version (most and least
//                       significant halves), product version (the same),
//                       flags mask, flags, system, type, subtype, date
//   table               the table's name ("040904E4"), then name and value
//                       of each entry, each text UTF-8 and ended by a 0 byte;
//                       an empty name ends the table
//   checksum   4        FNV-1a of every byte before it
// The marker also stands in the reader's own code; the size, the signature,
// the checksum and a table that ends exactly at the checksum tell the real
// block from any other place the marker happens to appear.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ks::versionblock {

inline constexpr std::array<unsigned char, 12> kMarker {0x7F, 'K', 's', 'V', 'e', 'r', 's', 'i', 'o', 'n', 0x01, 0x00};
inline constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
inline constexpr std::uint32_t kFixedStructureVersion = 0x00010000;
inline constexpr std::size_t kFixedValues = 13;
inline constexpr std::size_t kFixedSize = kFixedValues * 4;
inline constexpr std::size_t kHeaderSize = kMarker.size() + 4;
inline constexpr std::size_t kChecksumSize = 4;
// Nothing the program keeps there comes near; a larger size is no block.
inline constexpr std::size_t kMaxSize = 64 * 1024;

struct Entry {
    std::string_view name;
    std::string_view value;
};

// What a block holds: the file version as four numbers, the table's name
// (language and code page) and its entries.
struct Source {
    std::array<std::uint16_t, 4> version {};
    std::string_view table;
    std::span<const Entry> entries;
};

constexpr std::size_t sizeOf(const Source &source)
{
    std::size_t size = kHeaderSize + kFixedSize + source.table.size() + 1;
    for (const Entry &entry : source.entries)
        size += entry.name.size() + 1 + entry.value.size() + 1;
    return size + 1 + kChecksumSize;
}

constexpr std::uint32_t checksum(const unsigned char *begin, const unsigned char *end)
{
    std::uint32_t hash = 0x811C9DC5;
    for (const unsigned char *p = begin; p != end; ++p) {
        hash ^= *p;
        hash *= 0x01000193;
    }
    return hash;
}

constexpr void putUInt32(unsigned char *out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

constexpr std::uint32_t getUInt32(const unsigned char *in)
{
    return std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 | std::uint32_t(in[3]) << 24;
}

// Writes the block of `source` to `out`, which holds sizeOf(source) bytes.
constexpr void encodeInto(const Source &source, unsigned char *out)
{
    const std::size_t size = sizeOf(source);
    unsigned char *p = out;
    for (const unsigned char byte : kMarker)
        *p++ = byte;
    putUInt32(p, static_cast<std::uint32_t>(size));
    p += 4;
    const std::uint32_t fileMs = std::uint32_t(source.version[0]) << 16 | source.version[1];
    const std::uint32_t fileLs = std::uint32_t(source.version[2]) << 16 | source.version[3];
    const std::array<std::uint32_t, kFixedValues> fixed {
        kFixedSignature, kFixedStructureVersion, fileMs, fileLs, fileMs, fileLs, 0x3F, 0, 0x40004, 1, 0, 0, 0};
    for (const std::uint32_t value : fixed) {
        putUInt32(p, value);
        p += 4;
    }
    const auto putText = [&p](std::string_view text) {
        for (const char c : text)
            *p++ = static_cast<unsigned char>(c);
        *p++ = 0;
    };
    putText(source.table);
    for (const Entry &entry : source.entries) {
        putText(entry.name);
        putText(entry.value);
    }
    *p++ = 0;
    putUInt32(p, checksum(out, p));
}

// The block of `source` as an array, for data built in at compile time.
template <std::size_t Size> consteval std::array<unsigned char, Size> encoded(const Source &source)
{
    std::array<unsigned char, Size> block {};
    encodeInto(source, block.data());
    return block;
}

} // namespace ks::versionblock
