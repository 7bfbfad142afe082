// What the Designer connection window alone does, driven through its
// controls against the two demo repositories and small repository files: the
// repository it reads, the application-system list, its include boxes and
// letter case, its search log, and what the user sees when the repository
// cannot be read. What every connection window does is tested over all kinds
// in tst_kindwindows.cpp.

#include "app/FMain.h"
#include "db/KsAdo.h"
#include "kinds/designer/FConnectDesigner.h"
#include "search/KsResultModel.h"
#include "search/SearchWaiting.h"
#include "support/OracleFixture.h"
#include "support/ResultListDriving.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

using ks::test::choose;
using ks::test::memoLines;

namespace {

QStringList listed(const TfrmConnectionDesigner *window)
{
    QStringList rows;
    const QAbstractItemModel *model = window->lvResult->model();
    for (int i = 0; i < model->rowCount(); ++i) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(i, column).data().toString();
        rows << cells.join(u'|');
    }
    return rows;
}

// A demo repository named by the test's environment; empty when it is missing.
QString demoFile(const char *variable)
{
    const QString path = qEnvironmentVariable(variable);
    return QFileInfo::exists(path) ? path : QString();
}

} // namespace

class TestDesignerWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_demo = demoFile("QUILLMERE_DESIGNER_DEMO");
        m_old = demoFile("QUILLMERE_DESIGNER_OLD");
        QVERIFY2(!m_demo.isEmpty() && !m_old.isEmpty(),
            "QUILLMERE_DESIGNER_DEMO and QUILLMERE_DESIGNER_OLD must name the built demo repositories");
        m_noRepository = m_dir.filePath(QStringLiteral("oracle.qmcat"));
        ks::test::makeCatalogue(m_noRepository, ks::test::oracleFixture());
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    }

    void cleanupTestCase() { QLocale::setDefault(m_locale); }

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

    void initialisationReadsTheRepository()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        QVERIFY(m_seams->messages.shown.isEmpty());
        QCOMPARE(window->repositoryKind(), ks::designer::WithRepositoryVersion);
        QCOMPARE(window->repositoryTables().tableNames,
            (QStringList {"CI_APPLICATION_SYSTEMS", "CI_ATTRIBUTES", "CI_COLUMNS", "CI_DOMAINS", "CI_ENTITIES",
                "CI_MODULES", "CI_TABLE_DEFINITIONS"}));
        QCOMPARE(window->repositoryTables().columnNames.at(4),
            (QStringList {"ALIAS", "CHANGED_BY", "CREATED_BY", "NAME", "OWNING_USER", "PLURAL", "REMARK", "SHORT_NAME",
                "USER_DEFINED_PROPERTY_0", "USER_DEFINED_PROPERTY_1", "USER_DEFINED_PROPERTY_2",
                "USER_DEFINED_PROPERTY_3"}));
        QCOMPARE(window->cbAppSys->currentIndex(), -1);
        QCOMPARE(window->cbAppSys->currentText(), QString());
        QVERIFY(!window->cbAppSys->isEditable());
        QVERIFY(window->edFind->isEnabled());

        // The viewer beside it says what a search covers.
        TfrmKsTextViewer *query = viewer(QStringLiteral("repository query of ") + window->caption());
        QVERIFY(query);
        const QStringList lines = memoLines(query);
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines.constFirst(), ks::designer::kDiscoveryStatement);
        QCOMPARE(lines.at(1), QStringLiteral("CI_APPLICATION_SYSTEMS: AUTHORITY, CREATED_BY, NAME, SUMMARY, TITLE"));
        QCOMPARE(lines.at(7),
            QStringLiteral(
                "CI_TABLE_DEFINITIONS: ALIAS, CHANGED_BY, CREATED_BY, DISPLAY_TITLE, NAME, OWNING_USER, REMARK, "
                "TABLESPACE_NAME, USER_DEFINED_PROPERTY_0"));
        QCOMPARE(m_main->activeChild(), window);
    }

    void olderRepositoryListsNameAndVersion()
    {
        TfrmConnectionDesigner *window = open(m_old);
        QCOMPARE(window->repositoryKind(), ks::designer::SchemaVersionOnly);
        QCOMPARE(
            ks::test::listItems(window->cbAppSys), (QStringList {"ORDERS.1", "ORDERS.2", "ORDERS.EU.3", "STOCK.1"}));

        QCOMPARE(search(window, QStringLiteral("ORDERS.EU.3"), QStringLiteral("customer")).constFirst(),
            QStringLiteral("SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'ORDERS.EU' AND VERSION = 3"));
        QCOMPARE(listed(window),
            (QStringList {"CUSTOMER|Entities|Name|CUSTOMER", "CUSTOMER|Entities|Plural|CUSTOMERS",
                "CUSTOMER_NAME|Attributes|Name|CUSTOMER_NAME",
                "CUSTOMER_NAME|Attributes|Remark|The customer's name."}));

        QCOMPARE(search(window, QStringLiteral("ORDERS.2"), QStringLiteral("invoice")).constFirst(),
            QStringLiteral("SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'ORDERS' AND VERSION = 2"));
        QCOMPARE(listed(window),
            (QStringList {"CUSTOMER|Entities|Remark|Who orders and is invoiced.", "INVOICE|Entities|Name|INVOICE",
                "INVOICE|Entities|Plural|INVOICES", "INVOICE_DATE|Attributes|Name|INVOICE_DATE",
                "INVOICE_DATE|Attributes|Remark|Day of the invoice."}));
        QVERIFY(m_seams->messages.shown.isEmpty());
    }

    void sharedNameSearchesTheVersionChosen()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        const QStringList sent = search(window, QStringLiteral("HR (2)"), QStringLiteral("history"));
        QCOMPARE(sent.constFirst(),
            QStringLiteral("SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'HR' AND VERSION = 2"));
        QVERIFY(listed(window).contains(QStringLiteral("JOB_HISTORY|Entities|Name|JOB_HISTORY")));
    }

    void withoutRepositoryTheWindowCannotSearch()
    {
        TfrmConnectionDesigner *window = open(m_noRepository);
        QCOMPARE(m_seams->messages.shown, QStringList {"Repository not found"});
        QCOMPARE(window->repositoryKind(), ks::designer::NoRepository);
        QVERIFY(!window->edFind->isEnabled());
        QCOMPARE(window->cbAppSys->count(), 0);
        QVERIFY(!window->btnFind->isEnabled());
        // The window stays, alone: no viewer was opened for it.
        QCOMPARE(m_main->childWindows(), QList<KsMdiChild *> {window});
        QVERIFY(window->isVisible());
    }

    void discoveryErrorKeepsTheWindow()
    {
        const QString file = m_dir.filePath(QStringLiteral("nocatalogue.qmcat"));
        ks::test::makeCatalogue(file, {QStringLiteral("CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION)")});
        TfrmConnectionDesigner *window = open(file);
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY2(m_seams->messages.shown.constFirst().contains(QStringLiteral("user_tab_columns")),
            qPrintable(m_seams->messages.shown.constFirst()));
        QVERIFY(window->isVisible());
        QCOMPARE(m_main->activeChild(), window);
        QCOMPARE(window->cbAppSys->count(), 0);
        QCOMPARE(memoLines(viewer(QStringLiteral("repository query of ") + window->caption())),
            QStringList {ks::designer::kDiscoveryStatement});
    }

    void applicationSystemErrorKeepsTheTablesRead()
    {
        const QString file = m_dir.filePath(QStringLiteral("nosystems.qmcat"));
        ks::test::makeCatalogue(file,
            {QStringLiteral("CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION, REPOSITORY_VERSION)"),
                QStringLiteral("CREATE TABLE USER_TAB_COLUMNS (TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH)"),
                QStringLiteral("INSERT INTO USER_TAB_COLUMNS VALUES ('CI_ENTITIES', 'NAME', 'VARCHAR2', 40)")});
        TfrmConnectionDesigner *window = open(file);
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY2(m_seams->messages.shown.constFirst().contains(QStringLiteral("ci_application_systems")),
            qPrintable(m_seams->messages.shown.constFirst()));
        QVERIFY(window->isVisible());
        QCOMPARE(window->repositoryTables().tableNames, QStringList {"CI_ENTITIES"});
        QCOMPARE(memoLines(viewer(QStringLiteral("repository query of ") + window->caption())).constLast(),
            QStringLiteral("CI_ENTITIES: NAME"));
    }

    void includeBoxesAddColumns_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("find");
        QTest::addColumn<int>("statements");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("user-defined properties")
            << "cbIncUserDefs"
            << "gdpr" << 1 + 39 + 13 << QStringList {"EMPLOYEE|Entities|User Defined Property 3|GDPR: personal data"};
        QTest::newRow("creators and changers")
            << "cbIncCreateChanges"
            << "akowalska" << 1 + 39 + 13
            << QStringList {"EMPLOYEE|Entities|Changed By|AKOWALSKA", "SALARY|Attributes|Changed By|AKOWALSKA"};
        QTest::newRow("owning user") << "cbIncOwningUser"
                                     << "hr_owner" << 1 + 39 + 6 << QStringList {};
    }

    void includeBoxesAddColumns()
    {
        QFETCH(QString, box);
        QFETCH(QString, find);
        QFETCH(int, statements);
        QFETCH(QStringList, rows);
        TfrmConnectionDesigner *window = open(m_demo);
        // Without the box the text is nowhere.
        search(window, QStringLiteral("HR (1)"), find);
        QCOMPARE(listed(window), QStringList {"no results found|||"});

        auto *include = window->findChild<QCheckBox *>(box);
        QVERIFY(include);
        QTest::mouseClick(include, Qt::LeftButton, {}, QPoint(4, include->height() / 2));
        QVERIFY(include->isChecked());
        const QStringList sent = search(window, QStringLiteral("HR (1)"), find);
        QCOMPARE(sent.size(), statements);
        if (rows.isEmpty()) {
            // Every element of HR version 1 has its owner.
            QCOMPARE(window->resultModel()->rowCount(), 17);
            for (int i = 0; i < window->resultModel()->rowCount(); ++i)
                QCOMPARE(window->resultModel()->row(i).schema, QStringLiteral("Owning User"));
        } else {
            QCOMPARE(listed(window), rows);
        }
    }

    void ignoreCaseFindsNonAsciiLetters()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        const QStringList sent = search(window, QStringLiteral("ORDERS.EU"), QStringLiteral("café"));
        QVERIFY(sent.contains(QStringLiteral("SELECT NAME, ALIAS FROM CI_ENTITIES WHERE APPLICATION_SYSTEM_OWNED_BY "
                                             "= 1004 AND UPPER(ALIAS) LIKE '%CAFÉ%'")));
        QCOMPARE(listed(window),
            (QStringList {"COFFEE_SHOP|Entities|Alias|CAFÉ",
                "COFFEE_SHOP|Entities|Remark|Café or bar that resells our coffee; prices in €.",
                "GRÖSSE|Attributes|Remark|Seating of the café.",
                "ORD0010|Modules|Purpose|Bestellungen erfassen, auch für Cafés."}));

        QTest::mouseClick(window->cbIgnoreCase, Qt::LeftButton, {}, QPoint(4, window->cbIgnoreCase->height() / 2));
        QVERIFY(!window->cbIgnoreCase->isChecked());
        const QStringList exact = search(window, QStringLiteral("ORDERS.EU"), QStringLiteral("café"));
        QVERIFY(exact.contains(QStringLiteral("SELECT NAME, ALIAS FROM CI_ENTITIES WHERE "
                                              "APPLICATION_SYSTEM_OWNED_BY = 1004 AND ALIAS LIKE '%café%'")));
        QCOMPARE(listed(window), QStringList {"GRÖSSE|Attributes|Remark|Seating of the café."});
        QVERIFY(!window->ignoreCaseFlag());
    }

    void apostropheIsDoubledInStatementsAndTwiceInTheLogCaption()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        const QStringList sent = search(window, QStringLiteral("LIBRARY"), QStringLiteral(" O'Neil "));
        QCOMPARE(window->quotedFind(), QStringLiteral("O''Neil"));
        QVERIFY(sent.at(1).endsWith(QStringLiteral("LIKE '%O''NEIL%'")));
        QCOMPARE(listed(window), QStringList {"AUTHOR|Entities|Remark|Writer of a book, such as O'Neil or Ó Briain."});
        QVERIFY(viewer(QStringLiteral("search for 'O''''Neil' in ") + window->caption()));
    }

    void failingIdStatementEndsTheSearch()
    {
        // A version that is not a number makes the id statement fail.
        const QString file = m_dir.filePath(QStringLiteral("badversion.qmcat"));
        ks::test::makeCatalogue(file,
            {QStringLiteral("CREATE TABLE RM$REPOSITORIES (SCHEMA_VERSION)"),
                QStringLiteral("CREATE TABLE USER_TAB_COLUMNS (TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH)"),
                QStringLiteral("INSERT INTO USER_TAB_COLUMNS VALUES ('CI_ENTITIES', 'NAME', 'VARCHAR2', 40)"),
                QStringLiteral("CREATE TABLE CI_APPLICATION_SYSTEMS (ID, NAME, VERSION)"),
                QStringLiteral("INSERT INTO CI_APPLICATION_SYSTEMS VALUES (1, 'ORDERS', 'EU')"),
                QStringLiteral("CREATE TABLE CI_ENTITIES (NAME, APPLICATION_SYSTEM_OWNED_BY)")});
        TfrmConnectionDesigner *window = open(file);
        QCOMPARE(ks::test::listItems(window->cbAppSys), QStringList {"ORDERS.EU"});
        search(window, QStringLiteral("ORDERS.EU"), QStringLiteral("x"));
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY2(m_seams->messages.shown.constFirst().contains(QStringLiteral("EU")),
            qPrintable(m_seams->messages.shown.constFirst()));
        QCOMPARE(window->resultModel()->rowCount(), 0);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(memoLines(viewer(QStringLiteral("search for 'x' in ") + window->caption())),
            QStringList {"SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'ORDERS' AND VERSION = EU"});
    }

    void duplicateWithoutRepositoryTellsAgain()
    {
        TfrmConnectionDesigner *window = open(m_noRepository);
        window->miDuplicate->trigger();
        QVERIFY(ks::test::optionsRead(qobject_cast<TfrmConnectionBase *>(m_main->activeChild())));
        QCOMPARE(m_seams->messages.shown, (QStringList {"Repository not found", "Repository not found"}));
        QCOMPARE(m_main->childWindows().size(), 2);
    }

