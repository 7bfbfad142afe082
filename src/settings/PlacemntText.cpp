#include "settings/PlacemntText.h"

#include "settings/KsProfileFile.h"

#include <algorithm>

namespace ks {

namespace {

// How much of a window must lie on a screen for the user to reach it.
constexpr int kReachableWidth = 48;
constexpr int kReachableHeight = 24;

qint64 area(const QRect &rect)
{
    return rect.isValid() ? qint64(rect.width()) * rect.height() : 0;
}

// How far a point lies from a rectangle, squared; 0 inside it.
qint64 distanceSquared(const QPoint &point, const QRect &rect)
{
    const qint64 dx = point.x() < rect.left() ? rect.left() - point.x() : std::max(0, point.x() - rect.right());
    const qint64 dy = point.y() < rect.top() ? rect.top() - point.y() : std::max(0, point.y() - rect.bottom());
    return dx * dx + dy * dy;
}

} // namespace

QString positionText(const std::array<int, 4> &numbers)
{
    return QStringLiteral("%1,%2,%3,%4").arg(numbers[0]).arg(numbers[1]).arg(numbers[2]).arg(numbers[3]);
}

std::array<int, 4> parsePositionText(const QString &text, const std::array<int, 4> &defaults)
{
    std::array<int, 4> numbers = defaults;
    const QStringList parts = text.split(QLatin1Char(','));
    for (qsizetype i = 0; i < qsizetype(numbers.size()) && i < parts.size(); ++i)
        numbers[i] = profileInteger(parts.at(i)).value_or(defaults[i]);
    return numbers;
}

QString screenSizeName(const QString &name, const QSize &screen)
{
    return QStringLiteral("%1(%2x%3)").arg(name).arg(screen.width()).arg(screen.height());
}

QRect keepOnScreen(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty() || !frame.isValid())
        return frame;
    // The strip along the top of the frame carries the caption by which the
    // window is moved; it has to lie on a screen.
    const QRect captionStrip(frame.left(), frame.top(), frame.width(), std::min(kReachableHeight, frame.height()));
    const QRect *best = &screens.first();
    for (const QRect &screen : screens) {
        const QRect common = captionStrip.intersected(screen);
        if (common.width() >= std::min(kReachableWidth, frame.width()) && common.height() == captionStrip.height())
            return frame;
        if (area(frame.intersected(screen)) > area(frame.intersected(*best)))
            best = &screen;
    }
    // Lying on no screen at all, it goes to the nearest one.
    if (area(frame.intersected(*best)) == 0) {
        for (const QRect &screen : screens) {
            if (distanceSquared(frame.center(), screen) < distanceSquared(frame.center(), *best))
                best = &screen;
        }
    }
    QRect placed(frame.topLeft(), frame.size().boundedTo(best->size()));
    placed.moveLeft(std::clamp(placed.left(), best->left(), best->right() - placed.width() + 1));
    placed.moveTop(std::clamp(placed.top(), best->top(), best->bottom() - placed.height() + 1));
    return placed;
}

} // namespace ks
