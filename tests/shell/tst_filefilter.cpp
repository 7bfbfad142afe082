// Dialog filters written "description|patterns|..." as Qt's dialogs take them.

#include "shell/KsFileFilter.h"

#include <QtTest>

class TestFileFilter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void qtFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("all files") << "All files (*.*)|*.*" << "All files (*)";
        QTest::newRow("two entries")
            << "Text files (*.txt)|*.txt|All Files (*.*)|*.*" << "Text files (*.txt);;All Files (*)";
        QTest::newRow("several patterns") << "Scripts|*.sql; *.pls;*.pkb" << "Scripts (*.sql *.pls *.pkb)";
        QTest::newRow("description shows other patterns") << "Logs (*.log)|*.log;*.trc" << "Logs (*.log *.trc)";
        QTest::newRow("no description") << "|*.fto" << "*.fto (*.fto)";
        QTest::newRow("description without patterns is dropped") << "Broken|" << "";
        QTest::newRow("odd part left over") << "Text|*.txt|Dangling" << "Text (*.txt)";
        QTest::newRow("empty") << "" << "";
    }

    void qtFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QString, qt);
        QCOMPARE(ks::qtFileFilter(filter), qt);
    }
};

QTEST_GUILESS_MAIN(TestFileFilter)
#include "tst_filefilter.moc"
