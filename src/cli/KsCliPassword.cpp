#include "cli/KsCliPassword.h"

#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace ks::cli {

namespace {

// Turns the terminal's echo off while it lives, and back on also when the
// read ends early.
class EchoOff {
public:
    EchoOff()
    {
        m_saved = tcgetattr(STDIN_FILENO, &m_old) == 0;
        if (m_saved) {
            termios quiet = m_old;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            quiet.c_lflag |= ECHONL;
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
    }
    ~EchoOff()
    {
        if (m_saved)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &m_old);
    }
    EchoOff(const EchoOff &) = delete;
    EchoOff &operator=(const EchoOff &) = delete;

private:
    termios m_old {};
    bool m_saved = false;
};

} // namespace

std::optional<QString> environmentPassword()
{
    if (!qEnvironmentVariableIsSet("QUILLMERE_PASSWORD"))
        return std::nullopt;
    return qEnvironmentVariable("QUILLMERE_PASSWORD");
}

std::optional<QString> promptPassword(const QString &prompt)
{
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    const EchoOff quiet;
    std::string line;
    for (int c = std::getchar(); c != '\n'; c = std::getchar()) {
        if (c == EOF)
            return std::nullopt;
        line += char(c);
    }
    return QString::fromLocal8Bit(line);
}

} // namespace ks::cli
