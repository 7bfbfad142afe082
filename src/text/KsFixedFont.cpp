#include "text/KsFixedFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>

#include <cmath>

namespace ks {

namespace {

constexpr int kPointSize = 10;
constexpr int kMeasurePixels = 120;
constexpr qreal kAverageTolerance = 0.01;

QFont tenPoint(const QString &family)
{
    QFont font(family, kPointSize);
    // Where the family is missing, the desktop's typewriter font is the
    // nearest substitute.
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

bool advancesAgree(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal first = metrics.horizontalAdvance(QLatin1Char(' '));
    if (first <= 0)
        return false;
    for (char ch = '!'; ch <= '~'; ++ch) {
        if (std::abs(metrics.horizontalAdvance(QLatin1Char(ch)) - first) > 0.01)
            return false;
    }
    return true;
}

// The printer sets its tab stops by the font's average character width. Some
// monospaced fonts declare an average far from their one advance (it counts
// glyphs of other scripts), and their tab stops would then fall between
// columns. Measured large, so that rounding to pixels does not count.
bool averageIsTheAdvance(QFont font)
{
    font.setPixelSize(kMeasurePixels);
    const QFontMetricsF metrics(font);
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('x'));
    return std::abs(metrics.averageCharWidth() - advance) <= advance * kAverageTolerance;
}

// Where nothing named is evenly spaced: every family the desktop knows,
// those it classifies as fixed pitch first.
QStringList installedFamilies()
{
    const QStringList all = QFontDatabase::families();
    QStringList fixed;
    QStringList other;
    for (const QString &family : all)
        (QFontDatabase::isFixedPitch(family) ? fixed : other) << family;
    return fixed + other;
}

QString chooseFamily()
{
    // The desktop's own fixed font and common monospaced families come before
    // a search through everything installed.
    QStringList candidates {QStringLiteral("Courier New"), QFontDatabase::systemFont(QFontDatabase::FixedFont).family(),
        QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"), QStringLiteral("Noto Mono"),
        QStringLiteral("Nimbus Mono PS"), QStringLiteral("Courier"), QStringLiteral("monospace")};
    QString family = firstEvenlySpacedFamily(candidates);
    if (family.isEmpty())
        family = firstEvenlySpacedFamily(installedFamilies());
    // Nothing evenly spaced at all: the design's font is as good as any.
    return family.isEmpty() ? QStringLiteral("Courier New") : family;
}

} // namespace

bool hasOneAdvance(const QFont &font)
{
    QFont bold = font;
    bold.setBold(true);
    return advancesAgree(font) && advancesAgree(bold) && averageIsTheAdvance(font);
}

QString firstEvenlySpacedFamily(const QStringList &families)
{
    for (const QString &family : families) {
        if (family.isEmpty())
            continue;
        const QFont font = tenPoint(family);
        if (!hasOneAdvance(font))
            continue;
        // A family that is only a name for another one (an alias, or a
        // missing family replaced by a substitute) is kept under the name it
        // was asked by when that is the design's own name; otherwise under
        // the name of the font actually used, so that every device resolves
        // the same font.
        return family == QStringLiteral("Courier New") ? family : QFontInfo(font).family();
    }
    return {};
}

QFont courierNew10()
{
    static const QString family = chooseFamily();
    return tenPoint(family);
}

} // namespace ks