private:
    TfrmConnectionDesigner *open(const QString &file)
    {
        TfrmConnectionDesigner *window = TfrmConnectionDesigner::open(
            m_main.get(), ks::test::oracleConnectionString(file, QStringLiteral("REPOS")));
        if (!ks::test::optionsRead(window))
            qWarning("the repository was not read");
        return window;
    }

    // Chooses an application system, types the text and presses Find; the
    // statements sent, in order.
    QStringList search(TfrmConnectionDesigner *window, const QString &appSys, const QString &text)
    {
        choose(window->cbAppSys, appSys);
        window->edFind->setText(text);
        [&] { QVERIFY(window->btnFind->isEnabled()); }();
        QStringList sent;
        ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql; });
        [&] { QVERIFY(ks::test::findAndWait(window)); }();
        return sent;
    }

    TfrmKsTextViewer *viewer(const QString &caption) const
    {
        for (KsMdiChild *child : m_main->childWindows()) {
            if (auto *textViewer = qobject_cast<TfrmKsTextViewer *>(child); textViewer && child->caption() == caption)
                return textViewer;
        }
        return nullptr;
    }

    QTemporaryDir m_dir;
    QString m_demo;
    QString m_old;
    QString m_noRepository;
    QLocale m_locale;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

QTEST_MAIN(TestDesignerWindow)
#include "tst_designerwindow.moc"
