#pragma once
// Small text helpers and the error type shared by every subsystem.

#include <QString>
#include <stdexcept>

namespace ks {

// An error that carries the text the user is shown. Every failure the program
// reports travels as one of these (or another std::exception) up to the one
// application-wide handler.
class Error : public std::runtime_error {
public:
    explicit Error(const QString &message);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// Removes leading and trailing characters of code 32 or below (blanks and
// control characters), as the search boxes and dialogs trim their input.
QString trimControl(const QString &text);

// Turns only the ASCII letters a to z into A to Z; every other character stays.
QString asciiUpper(const QString &text);

// Every LF that no CR stands before turned into CR LF, the line end the text
// viewer expects; a CR LF already there stays as it is, so a text stored
// with Windows line ends shows no empty line after each of its lines.
QString bareLfToCrLf(const QString &text);

// Appends `text` to `target` with each line break it holds (CR LF, or a lone
// CR or LF) as one paragraph separator, the line break of a text document.
void appendAsParagraphs(QString &target, QStringView text);

} // namespace ks
