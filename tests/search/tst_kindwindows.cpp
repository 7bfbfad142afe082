// The connection windows of the Oracle dictionary, the SQL Server catalogue
// and the Designer repository, driven through the frame they share, one table
// row per kind: connecting from the menu, the search bar, searching,
// double-clicks, Duplicate and errors. Also the seam itself: the bar holds
// every option the kind names, as the option starts, and the kind's search
// made from option values finds what the window finds.

#include "app/FMain.h"
#include "db/DKsConnDialog.h"
#include "db/KsConnection.h"
#include "db/KsConnectionString.h"
#include "kinds/KsKinds.h"
#include "kinds/designer/FConnectDesigner.h"
#include "search/KsKindWindows.h"
#include "search/KsPreparedSearch.h"
#include "search/SearchWaiting.h"
#include "settings/MRUList.h"
#include "settings/SettingsTestSupport.h"
#include "support/ModalDialogs.h"
#include "support/OracleFixture.h"
#include "support/ResultListDriving.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"
#include "text/FrKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

Q_DECLARE_METATYPE(ks::SearchHighlight)

using ks::test::choose;
using ks::test::doubleClickRow;
using ks::test::listedRows;
using ks::test::memoLines;
using ks::test::memoText;

namespace {

QStringList column(const TfrmConnectionBase *window, int col)
{
    QStringList values;
    for (int i = 0; i < window->resultModel()->rowCount(); ++i)
        values << window->resultModel()->index(i, col).data().toString();
    return values;
}

// "Name|Type|Schema|Comment" of a row, to compare rows found in another order.
QString rowText(const ks::ResultRow &row)
{
    return QStringList {row.name, row.type, row.schema, row.comment}.join(u'|');
}

// Sets the bar as its user does, in the order given: "edFind=text", a list's
// entry ("cbDict=ALL"), a box ticked or not ("cbIncTSql=0").
void apply(TfrmConnectionBase *window, const QStringList &settings)
{
    for (const QString &setting : settings) {
        const QString name = setting.section(u'=', 0, 0);
        const QString value = setting.section(u'=', 1);
        QWidget *control = window->findChild<QWidget *>(name);
        QVERIFY2(control, qPrintable(name));
        if (auto *box = qobject_cast<QCheckBox *>(control)) {
            if (box->isChecked() != (value == QLatin1String("1")))
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        } else if (auto *list = qobject_cast<QComboBox *>(control)) {
            choose(list, value);
        } else {
            qobject_cast<QLineEdit *>(control)->setText(value);
        }
    }
}

// Sets the bar, clicks Find and waits for the end; the statements sent.
QStringList search(TfrmConnectionBase *window, const QStringList &settings)
{
    apply(window, settings);
    QStringList sent;
    const ks::ScopedStatementObserver observer([&sent](const QString &sql) { sent << sql; });
    if (!ks::test::findAndWait(window))
        qWarning("the search did not end");
    return sent;
}

// Runs `statements` in the catalogue file; whether all of them ran.
bool alter(const QString &file, const QStringList &statements)
{
    bool ran = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("alter"));
        db.setDatabaseName(file);
        ran = db.open();
        for (const QString &sql : statements)
            ran = ran && QSqlQuery(db).exec(sql);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("alter"));
    return ran;
}

} // namespace

class TestKindWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_files.insert(QStringLiteral("oracle"), m_dir.filePath(QStringLiteral("fixture.qmcat")));
        ks::test::makeCatalogue(m_files.value(QStringLiteral("oracle")), ks::test::oracleFixture());
        m_files.insert(QStringLiteral("mssql"), qEnvironmentVariable("QUILLMERE_MSSQL_DEMO_CATALOGUE"));
        m_files.insert(QStringLiteral("designer"), qEnvironmentVariable("QUILLMERE_DESIGNER_DEMO"));
        for (const QString &file : std::as_const(m_files))
            QVERIFY2(QFileInfo::exists(file), qPrintable(file + " is missing"));
    }

    void init()
    {
        m_config = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TfrmMain>();
        m_main->resize(1000, 700);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_seams.reset();
        m_config.reset();
    }

    void connectCommands_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("commandCaption");
        QTest::addColumn<bool>("inFileMenu"); // else in File > New, reached by its short-cut
        QTest::addColumn<QString>("otherKind"); // whose catalogue file the dialog refuses
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("failing"); // a data source whose connection fails, if any
        QTest::addColumn<int>("key");
        QTest::addColumn<QStringList>("fields"); // what the dialog is given; %1 the catalogue file
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("caption"); // %1 the catalogue file
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QStringList>("windows"); // %1 the window's caption
        QTest::addColumn<QStringList>("list"); // a list of the bar, its entries
        const QString dictionary = QStringLiteral("an Oracle data dictionary");
        const QString ora = QStringLiteral("provider=OraOLEDB.Oracle;user id=%1;password=%2;data source=%3");
        QTest::newRow("oracle") << "oracle"
                                << "miNewOracleConnection"
                                << "Connect to &Oracle..." << true << "mssql"
                                << "holds a SQL Server catalogue, not " + dictionary + '.' << "no-such-tns-alias"
                                << int(Qt::Key_O)
                                << QStringList {"edUsername=SCOTT", "edPassword=tiger", "cbDataSource=%1"}
                                << "frmConnectionOracle"
                                << "SCOTT @ %1 (Oracle)"
                                << ora.arg(QStringLiteral("SCOTT"), QStringLiteral("tiger"), m_files.value("oracle"))
                                << QStringList {"%1"} << QStringList {"cbDict", "USER", "ALL", "DBA"};
        QTest::newRow("mssql") << "mssql"
                               << "miNewMSSQLServerConnection"
                               << "Connect to &MS SQL Server..." << true << "designer"
                               << "holds a Designer repository, not a SQL Server catalogue." << QString()
                               << int(Qt::Key_M) << QStringList {"cbServer=%1", "cbDatabase=Shop"}
                               << "frmConnectionMsSql"
                               << "Shop @ %1 (MsSql)"
                               << ks::BuildMsSqlConnectionString(m_files.value("mssql"), QStringLiteral("Shop"), {}, {})
                               << QStringList {"%1"} << QStringList();
        QTest::newRow("designer") << "designer"
                                  << "miOracleDesigner"
                                  << "Oracle &Designer..." << false << "oracle"
                                  << "holds " + dictionary + ", not a Designer repository."
                                  << "no-such-tns-alias" << int(Qt::Key_D)
                                  << QStringList {"edUsername=REPOS", "edPassword=secret", "cbDataSource=%1"}
                                  << "frmConnectionDesigner"
                                  << "REPOS @ %1 (Designer)"
                                  << ora.arg(
                                         QStringLiteral("REPOS"), QStringLiteral("secret"), m_files.value("designer"))
                                  << QStringList {"%1", "repository query of %1"}
                                  << QStringList {"cbAppSys", "HR (1)", "HR (2)", "LIBRARY", "ORDERS", "ORDERS.EU"};
    }

    void connectCommands()
    {
        QFETCH(QString, kind);
        QFETCH(QString, otherKind);
        QFETCH(QString, failing);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, windows);
        QFETCH(QStringList, list);
        QFETCH(QString, command);
        QAction *action = m_main->connectCommand(command);
        QTEST(action->text(), "commandCaption");
        QTEST(action->isVisible(), "inFileMenu");
        // A catalogue file of another kind is refused at once and nothing is
        // recorded; a connection that fails is told. The dialog stays open
        // for both, and once cancelled nothing opens.
        const QString other = m_files.value(otherKind);
        bool helpShown = true;
        QStringList recorded {QStringLiteral("<not shown>")};
        ks::test::whenDialogShows<TdlgKsConnectBase>(this, [&](TdlgKsConnectBase *dialog) {
            helpShown = dialog->btnHelp->isVisible();
            // A login, and the file as data source (or as server and database).
            for (QLineEdit *edit : dialog->findChildren<QLineEdit *>())
                edit->setText(QStringLiteral("REPOS"));
            for (QComboBox *box : dialog->findChildren<QComboBox *>())
                box->setEditText(other);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
            QVERIFY(dialog->isVisible());
            recorded.clear();
            for (const TMRUManager *recent : dialog->findChildren<TMRUManager *>())
                recorded += recent->Strings().names();
            if (!failing.isEmpty()) {
                fill(dialog, {QStringLiteral("cbDataSource=") + failing}, QString());
                QVERIFY(ks::test::clickOkAndWait(dialog));
                QVERIFY(dialog->isVisible());
            }
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        action->trigger();
        QVERIFY(m_main->childWindows().isEmpty());
        QVERIFY(!helpShown);
        QCOMPARE(recorded, QStringList());
        const QStringList &shown = m_seams->messages.shown;
        QCOMPARE(shown.size(), failing.isEmpty() ? 1 : 2);
        QFETCH(QString, refusal);
        QCOMPARE(shown.constFirst(), other + u' ' + refusal);
        QVERIFY(failing.isEmpty() || shown.constLast().startsWith(QStringLiteral("Failed to open connection:\r\n")));

        // The short-cut, with entries that open the kind's catalogue file.
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        ks::test::whenDialogShows<TdlgKsConnectBase>(this, [&](TdlgKsConnectBase *dialog) {
            fill(dialog, fields, m_files.value(kind));
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        QFETCH(int, key);
        QTest::keyClick(m_main.get(), Qt::Key(key), Qt::ControlModifier);
        auto *window = qobject_cast<TfrmConnectionBase *>(m_main->activeChild());
        QVERIFY(window);
        QVERIFY(ks::test::optionsRead(window));
        QTEST(window->objectName(), "objectName");
        QFETCH(QString, caption);
        QCOMPARE(window->caption(), caption.arg(m_files.value(kind)));
        QTEST(window->connectionString(), "connection");
        QStringList open;
        for (const KsMdiChild *child : m_main->childWindows())
            open << child->caption();
        QCOMPARE(open, windows.replaceInStrings(QStringLiteral("%1"), window->caption()));
        if (!list.isEmpty())
            QCOMPARE(ks::test::listItems(window->findChild<QComboBox *>(list.takeFirst())), list);
        // Its menu stands between File and Windows while it is active.
        QStringList bar;
        for (const QAction *action : m_main->menuBar()->actions()) {
            if (action->isVisible())
                bar << action->text();
        }
        QCOMPARE(bar, (QStringList {"&File", "&Connection", "&Windows", "&Help"}));
    }

    void captions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("caption");
        const QString provider = QStringLiteral("provider=OraOLEDB.Oracle");
        for (const QString &kind : {QStringLiteral("oracle"), QStringLiteral("designer")}) {
            const QString user = kind == QLatin1String("oracle") ? QStringLiteral("SCOTT") : QStringLiteral("REPOS");
            const QString suffix
                = kind == QLatin1String("oracle") ? QStringLiteral("Oracle") : QStringLiteral("Designer");
            const QString login = provider + QStringLiteral(";user id=") + user + QStringLiteral(";password=x");
            const auto row = [&kind](const char *tag) -> QTestData & {
                return QTest::newRow(qPrintable(kind + ", " + tag)) << kind;
            };
            row("user and source") << login + ";data source=ORCL" << user + " @ ORCL (" + suffix + ')';
            row("no source") << login << user + " (" + suffix + ')';
            row("no user") << provider + ";Data Source=ORCL"
                           << " @ ORCL (" + suffix + ')';
            row("neither") << provider << " (" + suffix + ')';
        }
    }

    void captions()
    {
        QFETCH(QString, kind);
        QFETCH(QString, connection);
        QTEST(ks::catalogueKind(kind)->caption(connection), "caption");
    }

    void barControlsStartAsTheirOptions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("readsOnOpen"); // its option lists
        QTest::addColumn<QStringList>("boxes"); // every box of the bar, ticked or not
        QTest::newRow("oracle") << "oracle" << true
                                << QStringList {"cbIgnoreCase=1", "cbIncViewDefs=1", "cbIncPlSql=1", "cbIncComments=1",
                                       "cbIncTriggers=1"};
        QTest::newRow("mssql") << "mssql" << false << QStringList {"cbIncTSql=1", "cbIncComments=1"};
        QTest::newRow("designer") << "designer" << true
                                  << QStringList {"cbIgnoreCase=1", "cbIncUserDefs=0", "cbIncCreateChanges=0",
                                         "cbIncOwningUser=0"};
    }

    void barControlsStartAsTheirOptions()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, boxes);
        int statements = 0;
        TfrmConnectionBase *window = nullptr;
        {
            const ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
            window = open(kind);
        }
        QTEST(statements > 0, "readsOnOpen");
        QVERIFY(!window->btnFind->isEnabled());
        QCOMPARE(window->resultModel()->rowCount(), 0);
        QStringList ticked;
        for (const QCheckBox *box : window->paTop->findChildren<QCheckBox *>())
            ticked << box->objectName() + (box->isChecked() ? QStringLiteral("=1") : QStringLiteral("=0"));
        QCOMPARE(ticked, boxes);
        for (const ks::SearchOption &option : ks::catalogueKind(kind)->searchOptions()) {
            if (option.control.isEmpty())
                continue;
            QWidget *control = window->paTop->findChild<QWidget *>(option.control);
            QVERIFY2(control, qPrintable(option.control));
            // The lists are filled from the connection; a box starts as its option.
            if (auto *box = qobject_cast<QCheckBox *>(control))
                QCOMPARE(box->isChecked() ? QStringLiteral("1") : QStringLiteral("0"), option.defaultValue);
            else
                QVERIFY2(qobject_cast<QComboBox *>(control), qPrintable(option.control));
        }
    }

    void barAndList_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QSize>("design");
        // "name left width" in the bar, the width exact or, with "+", at least that.
        QTest::addColumn<QStringList>("places");
        QTest::addColumn<QStringList>("wide"); // the controls that end two pixels short of Find's panel
        QTest::addColumn<int>("barHeight");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("hidden");
        QTest::addColumn<QStringList>("captions"); // of the list's columns
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<int>>("minimums");
        QTest::addColumn<QStringList>("bar"); // what enables every control
        QTest::addColumn<QStringList>("order"); // of Tab
        QTest::newRow("oracle") << "oracle" << QSize(602, 341)
                                << QStringList {"cbDict 80 81", "cbIgnoreCase 80 81", "cbSchema 168", "edFind 168",
                                       "cbIncViewDefs 80 97", "cbIncPlSql 184 89", "cbIncComments 280 73",
                                       "cbIncTriggers 360 81", "Label2 8", "Label3 8", "Label4 8"}
                                << QStringList {"cbSchema", "edFind"} << 81
                                << QStringList {"Label2=Schema", "Label3=Find", "Label4=Include"} << QStringList()
                                << QStringList {"Name", "Type", "Schema", "Comment"} << QList<int> {200, 100, 100}
                                << QList<int> {100, 50, 0} << QStringList {"cbDict=ALL", "edFind=emp"}
                                << QStringList {"cbDict", "cbSchema", "cbIgnoreCase", "edFind", "cbMatchMode",
                                       "btnFind", "cbIncViewDefs", "cbIncPlSql", "cbIncComments", "cbIncTriggers",
                                       "lvResult"};
        QTest::newRow("mssql") << "mssql" << QSize(637, 382)
                               << QStringList {"edFind 80", "cbIncTSql 80 89+", "Label3 8", "Label4 8"}
                               << QStringList {"edFind"} << 57
                               << QStringList {"Label3=Find", "Label4=Include", "cbIncTSql=T-SQL Code"}
                               << QStringList {"cbIncComments"} << QStringList {"Name", "Type", "Owner", "Comment"}
                               << QList<int> {200, 100, 100} << QList<int> {100, 50, 0} << QStringList {"edFind=Orders"}
                               << QStringList {"edFind", "cbMatchMode", "btnFind", "cbIncTSql", "lvResult"};
        QTest::newRow("designer") << "designer" << QSize(696, 433) << QStringList()
                                  << QStringList {"cbAppSys", "edFind"} << 81
                                  << QStringList {"Label2=Application System", "Label3=Find", "Label4=Include"}
                                  << QStringList() << QStringList {"Name", "Type", "Property", "Value"}
                                  << QList<int> {150, 150, 150} << QList<int> {100, 50, 100}
                                  << QStringList {"cbAppSys=HR (1)", "edFind=salary"}
                                  << QStringList {"cbAppSys", "cbIgnoreCase", "edFind", "cbMatchMode", "btnFind",
                                         "cbIncUserDefs", "cbIncCreateChanges", "cbIncOwningUser", "lvResult"};
    }

    void barAndList()
    {
        QFETCH(QString, kind);
        QFETCH(QSize, design);
        QFETCH(QStringList, places);
        QFETCH(QStringList, wide);
        QFETCH(int, barHeight);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, hidden);
        QFETCH(QList<int>, minimums);
        QFETCH(QStringList, bar);
        QFETCH(QStringList, order);
        // The window opens at its design size, or larger where the captions
        // of the font need it. In a font small enough for the design's room,
        // the bar's controls stand where the design puts them (left edge and
        // width in the bar).
        if (!places.isEmpty()) {
            QFont small = m_main->font();
            small.setPixelSize(8);
            m_main->setFont(small);
            QTRY_VERIFY(m_main->mdiArea()->viewport()->width() > design.width());
        }
        TfrmConnectionBase *window = open(kind);
        const QSize least = window->subWindow()->minimumSizeHint();
        QCOMPARE(window->subWindow()->size(), places.isEmpty() ? design.expandedTo(least) : design);
        const auto control = [window](const QString &name) { return window->findChild<QWidget *>(name); };
        const auto at = [window](QWidget *widget) { return widget->mapTo(window->paTop, QPoint(0, 0)); };
        for (const QString &place : places) {
            const QStringList parts = place.split(u' ');
            QCOMPARE(at(control(parts.at(0))).x(), parts.at(1).toInt());
            if (parts.size() > 2 && parts.at(2).endsWith(u'+'))
                QVERIFY2(control(parts.at(0))->width() >= parts.at(2).chopped(1).toInt(), qPrintable(place));
            else if (parts.size() > 2)
                QCOMPARE(control(parts.at(0))->width(), parts.at(2).toInt());
        }
        if (!places.isEmpty()) {
            QCOMPARE(window->paTop->height(), barHeight);
            QCOMPARE(window->paTopRight->width(), 89);
            QCOMPARE(window->btnFind->geometry(), QRect(8, window->btnFind->y(), 75, 21));
            QCOMPARE(at(window->btnFind).y(), at(window->edFind).y());
        }
        // The wide controls end two pixels short of Find's panel, which ends
        // the bar, at any width the window may have.
        for (int width : {least.width(), std::max(design.width(), least.width()), 1000}) {
            window->subWindow()->resize(width, design.height());
            QCoreApplication::processEvents();
            const int findPanelLeft = window->paTopRight->mapTo(window->paTop, QPoint(0, 0)).x();
            for (const QString &name : wide) {
                // The match mode follows the search text to the end of its row.
                QWidget *last = control(name == QLatin1String("edFind") ? QStringLiteral("cbMatchMode") : name);
                QCOMPARE(last->geometry().right() + 1 + 2, findPanelLeft);
                QCOMPARE(control(name)->x(), control(wide.constFirst())->x());
            }
            QCOMPARE(window->paTopRight->geometry().right(), window->paTop->contentsRect().right());
            QVERIFY(window->paTopRight->width() >= 89);
            QVERIFY(window->paTop->height() >= barHeight);
        }
        for (const QString &text : texts) {
            QWidget *shown = control(text.section(u'=', 0, 0));
            const auto *label = qobject_cast<QLabel *>(shown);
            QCOMPARE(label ? label->text() : qobject_cast<QAbstractButton *>(shown)->text(), text.section(u'=', 1));
        }
        // Every caption has the room it needs; the labels end before the controls.
        for (const QLabel *label : window->paTop->findChildren<QLabel *>()) {
            QVERIFY(label->width() >= label->sizeHint().width());
            QVERIFY(label->geometry().right() < control(wide.constLast())->x());
        }
        for (const QCheckBox *box : window->paTop->findChildren<QCheckBox *>())
            QVERIFY(!box->isVisibleTo(window) || box->width() >= box->sizeHint().width());
        for (const QString &name : hidden)
            QVERIFY(!control(name)->isVisibleTo(window));

        // The list's columns: captions, widths, and how narrow each may get.
        QStringList captions;
        for (int col = 0; col < 4; ++col)
            captions << window->lvResult->model()->headerData(col, Qt::Horizontal).toString();
        QTEST(captions, "captions");
        QHeaderView *header = window->lvResult->header();
        QList<int> widths;
        for (int col = 0; col < 3; ++col)
            widths << header->sectionSize(col);
        QTEST(widths, "widths");
        for (int col = 0; col < 3; ++col) {
            header->resizeSection(col, 10);
            QCOMPARE(header->sectionSize(col), std::max(10, minimums.at(col)));
        }

        // Tab walks the bar, then the list.
        apply(window, bar);
        QTRY_VERIFY(window->isActiveWindow());
        control(order.constFirst())->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), control(order.constFirst()));
        QStringList walked {order.constFirst()};
        while (walked.size() < order.size()) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, order);
    }

    void findSearchesAndListsInNameOrder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("bar"); // chosen once the text is typed
        QTest::addColumn<bool>("textEnablesFind"); // before the bar is set
        QTest::addColumn<int>("statements");
        QTest::addColumn<QStringList>("sql"); // what the first statements hold
        QTest::addColumn<QString>("each"); // how every later statement begins
        QTest::addColumn<QStringList>("absent"); // what no statement holds
        QTest::addColumn<bool>("logged"); // in a viewer of its own
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("oracle")
            << "oracle"
            << "  emp " << QStringList {"cbDict=ALL", "cbSchema=SCOTT"} << true << 8
            << QStringList {"SELECT OBJECT_NAME, INITCAP(OBJECT_TYPE) , OWNER FROM ALL_OBJECTS "
                            "WHERE UPPER(OBJECT_NAME) LIKE '%EMP%' AND OWNER = 'SCOTT' ORDER BY 1, 2",
                   "SELECT VIEW_NAME, TEXT, OWNER FROM ALL_VIEWS WHERE OWNER = 'SCOTT' "}
            << "SELECT " << QStringList() << false
            << QStringList {"EMP|Table|SCOTT|Table Comment|5", "EMP|Table|SCOTT|Table Name|1",
                   "EMP.EMPNO|Column|SCOTT|Column Name|4", "EMP.ENAME|Column|SCOTT|Column Comment|5",
                   "EMP_V|View|SCOTT|View Definition|2", "EMP_V|View|SCOTT|View Name|1",
                   "PAY_PKG|Package|SCOTT|Package Source|3", "PAY_PKG|Package Body|SCOTT|Package Body Source|3"};
        // eight, and three for text cut between syscomments pieces
        QTest::newRow("mssql, names and T-SQL code")
            << "mssql"
            << "  CustomerOrders " << QStringList() << true << 11
            << QStringList {"AND sysobjects.name LIKE '%CustomerOrders%' "} << "SELECT " << QStringList() << false
            << QStringList {"fn_CustomerOrders|Function|dbo|Function Definition|2",
                   "fn_CustomerOrders|Function|dbo|Function Name|1", "vCustomerOrders|View|dbo|View Definition|2",
                   "vCustomerOrders|View|dbo|View Name|1",
                   "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Definition|3",
                   "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Name|1"};
        QTest::newRow("mssql, names only")
            << "mssql"
            << "  CustomerOrders " << QStringList {"cbIncTSql=0"} << true << 5
            << QStringList {"AND sysobjects.name LIKE '%CustomerOrders%' "} << "SELECT " << QStringList() << false
            << QStringList {"fn_CustomerOrders|Function|dbo|Function Name|1", "vCustomerOrders|View|dbo|View Name|1",
                   "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Name|1"};
        // HR version 1 is id 1001; the statements on CI_APPLICATION_SYSTEMS,
        // which has no owner column, fail unseen.
        QTest::newRow("designer")
            << "designer"
            << "salary " << QStringList {"cbAppSys=HR (1)"} << false << 40
            << QStringList {"SELECT TO_CHAR(ID) FROM CI_APPLICATION_SYSTEMS WHERE NAME = 'HR' AND VERSION = 1",
                   "SELECT NAME, AUTHORITY FROM CI_APPLICATION_SYSTEMS WHERE APPLICATION_SYSTEM_OWNED_BY = 1001 AND "
                   "UPPER(AUTHORITY) LIKE '%SALARY%'"}
            << "SELECT NAME, "
            << QStringList {"USER_DEFINED_PROPERTY", "CREATED_BY", "CHANGED_BY", "OWNING_USER", "CIXYZ",
                   "CI_APP_SYS_SHARES", "CI_TEXT_LINES", "DATAWAREHOUSE_TYPE", "INITIAL_VOLUME"}
            << true
            << QStringList {"HRR0100|Modules|Short Title|Salary list|0",
                   "JOB|Entities|Remark|A position an employee may hold; pays a salary within a range.|0",
                   "MIN_SALARY|Attributes|Name|MIN_SALARY|0",
                   "MIN_SALARY|Attributes|Remark|Lowest salary of the job.|0",
                   "MONEY|Domains|Remark|Amounts in €, two decimals; used for every salary.|0",
                   "SALARY|Attributes|Name|SALARY|0", "SALARY|Attributes|Remark|Monthly gross salary in €.|0",
                   "SALARY|Columns|Hint Text|Monthly gross salary.|0", "SALARY|Columns|Name|SALARY|0",
                   "SALARY|Columns|Prompt|Salary|0"};
    }

    void findSearchesAndListsInNameOrder()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QStringList, bar);
        QFETCH(bool, textEnablesFind);
        QFETCH(QStringList, sql);
        QFETCH(QString, each);
        QFETCH(QStringList, absent);
        TfrmConnectionBase *window = open(kind);
        QStringList sent;
        const ks::ScopedStatementObserver observer([&sent](const QString &statement) { sent << statement; });
        QTest::keyClicks(window->edFind, text);
        QCOMPARE(window->btnFind->isEnabled(), textEnablesFind);
        // Choosing from the bar leaves Find as the text decided it.
        apply(window, bar);
        QCOMPARE(window->btnFind->isEnabled(), textEnablesFind);
        // Enter in the search box searches only when Find would.
        window->edFind->setFocus();
        if (!textEnablesFind)
            QTest::keyClick(window->edFind, Qt::Key_Return);
        window->edFind->setText(QStringLiteral(" \t "));
        QVERIFY(!window->btnFind->isEnabled());
        QTest::keyClick(window->edFind, Qt::Key_Return);
        QCOMPARE(sent, QStringList());
        // Once the text is edited again, Enter searches.
        window->edFind->clear();
        QTest::keyClicks(window->edFind, text);
        QVERIFY(window->btnFind->isEnabled());
        QTest::keyClick(window->edFind, Qt::Key_Return);
        // The wait cursor shows over the list alone, and only while it fills.
        QVERIFY(window->isSearching());
        QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::WaitCursor);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(ks::test::searchEnds(window));
        QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
        QTEST(int(sent.size()), "statements");
        for (int i = 0; i < sql.size(); ++i)
            QVERIFY2(sent.at(i).contains(sql.at(i)), qPrintable(sent.at(i)));
        for (const QString &statement : sent.mid(1)) {
            QVERIFY2(statement.startsWith(each), qPrintable(statement));
            for (const QString &left : absent)
                QVERIFY2(!statement.contains(left), qPrintable(statement));
        }
        QTEST(listedRows(window), "rows");
        QCOMPARE(m_seams->messages.shown, QStringList());
        // The log holds every statement run, in order.
        QFETCH(bool, logged);
        if (logged)
            QCOMPARE(memoLines(log(window, text.trimmed())), sent);
    }

    void noResultsRow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("bar");
        QTest::addColumn<QString>("again"); // a text that finds rows
        QTest::addColumn<QString>("first"); // its first row's name
        QTest::addColumn<bool>("logged");
        QTest::newRow("oracle") << "oracle" << QStringList {"edFind=zzz"} << "emp"
                                << "EMP" << false;
        QTest::newRow("mssql") << "mssql" << QStringList {"edFind=no such thing anywhere"} << "CustomerOrders"
                               << "fn_CustomerOrders" << false;
        QTest::newRow("designer") << "designer" << QStringList {"cbAppSys=LIBRARY", "edFind=zzz"} << "loan"
                                  << "LIB0020" << true;
    }

    void noResultsRow()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, bar);
        QFETCH(QString, again);
        QFETCH(bool, logged);
        TfrmConnectionBase *window = open(kind);
        const QStringList sent = search(window, bar);
        QCOMPARE(listedRows(window), QStringList {"no results found||||0"});
        QCOMPARE(window->resultModel()->row(0).subItems, 0);
        if (logged)
            QCOMPARE(memoLines(log(window, window->edFind->text())), sent);
        // The row opens nothing.
        const qsizetype windows = m_main->childWindows().size();
        {
            int statements = 0;
            const ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
            QVERIFY(doubleClickRow(window, QStringLiteral("no results found"), QString()));
            QCOMPARE(statements, 0);
        }
        QCOMPARE(m_main->childWindows().size(), windows);
        // The next search starts a fresh list, and a log of its own.
        search(window, {QStringLiteral("edFind=") + again});
        QTEST(window->resultModel()->row(0).name, "first");
        QVERIFY(!listedRows(window).contains(QStringLiteral("no results found||||0")));
        if (logged)
            QVERIFY(log(window, QStringLiteral("zzz")) && log(window, again));
    }

    void doubleClickShowsDefinitions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("begins");
        QTest::addColumn<bool>("whole"); // or the text's beginning
        struct Row {
            const char *tag, *kind, *text, *name, *comment, *owner, *caption, *begins;
            bool whole;
        };
        const Row rows[] = {
            {"oracle, view", "oracle", "emp", "EMP_V", "View Definition", "", "View EMP_V in %1",
                "select empno, ename\nfrom emp\nwhere deptno = 10", true},
            {"oracle, source", "oracle", "emp", "PAY_PKG", "Package Body Source", "",
                "Source of Package Body PAY_PKG in %1",
                "package body pay_pkg is\n  procedure raise_emp(p_empno number) is begin null; end;\nend;", true},
            {"oracle, table comment, two schemas", "oracle", "emp", "EMP", "Table Comment", "",
                "Comment on Table EMP in %1", "Employees of the company\nEmployees, old copy", true},
            {"oracle, column comment", "oracle", "emp", "EMP.ENAME", "Column Comment", "",
                "Comment on Column EMP.ENAME in %1", "Name of the employee", true},
            {"oracle, trigger description", "oracle", "emp", "EMPLOYEES.EMP_TRG", "Trigger Description", "",
                "Comment on Trigger EMPLOYEES.EMP_TRG in %1", "emp_trg before insert on employees", true},
            {"oracle, trigger body", "oracle", "emp", "EMPLOYEES.EMP_TRG", "Trigger Definition", "",
                "Source of Trigger EMPLOYEES.EMP_TRG in %1", "begin\n  :new.employee_id := emp_seq.nextval;\nend;",
                true},
            {"mssql, view", "mssql", "CustomerOrders", "vCustomerOrders", "View Definition", "dbo",
                "Definition of vCustomerOrders in %1",
                "CREATE VIEW dbo.vCustomerOrders\nAS\n-- one row per order with its customer; ", false},
            {"mssql, trigger of a view", "mssql", "CustomerOrders", "vCustomerOrders.trg_vCustomerOrders_Insert",
                "Trigger Definition", "dbo", "Definition of vCustomerOrders.trg_vCustomerOrders_Insert in %1",
                "CREATE TRIGGER dbo.trg_vCustomerOrders_Insert ON dbo.vCustomerOrders\nINSTEAD OF INSERT\n", false},
            {"mssql, column default of one owner", "mssql", "Österreich", "Customers.Country: DF_Customers_Country",
                "Column Default Definition", "sales", "Column Default of Customers.Country: DF_Customers_Country in %1",
                "(N'Österreich')", false},
        };
        for (const Row &row : rows) {
            QTest::newRow(row.tag) << row.kind << row.text << row.name << row.comment << row.owner << row.caption
                                   << row.begins << row.whole;
        }
    }

    void doubleClickShowsDefinitions()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(QString, comment);
        QFETCH(QString, owner);
        QFETCH(QString, caption);
        QFETCH(QString, begins);
        QFETCH(bool, whole);
        TfrmConnectionBase *window = open(kind);
        search(window, everySchema(kind) << QStringLiteral("edFind=") + text);
        QVERIFY(doubleClickRow(window, name, comment, owner));
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QCOMPARE(viewer->caption(), caption.arg(window->caption()));
        QVERIFY(ks::test::fetchEnds(viewer));
        const QString shown = memoText(viewer);
        QVERIFY2(whole ? shown == begins : shown.startsWith(begins), qPrintable(shown));
        // CR LF and bare LF both give one line each, never an empty line between.
        QVERIFY(!shown.contains(QStringLiteral("\n\n")));
        QVERIFY(!shown.contains(u'\r'));
    }

    void viewerMarksWhatTheSearchLookedFor_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("bar");
        QTest::addColumn<QStringList>("later"); // set after the search, for the next one
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<ks::SearchHighlight>("marked");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<ks::SearchHighlight>("markedLater");
        QTest::addColumn<QString>("selectedLater");
        // "select empno, ename\nfrom emp...": the first occurrence, letter case
        // ignored or not, is selected.
        QTest::newRow("oracle") << "oracle" << QStringList {"cbIgnoreCase=1", "edFind=EMP"}
                                << QStringList {"cbIgnoreCase=0", "edFind=emp"} << "EMP_V"
                                << "View Definition" << ks::SearchHighlight::oracleSearch(QStringLiteral("EMP"), true)
                                << "emp" << ks::SearchHighlight::oracleSearch(QStringLiteral("emp"), false) << "emp";
        // Letter case is ignored, as the server's collation ignores it.
        QTest::newRow("mssql") << "mssql" << QStringList {"edFind=customerorders"}
                               << QStringList {"edFind=vCustomerOrders"} << "vCustomerOrders"
                               << "View Definition"
                               << ks::SearchHighlight::msSqlSearch(QStringLiteral("customerorders")) << "CustomerOrders"
                               << ks::SearchHighlight::msSqlSearch(QStringLiteral("vCustomerOrders"))
                               << "vCustomerOrders";
        // The match mode chosen reaches the search and the viewer's marks.
        const auto inMode = [](ks::SearchHighlight highlight, ks::MatchMode mode) {
            highlight.mode = mode;
            return highlight;
        };
        QTest::newRow("oracle, regular expression, then text")
            << "oracle" << QStringList {"cbIgnoreCase=1", "cbMatchMode=Regular Expression", "edFind=EMPNO,\\s+E"}
            << QStringList {"cbMatchMode=Text", "edFind=o, e"} << "EMP_V"
            << "View Definition"
            << inMode(ks::SearchHighlight::oracleSearch(QStringLiteral("EMPNO,\\s+E"), true),
                   ks::MatchMode::RegularExpression)
            << "empno, e"
            << inMode(ks::SearchHighlight::oracleSearch(QStringLiteral("o, e"), true), ks::MatchMode::Text) << "o, e";
    }

    void viewerMarksWhatTheSearchLookedFor()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, bar);
        QFETCH(QStringList, later);
        QFETCH(QString, name);
        QFETCH(QString, comment);
        TfrmConnectionBase *window = open(kind);
        search(window, everySchema(kind) + bar);
        for (const char *step : {"", "Later"}) {
            // What is changed after a search does not count for it; the next
            // search's rule counts for the viewers opened from it.
            apply(window, later);
            QVERIFY(doubleClickRow(window, name, comment));
            auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
            QVERIFY(viewer);
            QVERIFY(ks::test::fetchEnds(viewer));
            QTEST(viewer->frKsTextViewer()->searchHighlight(), qPrintable(QStringLiteral("marked") + step));
            const QTextCursor cursor = viewer->frKsTextViewer()->memo()->textCursor();
            QTEST(cursor.selectedText(), qPrintable(QStringLiteral("selected") + step));
            QCOMPARE(cursor.selectionStart(), memoText(viewer).indexOf(cursor.selectedText()));
            QVERIFY(ks::test::findAndWait(window));
        }
    }

    void headerClickSortsAndPlainRowsOpenNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("bar");
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<QString>("first"); // the first value of that column, sorted by it
        QTest::addColumn<QStringList>("plain"); // rows without a definition: "name|comment"
        QTest::newRow("oracle") << "oracle" << QStringList {"edFind=emp"} << 3 << "Column Comment"
                                << QStringList {"EMP_V|View Name", "EMP.EMPNO|Column Name"};
        QTest::newRow("mssql") << "mssql" << QStringList {"edFind=CustomerOrders"} << 3 << "Function Definition"
                               << QStringList {"vCustomerOrders|View Name", "fn_CustomerOrders|Function Name"};
        QTest::newRow("designer") << "designer" << QStringList {"cbAppSys=HR (1)", "edFind=salary"} << 2 << "Hint Text"
                                  << QStringList {"HRR0100|Salary list", "SALARY|Monthly gross salary in €."};
    }

    void headerClickSortsAndPlainRowsOpenNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, bar);
        QFETCH(int, sortColumn);
        QFETCH(QStringList, plain);
        TfrmConnectionBase *window = open(kind);
        search(window, everySchema(kind) + bar);
        QHeaderView *header = window->lvResult->header();
        // The header's arrow stands on the column the list is sorted by, always ascending.
        const auto arrowOn = [header](int col) {
            return header->sortIndicatorSection() == col && header->sortIndicatorOrder() == Qt::AscendingOrder;
        };
        QVERIFY(header->isSortIndicatorShown() && arrowOn(0));
        for (int col = 0; col < 4; ++col) {
            header->sectionClicked(col);
            const QStringList values = column(window, col);
            QStringList sorted = values;
            std::stable_sort(sorted.begin(), sorted.end(),
                [](const QString &a, const QString &b) { return a.toUtf8() < b.toUtf8(); });
            QCOMPARE(values, sorted);
            QVERIFY(arrowOn(col));
        }
        header->sectionClicked(sortColumn);
        QTEST(column(window, sortColumn).constFirst(), "first");
        const QStringList once = listedRows(window);
        // A second click on the header itself, which turns its arrow round.
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(sortColumn) + 4, 4));
        QCOMPARE(listedRows(window), once);
        QVERIFY(arrowOn(sortColumn));

        // A double-click on a row without a definition, or with no row
        // selected, opens nothing.
        const qsizetype windows = m_main->childWindows().size();
        {
            int statements = 0;
            const ks::ScopedStatementObserver observer([&statements](const QString &) { ++statements; });
            for (const QString &row : plain)
                QVERIFY2(doubleClickRow(window, row.section(u'|', 0, 0), row.section(u'|', 1)), qPrintable(row));
            window->lvResult->clearSelection();
            Q_EMIT window->lvResult->doubleClicked(window->resultModel()->index(0, 0));
            QCOMPARE(statements, 0);
        }
        QCOMPARE(m_main->childWindows().size(), windows);
        // A new search lists in Name order again.
        QVERIFY(ks::test::findAndWait(window));
        QVERIFY(arrowOn(0));
    }

    void duplicateOpensFreshWindow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("bar");
        QTest::addColumn<QStringList>("lists"); // "name=index" each list of the copy starts at
        QTest::addColumn<QString>("companion"); // a viewer each window opens beside it; %1 its caption
        QTest::newRow("oracle") << "oracle" << QStringList {"edFind=emp"} << QStringList {"cbDict=0", "cbSchema=0"}
                                << QString();
        QTest::newRow("mssql") << "mssql" << QStringList {"edFind=Orders"} << QStringList() << QString();
        QTest::newRow("designer") << "designer" << QStringList {"cbAppSys=HR (1)", "edFind=salary"}
                                  << QStringList {"cbAppSys=-1"} << "repository query of %1";
    }

    void duplicateOpensFreshWindow()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, bar);
        QFETCH(QStringList, lists);
        QFETCH(QString, companion);
        TfrmConnectionBase *window = open(kind);
        search(window, bar);
        m_main->mdiArea()->setActiveSubWindow(window->subWindow());
        QCOMPARE(m_main->activeChild(), window);
        // Typing in the search box, Ctrl+D duplicates the window.
        window->edFind->setFocus();
        QTest::keyClick(window->edFind, Qt::Key_D, Qt::ControlModifier);
        auto *copy = qobject_cast<TfrmConnectionBase *>(m_main->activeChild());
        QVERIFY(copy);
        QVERIFY(copy != window);
        QVERIFY(ks::test::optionsRead(copy));
        QCOMPARE(copy->metaObject(), window->metaObject());
        QCOMPARE(copy->caption(), window->caption());
        QCOMPARE(copy->connectionString(), window->connectionString());
        QCOMPARE(copy->resultModel()->rowCount(), 0);
        QCOMPARE(copy->edFind->text(), QString());
        for (const QComboBox *list : window->paTop->findChildren<QComboBox *>())
            QCOMPARE(ks::test::listItems(copy->findChild<QComboBox *>(list->objectName())), ks::test::listItems(list));
        for (const QString &list : lists)
            QCOMPARE(
                copy->findChild<QComboBox *>(list.section(u'=', 0, 0))->currentIndex(), list.section(u'=', 1).toInt());
        // The copy reads everything again.
        if (!companion.isEmpty()) {
            int companions = 0;
            for (const KsMdiChild *child : m_main->childWindows())
                companions += child->caption() == companion.arg(window->caption()) ? 1 : 0;
            QCOMPARE(companions, 2);
        }
        if (auto *designer = qobject_cast<TfrmConnectionDesigner *>(window))
            QCOMPARE(static_cast<TfrmConnectionDesigner *>(copy)->repositoryTables().tableNames,
                designer->repositoryTables().tableNames);
    }

    void errorMidSearchKeepsEarlierRows_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("broken"); // run in a copy of the catalogue
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("status");
        QTest::newRow("oracle") << "oracle"
                                << "DROP VIEW USER_TAB_COLUMNS"
                                << "emp_v"
                                << "USER_TAB_COLUMNS" << QStringList {"EMP_V|View||View Name|1"}
                                << "Search failed after 1 row, ";
        // Without the index table the seventh statement fails; what the first
        // six found stays listed.
        QTest::newRow("mssql") << "mssql"
                               << "DROP TABLE sysindexes"
                               << "CustomerOrders"
                               << "sysindexes"
                               << QStringList {"fn_CustomerOrders|Function|dbo|Function Name|1",
                                      "vCustomerOrders|View|dbo|View Name|1",
                                      "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Definition|3",
                                      "vCustomerOrders.trg_vCustomerOrders_Insert|Trigger|dbo|Trigger Name|1"}
                               << "Search failed after 4 rows, ";
    }

    void errorMidSearchKeepsEarlierRows()
    {
        QFETCH(QString, kind);
        QFETCH(QString, broken);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, status);
        const QString file = alteredCopy(kind, QStringLiteral("broken.qmcat"), {broken});
        QVERIFY(!file.isEmpty());
        TfrmConnectionBase *window = open(kind, file);
        search(window, {QStringLiteral("edFind=") + text});
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY2(
            m_seams->messages.shown.constFirst().contains(message), qPrintable(m_seams->messages.shown.constFirst()));
        QTEST(listedRows(window), "rows");
        QCOMPARE(window->lvResult->viewport()->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(window->btnFind->text(), QStringLiteral("&Find"));
        QVERIFY(window->isVisible());
        // The status bar tells an error from an end and a stop.
        QVERIFY2(window->statusText().startsWith(status), qPrintable(window->statusText()));
    }

    void definitionErrorLeavesViewerOpen_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("before"); // run in a copy of the catalogue before the search
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("after"); // and between the search and the double-click
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("caption");
        // A source view without line numbers: the search finds the unit, the
        // fetch of its source fails.
        QTest::newRow("oracle") << "oracle"
                                << QStringList {"DROP VIEW USER_SOURCE",
                                       "CREATE VIEW USER_SOURCE AS SELECT NAME, TYPE, TEXT FROM DBA_SOURCE "
                                       "WHERE OWNER = 'SCOTT'"}
                                << "raise_emp" << QStringList() << "PAY_PKG"
                                << "Package Source"
                                << "LINE"
                                << "Source of Package PAY_PKG in %1";
        // The definitions go away between the search and the double-click.
        QTest::newRow("mssql") << "mssql" << QStringList() << "MyNotes" << QStringList {"DROP TABLE syscomments"}
                               << "vMyNotes"
                               << "View Definition"
                               << "syscomments"
                               << "Definition of vMyNotes in %1";
    }

    void definitionErrorLeavesViewerOpen()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, before);
        QFETCH(QString, text);
        QFETCH(QStringList, after);
        QFETCH(QString, name);
        QFETCH(QString, comment);
        QFETCH(QString, message);
        QFETCH(QString, caption);
        const QString file = alteredCopy(kind, QStringLiteral("changing.qmcat"), before);
        QVERIFY(!file.isEmpty());
        TfrmConnectionBase *window = open(kind, file);
        search(window, {QStringLiteral("edFind=") + text});
        QVERIFY(m_seams->messages.shown.isEmpty());
        QVERIFY(alter(file, after));
        QVERIFY(doubleClickRow(window, name, comment));
        auto *viewer = qobject_cast<TfrmKsTextViewer *>(m_main->activeChild());
        QVERIFY(viewer);
        QVERIFY(ks::test::fetchEnds(viewer));
        QCOMPARE(m_seams->messages.shown.size(), 1);
        QVERIFY(m_seams->messages.shown.constFirst().contains(message));
        QCOMPARE(viewer->caption(), caption.arg(window->caption()));
        QCOMPARE(memoText(viewer), QString());
    }

    void kindSearchFindsWhatTheWindowFinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("values"); // "option=value"
        QTest::addColumn<QStringList>("lists"); // the same values as the bar's lists show them
        QTest::addColumn<QString>("file"); // other than the kind's catalogue file
        QTest::newRow("oracle, defaults") << "oracle"
                                          << "emp" << QStringList() << QStringList() << QString();
        QTest::newRow("oracle, one schema, exact case, no comments")
            << "oracle"
            << "EMP" << QStringList {"dictionary=all", "schema=SCOTT", "ignore-case=0", "comments=0"}
            << QStringList {"cbDict=ALL", "cbSchema=SCOTT"} << QString();
        QTest::newRow("oracle, every schema, no code")
            << "oracle"
            << "emp" << QStringList {"dictionary=DBA", "code=off", "triggers=0"}
            << QStringList {"cbDict=DBA", "cbSchema=(all)"} << QString();
        QTest::newRow("oracle, demo catalogue, every schema")
            << "oracle"
            << "emp" << QStringList {"dictionary=dba"} << QStringList {"cbDict=DBA"}
            << qEnvironmentVariable("QUILLMERE_DEMO_CATALOGUE");
        QTest::newRow("mssql, defaults") << "mssql"
                                         << "CustomerOrders" << QStringList() << QStringList() << QString();
        QTest::newRow("mssql, names only") << "mssql"
                                           << "Orders" << QStringList {"code=0"} << QStringList() << QString();
        QTest::newRow("designer, defaults")
            << "designer"
            << "salary" << QStringList {"app-system=HR.1"} << QStringList {"cbAppSys=HR (1)"} << QString();
        QTest::newRow("designer, exact case") << "designer"
                                              << "café" << QStringList {"app-system=ORDERS.EU", "ignore-case=0"}
                                              << QStringList {"cbAppSys=ORDERS.EU"} << QString();
        QTest::newRow("designer, every include")
            << "designer"
            << "a"
            << QStringList {"app-system=LIBRARY", "user-defined-properties=1", "created-changed-by=1", "owning-user=1"}
            << QStringList {"cbAppSys=LIBRARY"} << QString();
    }

    void kindSearchFindsWhatTheWindowFinds()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QStringList, values);
        QFETCH(QStringList, lists);
        QFETCH(QString, file);
        const ks::CatalogueKind *catalogueKind = ks::catalogueKind(kind);
        ks::SearchSettings settings {text, {}};
        for (const QString &value : values)
            settings.values.insert(value.section(u'=', 0, 0), value.section(u'=', 1));
        // The window, its boxes set as the values say through the controls the options name.
        QStringList bar = lists;
        const QList<ks::SearchOption> options = catalogueKind->searchOptions();
        for (const ks::SearchOption &option : options) {
            if (option.type == ks::SearchOption::Type::Switch)
                bar << option.control + (ks::settingSwitch(options, settings, option.name) ? "=1" : "=0");
        }
        TfrmConnectionBase *window = open(kind, file);
        search(window, bar << QStringLiteral("edFind=") + text);
        QStringList shown;
        for (int i = 0; i < window->resultModel()->rowCount(); ++i)
            shown << rowText(window->resultModel()->row(i));
        QVERIFY(!shown.contains(QStringLiteral("no results found|||")));

        // The kind's search, run on the window's connection as the window runs it.
        const ks::test::TaskRun run
            = ks::test::runTask(window->connectionString(), catalogueKind->prepareSearch(settings)->task());
        QCOMPARE(run.error, QString());
        QStringList found;
        for (const ks::ResultRow &row : run.rows)
            found << rowText(row);
        shown.sort();
        found.sort();
        QCOMPARE(found, shown);
    }

