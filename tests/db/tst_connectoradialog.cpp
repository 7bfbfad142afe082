// The Oracle connect dialog: layout, OK enabling, validation, the connection
// test against real catalogue files, and the composed connection string.

#include "db/DKsConnOra.h"
#include "support/OracleFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Runs `steps` against the dialog once it is shown modally.
void whenDialogShows(QObject *context, std::function<void(TdlgKsConnectOra *)> steps)
{
    QTimer::singleShot(0, context, [steps = std::move(steps)] {
        auto *dialog = qobject_cast<TdlgKsConnectOra *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        steps(dialog);
    });
}

void fill(TdlgKsConnectOra *dialog, const QString &user, const QString &password, const QString &dataSource)
{
    dialog->edUsername->setText(user);
    dialog->edPassword->setText(password);
    dialog->cbDataSource->setEditText(dataSource);
}

} // namespace

class TestConnectOraDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_catalogue = m_dir.filePath(QStringLiteral("ora.qmcat"));
        ks::test::makeCatalogue(m_catalogue, ks::test::oracleDictionaryDdl());
    }

    void init() { m_seams = std::make_unique<ks::test::SeamsInPlace>(); }
    void cleanup() { m_seams.reset(); }

    void layoutAndTabOrder()
    {
        TdlgKsConnectOra dialog(nullptr);
        QCOMPARE(dialog.objectName(), QStringLiteral("dlgKsConnectOra"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect to Database"));
        QCOMPARE(dialog.size(), QSize(233, 122));
        QCOMPARE(dialog.edUsername->geometry(), QRect(80, 8, 129, 21));
        QCOMPARE(dialog.edPassword->echoMode(), QLineEdit::Password);
        QVERIFY(dialog.cbDataSource->isEditable());
        QVERIFY(!dialog.btnOk->isEnabled());
        QVERIFY(dialog.btnOk->isDefault());
        QCOMPARE(dialog.btnCancel->geometry(), QRect(104, 88, 89, 25));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        fill(&dialog, QStringLiteral("scott"), QStringLiteral("tiger"), QString());
        dialog.edUsername->setFocus();
        QStringList order {QApplication::focusWidget()->objectName()};
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(order, (QStringList {"edUsername", "edPassword", "cbDataSource", "btnOk", "btnCancel"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.btnHelp);
        QCOMPARE(dialog.edPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog.edPassword),
            int('*'));
    }

    void okEnabling_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("both given") << "scott"
                                    << "tiger" << true;
        QTest::newRow("password blanks only") << "scott"
                                              << "   " << false;
        QTest::newRow("user missing") << ""
                                      << "tiger" << false;
        QTest::newRow("blanks around both") << " scott "
                                            << " tiger " << true;
    }

    void okEnabling()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        TdlgKsConnectOra dialog(nullptr);
        dialog.edUsername->setText(user);
        dialog.edPassword->setText(password);
        QTEST(dialog.btnOk->isEnabled(), "enabled");
    }

    void validateReportsAndFocuses_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("no user") << "  "
                                 << "tiger"
                                 << "Please enter User name"
                                 << "edUsername";
        QTest::newRow("no password") << "scott"
                                     << " "
                                     << "Please enter Password"
                                     << "edPassword";
    }

    void validateReportsAndFocuses()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        TdlgKsConnectOra dialog(nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        fill(&dialog, user, password, QString());
        QVERIFY(!dialog.Validate());
        QCOMPARE(m_seams->messages.shown, QStringList {message});
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    }

    void okReturnsTrimmedConnectionString()
    {
        QString seenUser;
        whenDialogShows(this, [this, &seenUser](TdlgKsConnectOra *dialog) {
            fill(dialog, QStringLiteral("  scott "), QStringLiteral("tiger"),
                QStringLiteral(" ") + m_catalogue + QStringLiteral(" "));
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
            seenUser = dialog->edUsername->text();
        });
        const QString result = ShowConnectOraDialog(nullptr, QStringLiteral("Software\\Kestrin\\Quillmere"), false);
        QCOMPARE(
            result, QStringLiteral("provider=OraOLEDB.Oracle;user id=scott;password=tiger;data source=") + m_catalogue);
        QCOMPARE(seenUser, QStringLiteral("scott"));
        QVERIFY(m_seams->messages.shown.isEmpty());
    }

    void failedConnectionKeepsDialogOpen()
    {
        const QString missing = m_dir.filePath(QStringLiteral("missing.qmcat"));
        int messagesAfterOk = -1;
        bool stillOpen = false;
        QString keptPassword;
        whenDialogShows(this, [&](TdlgKsConnectOra *dialog) {
            fill(dialog, QStringLiteral("scott"), QStringLiteral("tiger"), missing);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
            messagesAfterOk = m_seams->messages.shown.size();
            stillOpen = dialog->isVisible();
            keptPassword = dialog->edPassword->text();
            dialog->ConnectionString.clear();
            QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
        });
        const QString result = ShowConnectOraDialog(nullptr, QString(), false);
        QCOMPARE(result, QString());
        QCOMPARE(messagesAfterOk, 1);
        QVERIFY(stillOpen);
        QCOMPARE(keptPassword, QStringLiteral("tiger"));
        QVERIFY(m_seams->messages.shown.constFirst().startsWith(QStringLiteral("Failed to open connection:\r\n")));
        QVERIFY(m_seams->messages.shown.constFirst().size() > QStringLiteral("Failed to open connection:\r\n").size());
    }

    void emptyDataSourceEndsAfterPassword()
    {
        TdlgKsConnectOra dialog(nullptr);
        fill(&dialog, QStringLiteral("scott"), QStringLiteral("tiger"), QString());
        dialog.TestConnection(); // no default database here, so the test itself fails
        QCOMPARE(dialog.ConnectionString, QStringLiteral("provider=OraOLEDB.Oracle;user id=scott;password=tiger"));
    }

    void helpButtonHiddenMovesCancel()
    {
        QRect cancel;
        bool helpVisible = true;
        whenDialogShows(this, [&](TdlgKsConnectOra *dialog) {
            cancel = dialog->btnCancel->geometry();
            helpVisible = dialog->btnHelp->isVisible();
            dialog->reject();
        });
        ShowConnectOraDialog(nullptr, QString(), false);
        QCOMPARE(cancel, QRect(136, 88, 89, 25));
        QVERIFY(!helpVisible);

        whenDialogShows(this, [&](TdlgKsConnectOra *dialog) {
            cancel = dialog->btnCancel->geometry();
            helpVisible = dialog->btnHelp->isVisible();
            dialog->reject();
        });
        ShowConnectOraDialog(nullptr, QString(), true);
        QCOMPARE(cancel, QRect(104, 88, 89, 25));
        QVERIFY(helpVisible);
    }

private:
    QTemporaryDir m_dir;
    QString m_catalogue;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
};

QTEST_MAIN(TestConnectOraDialog)
#include "tst_connectoradialog.moc"
