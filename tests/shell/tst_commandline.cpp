// The command line: files in order, "--" ending the options, --help and
// --version, unknown options refused with the usage, Qt's options passed
// over, options added through the option table; and the program answering
// before it opens any window or looks for a display.

#include "shell/KsCommandLine.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString kVersionLine = QStringLiteral("quillmere %1\n").arg(QStringLiteral(QUILLMERE_PROJECT_VERSION));

QStringList args(const QStringList &given)
{
    return QStringList {QStringLiteral("quillmere")} + given;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readings_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode"); // -1: the program runs
        QTest::addColumn<QString>("output"); // files joined by "|" when it runs
        QTest::addColumn<QString>("errorStart");
        QTest::newRow("files in order") << args({"b.fto", "/tmp/c d.txt", "-"}) << -1 << "b.fto|/tmp/c d.txt|-"
                                        << "";
        QTest::newRow("dash dash ends the options")
            << args({"a", "--", "-odd.fto", "--version"}) << -1 << "a|-odd.fto|--version"
            << "";
        QTest::newRow("nothing at all") << QStringList() << -1 << ""
                                        << "";
        QTest::newRow("--version") << args({"a.fto", "--version"}) << 0 << kVersionLine << "";
        QTest::newRow("-v") << args({"-v"}) << 0 << kVersionLine << "";
        QTest::newRow("--help") << args({"-h"}) << 0 << ks::usageText() << "";
        QTest::newRow("unknown long option") << args({"--bogus", "a.fto"}) << 2 << ""
                                             << "quillmere: Unknown option 'bogus'.\n\n";
        QTest::newRow("unknown short option") << args({"-x"}) << 2 << ""
                                              << "quillmere: Unknown option 'x'.\n\n";
        QTest::newRow("--trace is no file") << args({"--trace", "a.fto"}) << -1 << "a.fto"
                                            << "";
        QTest::newRow("value for a switch") << args({"--version=2"}) << 2 << ""
                                            << "quillmere: Unexpected value after '--version'.\n\n";
        QTest::newRow("Qt's options and their values are no files") << args(
            {"-platform", "offscreen", "a.fto", "-style=fusion", "--reverse", "-stylesheet", "b.qss", "--", "-style"})
                                                                    << -1 << "a.fto|-style"
                                                                    << "";
    }

    void readings()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QString, errorStart);
        const ks::CommandLineResult result = ks::parseCommandLine(arguments);
        QCOMPARE(result.action, exitCode < 0 ? ks::CommandLineResult::Run : ks::CommandLineResult::Exit);
        QCOMPARE(result.exitCode, std::max(exitCode, 0));
        QCOMPARE(exitCode < 0 ? result.options.files.join(QLatin1Char('|')) : result.output, output);
        QCOMPARE(result.errorOutput.left(errorStart.size()), errorStart);
        // A refusal shows the usage after the reason.
        QCOMPARE(result.errorOutput.endsWith(ks::usageText()), !errorStart.isEmpty());
    }

    void usageNamesTheProgramAndItsOptions()
    {
        QVERIFY(ks::usageText().startsWith(QStringLiteral("Usage: quillmere [options] [files...]\n")));
        for (const char *line : {"-h, --help", "-v, --version", "--trace", "files"})
            QVERIFY2(ks::usageText().contains(QLatin1String(line)), line);
    }

    void anOptionIsOneEntryOfTheTable()
    {
        const QList<ks::ProgramOption> options {
            {{QStringLiteral("trace")}, QStringLiteral("Opens the trace window at start."), {}},
            {{QStringLiteral("i"), QStringLiteral("ini")}, QStringLiteral("Keeps settings in a file."), "file"},
        };
        ks::CommandLineResult result = ks::parseCommandLine(args({"--trace", "a.fto", "--ini", "x.ini"}), options);
        QVERIFY(result.options.isSet(QStringLiteral("trace")));
        QCOMPARE(result.options.value(QStringLiteral("i")), QStringLiteral("x.ini"));
        QCOMPARE(result.options.files, QStringList {QStringLiteral("a.fto")});
        QVERIFY(!ks::parseCommandLine(args({"a.fto"}), options).options.isSet(QStringLiteral("trace")));
        QVERIFY(ks::usageText(options).contains(QStringLiteral("--trace")));
        QVERIFY(ks::usageText(options).contains(QStringLiteral("-i, --ini <file>")));
        result = ks::parseCommandLine(args({"--ini"}), options);
        QVERIFY(result.errorOutput.startsWith(QStringLiteral("quillmere: Missing value after '--ini'.")));
        // The program's own table has --trace, but no --ini.
        QVERIFY(ks::parseCommandLine(args({"--trace"})).options.isSet(QStringLiteral("trace")));
        QCOMPARE(ks::parseCommandLine(args({"--ini", "x.ini"})).exitCode, ks::kUsageExitCode);
    }

    void theProgramAnswersBeforeAnyWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("expected"); // start of the output, or part of the errors
        // No window system by that name exists: the answer comes before one is needed.
        QTest::newRow("--version, no display") << QStringList {"--version"} << "none" << 0 << kVersionLine;
        QTest::newRow("--help, no display") << QStringList {"--help"} << "none" << 0 << "Usage: quillmere";
        // Qt's own options are passed over, also before a mistake.
        QTest::newRow("Qt's option") << QStringList {"-platform", "offscreen", "-v"} << "none" << 0 << kVersionLine;
        QTest::newRow("unknown option, no display") << QStringList {"--bogus", "a.fto"} << "none" << 2
                                                    << "quillmere: Unknown option 'bogus'.\n\nUsage: quillmere";
        QTest::newRow("Qt's option, then an unknown one")
            << QStringList {"-style", "fusion", "-x"} << "none" << 2 << "quillmere: Unknown option 'x'.\n\n";
    }

    void theProgramAnswersBeforeAnyWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, platform);
        QFETCH(int, exitCode);
        QFETCH(QString, expected);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        process.setProcessEnvironment(environment);
        process.start(qEnvironmentVariable("QUILLMERE_PROGRAM"), arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
        if (exitCode == 0)
            QVERIFY2(output.startsWith(expected), qPrintable(output));
        else // Qt may warn about the environment before the program speaks
            QVERIFY(output.isEmpty() && QString::fromLocal8Bit(process.readAllStandardError()).contains(expected));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
