// The UTF-8 letter-case functions the catalogue dialects register: strict
// decoding, and results equal to the text functions on QString for every
// character there is, so the short ways through the bytes change no result.

#include "db/KsUtf8.h"

#include <QTest>

#include <optional>
#include <string>
#include <vector>

namespace {

std::string bytes(const QByteArray &data)
{
    return std::string(data.constData(), size_t(data.size()));
}

// Runs one of the buffer-writing functions with exactly the room it promises
// to need, so that writing past it shows under the address sanitizer.
template <typename Function> std::optional<std::string> written(const std::string &text, Function function)
{
    std::vector<char> out(2 * text.size());
    const std::optional<size_t> size = function(text, out.data());
    if (!size)
        return std::nullopt;
    return std::string(out.data(), *size);
}

std::optional<std::string> upper(const std::string &text)
{
    return written(text, [](std::string_view in, char *out) { return ks::utf8::changeCase(in, true, out); });
}

std::optional<std::string> lower(const std::string &text)
{
    return written(text, [](std::string_view in, char *out) { return ks::utf8::changeCase(in, false, out); });
}

std::optional<std::string> initCap(const std::string &text)
{
    return written(text, [](std::string_view in, char *out) { return ks::utf8::initCap(in, out); });
}

} // namespace

class TestUtf8Text : public QObject {
    Q_OBJECT

private slots:
    void decodeRefusesAllButTheShortestForm_data();
    void decodeRefusesAllButTheShortestForm();
    void asciiIsFoundAtEveryPosition();
    void caseFunctions_data();
    void caseFunctions();
    void everyCharacterMapsAsTheQStringFunctionsDo();
    void asciiCaseStopsAtTheFirstOtherByte();
};

void TestUtf8Text::decodeRefusesAllButTheShortestForm_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<uint>("code");

    QTest::newRow("ASCII") << QByteArray("A") << true << 0x41u;
    QTest::newRow("NUL") << QByteArray("\0", 1) << true << 0u;
    QTest::newRow("two bytes") << QByteArray("\xC3\xA9") << true << 0xE9u;
    QTest::newRow("three bytes") << QByteArray("\xE2\x82\xAC") << true << 0x20ACu;
    QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x98\x80") << true << 0x1F600u;
    QTest::newRow("last scalar value") << QByteArray("\xF4\x8F\xBF\xBF") << true << 0x10FFFFu;
    QTest::newRow("stray continuation byte") << QByteArray("\x80") << false << 0u;
    QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << false << 0u;
    QTest::newRow("overlong three bytes") << QByteArray("\xE0\x80\xAF") << false << 0u;
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << false << 0u;
    QTest::newRow("above U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << false << 0u;
    QTest::newRow("cut short") << QByteArray("\xE2\x82") << false << 0u;
    QTest::newRow("second byte no continuation") << QByteArray("\xC3\x41") << false << 0u;
    QTest::newRow("five-byte lead") << QByteArray("\xF8\x88\x80\x80\x80") << false << 0u;
    QTest::newRow("byte FF") << QByteArray("\xFF") << false << 0u;
}

void TestUtf8Text::decodeRefusesAllButTheShortestForm()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, valid);
    QFETCH(uint, code);
    const std::string input = bytes(text);
    size_t at = 0;
    char32_t decoded = 0;
    QCOMPARE(ks::utf8::decode(input, at, decoded), valid);
    QCOMPARE(at, valid ? input.size() : size_t(0));
    if (valid) {
        QCOMPARE(uint(decoded), code);
        std::string encoded;
        ks::utf8::append(encoded, decoded);
        QCOMPARE(encoded, input);
    }
}

void TestUtf8Text::asciiIsFoundAtEveryPosition()
{
    // The test looks at blocks of sixteen and eight bytes: a byte of another
    // kind at each place of texts of many lengths must be seen.
    for (size_t length = 0; length < 70; ++length) {
        std::string text(length, 'a');
        QVERIFY(ks::utf8::isAscii(text));
        for (size_t at = 0; at < length; ++at) {
            std::string other = text;
            other[at] = '\x80';
            QVERIFY2(!ks::utf8::isAscii(other), qPrintable(QStringLiteral("length %1, at %2").arg(length).arg(at)));
        }
    }
}

