// The Designer connection window driven through its controls against the two
// demo repositories and small repository files: connecting with Ctrl+D,
// the application-system list, enabling Find, searching with its log, and
// what the user sees when the repository cannot be read. Also what every
// connect command does with a catalogue file of another kind.

#include "app/FMain.h"
#include "db/DKsConnOra.h"
#include "db/KsAdo.h"
#include "kinds/designer/FConnectDesigner.h"
#include "search/KsResultModel.h"
#include "search/SearchWaiting.h"
#include "settings/MRUList.h"
#include "settings/SettingsTestSupport.h"
#include "support/ModalDialogs.h"
#include "support/OracleFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

namespace {

const QString kColumnStatementStart = QStringLiteral("SELECT NAME, ");

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

QStringList items(const QComboBox *box)
{
    QStringList result;
    for (int i = 0; i < box->count(); ++i)
        result << box->itemText(i);
    return result;
}

QStringList memoLines(const TfrmKsTextViewer *viewer)
{
    const QString text = viewer->findChild<QPlainTextEdit *>(QStringLiteral("Memo"))->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
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
        m_msSql = m_dir.filePath(QStringLiteral("mssql.qmcat"));
        ks::test::makeCatalogue(m_msSql, {QStringLiteral("CREATE TABLE sysobjects (name TEXT)")});
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

    void ctrlDConnectsThroughTheOracleDialog()
    {
        QTimer::singleShot(0, this, [this] {
            auto *dialog = qobject_cast<TdlgKsConnectOra *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(!dialog->btnHelp->isVisible());
            QTest::keyClicks(dialog->edUsername, QStringLiteral("REPOS"));
            QTest::keyClicks(dialog->edPassword, QStringLiteral("secret"));
            dialog->cbDataSource->setEditText(m_demo);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        QTest::keyClick(m_main.get(), Qt::Key_D, Qt::ControlModifier);
        auto *window = qobject_cast<TfrmConnectionDesigner *>(m_main->activeChild());
        QVERIFY(window);
        QVERIFY(ks::test::optionsRead(window));
        QCOMPARE(window->objectName(), QStringLiteral("frmConnectionDesigner"));
        QCOMPARE(window->caption(), QStringLiteral("REPOS @ ") + m_demo + QStringLiteral(" (Designer)"));
        QCOMPARE(window->connectionString(),
            QStringLiteral("provider=OraOLEDB.Oracle;user id=REPOS;password=secret;data source=") + m_demo);
        QCOMPARE(items(window->cbAppSys), (QStringList {"HR (1)", "HR (2)", "LIBRARY", "ORDERS", "ORDERS.EU"}));
        QVERIFY(viewer(QStringLiteral("repository query of ") + window->caption()));
        QStringList bar;
        for (const QAction *action : m_main->menuBar()->actions()) {
            if (action->isVisible())
                bar << action->text();
        }
        QCOMPARE(bar, (QStringList {"&File", "&Connection", "&Windows", "&Help"}));
        // The command is reachable by its short-cut only.
        QVERIFY(!m_main->connectCommand(QStringLiteral("miOracleDesigner"))->isVisible());
    }

    void cancelledDialogOpensNothing()
    {
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<TdlgKsConnectOra *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->reject();
        });
        m_main->connectCommand(QStringLiteral("miOracleDesigner"))->trigger();
        QVERIFY(m_main->childWindows().isEmpty());
        QVERIFY(m_seams->messages.shown.isEmpty());
    }

    void catalogueOfAnotherKindIsRefused_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        const QString holds = QStringLiteral("%1 holds %2, not %3.");
        const QString dictionary = QStringLiteral("an Oracle data dictionary");
        const QString repository = QStringLiteral("a Designer repository");
        QTest::newRow("oracle, sql server file")
            << "miNewOracleConnection" << m_msSql << holds.arg(m_msSql, "a SQL Server catalogue", dictionary);
        QTest::newRow("designer, dictionary")
            << "miOracleDesigner" << m_noRepository << holds.arg(m_noRepository, dictionary, repository);
        QTest::newRow("sql server, repository")
            << "miNewMSSQLServerConnection" << m_demo << holds.arg(m_demo, repository, "a SQL Server catalogue");
    }

