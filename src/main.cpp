#include "app/FMain.h"
#include "base/KsApplication.h"
#include "shell/KsCommandLine.h"
#include "shell/KsWebHelp.h"
#include "text/RlFTrace.h"

#include <cstdio>

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
    // --help and --version answer before the application starts, so they
    // also work where no display is at hand. What the first reading does not
    // understand may be one of Qt's own options, which the application takes
    // out of the command line; the rest is read again once it has.
    const ks::CommandLineResult first = ks::parseCommandLine(rawArguments(argc, argv));
    if (first.action == ks::CommandLineResult::Exit && first.exitCode == 0)
        return finish(first);

    const ks::WebHelpBaseScope webHelp;
    ks::KsApplication app(argc, argv);
    const ks::CommandLineResult command = ks::parseCommandLine(QCoreApplication::arguments());
    if (command.action == ks::CommandLineResult::Exit)
        return finish(command);

    TfrmMain mainWindow;
    mainWindow.setCommandLineFiles(command.options.files);
    mainWindow.show();
    if (command.options.isSet(QStringLiteral("trace")))
        ShowTraceWindow(&mainWindow, true);
    return app.exec();
}
