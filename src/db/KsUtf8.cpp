#include "db/KsUtf8.h"

#include <QChar>

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace ks::utf8 {

bool isAscii(std::string_view text)
{
    const char *p = text.data();
    std::size_t n = text.size();
#ifdef __SSE2__
    // Sixteen bytes at a time: the high bits of a block in one mask.
    for (; n >= 16; p += 16, n -= 16) {
        if (_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p))) != 0)
            return false;
    }
#endif
    // Eight bytes at a time: any high bit in the word is a non-ASCII byte.
    while (n >= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
        p += 8;
        n -= 8;
    }
    for (; n > 0; --n, ++p) {
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    }
    return true;
}

std::size_t utf16Units(std::string_view text)
{
    const char *p = text.data();
    std::size_t n = text.size();
    std::size_t units = 0;
#ifdef __SSE2__
    // Sixteen bytes at a time, read as signed: a continuation byte (0x80 to
    // 0xBF) is below -64, a lead byte of four (0xF0 and up) above -17 and
    // below 0.
    const __m128i belowContinuation = _mm_set1_epi8(-65);
    const __m128i belowFourLead = _mm_set1_epi8(-17);
    const __m128i zero = _mm_setzero_si128();
    for (; n >= 16; p += 16, n -= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const int starts = _mm_movemask_epi8(_mm_cmpgt_epi8(block, belowContinuation));
        const int fourLeads
            = _mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(block, belowFourLead), _mm_cmplt_epi8(block, zero)));
        units += std::size_t(__builtin_popcount(unsigned(starts)) + __builtin_popcount(unsigned(fourLeads)));
    }
#endif
    for (; n > 0; --n, ++p) {
        const auto byte = static_cast<unsigned char>(*p);
        units += ((byte & 0xC0) != 0x80 ? 1 : 0) + (byte >= 0xF0 ? 1 : 0);
    }
    return units;
}

bool decode(std::string_view text, std::size_t &at, char32_t &code)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
        code = lead;
        ++at;
        return true;
    }
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1F;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0F;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07;
        smallest = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at < length)
        return false;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = byte(at + k);
        if ((next & 0xC0) != 0x80)
            return false;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return false;
    code = value;
    at += length;
    return true;
}

std::size_t encode(char32_t code, char *out)
{
    if (code < 0x80) {
        out[0] = char(code);
        return 1;
    }
    if (code < 0x800) {
        out[0] = char(0xC0 | (code >> 6));
        out[1] = char(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        out[0] = char(0xE0 | (code >> 12));
        out[1] = char(0x80 | ((code >> 6) & 0x3F));
        out[2] = char(0x80 | (code & 0x3F));
        return 3;
    }
    out[0] = char(0xF0 | (code >> 18));
    out[1] = char(0x80 | ((code >> 12) & 0x3F));
    out[2] = char(0x80 | ((code >> 6) & 0x3F));
    out[3] = char(0x80 | (code & 0x3F));
    return 4;
}

void append(std::string &out, char32_t code)
{
    char bytes[4];
    out.append(bytes, encode(code, bytes));
}

std::optional<std::size_t> toUtf16(std::string_view text, char16_t *out)
{
    char16_t *const begin = out;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            *out++ = lead;
            ++at;
            continue;
        }
        char32_t code = 0;
        if (!decode(text, at, code) || code == 0xFFFE || code == 0xFFFF)
            return std::nullopt;
        if (code < 0x10000) {
            *out++ = char16_t(code);
        } else {
            *out++ = char16_t(0xD800 + ((code - 0x10000) >> 10));
            *out++ = char16_t(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    return std::size_t(out - begin);
}

namespace {

template <bool Upper> bool mapAscii(std::string_view text, char *out)
{
    // One pass that the compiler can widen: every byte mapped, the high bits
    // gathered and looked at once at the end.
    unsigned char seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        seen |= c;
        if constexpr (Upper)
            out[i] = char(static_cast<unsigned char>(c - 'a') < 26 ? c - ('a' - 'A') : c);
        else
            out[i] = char(static_cast<unsigned char>(c - 'A') < 26 ? c + ('a' - 'A') : c);
    }
    return seen < 0x80;
}

} // namespace

bool changeAsciiCase(std::string_view text, bool upper, char *out)
{
    return upper ? mapAscii<true>(text, out) : mapAscii<false>(text, out);
}

std::optional<std::size_t> changeCase(std::string_view text, bool upper, char *out)
{
    std::size_t written = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (static_cast<unsigned char>(c) < 0x80) {
            out[written++] = upper ? asciiUpper(c) : asciiLower(c);
            ++at;
            continue;
        }
        char32_t code = 0;
        if (!decode(text, at, code))
            return std::nullopt;
        written += encode(upper ? QChar::toUpper(code) : QChar::toLower(code), out + written);
    }
    return written;
}

std::optional<std::size_t> initCap(std::string_view text, char *out)
{
    std::size_t written = 0;
    bool inWord = false;
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (static_cast<unsigned char>(c) < 0x80) {
            const bool word = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
            out[written++] = !word ? c : inWord ? asciiLower(c) : asciiUpper(c);
            inWord = word;
            ++at;
            continue;
        }
        char32_t code = 0;
        if (!decode(text, at, code))
            return std::nullopt;
        const bool word = QChar::isLetterOrNumber(code);
        written += encode(!word ? code : inWord ? QChar::toLower(code) : QChar::toUpper(code), out + written);
        inWord = word;
    }
    return written;
}

} // namespace ks::utf8

namespace ks {

namespace {

// Calls `visit(codePoint)` for each character, surrogate pairs whole.
template <typename Visit> void forEachCharacter(QStringView text, Visit visit)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            visit(QChar::surrogateToUcs4(text.at(i), text.at(i + 1)));
            ++i;
        } else {
            visit(char32_t(text.at(i).unicode()));
        }
    }
}

void appendCharacter(QString &text, char32_t code)
{
    if (QChar::requiresSurrogates(code)) {
        text += QChar(QChar::highSurrogate(code));
        text += QChar(QChar::lowSurrogate(code));
    } else {
        text += QChar(char16_t(code));
    }
}

} // namespace

QString changeCase(const QString &text, bool upper)
{
    // One character for one, as both servers map letters: "ß" stays "ß"
    // where QString::toUpper() would write "SS". ASCII, mapped in place,
    // goes first; the rest of the text from its first other character on.
    QString result(text.size(), Qt::Uninitialized);
    const QChar *in = text.constData();
    QChar *out = result.data();
    qsizetype i = 0;
    for (; i < text.size() && in[i].unicode() < 0x80; ++i) {
        const char16_t c = in[i].unicode();
        out[i] = QChar(upper ? (c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c)
                             : (c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c));
    }
    if (i == text.size())
        return result;
    result.truncate(i);
    forEachCharacter(QStringView(text).sliced(i),
        [&](char32_t code) { appendCharacter(result, upper ? QChar::toUpper(code) : QChar::toLower(code)); });
    return result;
}

QString initCap(const QString &text)
{
    QString result;
    result.reserve(text.size());
    bool inWord = false;
    forEachCharacter(text, [&](char32_t code) {
        const bool wordCharacter = QChar::isLetterOrNumber(code);
        appendCharacter(result, !wordCharacter ? code : inWord ? QChar::toLower(code) : QChar::toUpper(code));
        inWord = wordCharacter;
    });
    return result;
}

} // namespace ks