void TestUtf8Text::caseFunctions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("initCap");

    QTest::newRow("empty") << ""
                           << ""
                           << ""
                           << "";
    QTest::newRow("ASCII") << "package BODY_1x"
                           << "PACKAGE BODY_1X"
                           << "package body_1x"
                           << "Package Body_1x";
    QTest::newRow("accents") << "élan ÖL café"
                             << "ÉLAN ÖL CAFÉ"
                             << "élan öl café"
                             << "Élan Öl Café";
    QTest::newRow("sharp s maps to itself") << "straße"
                                            << "STRAßE"
                                            << "straße"
                                            << "Straße";
    QTest::newRow("two-byte letter with a three-byte capital") << "\u0250x"
                                                               << "\u2C6FX"
                                                               << "\u0250x"
                                                               << "\u2C6Fx";
    QTest::newRow("three-byte capital with a two-byte small letter") << "\u2C6F"
                                                                     << "\u2C6F"
                                                                     << "\u0250"
                                                                     << "\u2C6F";
    QTest::newRow("dotless i and long s") << "\u0131\u017f"
                                          << "IS"
                                          << "\u0131\u017f"
                                          << "I\u017f";
    QTest::newRow("letters outside the basic plane") << "\U00010428 \U00010400"
                                                     << "\U00010400 \U00010400"
                                                     << "\U00010428 \U00010428"
                                                     << "\U00010400 \U00010400";
    QTest::newRow("signs delimit words, digits do not") << "€uro 2x-ab"
                                                        << "€URO 2X-AB"
                                                        << "€uro 2x-ab"
                                                        << "€Uro 2x-Ab";
}

void TestUtf8Text::caseFunctions()
{
    QFETCH(QString, text);
    const std::string input = bytes(text.toUtf8());
    const auto asText = [](const std::optional<std::string> &result) {
        return result ? QString::fromUtf8(result->data(), qsizetype(result->size())) : QStringLiteral("<invalid>");
    };
    QTEST(asText(upper(input)), "upper");
    QTEST(asText(lower(input)), "lower");
    QTEST(asText(initCap(input)), "initCap");
    // The QString functions the dialect falls back on agree.
    QTEST(ks::changeCase(text, true), "upper");
    QTEST(ks::changeCase(text, false), "lower");
    QTEST(ks::initCap(text), "initCap");
}

void TestUtf8Text::everyCharacterMapsAsTheQStringFunctionsDo()
{
    // Each character between two ASCII letters, so that the ASCII run before
    // it, the character and the run after it all pass through the functions;
    // a block of characters to a text keeps the test quick.
    constexpr char32_t Block = 256;
    int mismatches = 0;
    QString firstMismatch;
    for (char32_t start = 0x80; start <= 0x10FFFF; start += Block) {
        QString text;
        for (char32_t code = start; code < start + Block && code <= 0x10FFFF; ++code) {
            if (code >= 0xD800 && code <= 0xDFFF)
                continue;
            text += u'a' + QString::fromUcs4(&code, 1) + u'B';
        }
        const std::string input = bytes(text.toUtf8());
        const std::optional<std::string> up = upper(input);
        const std::optional<std::string> down = lower(input);
        const std::optional<std::string> capital = initCap(input);
        const bool agree = up && down && capital && *up == bytes(ks::changeCase(text, true).toUtf8())
            && *down == bytes(ks::changeCase(text, false).toUtf8()) && *capital == bytes(ks::initCap(text).toUtf8());
        if (!agree && mismatches++ == 0)
            firstMismatch = QString::number(uint(start), 16);
    }
    QVERIFY2(mismatches == 0,
        qPrintable(QStringLiteral("%1 blocks differ, the first from U+%2").arg(mismatches).arg(firstMismatch)));
}

void TestUtf8Text::asciiCaseStopsAtTheFirstOtherByte()
{
    std::vector<char> out(32);
    QVERIFY(ks::utf8::changeAsciiCase("Emp_No 1", true, out.data()));
    QCOMPARE(std::string(out.data(), 8), std::string("EMP_NO 1"));
    QVERIFY(ks::utf8::changeAsciiCase("Emp_No 1", false, out.data()));
    QCOMPARE(std::string(out.data(), 8), std::string("emp_no 1"));
    QVERIFY(!ks::utf8::changeAsciiCase("caf\xC3\xA9", true, out.data()));
    // Letters next to a to z in the code table stay as they are.
    QVERIFY(ks::utf8::changeAsciiCase("@[`{", true, out.data()));
    QCOMPARE(std::string(out.data(), 4), std::string("@[`{"));
    QVERIFY(ks::utf8::changeAsciiCase("@[`{", false, out.data()));
    QCOMPARE(std::string(out.data(), 4), std::string("@[`{"));
}

QTEST_APPLESS_MAIN(TestUtf8Text)
#include "tst_utf8text.moc"
