// quillmere-search: the windows' searches from the command line, without a
// display. See KsCliOptions.h for what it takes and KsCliSearch.h for what
// it does.

#include "cli/KsCliOptions.h"
#include "cli/KsCliSearch.h"
#include "cli/KsCliTable.h"
#include "db/KsConnectionWorker.h"
#include "kinds/KsKinds.h"

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

std::atomic<bool> g_interrupted {false};

// Ctrl+C is noted here and acted on from the event loop; a second one ends
// the program at once.
extern "C" void onInterrupt(int)
{
    if (g_interrupted.exchange(true))
        _exit(ks::cli::Interrupted);
}

void writeTo(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ks::cli::CliCommand command = ks::cli::parseArguments(arguments, ks::catalogueKinds());
    if (command.action == ks::cli::CliCommand::Exit) {
        writeTo(stdout, command.output.toUtf8());
        writeTo(stderr, command.errorOutput.toUtf8());
        return command.exitCode;
    }

    QCoreApplication app(argc, argv);
    std::signal(SIGINT, onInterrupt);

    ks::cli::CliOutput output;
    output.out = [](const QByteArray &bytes) { writeTo(stdout, bytes); };
    output.err = [](const QByteArray &bytes) { writeTo(stderr, bytes); };
    output.outIsTerminal = isatty(STDOUT_FILENO);
    output.progress = isatty(STDERR_FILENO);
    output.width = ks::cli::terminalWidth();

    int status = ks::cli::Failed;
    {
        ks::cli::CliSearch search(command.request, output);
        QObject::connect(&search, &ks::cli::CliSearch::finished, &app, [](int code) { QCoreApplication::exit(code); });
        QTimer interruptPoll;
        QObject::connect(&interruptPoll, &QTimer::timeout, &search, [&search] {
            if (g_interrupted)
                search.interrupt();
        });
        interruptPoll.start(50);
        search.start();
        status = app.exec();
    }
    // A driver call that ignored its cancel must not run while the statics go.
    return ks::exitStatusAfterWorkers(status);
}
