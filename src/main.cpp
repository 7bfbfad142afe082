#include "app/FMain.h"
#include "base/KsApplication.h"
#include "db/KsConnectionWorker.h"
#include "shell/KsCommandLine.h"
#include "shell/KsWebHelp.h"
#include "text/RlFTrace.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

QStringList rawArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int finish(const ks::CommandLineResult &command)
{
    std::fputs(command.output.toLocal8Bit().constData(), stdout);
    std::fputs(command.errorOutput.toLocal8Bit().constData(), stderr);
    return command.exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    // The command line is read before the application starts, so that --help,
    // --version and a mistake are answered where no display is at hand too.
    // Qt's own options are passed over here and left to the application.
    const ks::CommandLineResult command = ks::parseCommandLine(rawArguments(argc, argv));
    if (command.action == ks::CommandLineResult::Exit)
        return finish(command);

    // Qt sees the arguments up to "--" only: after it, a name such as
    // "-style" is a file.
    int qtArgc = std::min(argc, 1);
    while (qtArgc < argc && std::strcmp(argv[qtArgc], "--") != 0)
        ++qtArgc;
    const ks::WebHelpBaseScope webHelp;
    ks::KsApplication app(qtArgc, argv);

    int status = 0;
    {
        TfrmMain mainWindow;
        mainWindow.setCommandLineFiles(command.options.files);
        mainWindow.show();
        if (command.options.isSet(QStringLiteral("trace")))
            ShowTraceWindow(&mainWindow, true);
        status = app.exec();
    }
    // The windows have let go of their workers; a search that ignored its
    // stop or a login that never answers may still run in a driver, which
    // must not happen while the application and the static objects go.
    return ks::exitStatusAfterWorkers(status);
}