    void catalogueOfAnotherKindIsRefused()
    {
        // OK says so at once and leaves the dialog open; nothing is recorded.
        QFETCH(QString, command);
        QFETCH(QString, file);
        const ks::test::ConfigHome config;
        QStringList recorded {QStringLiteral("<not shown>")};
        ks::test::whenDialogShows<TdlgKsConnectBase>(this, [&](TdlgKsConnectBase *dialog) {
            // A login, and the file as data source (or as server and database).
            for (QLineEdit *edit : dialog->findChildren<QLineEdit *>())
                edit->setText(QStringLiteral("REPOS"));
            for (QComboBox *box : dialog->findChildren<QComboBox *>())
                box->setEditText(file);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
            QVERIFY(dialog->isVisible());
            recorded.clear();
            for (const TMRUManager *list : dialog->findChildren<TMRUManager *>())
                recorded += list->Strings().names();
            dialog->reject();
        });
        m_main->findChild<QAction *>(command)->trigger();
        QTEST(m_seams->messages.shown.join(u'\n'), "message");
        QCOMPARE(recorded, QStringList());
        QVERIFY(m_main->childWindows().isEmpty());
    }

    void captions_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("caption");
        QTest::newRow("user and source") << "provider=OraOLEDB.Oracle;user id=REPOS;password=x;data source=ORCL"
                                         << "REPOS @ ORCL (Designer)";
        QTest::newRow("no source") << "provider=OraOLEDB.Oracle;user id=REPOS;password=x"
                                   << "REPOS (Designer)";
        QTest::newRow("no user") << "provider=OraOLEDB.Oracle;Data Source=ORCL"
                                 << " @ ORCL (Designer)";
        QTest::newRow("neither") << "provider=OraOLEDB.Oracle"
                                 << " (Designer)";
    }

    void captions()
    {
        QFETCH(QString, connection);
        QTEST(TfrmConnectionDesigner::captionFor(connection), "caption");
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
        QVERIFY(!window->btnFind->isEnabled());
        QVERIFY(window->cbIgnoreCase->isChecked());
        for (QCheckBox *box : {window->cbIncUserDefs, window->cbIncCreateChanges, window->cbIncOwningUser})
            QVERIFY(!box->isChecked());
        QCOMPARE(window->resultModel()->rowCount(), 0);

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
        QCOMPARE(items(window->cbAppSys), (QStringList {"ORDERS.1", "ORDERS.2", "ORDERS.EU.3", "STOCK.1"}));

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

    void findNeedsApplicationSystemAndText()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        QTest::keyClicks(window->edFind, QStringLiteral("emp"));
        QVERIFY(!window->btnFind->isEnabled());
        // Choosing the application system afterwards changes nothing yet...
        choose(window->cbAppSys, QStringLiteral("HR (1)"));
        QVERIFY(!window->btnFind->isEnabled());
        int statements = 0;
        ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
        QTest::keyClick(window->edFind, Qt::Key_Return);
        QCOMPARE(statements, 0);
        // ...until the text is edited again.
        QTest::keyClicks(window->edFind, QStringLiteral("l"));
        QVERIFY(window->btnFind->isEnabled());
        window->edFind->clear();
        QTest::keyClicks(window->edFind, QStringLiteral(" \t "));
        QVERIFY(!window->btnFind->isEnabled());
        QTest::keyClick(window->edFind, Qt::Key_Return);
        QCOMPARE(statements, 0);
        QTest::keyClicks(window->edFind, QStringLiteral("salary "));
        QVERIFY(window->btnFind->isEnabled());
        QTest::keyClick(window->edFind, Qt::Key_Return);
        QVERIFY(ks::test::searchEnds(window));
        QCOMPARE(statements, 40);
        QVERIFY(window->resultModel()->rowCount() > 0);
    }

    void searchListsPropertiesAndValues()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        const QStringList sent = search(window, QStringLiteral("HR (1)"), QStringLiteral("salary"));
        QCOMPARE(m_cursorDuringSearch, Qt::WaitCursor);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(m_seams->messages.shown.isEmpty());
        // HR version 1 is id 1001; the statements on CI_APPLICATION_SYSTEMS,
        // which has no owner column, fail unseen.
        QCOMPARE(listed(window),
            (QStringList {
                "HRR0100|Modules|Short Title|Salary list",
                "JOB|Entities|Remark|A position an employee may hold; pays a salary within a range.",
                "MIN_SALARY|Attributes|Name|MIN_SALARY",
                "MIN_SALARY|Attributes|Remark|Lowest salary of the job.",
                "MONEY|Domains|Remark|Amounts in €, two decimals; used for every salary.",
                "SALARY|Attributes|Name|SALARY",
                "SALARY|Attributes|Remark|Monthly gross salary in €.",
                "SALARY|Columns|Hint Text|Monthly gross salary.",
                "SALARY|Columns|Name|SALARY",
                "SALARY|Columns|Prompt|Salary",
            }));
        const QAbstractItemModel *shown = window->lvResult->model();
        QStringList headers;
        for (int column = 0; column < shown->columnCount(); ++column)
            headers << shown->headerData(column, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList {"Name", "Type", "Property", "Value"}));

        // The log holds every statement run, in order.
        TfrmKsTextViewer *log = viewer(QStringLiteral("search for 'salary' in ") + window->caption());
        QVERIFY(log);
        QCOMPARE(memoLines(log), sent);
        QCOMPARE(sent.size(), 40);
        QCOMPARE(sent.at(0),
            QStringLiteral("SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'HR' AND VERSION = 1"));
        QCOMPARE(sent.at(1),
            QStringLiteral("SELECT NAME, AUTHORITY FROM CI_APPLICATION_SYSTEMS WHERE APPLICATION_SYSTEM_OWNED_BY = "
                           "1001 AND UPPER(AUTHORITY) LIKE '%SALARY%'"));
        for (const QString &sql : sent.mid(1)) {
            QVERIFY2(sql.startsWith(kColumnStatementStart), qPrintable(sql));
            for (const char *filtered : {"USER_DEFINED_PROPERTY", "CREATED_BY", "CHANGED_BY", "OWNING_USER", "CIXYZ",
                     "CI_APP_SYS_SHARES", "CI_TEXT_LINES", "DATAWAREHOUSE_TYPE", "INITIAL_VOLUME"})
                QVERIFY2(!sql.contains(QLatin1String(filtered)), qPrintable(sql));
        }
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

    void noResultsRowAndFullLog()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        const QStringList sent = search(window, QStringLiteral("LIBRARY"), QStringLiteral("zzz"));
        QCOMPARE(listed(window), QStringList {"no results found|||"});
        QCOMPARE(window->resultModel()->row(0).subItems, 0);
        QCOMPARE(window->resultModel()->row(0).rowKind, 0);
        QCOMPARE(memoLines(viewer(QStringLiteral("search for 'zzz' in ") + window->caption())), sent);
        QCOMPARE(sent.size(), 40);

        // Each search opens its own log and starts a fresh list.
        search(window, QStringLiteral("LIBRARY"), QStringLiteral("loan"));
        QCOMPARE(window->resultModel()->row(0).name, QStringLiteral("LIB0020"));
        QVERIFY(!listed(window).contains(QStringLiteral("no results found|||")));
        QVERIFY(viewer(QStringLiteral("search for 'zzz' in ") + window->caption()));
        QVERIFY(viewer(QStringLiteral("search for 'loan' in ") + window->caption()));
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
        QCOMPARE(items(window->cbAppSys), QStringList {"ORDERS.EU"});
        search(window, QStringLiteral("ORDERS.EU"), QStringLiteral("x"));
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY2(m_seams->messages.shown.constFirst().contains(QStringLiteral("EU")),
            qPrintable(m_seams->messages.shown.constFirst()));
        QCOMPARE(window->resultModel()->rowCount(), 0);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(memoLines(viewer(QStringLiteral("search for 'x' in ") + window->caption())),
            QStringList {"SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'ORDERS' AND VERSION = EU"});
    }

    void headerClickSortsAndDoubleClickDoesNothing()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        search(window, QStringLiteral("HR (1)"), QStringLiteral("salary"));
        const int windows = m_main->childWindows().size();
        window->lvResult->header()->sectionClicked(2);
        QStringList properties;
        for (int i = 0; i < window->resultModel()->rowCount(); ++i)
            properties << window->resultModel()->row(i).schema;
        QCOMPARE(properties.mid(0, 3), (QStringList {"Hint Text", "Name", "Name"}));
        QCOMPARE(properties.constLast(), QStringLiteral("Short Title"));

        int statements = 0;
        ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
        const QRect rect = window->lvResult->visualRect(window->lvResult->model()->index(0, 0));
        QTest::mouseClick(window->lvResult->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(window->lvResult->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(statements, 0);
        QCOMPARE(m_main->childWindows().size(), windows);
    }

    void duplicateRunsTheWholeInitialisation()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        search(window, QStringLiteral("HR (1)"), QStringLiteral("salary"));
        m_main->mdiArea()->setActiveSubWindow(window->subWindow());
        QCOMPARE(m_main->activeChild(), window);
        window->edFind->setFocus();
        QTest::keyClick(window->edFind, Qt::Key_D, Qt::ControlModifier);
        auto *copy = qobject_cast<TfrmConnectionDesigner *>(m_main->activeChild());
        QVERIFY(copy);
        QVERIFY(ks::test::optionsRead(copy));
        QVERIFY(copy != window);
        QCOMPARE(copy->caption(), window->caption());
        QCOMPARE(items(copy->cbAppSys), items(window->cbAppSys));
        QCOMPARE(copy->cbAppSys->currentIndex(), -1);
        QCOMPARE(copy->edFind->text(), QString());
        QCOMPARE(copy->resultModel()->rowCount(), 0);
        QCOMPARE(copy->repositoryTables().tableNames, window->repositoryTables().tableNames);
        int queryViewers = 0;
        for (KsMdiChild *child : m_main->childWindows()) {
            if (child->caption() == QStringLiteral("repository query of ") + window->caption())
                ++queryViewers;
        }
        QCOMPARE(queryViewers, 2);
    }

    void duplicateWithoutRepositoryTellsAgain()
    {
        TfrmConnectionDesigner *window = open(m_noRepository);
        window->miDuplicate->trigger();
        QVERIFY(ks::test::optionsRead(qobject_cast<TfrmConnectionBase *>(m_main->activeChild())));
        QCOMPARE(m_seams->messages.shown, (QStringList {"Repository not found", "Repository not found"}));
        QCOMPARE(m_main->childWindows().size(), 2);
    }

    void searchBarLayout()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        for (int width : {696, 1000, 560}) {
            window->subWindow()->resize(width, 433);
            QCoreApplication::processEvents();
            const int findPanelLeft = window->paTopRight->mapTo(window->paTop, QPoint(0, 0)).x();
            for (QWidget *stretched :
                {static_cast<QWidget *>(window->cbAppSys), static_cast<QWidget *>(window->edFind)}) {
                const QRect r = stretched->geometry();
                QCOMPARE(r.x() + r.width() + 2, findPanelLeft);
            }
            QCOMPARE(window->cbAppSys->x(), window->edFind->x());
        }
        window->subWindow()->resize(696, 433);
        QCoreApplication::processEvents();
        const QStringList labels {"Application System", "Find", "Include"};
        for (int i = 0; i < 3; ++i) {
            auto *label = window->findChild<QLabel *>(QStringLiteral("Label%1").arg(i + 2));
            QVERIFY(label);
            QCOMPARE(label->text(), labels.at(i));
            QVERIFY(label->width() >= label->sizeHint().width());
            QVERIFY(label->geometry().right() < window->cbAppSys->x());
        }
        for (QCheckBox *box :
            {window->cbIgnoreCase, window->cbIncUserDefs, window->cbIncCreateChanges, window->cbIncOwningUser})
            QVERIFY(box->width() >= box->sizeHint().width());
        QHeaderView *header = window->lvResult->header();
        QCOMPARE(header->sectionSize(0), 150);
        QCOMPARE(header->sectionSize(1), 150);
        QCOMPARE(header->sectionSize(2), 150);
        header->resizeSection(2, 20);
        QCOMPARE(header->sectionSize(2), 100);
        header->resizeSection(1, 20);
        QCOMPARE(header->sectionSize(1), 50);
    }

    void tabOrder()
    {
        TfrmConnectionDesigner *window = open(m_demo);
        QStringList order;
        QWidget *widget = window->cbAppSys;
        for (int steps = 0; steps < 100 && order.size() < 7; ++steps) {
            widget = widget->nextInFocusChain();
            if (widget == window->cbAppSys)
                break;
            if ((widget->focusPolicy() & Qt::TabFocus) && !widget->objectName().isEmpty()
                && window->isAncestorOf(widget))
                order << widget->objectName();
        }
        QCOMPARE(order,
            (QStringList {"cbIgnoreCase", "edFind", "btnFind", "cbIncUserDefs", "cbIncCreateChanges", "cbIncOwningUser",
                "lvResult"}));
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
        QTest::mouseClick(window->btnFind, Qt::LeftButton);
        // The wait cursor shows over the list while it fills, nowhere else.
        m_cursorDuringSearch = window->lvResult->viewport()->cursor().shape();
        [&] { QVERIFY(ks::test::searchEnds(window)); }();
        [&] { QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor); }();
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

    // Picks an entry as the user does, so the window's change handlers run.
    static void choose(QComboBox *box, const QString &text)
    {
        const int index = box->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }

    QTemporaryDir m_dir;
    QString m_demo;
    QString m_old;
    QString m_noRepository;
    QString m_msSql;
    QLocale m_locale;
    Qt::CursorShape m_cursorDuringSearch = Qt::ArrowCursor;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

QTEST_MAIN(TestDesignerWindow)
#include "tst_designerwindow.moc"
