#pragma once
// A search described without a window: the options a kind's search takes,
// named as the command line names them, and the values a search is asked
// with. A kind turns them into the same search its window's bar asks for.

#include "text/KsMatchHighlight.h"

#include <QHash>
#include <QList>
#include <QString>

namespace ks {

struct SearchOption {
    enum class Type {
        Switch, // on or off: "1" or "0"
        Value, // a text
    };
    QString name; // as the command line writes it without "--": "ignore-case"
    Type type = Type::Switch;
    QString help; // one line for a usage text
    QString defaultValue; // as the window's bar starts: "1" or "0" for a switch
    bool include = false; // an Include box: "names only" turns it off
    QString control; // the component name of the bar's control, or empty
};

struct SearchSettings {
    QString text; // the search text, as typed
    QHash<QString, QString> values; // by option name; an option not given has its default
    MatchMode mode = MatchMode::Pattern; // how the text matches

    // The value given for `option`, or its default.
    QString value(const SearchOption &option) const { return values.value(option.name, option.defaultValue); }
};

// The option of that name, or null.
const SearchOption *findSearchOption(const QList<SearchOption> &options, const QString &name);

// The value of option `name` of `options` in `settings`; raises ks::Error when
// `options` has no such option.
QString settingValue(const QList<SearchOption> &options, const SearchSettings &settings, const QString &name);
// The same for a switch: true for "1", "true", "yes" and "on"; raises
// ks::Error naming the option for any other value than "0", "false", "no",
// "off" or the empty text.
bool settingSwitch(const QList<SearchOption> &options, const SearchSettings &settings, const QString &name);

} // namespace ks
