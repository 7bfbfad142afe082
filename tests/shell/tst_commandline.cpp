// The command line: files in order, "--" ending the options, --help and
// --version, unknown options refused with the usage; options added through
// the option table; and the program itself answering before it opens any
// window.

#include "shell/KsCommandLine.h"

#include <QProcess>
#include <QtTest>

namespace {

const QString kProjectVersion = QStringLiteral(QUILLMERE_PROJECT_VERSION);

QStringList args(std::initializer_list<const char *> list)
{
    QStringList arguments {QStringLiteral("quillmere")};
    for (const char *argument : list)
        arguments << QString::fromUtf8(argument);
    return arguments;
}

struct Run {
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs the program with `arguments` on the window platform `platform`.
Run runProgram(const QStringList &arguments, const QString &platform)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(environment);
    process.start(QFile::decodeName(qgetenv("QUILLMERE_PROGRAM")), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filesInOrder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("none") << args({}) << QStringList();
        QTest::newRow("several") << args({"b.fto", "a.fto", "/tmp/c d.txt"})
                                 << QStringList {"b.fto", "a.fto", "/tmp/c d.txt"};
        QTest::newRow("dash dash ends the options") << args({"a.fto", "--", "-odd.fto", "--version", "--help"})
                                                    << QStringList {"a.fto", "-odd.fto", "--version", "--help"};
        QTest::newRow("a lone dash is a name") << args({"-"}) << QStringList {"-"};
        QTest::newRow("program name only") << QStringList {QStringLiteral("quillmere")} << QStringList();
        QTest::newRow("no arguments at all") << QStringList() << QStringList();
    }

    void filesInOrder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        const ks::CommandLineResult result = ks::parseCommandLine(arguments);
        QCOMPARE(result.action, ks::CommandLineResult::Run);
        QCOMPARE(result.options.files, files);
        QCOMPARE(result.output, QString());
        QCOMPARE(result.errorOutput, QString());
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("help");
        QTest::newRow("--help") << args({"--help"}) << true;
        QTest::newRow("-h") << args({"-h"}) << true;
        QTest::newRow("--help among files") << args({"a.fto", "--help"}) << true;
        QTest::newRow("--version") << args({"--version"}) << false;
        QTest::newRow("-v") << args({"-v"}) << false;
    }

    void helpAndVersion()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, help);
        const ks::CommandLineResult result = ks::parseCommandLine(arguments);
        QCOMPARE(result.action, ks::CommandLineResult::Exit);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.errorOutput, QString());
        if (help) {
            QVERIFY2(result.output.startsWith(QStringLiteral("Usage: quillmere [options] [files...]\n")),
                qPrintable(result.output));
            for (const char *line : {"-h, --help", "-v, --version", "files"})
                QVERIFY2(result.output.contains(QLatin1String(line)), line);
        } else {
            QCOMPARE(result.output, QStringLiteral("quillmere %1\n").arg(kProjectVersion));
        }
    }

    void unknownOptionsAreRefused_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("long") << args({"--bogus", "a.fto"}) << "Unknown option 'bogus'.";
        QTest::newRow("short") << args({"-x"}) << "Unknown option 'x'.";
        QTest::newRow("after a file") << args({"a.fto", "--trace"}) << "Unknown option 'trace'.";
        QTest::newRow("value given to a switch") << args({"--version=2"}) << "Unexpected value after '--version'.";
    }

    void unknownOptionsAreRefused()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        const ks::CommandLineResult result = ks::parseCommandLine(arguments);
        QCOMPARE(result.action, ks::CommandLineResult::Exit);
        QCOMPARE(result.exitCode, ks::kUsageExitCode);
        QVERIFY(result.exitCode != 0);
        QCOMPARE(result.output, QString());
        QVERIFY2(result.errorOutput.startsWith(QStringLiteral("quillmere: ") + reason + QStringLiteral("\n\n")),
            qPrintable(result.errorOutput));
        QVERIFY(result.errorOutput.endsWith(ks::usageText()));
    }

    void anOptionIsOneEntryOfTheTable()
    {
        const QList<ks::ProgramOption> options {
            {{QStringLiteral("trace")}, QStringLiteral("Opens the trace window at start."), {}},
            {{QStringLiteral("i"), QStringLiteral("ini")}, QStringLiteral("Keeps settings in a file."),
                QStringLiteral("file")},
        };
        ks::CommandLineResult result = ks::parseCommandLine(args({"--trace", "a.fto", "--ini", "x.ini"}), options);
        QCOMPARE(result.action, ks::CommandLineResult::Run);
        QVERIFY(result.options.isSet(QStringLiteral("trace")));
        QCOMPARE(result.options.value(QStringLiteral("i")), QStringLiteral("x.ini"));
        QCOMPARE(result.options.files, QStringList {QStringLiteral("a.fto")});

        result = ks::parseCommandLine(args({"a.fto"}), options);
        QVERIFY(!result.options.isSet(QStringLiteral("trace")));
        QVERIFY(!result.options.isSet(QStringLiteral("i")));

        const QString usage = ks::usageText(options);
        QVERIFY2(usage.contains(QStringLiteral("--trace")) && usage.contains(QStringLiteral("Opens the trace window")),
            qPrintable(usage));
        QVERIFY(usage.contains(QStringLiteral("-i, --ini <file>")));

        result = ks::parseCommandLine(args({"--ini"}), options);
        QCOMPARE(result.exitCode, ks::kUsageExitCode);
        QVERIFY2(result.errorOutput.startsWith(QStringLiteral("quillmere: Missing value after '--ini'.")),
            qPrintable(result.errorOutput));
        // The program's own table knows no such option.
        QCOMPARE(ks::parseCommandLine(args({"--trace"})).exitCode, ks::kUsageExitCode);
    }

    // The program itself.

    void programAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("start");
        QTest::newRow("--version") << QStringList {"--version"}
                                   << QStringLiteral("quillmere %1\n").arg(kProjectVersion);
        QTest::newRow("--help") << QStringList {"--help"} << QStringLiteral("Usage: quillmere [options] [files...]\n");
    }

    void programAnswersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, start);
        // No window system by that name exists: the program answers before it
        // would need one.
        const Run run = runProgram(arguments, QStringLiteral("no-such-platform"));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.output.startsWith(start), qPrintable(run.output));
        QCOMPARE(run.errors, QString());
    }

    void programRefusesUnknownOptionBeforeAnyWindow()
    {
        const Run run = runProgram({QStringLiteral("--bogus"), QStringLiteral("a.fto")}, QStringLiteral("offscreen"));
        QCOMPARE(run.exitCode, ks::kUsageExitCode);
        QCOMPARE(run.output, QString());
        // Qt may warn about the environment first.
        QVERIFY2(run.errors.contains(QStringLiteral("quillmere: Unknown option 'bogus'.\n\nUsage: quillmere")),
            qPrintable(run.errors));
    }

    void programTakesQtsOwnOptions()
    {
        // "-platform" belongs to Qt; with it the program still answers --version.
        const Run run
            = runProgram({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--version")},
                QStringLiteral("no-such-platform"));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output, QStringLiteral("quillmere %1\n").arg(kProjectVersion));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
