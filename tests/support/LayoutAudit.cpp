#include "support/LayoutAudit.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QToolButton>
#include <QWidget>

namespace ks::test {

namespace {

QString pathOf(const QWidget *widget)
{
    QStringList names;
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        names.prepend(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
        if (w->isWindow())
            break;
    }
    return names.join(QLatin1Char('/'));
}

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString rectText(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3").arg(rect.x()).arg(rect.y()).arg(sizeText(rect.size()));
}

// A push button draws its caption inside its frame and the style's margin;
// the style's own wish for a wider button (some want 80 pixels for any text)
// is no need of the caption.
QSize pushButtonNeeds(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle *style = button->style();
    const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (!button->icon().isNull())
        text += QSize(button->iconSize().width() + 4, 0);
    return QSize(text.width() + frame + margin, text.height() + frame);
}

// Where the widget's content may scroll, its children are not cut by it.
bool scrolls(const QWidget *parent)
{
    const QWidget *owner = parent->parentWidget();
    const auto *area = qobject_cast<const QAbstractScrollArea *>(owner);
    return area && area->viewport() == parent;
}

// Children that take part in the layout check: visible, inside this window,
// not separate windows, and not MDI children (which overlap by design).
QList<const QWidget *> laidOutChildren(const QWidget *parent)
{
    QList<const QWidget *> children;
    const QObjectList objects = parent->children();
    for (const QObject *object : objects) {
        const auto *child = qobject_cast<const QWidget *>(object);
        if (!child || child->isWindow() || !child->isVisible())
            continue;
        if (qobject_cast<const QMdiSubWindow *>(child))
            continue;
        if (child->width() <= 0 || child->height() <= 0)
            continue;
        children << child;
    }
    return children;
}

void audit(const QWidget *widget, QStringList &problems)
{
    const QSize needs = captionNeeds(widget);
    if (needs.isValid() && (needs.width() > widget->width() || needs.height() > widget->height())) {
        problems << QStringLiteral("%1: caption needs %2, has %3")
                        .arg(pathOf(widget), sizeText(needs), sizeText(widget->size()));
    }

    const QList<const QWidget *> children = laidOutChildren(widget);
    for (qsizetype i = 0; i < children.size(); ++i) {
        const QWidget *child = children.at(i);
        if (!scrolls(widget) && !widget->rect().contains(child->geometry())) {
            problems << QStringLiteral("%1: at %2 reaches outside its parent of %3")
                            .arg(pathOf(child), rectText(child->geometry()), sizeText(widget->size()));
        }
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            const QWidget *other = children.at(j);
            if (child->geometry().intersects(other->geometry())) {
                problems << QStringLiteral("%1 at %2 overlaps %3 at %4")
                                .arg(pathOf(child), rectText(child->geometry()), pathOf(other),
                                    rectText(other->geometry()));
            }
        }
        audit(child, problems);
    }
}

} // namespace

QSize captionNeeds(const QWidget *control)
{
    if (const auto *label = qobject_cast<const QLabel *>(control)) {
        if (label->text().isEmpty())
            return {};
        if (label->wordWrap()) {
            // Wrapped text needs the height its width gives it.
            return QSize(0, label->heightForWidth(label->width()));
        }
        return label->sizeHint();
    }
    if (const auto *button = qobject_cast<const QPushButton *>(control))
        return button->text().isEmpty() ? QSize() : pushButtonNeeds(button);
    if (qobject_cast<const QCheckBox *>(control) || qobject_cast<const QRadioButton *>(control)) {
        // Their size hint is exactly the indicator, the gap and the caption.
        const auto *button = static_cast<const QAbstractButton *>(control);
        return button->text().isEmpty() ? QSize() : button->sizeHint();
    }
    if (const auto *button = qobject_cast<const QToolButton *>(control))
        return button->text().isEmpty() ? QSize() : button->sizeHint();
    return {};
}

QStringList layoutProblems(const QWidget *window)
{
    QStringList problems;
    audit(window, problems);
    return problems;
}

} // namespace ks::test
