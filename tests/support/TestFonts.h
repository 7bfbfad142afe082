#pragma once
// What a reader sees of a fixed-pitch font: every character as wide as the next.

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QString>

#include <cmath>

namespace ks::test {

// Narrow, wide and in-between characters of program text.
inline const QString kPitchSample = QStringLiteral("iWm .,:_|l1I0OM@#w");

// The characters of kPitchSample whose advance in `font` differs from that of
// "i", each with its advance, or the empty text when all are equally wide.
// Measured on `device` (a printer-like image, say) or on the screen.
inline QString unevenAdvances(const QFont &font, const QPaintDevice *device = nullptr)
{
    const QFontMetricsF metrics = device ? QFontMetricsF(font, device) : QFontMetricsF(font);
    const qreal narrow = metrics.horizontalAdvance(QLatin1Char('i'));
    QString uneven;
    for (const QChar ch : kPitchSample) {
        const qreal advance = metrics.horizontalAdvance(ch);
        if (std::abs(advance - narrow) > 0.01)
            uneven += QStringLiteral("'%1' %2 (i %3) ").arg(ch).arg(advance).arg(narrow);
    }
    return uneven;
}

} // namespace ks::test
