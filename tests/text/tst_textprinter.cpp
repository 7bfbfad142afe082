// Page layout of the printer's text stream, measured with real fonts at a
// printer-like resolution; painting is checked on an image and a PDF file.

#include "base/KsStrings.h"
#include "support/TestFonts.h"
#include "text/KsTextPrinter.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr int kDotsPerInch = 300;

struct Piece {
    int page = 0;
    QPointF topLeft;
    QString text;
    QFont font;
};

class RecordingTarget final : public ks::KsTextPageTarget {
public:
    QList<Piece> pieces;
    int pages = 0; // pages started after the first

    void newPage() override { ++pages; }
    void drawText(const QPointF &topLeft, const QString &text, const QFont &font, const QFontMetricsF &) override
    {
        pieces << Piece {pages, topLeft, text, font};
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Piece &piece : pieces)
            result << piece.text;
        return result;
    }
};

QImage printerLikeDevice()
{
    QImage image(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(kDotsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

int pdfPageCount(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString content = QString::fromLatin1(file.readAll());
    return int(content.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

} // namespace

class TestTextPrinter : public QObject {
    Q_OBJECT

private:
    QImage m_device = printerLikeDevice();
    QFont m_font = ks::courierNew10();
    QFontMetricsF m_metrics {m_font, &m_device};
    qreal m_charWidth = 0; // advance of one character of the fixed-pitch font
    qreal m_lineHeight = 0; // a line of text: font height plus 2

    // A page `columns` characters wide (plus half a character) and `lines`
    // text lines high.
    QSizeF page(qreal columns, qreal lines = 1000) const
    {
        return {columns * m_charWidth + m_charWidth / 2, lines * m_lineHeight};
    }

private slots:
    void initTestCase()
    {
        // The layout below counts characters, which holds only where every
        // character, regular or bold, is equally wide on the printer.
        QFont bold = m_font;
        bold.setBold(true);
        for (const QFont &font : {m_font, bold}) {
            const QString uneven = ks::test::unevenAdvances(font, &m_device);
            QVERIFY2(uneven.isEmpty(), qPrintable(uneven));
        }
        m_charWidth = m_metrics.horizontalAdvance(QLatin1Char('x'));
        m_lineHeight = m_metrics.height() + 2;
        QVERIFY(m_charWidth > 10); // 10 pt at 300 dpi is some 25 units wide
    }

    void startsAtTopLeftCorner()
    {
        RecordingTarget target;
        ks::KsTextPrinter printer(target, page(80), &m_device);
        printer.writeLine(QStringLiteral("select * from dual"));
        QCOMPARE(target.pieces.size(), 1);
        QCOMPARE(target.pieces[0].topLeft, QPointF(0, 0));
        QCOMPARE(target.pieces[0].text, QStringLiteral("select * from dual"));
        QCOMPARE(printer.position(), QPointF(0, m_lineHeight));
    }

    void breaksOverlongLines_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("prefix"); // written before, on the same line
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("pieces");

        QTest::newRow("fits exactly") << 10 << QString() << "0123456789" << QStringList {"0123456789"};
        QTest::newRow("one character too many") << 10 << QString() << "0123456789A" << QStringList {"0123456789", "A"};
        QTest::newRow("three rows, inside words") << 10 << QString() << "create or replace view emp_v"
                                                  << QStringList {"create or ", "replace vi", "ew emp_v"};
        QTest::newRow("the rest of a line after earlier text")
            << 10 << "abcd"
            << "efghijklmn" << QStringList {"abcd", "efghij", "klmn"};
        QTest::newRow("nothing fits after earlier text") << 4 << "abcd"
                                                         << "ef" << QStringList {"abcd", "ef"};
        QTest::newRow("page narrower than one character") << 0 << QString() << "abc" << QStringList {"a", "b", "c"};
    }

    void breaksOverlongLines()
    {
        QFETCH(int, columns);
        QFETCH(QString, prefix);
        QFETCH(QString, line);
        QFETCH(QStringList, pieces);

        RecordingTarget target;
        const QSizeF size = columns == 0 ? QSizeF(m_charWidth / 2, 1000 * m_lineHeight) : page(columns);
        ks::KsTextPrinter printer(target, size, &m_device);
        printer.write(prefix);
        printer.writeLine(line);
        QCOMPARE(target.texts(), pieces);
        // Each continuation starts a line of its own at the left edge.
        for (qsizetype i = 1; i < target.pieces.size(); ++i) {
            const Piece &piece = target.pieces[i];
            if (i == 1 && !prefix.isEmpty() && piece.topLeft.y() == 0) {
                QCOMPARE(piece.topLeft.x(), m_metrics.horizontalAdvance(prefix));
                continue;
            }
            QCOMPARE(piece.topLeft.x(), 0.0);
            QVERIFY(piece.topLeft.y() > target.pieces[i - 1].topLeft.y());
        }
    }

    void breaksAtLastFittingCharacterOfProportionalFont()
    {
        QFont font(QStringLiteral("DejaVu Sans"), 10);
        const QFontMetricsF metrics(font, &m_device);
        const QString line = QStringLiteral("Will it break where it should? iiiii WWWWW lllll MMMMM "
                                            "and then some more text to fill several rows");
        const qreal width = 17 * metrics.averageCharWidth();
        RecordingTarget target;
        ks::KsTextPrinter printer(target, QSizeF(width, 1000 * m_lineHeight), &m_device);
        printer.setFont(font);
        printer.writeLine(line);

        QVERIFY(target.pieces.size() > 3);
        QCOMPARE(target.texts().join(QString()), line);
        qsizetype used = 0;
        for (const Piece &piece : std::as_const(target.pieces)) {
            used += piece.text.size();
            QVERIFY2(metrics.horizontalAdvance(piece.text) <= width, qPrintable(piece.text));
            if (used < line.size()) {
                const QString oneMore = piece.text + line.at(used);
                QVERIFY2(metrics.horizontalAdvance(oneMore) > width, qPrintable(oneMore));
            }
        }
    }

    void lineHeights()
    {
        RecordingTarget target;
        ks::KsTextPrinter printer(target, page(80), &m_device);
        printer.writeLine(QStringLiteral("text"));
        QCOMPARE(printer.position().y(), m_metrics.height() + 2);
        // An empty line takes the height of the font, without the extra 2.
        printer.writeLine(QString());
        QCOMPARE(printer.position().y(), 2 * m_metrics.height() + 2);

        // The tallest piece of a line decides its height.
        QFont big = m_font;
        big.setPointSize(20);
        const QFontMetricsF bigMetrics(big, &m_device);
        printer.write(QStringLiteral("small "));
        printer.setFont(big);
        printer.write(QStringLiteral("BIG"));
        printer.setFont(m_font);
        printer.writeLine(QStringLiteral(" small"));
        QCOMPARE(printer.position().y(), 2 * m_metrics.height() + 2 + bigMetrics.height() + 2);
    }

    void startsNewPageWhenLessThanTwoLinesAreLeft()
    {
        // With 10.5 lines of room a page takes 9 lines: after the ninth, y
        // lies lower than the page height less two line heights.
        RecordingTarget target;
        ks::KsTextPrinter printer(target, page(80, 10.5), &m_device);
        for (int i = 0; i < 20; ++i)
            printer.writeLine(QStringLiteral("line %1").arg(i));

        QCOMPARE(target.pieces.size(), 20);
        for (int i = 0; i < 20; ++i) {
            const Piece &piece = target.pieces[i];
            QCOMPARE(piece.page, i / 9);
            QCOMPARE(piece.topLeft, QPointF(0, (i % 9) * m_lineHeight));
        }
        QCOMPARE(target.pages, 2);
    }

    void noEmptyPageAfterTheLastLine()
    {
        RecordingTarget target;
        ks::KsTextPrinter printer(target, page(80, 10.5), &m_device);
        for (int i = 0; i < 9; ++i)
            printer.writeLine(QStringLiteral("line %1").arg(i));
        // The layout has moved on to the next page, the device has not.
        QCOMPARE(printer.page(), 1);
        QCOMPARE(target.pages, 0);
        QCOMPARE(printer.pagesUsed(), 1);

        printer.writeLine(QString()); // empty lines draw nothing
        QCOMPARE(target.pages, 0);
        printer.writeLine(QStringLiteral("more"));
        QCOMPARE(target.pages, 1);
        QCOMPARE(target.pieces.last().topLeft, QPointF(0, m_metrics.height()));
    }

    void controlCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<QList<int>>("pages");
        // Where each piece starts: x in characters, y in lines.
        QTest::addColumn<QList<QPointF>>("places");

        QTest::newRow("form feed in the middle of a line")
            << "ab\fcd" << QStringList {"ab", "cd"} << QList<int> {0, 1} << QList<QPointF> {{0, 0}, {0, 0}};
        QTest::newRow("two form feeds leave a blank page")
            << "ab\f\fcd" << QStringList {"ab", "cd"} << QList<int> {0, 2} << QList<QPointF> {{0, 0}, {0, 0}};
        QTest::newRow("form feed at the start")
            << "\fab" << QStringList {"ab"} << QList<int> {1} << QList<QPointF> {{0, 0}};
        QTest::newRow("form feed after a finished line")
            << "ab\n\fcd" << QStringList {"ab", "cd"} << QList<int> {0, 1} << QList<QPointF> {{0, 0}, {0, 0}};
        QTest::newRow("carriage return is ignored")
            << "ab\rcd" << QStringList {"ab", "cd"} << QList<int> {0, 0} << QList<QPointF> {{0, 0}, {2, 0}};
        QTest::newRow("CR LF ends the line once")
            << "ab\r\ncd" << QStringList {"ab", "cd"} << QList<int> {0, 0} << QList<QPointF> {{0, 0}, {0, 1}};
    }

    void controlCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, pieces);
        QFETCH(QList<int>, pages);
        QFETCH(QList<QPointF>, places);

        RecordingTarget target;
        ks::KsTextPrinter printer(target, page(80), &m_device);
        printer.writeLine(text);
        QCOMPARE(target.texts(), pieces);
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            QCOMPARE(target.pieces[i].page, pages[i]);
            QCOMPARE(target.pieces[i].topLeft, QPointF(places[i].x() * m_charWidth, places[i].y() * m_lineHeight));
        }
        QCOMPARE(target.pages, pages.last());
    }

    void tabsMoveToStopsOfEightAverageCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("stop"); // in average character widths

        QTest::newRow("from the start") << "\tX" << 8.0;
        QTest::newRow("from inside the first stop") << "1234567\tX" << 8.0;
        QTest::newRow("a stop right here is skipped") << "12345678\tX" << 16.0;
        QTest::newRow("two tabs") << "\t\tX" << 16.0;
        QTest::newRow("after a tab and text") << "\tab\tX" << 16.0;
    }

    void tabsMoveToStopsOfEightAverageCharacters()
    {
        QFETCH(QString, text);
        QFETCH(qreal, stop);

        // The test's texts land on tab stops only if character advance and
        // average width agree closely, as they do in a fixed-pitch font.
        const qreal average = m_metrics.averageCharWidth();
        QVERIFY(std::abs(8 * m_charWidth - 8 * average) < 2);

        RecordingTarget target;
        ks::KsTextPrinter printer(target, page(80), &m_device);
        printer.writeLine(text);
        QCOMPARE(target.pieces.last().text, QStringLiteral("X"));
        QCOMPARE(target.pieces.last().topLeft, QPointF(stop * average, 0));
    }

    void tabPastThePageWidthStartsNewLine()
    {
        RecordingTarget target;
        ks::KsTextPrinter printer(target, page(12), &m_device);
        printer.writeLine(QStringLiteral("123456789\tX"));
        QCOMPARE(target.texts(), (QStringList {"123456789", "X"}));
        QCOMPARE(target.pieces.last().topLeft, QPointF(0, m_lineHeight));
    }

    void paintsTextFromTheCorner()
    {
        QImage image(400, 200, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            ks::KsPainterPageTarget target(painter, nullptr);
            ks::KsTextPrinter printer(target, QSizeF(image.size()), &image);
            printer.writeLine(QStringLiteral("HHHHHHHH"));
        }
        const QFontMetricsF metrics(m_font, &image);
        int top = image.height();
        int left = image.width();
        int bottom = -1;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) < 128) {
                    top = std::min(top, y);
                    left = std::min(left, x);
                    bottom = std::max(bottom, y);
                }
            }
        }
        QVERIFY2(bottom >= 0, "nothing was painted");
        // The letters stand inside the first line, near the left edge.
        QVERIFY(left < metrics.horizontalAdvance(QLatin1Char('H')));
        QVERIFY(top < metrics.ascent());
        QVERIFY(bottom <= metrics.height());
    }

    void pageBreakWithoutPagedDeviceFails()
    {
        QImage image(100, 100, QImage::Format_RGB32);
        QPainter painter(&image);
        ks::KsPainterPageTarget target(painter, nullptr);
        QVERIFY_THROWS_EXCEPTION(ks::Error, target.newPage());
    }

    void headerIsBoldAndLinesRegular_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<qreal>("firstLineY");

        QTest::newRow("with a caption") << "HR.EMP_V" << m_lineHeight;
        // The viewer window leaves the caption empty: an empty first line.
        QTest::newRow("without caption") << "" << m_metrics.height();
    }

    void headerIsBoldAndLinesRegular()
    {
        QFETCH(QString, header);
        QFETCH(qreal, firstLineY);

        RecordingTarget target;
        ks::KsTextPrinter printer(target, page(80), &m_device);
        ks::writeTextLines(printer, header, {QStringLiteral("select *"), QStringLiteral("from emp")});

        QStringList expected {QStringLiteral("select *"), QStringLiteral("from emp")};
        if (!header.isEmpty())
            expected.prepend(header);
        QCOMPARE(target.texts(), expected);
        for (const Piece &piece : std::as_const(target.pieces)) {
            QCOMPARE(piece.font.pointSize(), 10);
            QCOMPARE(piece.font.bold(), piece.text == header);
            const QString uneven = ks::test::unevenAdvances(piece.font, &m_device);
            QVERIFY2(uneven.isEmpty(), qPrintable(uneven));
        }
        const qsizetype first = header.isEmpty() ? 0 : 1;
        QCOMPARE(target.pieces[first].topLeft.y(), firstLineY);
    }

    void printsHeaderAndLinesOnPdfPages()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString fileName = dir.filePath(QStringLiteral("out.pdf"));
        QStringList lines;
        for (int i = 0; i < 150; ++i)
            lines << QStringLiteral("line %1\twith a tab").arg(i);
        {
            QPdfWriter writer(fileName);
            writer.setResolution(kDotsPerInch);
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0));
            ks::printTextLines(writer, QStringLiteral("Header"), lines);
        }
        // An A4 page holds between 60 and 75 lines of 10 pt text, so the
        // header and 150 lines take three pages.
        QCOMPARE(pdfPageCount(fileName), 3);
    }

    void printJobThatCannotStartFails()
    {
        QPdfWriter writer(QStringLiteral("/nonexistent-directory/out.pdf"));
        QVERIFY_THROWS_EXCEPTION(ks::Error, ks::printTextLines(writer, QString(), {QStringLiteral("x")}));
    }
};

QTEST_MAIN(TestTextPrinter)
#include "tst_textprinter.moc"
