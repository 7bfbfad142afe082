#pragma once
// Reading the tools' command-line counts.

#include "SqlScript.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace ks::tools {

// A count of 0 or more from an option, or `fallback` when the option is
// absent; anything else is refused with a message naming the option.
inline int countOption(const QCommandLineParser &parser, const QCommandLineOption &option, int fallback = 0)
{
    if (!parser.isSet(option))
        return fallback;
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < 0)
        throw ScriptError(QStringLiteral("--%1 wants a whole number of 0 or more, not \"%2\"")
                              .arg(option.names().constFirst(), parser.value(option))
                              .toStdString());
    return value;
}

} // namespace ks::tools
