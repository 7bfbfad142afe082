#pragma once
// Finding MDI children by component name. A child created while another of
// the same name is open is named "<name>_<n>", so lookups take the name as a
// prefix: "frmConnectionOracle" finds frmConnectionOracle,
// frmConnectionOracle_1, frmConnectionOracle_2 ...

#include "shell/FKsMdiMain.h"
#include "shell/KsMdiChild.h"

#include <QList>
#include <QString>

namespace ks::test {

// Whether `componentName` is `name` itself or `name`, "_" and a number.
bool isNamed(const QString &componentName, const QString &name);

// The children of `main` named `name` (by the rule above), in creation order.
QList<KsMdiChild *> childrenNamed(const TfrmKsMdiMain &main, const QString &name);

// The `index`-th of them as a `Window`, or null.
template <typename Window = KsMdiChild>
Window *childNamed(const TfrmKsMdiMain &main, const QString &name, qsizetype index = 0)
{
    const QList<KsMdiChild *> children = childrenNamed(main, name);
    return index < children.size() ? qobject_cast<Window *>(children.at(index)) : nullptr;
}

} // namespace ks::test
