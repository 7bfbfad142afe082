// What the two connect dialogs keep between runs: the recent data sources,
// servers and databases and the version value, under the registry key their
// caller gives, read back from the stored files as text. User names,
// passwords and the login choice are never stored.

#include "kinds/mssql/DKsConnMsSql.h"
#include "db/DKsConnOra.h"
#include "settings/MRUList.h"
#include "settings/RecentStrings.h"
#include "settings/SettingsTestSupport.h"
#include "support/ModalDialogs.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"

#include <QComboBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using ks::test::whenDialogShows;

namespace {

const QString kKey = QStringLiteral("Software\\Kestrin\\Quillmere");

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

class TestConnectDialogStorage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const char *name : {"north.qmcat", "south.qmcat", "west.qmcat "})
            ks::test::makeCatalogue(m_dir.filePath(QLatin1String(name)), {QStringLiteral("CREATE TABLE t (x TEXT)")});
    }

    void init()
    {
        m_config = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
    }
    void cleanup()
    {
        m_seams.reset();
        m_config.reset();
    }

    void oracleDataSourcesAreRecordedOnceAndKeepTheirPlace()
    {
        const QString north = catalogue("north.qmcat");
        const QString south = catalogue("south.qmcat");
        QVERIFY(connectOracle(north));
        QCOMPARE(
            stored(QStringLiteral("TdlgKsConnectOra.MRUDataSource")), (QMap<QString, QString> {{"Item_0", north}}));
        QCOMPARE(stored(QStringLiteral("TdlgKsConnectOra")), (QMap<QString, QString> {{"FormVersion", "0"}}));

        // A data source that fails to connect is not recorded.
        QVERIFY(!connectOracle(m_dir.filePath(QStringLiteral("missing.qmcat"))));
        QVERIFY(connectOracle(south));
        // Connecting again to a listed one neither adds nor moves it.
        QVERIFY(connectOracle(north));
        QCOMPARE(stored(QStringLiteral("TdlgKsConnectOra.MRUDataSource")),
            (QMap<QString, QString> {{"Item_0", south}, {"Item_1", north}}));

        // The next dialog offers them, most recent first, with an empty text.
        QStringList offered;
        QString text = QStringLiteral("<not shown>");
        whenDialogShows<TdlgKsConnectOra>(this, [&](TdlgKsConnectOra *dialog) {
            offered = itemsOf(dialog->cbDataSource);
            text = dialog->cbDataSource->currentText();
            dialog->reject();
        });
        ShowConnectOraDialog(nullptr, kKey, false);
        QCOMPARE(offered, (QStringList {south, north}));
        QCOMPARE(text, QString());
    }

    void listsAreWrittenWhenTheDialogIsCancelled()
    {
        const QString north = catalogue("north.qmcat");
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            dialog->cbServer->setEditText(north);
            dialog->cbDatabase->setEditText(QStringLiteral("Shop"));
            dialog->TestConnection();
            QVERIFY(QTest::qWaitFor([dialog] { return !dialog->isConnecting(); }));
            QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
        });
        QCOMPARE(ShowConnectMsSqlDialog(nullptr, kKey, false), QString());
        QCOMPARE(stored(QStringLiteral("TdlgKsConnectMsSql.MRUServer")), (QMap<QString, QString> {{"Item_0", north}}));
        QCOMPARE(
            stored(QStringLiteral("TdlgKsConnectMsSql.MRUDatabase")), (QMap<QString, QString> {{"Item_0", "Shop"}}));
        QCOMPARE(stored(QStringLiteral("TdlgKsConnectMsSql")), (QMap<QString, QString> {{"FormVersion", "0"}}));
    }

    void serversAndDatabasesAreRecordedAsTyped()
    {
        // The file's name ends with a blank; so does the database name.
        const QString west = catalogue("west.qmcat ");
        const QString north = catalogue("north.qmcat");
        QVERIFY(connectMsSql(west, QStringLiteral("Shop ")));
        // Nothing listens on port 1: the connection is refused at once.
        QVERIFY(!connectMsSql(QStringLiteral("127.0.0.1,1"), QStringLiteral("Other")));
        QVERIFY(connectMsSql(north, QStringLiteral("shop ")));
        QCOMPARE(stored(QStringLiteral("TdlgKsConnectMsSql.MRUServer")),
            (QMap<QString, QString> {{"Item_0", north}, {"Item_1", west}}));
        // "shop " is "Shop " to the list, which keeps its first spelling.
        QCOMPARE(
            stored(QStringLiteral("TdlgKsConnectMsSql.MRUDatabase")), (QMap<QString, QString> {{"Item_0", "Shop "}}));

        QStringList servers;
        QStringList databases;
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            servers = itemsOf(dialog->cbServer);
            databases = itemsOf(dialog->cbDatabase);
            QVERIFY(dialog->cbServer->currentText().isEmpty() && dialog->cbDatabase->currentText().isEmpty());
            dialog->reject();
        });
        ShowConnectMsSqlDialog(nullptr, kKey, false);
        QCOMPARE(servers, (QStringList {north, west}));
        QCOMPARE(databases, QStringList {"Shop "});
    }

    void typedTextIsNotReplacedByAListedName()
    {
        whenDialogShows<TdlgKsConnectMsSql>(this, [](TdlgKsConnectMsSql *dialog) {
            dialog->MRUServer->Add(QStringLiteral("SRV1"), 0);
            dialog->reject();
        });
        ShowConnectMsSqlDialog(nullptr, kKey, false);

        QString typed;
        QStringList offered;
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            dialog->cbServer->setFocus();
            QTRY_VERIFY(dialog->cbServer->hasFocus());
            QTest::keyClicks(dialog->cbServer->lineEdit(), QStringLiteral("srv1"));
            dialog->cbDatabase->setFocus(); // the box loses the focus
            QTRY_VERIFY(dialog->cbDatabase->hasFocus());
            typed = dialog->cbServer->currentText();
            offered = itemsOf(dialog->cbServer);
            dialog->reject();
        });
        ShowConnectMsSqlDialog(nullptr, kKey, false);
        QCOMPARE(typed, QStringLiteral("srv1"));
        QCOMPARE(offered, QStringList {"SRV1"});
    }

    void loginIsNeverStored()
    {
        const QString user = QStringLiteral("zq_user_71");
        const QString password = QStringLiteral("pw_Secret_93");
        const QString north = catalogue("north.qmcat");
        whenDialogShows<TdlgKsConnectOra>(this, [&](TdlgKsConnectOra *dialog) {
            dialog->edUsername->setText(user);
            dialog->edPassword->setText(password);
            dialog->cbDataSource->setEditText(north);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        QVERIFY(!ShowConnectOraDialog(nullptr, kKey, false).isEmpty());
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            dialog->rbUsername->setChecked(true);
            dialog->cbServer->setEditText(north);
            dialog->cbDatabase->setEditText(QStringLiteral("Shop"));
            dialog->edUsername->setText(user);
            dialog->edPassword->setText(password);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        QVERIFY(!ShowConnectMsSqlDialog(nullptr, kKey, false).isEmpty());

        // Every file that was written holds the version values and the lists,
        // and nothing of the login.
        QStringList files;
        QSet<QString> names;
        for (QDirIterator it(m_config->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString file = it.next();
            files << file;
            const QByteArray text = ks::test::fileBytes(file);
            for (const QString &secret : {user, password, QStringLiteral("rbUsername"), QStringLiteral("rbWinAuth")})
                QVERIFY2(!text.contains(secret.toUtf8()), qPrintable(file + QStringLiteral(" holds ") + secret));
            for (const QByteArray &line : text.split('\n')) {
                if (const qsizetype equals = line.indexOf('='); equals > 0)
                    names << QString::fromUtf8(line.left(equals).trimmed());
            }
        }
        QCOMPARE(files.size(), 1);
        QCOMPARE(names, (QSet<QString> {"FormVersion", "Item_0"}));

        // The next dialog starts with Windows authentication and empty fields.
        bool windowsLogin = false;
        QString shownUser = QStringLiteral("<not shown>");
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            windowsLogin = dialog->rbWinAuth->isChecked();
            shownUser = dialog->edUsername->text();
            dialog->reject();
        });
        ShowConnectMsSqlDialog(nullptr, kKey, false);
        QVERIFY(windowsLogin);
        QCOMPARE(shownUser, QString());
    }

private:
    QString catalogue(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

    // The values of one section of the registry key's file.
    QMap<QString, QString> stored(const QString &section) const
    {
        QDirIterator it(m_config->path(), {QStringLiteral("*.conf")}, QDir::Files, QDirIterator::Subdirectories);
        if (!it.hasNext())
            return {};
        return ks::test::sectionValues(it.next(), section);
    }

    // Runs the Oracle dialog with a data source and presses OK; true when it
    // connected, else the dialog is cancelled after the error.
    bool connectOracle(const QString &dataSource)
    {
        whenDialogShows<TdlgKsConnectOra>(this, [&](TdlgKsConnectOra *dialog) {
            dialog->edUsername->setText(QStringLiteral("scott"));
            dialog->edPassword->setText(QStringLiteral("tiger"));
            dialog->cbDataSource->setEditText(dataSource);
            QVERIFY(ks::test::clickOkAndWait(dialog));
            if (dialog->isVisible())
                dialog->reject();
        });
        return !ShowConnectOraDialog(nullptr, kKey, false).isEmpty();
    }

    bool connectMsSql(const QString &server, const QString &database)
    {
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            dialog->cbServer->setEditText(server);
            dialog->cbDatabase->setEditText(database);
            QVERIFY(ks::test::clickOkAndWait(dialog));
            if (dialog->isVisible())
                dialog->reject();
        });
        return !ShowConnectMsSqlDialog(nullptr, kKey, false).isEmpty();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ks::test::ConfigHome> m_config;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
};

QTEST_MAIN(TestConnectDialogStorage)
#include "tst_connectdialogstorage.moc"
