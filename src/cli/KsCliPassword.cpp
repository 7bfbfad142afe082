#include "cli/KsCliPassword.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace ks::cli {

namespace {

// The terminal as it was before the prompt, for Ctrl+C at the prompt.
termios g_terminal {};

// Ctrl+C at the prompt ends the program, with the echo back on.
extern "C" void interruptPrompt(int)
{
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &g_terminal);
    const char newline = '\n';
    [[maybe_unused]] const auto written = write(STDERR_FILENO, &newline, 1);
    _exit(130);
}

// Turns the terminal's echo off while it lives, and back on also when the
// read ends early or Ctrl+C ends the program.
class EchoOff {
public:
    EchoOff()
    {
        m_saved = tcgetattr(STDIN_FILENO, &g_terminal) == 0;
        if (m_saved) {
            struct sigaction interrupt { };
            interrupt.sa_handler = interruptPrompt;
            sigemptyset(&interrupt.sa_mask);
            sigaction(SIGINT, &interrupt, &m_oldInterrupt);
            termios quiet = g_terminal;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            quiet.c_lflag |= ECHONL;
            tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        }
    }
    ~EchoOff()
    {
        if (m_saved) {
            tcsetattr(STDIN_FILENO, TCSANOW, &g_terminal);
            sigaction(SIGINT, &m_oldInterrupt, nullptr);
        }
    }
    EchoOff(const EchoOff &) = delete;
    EchoOff &operator=(const EchoOff &) = delete;

private:
    struct sigaction m_oldInterrupt { };
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
