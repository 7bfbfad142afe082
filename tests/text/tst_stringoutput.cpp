// The line output: Write collects, WriteLn delivers one line through PutLine.

#include "text/KsStringOutput.h"

#include <QTest>

namespace {

class RecordingOutput final : public ks::TKsStringOutput {
public:
    QStringList lines;
    void PutLine(const QString &line) override
    {
        lines << line;
        TKsStringOutput::PutLine(line);
    }
};

// Calls are written as "w:text" for Write and "l:text" for WriteLn.
void run(ks::TKsStringOutput &output, const QStringList &calls)
{
    for (const QString &call : calls) {
        const QString text = call.mid(2);
        if (call.startsWith(QLatin1String("w:")))
            output.Write(text);
        else if (call.startsWith(QLatin1String("l:")))
            output.WriteLn(text);
        else
            QFAIL(qPrintable(QStringLiteral("bad call in test table: ") + call));
    }
}

} // namespace

class TestStringOutput : public QObject {
    Q_OBJECT

private slots:
    void nothingIsPendingAfterConstruction()
    {
        RecordingOutput output;
        QVERIFY(output.pending().isEmpty());
        QVERIFY(output.lines.isEmpty());
    }

    void deliversLines_data()
    {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("pending");

        QTest::newRow("write alone delivers nothing") << QStringList {"w:ab"} << QStringList {} << "ab";
        QTest::newRow("write then writeln make one line") << QStringList {"w:ab", "l:cd"} << QStringList {"abcd"} << "";
        QTest::newRow("pending is cleared by writeln")
            << QStringList {"w:ab", "l:cd", "l:ef"} << QStringList {"abcd", "ef"} << "";
        QTest::newRow("several writes collect in order")
            << QStringList {"w:a", "w:b", "w:c", "l:"} << QStringList {"abc"} << "";
        QTest::newRow("empty writeln delivers an empty line") << QStringList {"l:"} << QStringList {""} << "";
        QTest::newRow("write after writeln starts a new pending text")
            << QStringList {"l:x", "w:y"} << QStringList {"x"} << "y";
        QTest::newRow("line breaks inside a line are passed on untouched")
            << QStringList {"w:a\r\n", "l:b\r\nc"} << QStringList {"a\r\nb\r\nc"} << "";
        QTest::newRow("empty writes leave nothing behind")
            << QStringList {"w:", "w:", "l:z"} << QStringList {"z"} << "";
    }

    void deliversLines()
    {
        QFETCH(QStringList, calls);
        QFETCH(QStringList, lines);
        QFETCH(QString, pending);

        RecordingOutput output;
        run(output, calls);
        QCOMPARE(output.lines, lines);
        QCOMPARE(output.pending(), pending);
    }
};

QTEST_APPLESS_MAIN(TestStringOutput)
#include "tst_stringoutput.moc"
