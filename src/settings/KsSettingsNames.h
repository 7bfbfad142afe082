#pragma once
// Where settings live: the program's own name, the effective names of its
// registry key and profile file, and the user's configuration directory,
// which stands in for the system directory of profile files.

#include <QString>

namespace ks {

// The program file's name without directory and extension.
QString programName();

// "Software\" and the program name: the key a registry placement uses when
// it is given none.
QString StandardRegistryKey();

// The program name with the extension ".INI" (".ini" where file names are
// case-sensitive, so that every component that means the program's profile
// file meets in one file): the profile file a placement uses when it is given
// none. A name without a directory; see profileFilePath().
QString StandardIniName();

// The user's configuration directory ($XDG_CONFIG_HOME, ~/.config on Linux).
QString configurationDirectory();

// The file a profile-file name refers to: a name without a directory lies in
// the user's configuration directory, any other name is taken as it is.
QString profileFilePath(const QString &name);

} // namespace ks