private:
    // The window of the kind on its catalogue file, or on `file`, once it has
    // read its option lists.
    TfrmConnectionBase *open(const QString &kind, const QString &file = {})
    {
        const ks::KindWindows &windows = windowsOf(kind);
        TfrmConnectionBase *window = windows.open(
            m_main.get(), windows.kind->fileConnectionString(file.isEmpty() ? m_files.value(kind) : file));
        if (!ks::test::optionsRead(window))
            qWarning("the option lists were not read");
        return window;
    }

    static const ks::KindWindows &windowsOf(const QString &kind)
    {
        for (const ks::KindWindows &windows : ks::kindWindows()) {
            if (windows.kind->id() == kind)
                return windows;
        }
        qFatal("no kind %s", qPrintable(kind));
    }

    // The settings that make an Oracle search cover every schema.
    static QStringList everySchema(const QString &kind)
    {
        if (kind != QLatin1String("oracle"))
            return {};
        return {QStringLiteral("cbDict=ALL"), QStringLiteral("cbSchema=(all)")};
    }

    // Types the entries into the connect dialog: "edUsername=SCOTT", and a
    // list's text, "cbDataSource=%1" with %1 the file.
    static void fill(QDialog *dialog, const QStringList &fields, const QString &file)
    {
        for (const QString &field : fields) {
            QWidget *entry = dialog->findChild<QWidget *>(field.section(u'=', 0, 0));
            const QString value = field.section(u'=', 1).replace(QStringLiteral("%1"), file);
            if (auto *list = qobject_cast<QComboBox *>(entry))
                list->setEditText(value);
            else if (auto *edit = qobject_cast<QLineEdit *>(entry))
                QTest::keyClicks(edit, value);
            else
                QFAIL(qPrintable(field));
        }
    }

    // A copy of the kind's catalogue file with `statements` run in it; empty
    // when that fails.
    QString alteredCopy(const QString &kind, const QString &name, const QStringList &statements)
    {
        const QString copy = m_dir.filePath(name);
        QFile::remove(copy);
        if (!QFile::copy(m_files.value(kind), copy))
            return {};
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        return alter(copy, statements) ? copy : QString();
    }

    // The search log a Designer window opens for `text`.
    TfrmKsTextViewer *log(const TfrmConnectionBase *window, const QString &text) const
    {
        const QString caption = QStringLiteral("search for '%1' in %2").arg(text, window->caption());
        for (KsMdiChild *child : m_main->childWindows()) {
            if (auto *viewer = qobject_cast<TfrmKsTextViewer *>(child); viewer && child->caption() == caption)
                return viewer;
        }
        return nullptr;
    }

    QTemporaryDir m_dir;
    QHash<QString, QString> m_files; // each kind's catalogue file, by its id
    std::unique_ptr<ks::test::ConfigHome> m_config;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmMain> m_main;
};

QTEST_MAIN(TestKindWindows)
#include "tst_kindwindows.moc"
