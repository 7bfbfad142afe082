// The SQL Server connect dialog: layout, the login choice and OK's enabling
// with their quirks, validation, the connection test against catalogue files
// (the server is the file's path) and the composed connection string, and a
// login the TDS test server never answers.

#include "kinds/mssql/DKsConnMsSql.h"
#include "db/KsAdo.h"
#include "db/KsConnectionWorker.h"
#include "settings/SettingsTestSupport.h"
#include "support/ModalDialogs.h"
#include "support/TdsTestServer.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QtTest>

using ks::test::whenDialogShows;

namespace {

struct Entries {
    QString server;
    QString database;
    bool byName = false;
    QString user = {};
    QString password = {};
};

void fill(TdlgKsConnectMsSql *dialog, const Entries &entries)
{
    if (entries.byName)
        QTest::mouseClick(dialog->rbUsername, Qt::LeftButton, {}, QPoint(4, dialog->rbUsername->height() / 2));
    dialog->cbServer->setEditText(entries.server);
    dialog->cbDatabase->setEditText(entries.database);
    dialog->edUsername->setText(entries.user);
    dialog->edPassword->setText(entries.password);
}

void clickRadio(QRadioButton *radio)
{
    QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(4, radio->height() / 2));
}

// A font in which every caption fits the room the design gives it.
QFont smallFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(8);
    return font;
}

} // namespace

class TestConnectMsSqlDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_catalogue = m_dir.filePath(QStringLiteral("shop.qmcat"));
        ks::test::makeCatalogue(m_catalogue, {QStringLiteral("CREATE TABLE sysobjects (name TEXT, id INTEGER)")});
        m_textFile = m_dir.filePath(QStringLiteral("notes.txt"));
        QFile text(m_textFile);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a catalogue\n");
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

    void initialStateAndTabOrder()
    {
        TdlgKsConnectMsSql dialog(nullptr);
        QCOMPARE(dialog.objectName(), QStringLiteral("dlgKsConnectMsSql"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect to Database"));
        QCOMPARE(dialog.GroupBox1->title(), QStringLiteral(" Login "));
        QCOMPARE(dialog.rbWinAuth->text(), QStringLiteral("Windows Authentification"));
        QCOMPARE(dialog.rbUsername->text(), QStringLiteral("User name && Password"));
        QVERIFY(dialog.rbWinAuth->isChecked() && !dialog.rbUsername->isChecked());
        for (QWidget *field : {static_cast<QWidget *>(dialog.lbUsername), static_cast<QWidget *>(dialog.lbPassword),
                 static_cast<QWidget *>(dialog.edUsername), static_cast<QWidget *>(dialog.edPassword)})
            QVERIFY2(!field->isEnabled(), qPrintable(field->objectName()));
        QVERIFY(dialog.cbServer->isEditable() && dialog.cbDatabase->isEditable());
        QVERIFY(!dialog.btnOk->isEnabled());
        QVERIFY(dialog.btnOk->isDefault());
        QCOMPARE(dialog.edPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(
            dialog.edPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog.edPassword),
            int('*'));

        dialog.setHelpShown(true);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(dialog.cbServer->currentText().isEmpty() && dialog.cbDatabase->currentText().isEmpty());
        fill(&dialog, {QStringLiteral("srv"), QStringLiteral("db"), true, QStringLiteral("u"), QStringLiteral("p")});
        dialog.cbServer->setFocus();
        QStringList order {QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        // Of the two choices the selected one takes the focus, as on any desktop.
        QCOMPARE(order,
            (QStringList {
                "cbServer", "cbDatabase", "rbUsername", "edUsername", "edPassword", "btnOk", "btnCancel", "btnHelp"}));
    }

    void okEnabling_data()
    {
        QTest::addColumn<bool>("byName");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("windows login, both names") << false << "srv"
                                                   << "db" << QString() << QString() << true;
        QTest::newRow("database blanks only") << false << "srv"
                                              << "  " << QString() << QString() << false;
        QTest::newRow("server missing") << false << ""
                                        << "db" << QString() << QString() << false;
        QTest::newRow("user name login, all given") << true << "srv"
                                                    << "db"
                                                    << "sa"
                                                    << "pw" << true;
        QTest::newRow("user name login, password blanks only") << true << "srv"
                                                               << "db"
                                                               << "sa"
                                                               << "   " << false;
        QTest::newRow("windows login ignores the user name fields") << false << " srv "
                                                                    << " db "
                                                                    << "  "
                                                                    << "" << true;
    }

    void okEnabling()
    {
        QFETCH(bool, byName);
        QFETCH(QString, server);
        QFETCH(QString, database);
        QFETCH(QString, user);
        QFETCH(QString, password);
        TdlgKsConnectMsSql dialog(nullptr);
        if (byName)
            dialog.rbUsername->setChecked(true);
        dialog.edUsername->setText(user);
        dialog.edPassword->setText(password);
        dialog.cbDatabase->setEditText(database);
        dialog.cbServer->setEditText(server);
        QTEST(dialog.btnOk->isEnabled(), "enabled");
    }

    void loginChoiceLeavesOkUntilTheNextChange()
    {
        TdlgKsConnectMsSql dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        fill(&dialog, {QStringLiteral("srv"), QStringLiteral("db")});
        QVERIFY(dialog.btnOk->isEnabled());

        // User name and password chosen: the fields open, OK stays enabled
        // although they are empty, and OK then asks for the user name.
        clickRadio(dialog.rbUsername);
        QVERIFY(dialog.edUsername->isEnabled() && dialog.lbUsername->isEnabled());
        QVERIFY(dialog.edPassword->isEnabled() && dialog.lbPassword->isEnabled());
        QVERIFY(dialog.btnOk->isEnabled());
        QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
        QCOMPARE(m_seams->messages.shown, QStringList {"Please enter User name"});
        QCOMPARE(QApplication::focusWidget(), dialog.edUsername);
        QVERIFY(dialog.isVisible());

        // A missing password disables OK; back to Windows authentication it
        // stays disabled until the server or database text changes. The
        // typed texts stay in the closed fields.
        QTest::keyClicks(dialog.edUsername, QStringLiteral("sa"));
        QVERIFY(!dialog.btnOk->isEnabled());
        clickRadio(dialog.rbWinAuth);
        QVERIFY(!dialog.edUsername->isEnabled() && !dialog.lbPassword->isEnabled());
        QCOMPARE(dialog.edUsername->text(), QStringLiteral("sa"));
        QVERIFY(!dialog.btnOk->isEnabled());
        QTest::keyClicks(dialog.cbDatabase, QStringLiteral("2"));
        QVERIFY(dialog.btnOk->isEnabled());
    }

    void validateReportsTheFirstGap_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no server") << " \t"
                                   << ""
                                   << ""
                                   << ""
                                   << "Please enter Server Name"
                                   << "cbServer";
        QTest::newRow("no database") << "srv"
                                     << "  "
                                     << ""
                                     << ""
                                     << "Please enter Database Name"
                                     << "cbDatabase";
        QTest::newRow("no user name") << "srv"
                                      << "db"
                                      << " "
                                      << "pw"
                                      << "Please enter User name"
                                      << "edUsername";
        QTest::newRow("no password") << "srv"
                                     << "db"
                                     << "sa"
                                     << "  "
                                     << "Please enter Password"
                                     << "edPassword";
    }

    void validateReportsTheFirstGap()
    {
        QFETCH(QString, server);
        QFETCH(QString, database);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        TdlgKsConnectMsSql dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        fill(&dialog, {server, database, true, user, password});
        QVERIFY(!dialog.Validate());
        QCOMPARE(m_seams->messages.shown, QStringList {message});
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        // The texts are reported, not changed.
        QCOMPARE(dialog.cbServer->currentText(), server);
        QCOMPARE(dialog.edPassword->text(), password);
    }

    void okReturnsTheComposedString_data()
    {
        QTest::addColumn<QString>("serverSuffix"); // after the catalogue's path
        QTest::addColumn<QString>("database");
        QTest::addColumn<bool>("byName");
        QTest::addColumn<bool>("backToWindows"); // user name typed, then Windows authentication chosen
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("tail"); // the string after "Provider=sqloledb;Data Source=<file>"
        QTest::newRow("windows authentication") << ""
                                                << "Shop" << false << false << ""
                                                << ""
                                                << ";Initial Catalog=Shop;Integrated Security=SSPI";
        QTest::newRow("user name and password") << ""
                                                << "Shop" << true << false << "sa"
                                                << "pw"
                                                << ";Initial Catalog=Shop;User Id=sa;Password=pw";
        QTest::newRow("typed user name, then windows authentication")
            << ""
            << "Shop" << true << true << "sa"
            << "pw"
            << ";Initial Catalog=Shop;Integrated Security=SSPI";
        // Texts go in untrimmed; a value that would end the pair early, or
        // lose its blanks, is quoted.
        QTest::newRow("blanks kept") << ""
                                     << " Shop" << true << false << "sa "
                                     << "pw"
                                     << ";Initial Catalog=\" Shop\";User Id=\"sa \";Password=pw";
        QTest::newRow("password with a semicolon") << ""
                                                   << "Shop" << true << false << "sa"
                                                   << "pa;ss"
                                                   << ";Initial Catalog=Shop;User Id=sa;Password=\"pa;ss\"";
    }

    void okReturnsTheComposedString()
    {
        QFETCH(QString, database);
        QFETCH(bool, byName);
        QFETCH(bool, backToWindows);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, tail);
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            fill(dialog, {m_catalogue, database, byName, user, password});
            if (backToWindows)
                clickRadio(dialog->rbWinAuth);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        const QString result = ShowConnectMsSqlDialog(nullptr, QStringLiteral("Software\\Kestrin\\Quillmere"), false);
        QCOMPARE(m_seams->messages.shown, QStringList());
        QCOMPARE(result, QStringLiteral("Provider=sqloledb;Data Source=") + m_catalogue + tail);
        // Each value reads back as it was typed.
        QCOMPARE(ks::GetConnectionValue(result, QStringLiteral("initial catalog")), database);
        if (byName && !backToWindows)
            QCOMPARE(ks::GetConnectionValue(result, QStringLiteral("password")), password);
        else
            QCOMPARE(ks::GetConnectionValue(result, QStringLiteral("user id")), QString());
    }

    void serverWithTrailingBlankIsTriedAsTyped()
    {
        // The file's own name ends with the blank, so only the untrimmed text
        // finds it.
        const QString blankEnded = m_dir.filePath(QStringLiteral("blank.qmcat "));
        ks::test::makeCatalogue(blankEnded, {QStringLiteral("CREATE TABLE sysusers (uid INTEGER, name TEXT)")});
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            fill(dialog, {blankEnded, QStringLiteral("db")});
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        const QString result = ShowConnectMsSqlDialog(nullptr, QString(), false);
        QCOMPARE(m_seams->messages.shown, QStringList());
        QCOMPARE(ks::GetConnectionValue(result, QStringLiteral("data source")), blankEnded);
    }

    void failedConnectionKeepsEveryEntry()
    {
        bool stillOpen = false;
        Entries kept;
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            fill(dialog, {m_textFile, QStringLiteral("Shop"), true, QStringLiteral("sa"), QStringLiteral("pw")});
            QVERIFY(ks::test::clickOkAndWait(dialog));
            stillOpen = dialog->isVisible();
            kept = {dialog->cbServer->currentText(), dialog->cbDatabase->currentText(), dialog->rbUsername->isChecked(),
                dialog->edUsername->text(), dialog->edPassword->text()};
            QVERIFY(dialog->ConnectionString.isEmpty());
            dialog->reject();
        });
        const QString result = ShowConnectMsSqlDialog(nullptr, QString(), false);
        QCOMPARE(result, QString());
        QVERIFY(stillOpen);
        QCOMPARE(kept.server, m_textFile);
        QCOMPARE(kept.database, QStringLiteral("Shop"));
        QVERIFY(kept.byName);
        QCOMPARE(kept.user, QStringLiteral("sa"));
        QCOMPARE(kept.password, QStringLiteral("pw"));
        QCOMPARE(m_seams->messages.shown,
            QStringList {QStringLiteral("Error connecting to database\r\n\r\n") + m_textFile
                + QStringLiteral(" is not a catalogue file: file is not a database")});
    }

    void loginWithoutAnswerIsGivenUpAtOnce_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }

    void loginWithoutAnswerIsGivenUpAtOnce()
    {
        QFETCH(bool, escape);
        if (const QString why = ks::test::freeTdsUnavailable(true); !why.isEmpty())
            QSKIP(qPrintable(why));
        ks::test::TdsTestServer server(m_catalogue);
        QVERIFY2(server.start(), qPrintable(server.errorString()));
        server.setStall(ks::test::TdsTestServer::Stall::Login);
        QElapsedTimer givingUp;
        whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
            fill(dialog,
                {QStringLiteral("127.0.0.1,%1").arg(server.port()), QStringLiteral("shop"), true,
                    QStringLiteral("quill"), QStringLiteral("secret")});
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
            // The server holds the login; the dialog answers and says what it waits for.
            QTRY_COMPARE(server.logins(), 1);
            QVERIFY(dialog->isConnecting());
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Connecting to Database..."));
            QVERIFY(!dialog->btnOk->isEnabled() && !dialog->cbServer->isEnabled() && dialog->btnCancel->isEnabled());
            givingUp.start();
            if (escape)
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
        });
        QCOMPARE(ShowConnectMsSqlDialog(nullptr, QString(), false), QString());
        // Far from the login's own limit of 15 seconds.
        QVERIFY2(givingUp.elapsed() < 5000, qPrintable(QString::number(givingUp.elapsed())));

        // The login given up ends once the server goes, and nothing of it
        // reaches anyone.
        server.stop();
        QTRY_COMPARE_WITH_TIMEOUT(ks::ConnectionWorker::runningWorkers(), 0, 30000);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(m_seams->messages.shown, QStringList());
    }

    void designGeometryWhereTheFontAllows()
    {
        // In a font small enough for every caption the dialog stands as
        // drawn; only boxes that the style draws taller than 21 pixels move
        // the rows below them down by as much.
        QWidget owner;
        owner.setFont(smallFont());
        for (bool helpShown : {true, false}) {
            TdlgKsConnectMsSql dialog(&owner);
            dialog.setHelpShown(helpShown);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            const int box = std::max(21, dialog.cbServer->sizeHint().height());
            const int edit = std::max(21, dialog.edUsername->sizeHint().height());
            const int extra = 2 * (box - 21) + 2 * (edit - 21);
            QCOMPARE(dialog.size(), QSize(233, 241 + extra));
            QCOMPARE(dialog.cbServer->geometry(), QRect(72, 8, 153, box));
            QCOMPARE(dialog.cbDatabase->geometry(), QRect(72, 32 + box - 21, 153, box));
            const int groupTop = 64 + 2 * (box - 21);
            QCOMPARE(dialog.GroupBox1->geometry(), QRect(8, groupTop, 217, 137 + 2 * (edit - 21)));
            QCOMPARE(dialog.edUsername->geometry(), QRect(88, 72, 113, edit));
            QCOMPARE(dialog.edPassword->geometry(), QRect(88, 96 + edit - 21, 113, edit));
            for (QRadioButton *radio : {dialog.rbWinAuth, dialog.rbUsername}) {
                QCOMPARE(radio->x(), 16);
                QVERIFY(radio->width() >= 145);
            }
            QVERIFY(dialog.rbWinAuth->geometry().bottom() < 48 && dialog.rbUsername->y() >= 45);
            QCOMPARE(dialog.lbUsername->x(), 32);
            QCOMPARE(dialog.lbPassword->x(), 32);
            QCOMPARE(dialog.Label1->x(), 8);
            QCOMPARE(dialog.Label2->x(), 8);
            const int buttonsTop = 208 + extra;
            QCOMPARE(dialog.btnOk->geometry(), QRect(8, buttonsTop, 89, 25));
            QCOMPARE(dialog.btnCancel->geometry(), QRect(helpShown ? 104 : 136, buttonsTop, 89, 25));
            QCOMPARE(dialog.btnHelp->isVisibleTo(&dialog), helpShown);
            if (helpShown)
                QCOMPARE(dialog.btnHelp->geometry(), QRect(200, buttonsTop, 25, 25));
        }
    }

    void helpFlagShowsOrHidesQuestionMark()
    {
        QWidget owner;
        owner.setFont(smallFont());
        for (bool showHelp : {false, true}) {
            QRect cancel;
            bool helpVisible = !showHelp;
            whenDialogShows<TdlgKsConnectMsSql>(this, [&](TdlgKsConnectMsSql *dialog) {
                cancel = dialog->btnCancel->geometry();
                helpVisible = dialog->btnHelp->isVisible();
                QTest::keyClick(dialog, Qt::Key_Escape);
            });
            QCOMPARE(ShowConnectMsSqlDialog(&owner, QString(), showHelp), QString());
            QCOMPARE(helpVisible, showHelp);
            QCOMPARE(cancel.x(), showHelp ? 104 : 136);
        }
    }

    void groupRowsStayBelowItsTitleAtLargerFonts()
    {
        // The layout audit sees cut captions and overlapping controls; the
        // group's title is painted, so its room is checked here.
        for (qreal scale : {1.0, 2.0}) {
            QWidget owner;
            QFont font = owner.font();
            font.setPointSizeF(font.pointSizeF() * scale);
            owner.setFont(font);
            TdlgKsConnectMsSql dialog(&owner);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(dialog.width() >= 233 && dialog.height() >= 241);
            QVERIFY(dialog.GroupBox1->width() >= 217 && dialog.GroupBox1->height() >= 137);
            QStyleOptionGroupBox option;
            option.initFrom(dialog.GroupBox1);
            option.text = dialog.GroupBox1->title();
            option.subControls = QStyle::SC_GroupBoxLabel;
            const QRect title = dialog.GroupBox1->style()->subControlRect(
                QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, dialog.GroupBox1);
            QVERIFY(title.bottom() < dialog.rbWinAuth->y());
            QVERIFY(dialog.rbUsername->geometry().bottom() < dialog.edUsername->y());
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_catalogue;
    QString m_textFile;
    std::unique_ptr<ks::test::ConfigHome> m_config;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
};

QTEST_MAIN(TestConnectMsSqlDialog)
#include "tst_connectmssqldialog.moc"
