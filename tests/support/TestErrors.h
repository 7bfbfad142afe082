#pragma once
// Reading the message of the error an action raises.

#include "base/KsStrings.h"

#include <QString>

#include <functional>

namespace ks::test {

// The message of the ks::Error that `action` raises, or "<no error>".
inline QString messageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const ks::Error &error) {
        return error.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace ks::test
