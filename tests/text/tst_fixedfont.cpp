// The fixed-pitch font of viewer and printer: whatever fonts the machine has,
// every character is equally wide, at 10 pt, regular and bold, on the screen
// and at a printer's resolution.

#include "support/TestFonts.h"
#include "text/KsFixedFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QTest>

namespace {

// A paint device with a printer's resolution, so that fonts are measured as
// a printer sees them.
QImage printerLikeDevice()
{
    QImage image(10, 10, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(300 / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
}

// An installed family whose "i" and "W" differ in width, or the empty text.
QString someProportionalFamily()
{
    const QStringList families = QFontDatabase::families();
    for (const QString &family : families) {
        const QFont font(family, 10);
        if (QFontInfo(font).family() != family)
            continue;
        const QFontMetricsF metrics(font);
        if (metrics.horizontalAdvance(QLatin1Char('i')) < metrics.horizontalAdvance(QLatin1Char('W')) - 1)
            return family;
    }
    return {};
}

} // namespace

class TestFixedFont : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyCharacterEquallyWide_data()
    {
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("printer");
        QTest::newRow("regular on the screen") << false << false;
        QTest::newRow("bold on the screen") << true << false;
        QTest::newRow("regular on a printer") << false << true;
        QTest::newRow("bold on a printer") << true << true;
    }

    void everyCharacterEquallyWide()
    {
        QFETCH(bool, bold);
        QFETCH(bool, printer);
        QFont font = ks::courierNew10();
        font.setBold(bold);
        const QImage device = printerLikeDevice();
        const QString uneven = ks::test::unevenAdvances(font, printer ? &device : nullptr);
        QVERIFY2(uneven.isEmpty(), qPrintable(QFontInfo(font).family() + QStringLiteral(": ") + uneven));
        // The whole sample is as wide as its characters one by one.
        const QFontMetricsF metrics = printer ? QFontMetricsF(font, &device) : QFontMetricsF(font);
        const qreal one = metrics.horizontalAdvance(QLatin1Char('m'));
        QVERIFY(
            std::abs(metrics.horizontalAdvance(ks::test::kPitchSample) - one * ks::test::kPitchSample.size()) < 0.5);
    }

    void averageWidthIsTheAdvance()
    {
        // The printer's tab stops lie every eight average widths; they meet
        // the columns of the text only where average and advance agree.
        const QImage device = printerLikeDevice();
        const QFontMetricsF metrics(ks::courierNew10(), &device);
        const qreal advance = metrics.horizontalAdvance(QLatin1Char('x'));
        QVERIFY2(std::abs(metrics.averageCharWidth() - advance) < 0.25,
            qPrintable(QStringLiteral("average %1, advance %2").arg(metrics.averageCharWidth()).arg(advance)));
    }

    void tenPoint()
    {
        const QFont font = ks::courierNew10();
        QCOMPARE(font.pointSize(), 10);
        // The screen may round to whole pixels, but not to another size.
        QVERIFY2(std::abs(QFontInfo(font).pointSizeF() - 10) < 0.5,
            qPrintable(QString::number(QFontInfo(font).pointSizeF())));
        QVERIFY(!font.bold());
    }

    void proportionalCandidateIsPassedOver()
    {
        const QString proportional = someProportionalFamily();
        if (proportional.isEmpty())
            QSKIP("no proportional font is installed here");
        const QString chosen = QFontInfo(ks::courierNew10()).family();

        QCOMPARE(ks::firstEvenlySpacedFamily({proportional}), QString());
        const QString family = ks::firstEvenlySpacedFamily({QString(), proportional, chosen});
        QCOMPARE(QFontInfo(QFont(family, 10)).family(), chosen);
        QVERIFY(ks::test::unevenAdvances(QFont(family, 10)).isEmpty());
    }
};

QTEST_MAIN(TestFixedFont)
#include "tst_fixedfont.moc"
