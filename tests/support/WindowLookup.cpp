#include "support/WindowLookup.h"

#include <algorithm>

namespace ks::test {

bool isNamed(const QString &componentName, const QString &name)
{
    if (componentName == name)
        return true;
    if (!componentName.startsWith(name + QLatin1Char('_')))
        return false;
    // A number from 1 upwards, written without leading zeros.
    const QString number = componentName.mid(name.size() + 1);
    return !number.isEmpty() && !number.startsWith(QLatin1Char('0'))
        && std::all_of(number.cbegin(), number.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QList<KsMdiChild *> childrenNamed(const TfrmKsMdiMain &main, const QString &name)
{
    QList<KsMdiChild *> found;
    const QList<KsMdiChild *> children = main.childWindows();
    for (KsMdiChild *child : children) {
        if (isNamed(child->objectName(), name))
            found << child;
    }
    return found;
}

} // namespace ks::test
