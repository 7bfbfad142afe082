// A connection window's results taken out: Export Results... writes every
// row the list shows, in its order, as CSV or JSON by the file's type; Ctrl+C
// copies the selected row as tab-separated text under a header line. Both
// are read back with the readers of the command line's formats, and the
// command line lists what the window lists.

#include "CliParsers.h"
#include "app/FMain.h"
#include "kinds/oracle/FConnectOracle.h"
#include "search/SearchWaiting.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QTreeView>
#include <QtTest>

namespace {

const QStringList kColumns {QStringLiteral("connection"), QStringLiteral("name"), QStringLiteral("type"),
    QStringLiteral("owner"), QStringLiteral("matched")};

// What the list shows, row by row, with the window's caption first; the
// "no results found" line is none.
QList<QStringList> shownRows(const TfrmConnectionOracle *window)
{
    QList<QStringList> rows;
    const QAbstractItemModel *model = window->lvResult->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data(ks::KsResultModel::RowKindRole).toInt() == 0)
            continue;
        QStringList values {window->caption()};
        for (int column = 0; column < model->columnCount(); ++column)
            values << model->index(row, column).data().toString();
        rows << values;
    }
    return rows;
}

} // namespace

class TestResultExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TfrmMain>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    }
    void cleanup()
    {
        m_main.reset();
        m_seams.reset();
    }

    void exportWritesTheRowsShown_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("csv sorted by type") << "emp"
                                            << "csv";
        QTest::newRow("json sorted by type") << "emp"
                                             << "json";
        QTest::newRow("nothing found") << "zz_nowhere"
                                       << "csv";
    }
    void exportWritesTheRowsShown()
    {
        QFETCH(QString, text);
        QFETCH(QString, suffix);
        TfrmConnectionOracle *window = searched(text);
        QVERIFY(window);
        // The list's order of the moment: sorted by Type.
        window->lvResult->header()->sectionClicked(1);
        const QList<QStringList> shown = shownRows(window);
        QCOMPARE(shown.isEmpty(), text == QLatin1String("zz_nowhere"));

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("results.") + suffix);
        m_seams->files.saveAnswers.enqueue(file);
        window->lvResult->findChild<QAction *>(QStringLiteral("miExportResults"))->trigger();
        QVERIFY(m_seams->messages.shown.isEmpty());
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QList<QStringList> read = ks::test::readRecords(suffix, written.readAll(), kColumns);
        QCOMPARE(read.takeFirst(), kColumns);
        QCOMPARE(read, shown);
    }

    // The command line searches what the window searches with its boxes as
    // they start, and lists the same rows in the same order.
    void commandLineListsWhatTheWindowLists()
    {
        const QString demo = qEnvironmentVariable("QUILLMERE_DEMO_CATALOGUE");
        TfrmConnectionOracle *window = searched(QStringLiteral("emp"));
        QVERIFY(window);
        QList<QStringList> shown = shownRows(window);
        QVERIFY(!shown.isEmpty());
        QProcess program;
        program.start(qEnvironmentVariable("QUILLMERE_SEARCH"), {QStringLiteral("emp"), demo});
        QVERIFY(program.waitForFinished());
        QList<QStringList> listed = ks::test::readTsv(QString::fromUtf8(program.readAllStandardOutput()));
        QCOMPARE(listed.takeFirst(), kColumns);
        for (QStringList &row : shown)
            row.first() = demo;
        QCOMPARE(listed, shown);
    }

    void copyTakesTheSelectedRowWithAHeader()
    {
        TfrmConnectionOracle *window = searched(QStringLiteral("emp"));
        QVERIFY(window);
        const QList<QStringList> shown = shownRows(window);
        QVERIFY(shown.size() > 3);
        window->lvResult->setFocus();
        window->lvResult->setCurrentIndex(window->lvResult->model()->index(2, 0));
        QTest::keySequence(window->lvResult, QKeySequence::Copy);
        QCOMPARE(ks::test::readTsv(m_seams->clip.content), (QList<QStringList> {kColumns, shown.at(2)}));
    }

private:
    TfrmConnectionOracle *searched(const QString &text)
    {
        TfrmConnectionOracle *window = TfrmConnectionOracle::open(
            m_main.get(), ks::test::oracleConnectionString(qEnvironmentVariable("QUILLMERE_DEMO_CATALOGUE")));
        if (!ks::test::optionsRead(window))
            return nullptr;
        window->edFind->setText(text);
        return ks::test::findAndWait(window) ? window : nullptr;
    }

    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

QTEST_MAIN(TestResultExport)
#include "tst_resultexport.moc"
