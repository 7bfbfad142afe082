#include "settings/KsComponentSection.h"

#include <QWidget>

namespace ks {

namespace {

QString className(const QObject *object)
{
    return QString::fromLatin1(object->metaObject()->className());
}

} // namespace

QString ComponentSection(const QObject *component)
{
    if (!component)
        return {};
    if (const auto *widget = qobject_cast<const QWidget *>(component)) {
        if (widget->isWindow())
            return className(widget);
        return className(widget->window()) + widget->objectName();
    }
    for (const QObject *owner = component->parent(); owner; owner = owner->parent()) {
        if (const auto *widget = qobject_cast<const QWidget *>(owner))
            return className(widget->window()) + QLatin1Char('.') + component->objectName();
    }
    return component->objectName();
}

} // namespace ks
