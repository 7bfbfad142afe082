#pragma once
// Where quillmere-search takes a password from, never the command line:
// QUILLMERE_PASSWORD, else a prompt without echo when a terminal is attached.

#include <QString>

#include <optional>

namespace ks::cli {

// QUILLMERE_PASSWORD, or nothing when it is not set.
std::optional<QString> environmentPassword();

// Writes `prompt` to the standard error and reads a line from the standard
// input with echo off; nothing when the standard input is no terminal or
// ends before a line.
std::optional<QString> promptPassword(const QString &prompt);

} // namespace ks::cli
