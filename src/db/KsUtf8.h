#pragma once
// UTF-8 as SQLite hands it to a function: strict decoding, and the letter
// case functions of the catalogue dialects worked on the bytes directly, with
// a short way for the ASCII text that catalogues mostly hold.

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace ks::utf8 {

// True when every byte is below 0x80.
bool isAscii(std::string_view text);

// The UTF-16 units of valid UTF-8 `text`: one a character, two for one
// beyond U+FFFF; counted without decoding, many bytes at a time.
std::size_t utf16Units(std::string_view text);

// Decodes the character at `at` into `code` and moves `at` past it. False
// (and `at` unchanged) for anything but the shortest form of a Unicode
// scalar value: stray continuation bytes, overlong forms, surrogates, values
// above U+10FFFF, a sequence cut short.
bool decode(std::string_view text, std::size_t &at, char32_t &code);

// The character as SQLite's conversion to UTF-16 gives it: U+FFFE and U+FFFF
// turn into U+FFFD, every other one stays. Text matched in UTF-8 reads so, as
// a pattern or an escape that SQLite hands over in UTF-16 does.
constexpr char32_t asSqliteConverts(char32_t code)
{
    return code == 0xFFFE || code == 0xFFFF ? 0xFFFD : code;
}

// Writes `code` in UTF-8 to `out` (room for four bytes); returns the bytes written.
std::size_t encode(char32_t code, char *out);

// Appends `code` in UTF-8.
void append(std::string &out, char32_t code);

// UTF-16 of `text` written to `out`, which has room for text.size() units;
// returns the units written. None for text that SQLite would convert to
// UTF-16 its own way: anything but valid UTF-8, and U+FFFE and U+FFFF, which
// it turns into U+FFFD. Where this gives a result it is SQLite's.
std::optional<std::size_t> toUtf16(std::string_view text, char16_t *out);

// UPPER or LOWER: every character mapped on its own to its simple upper or
// lower case ("ß" stays "ß"), written to `out`, which has room for twice the
// bytes of `text` (no character grows to more than twice its bytes). Returns
// the bytes written, or none for text that is not valid UTF-8.
std::optional<std::size_t> changeCase(std::string_view text, bool upper, char *out);

// A to Z for a to z (or the other way round) of `text` into `out`, which has
// room for as many bytes. False, with `out` partly written, when a byte of
// `text` is not ASCII.
bool changeAsciiCase(std::string_view text, bool upper, char *out);

// INITCAP: the first letter or digit of every run of letters and digits in
// upper case, the rest of the run in lower case, written to `out` as
// changeCase() writes. Returns the bytes written, or none for invalid UTF-8.
std::optional<std::size_t> initCap(std::string_view text, char *out);

// A to Z for a to z, every other byte unchanged: UPPER of ASCII text.
inline char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

inline char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace ks::utf8

namespace ks {

// UPPER and LOWER of the engines whose catalogues the program reads: every
// letter mapped on its own, non-ASCII letters too, one character for one.
QString changeCase(const QString &text, bool upper);

// INITCAP: the first letter of every word upper case, the others lower case;
// words are runs of letters and digits.
QString initCap(const QString &text);

} // namespace ks
