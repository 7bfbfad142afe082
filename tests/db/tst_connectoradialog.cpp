// The Oracle connect dialog: layout, OK enabling, validation, the connection
// test against real catalogue files, and the composed connection string.

#include "db/DKsConnOra.h"
#include "db/KsAdo.h"
#include "settings/SettingsTestSupport.h"
#include "support/ModalDialogs.h"
#include "support/OracleFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
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

// A font in which every caption fits the room the design gives it.
QFont smallFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(8);
    return font;
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

    void layoutAndTabOrder()
    {
        TdlgKsConnectOra dialog(nullptr);
        QCOMPARE(dialog.objectName(), QStringLiteral("dlgKsConnectOra"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Connect to Database"));
        QCOMPARE(dialog.edPassword->echoMode(), QLineEdit::Password);
        QVERIFY(dialog.cbDataSource->isEditable());
        QVERIFY(!dialog.btnOk->isEnabled());
        QVERIFY(dialog.btnOk->isDefault());
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
        QCOMPARE(
            dialog.edPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, dialog.edPassword),
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

    void specialCharactersStayInTheirValue_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("written");
        QTest::newRow("semicolon") << "pa;ss"
                                   << "\"pa;ss\"";
        QTest::newRow("another key") << "x;data source=/etc/hostname"
                                     << "\"x;data source=/etc/hostname\"";
        QTest::newRow("quotes") << "say \"hi\" 'now'"
                                << "\"say \"\"hi\"\" 'now'\"";
        QTest::newRow("equals sign") << "a=b"
                                     << "\"a=b\"";
    }

    void specialCharactersStayInTheirValue()
    {
        // A password typed into its box cannot end early or set another key
        // of the connection string, such as the data source.
        QFETCH(QString, password);
        QFETCH(QString, written);
        whenDialogShows(this, [this, &password](TdlgKsConnectOra *dialog) {
            fill(dialog, QStringLiteral("scott"), password, m_catalogue);
            QTest::mouseClick(dialog->btnOk, Qt::LeftButton);
        });
        const QString result = ShowConnectOraDialog(nullptr, QStringLiteral("Software\\Kestrin\\Quillmere"), false);
        QCOMPARE(m_seams->messages.shown, QStringList());
        QCOMPARE(result,
            QStringLiteral("provider=OraOLEDB.Oracle;user id=scott;password=") + written
                + QStringLiteral(";data source=") + m_catalogue);
        QCOMPARE(ks::GetConnectionValue(result, QStringLiteral("password")), password);
        QCOMPARE(ks::GetConnectionValue(result, QStringLiteral("data source")), m_catalogue);
        QCOMPARE(ks::GetConnectionValue(result, QStringLiteral("user id")), QStringLiteral("scott"));
    }

    void failedConnectionKeepsDialogOpen()
    {
        const QString missing = m_dir.filePath(QStringLiteral("missing.qmcat"));
        int messagesAfterOk = -1;
        bool stillOpen = false;
        QString keptPassword;
        whenDialogShows(this, [&](TdlgKsConnectOra *dialog) {
            fill(dialog, QStringLiteral("scott"), QStringLiteral("tiger"), missing);
            QVERIFY(ks::test::clickOkAndWait(dialog));
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
        QCOMPARE(dialog.connectionStringFromEntries(),
            QStringLiteral("provider=OraOLEDB.Oracle;user id=scott;password=tiger"));
    }

    void designGeometryWhereTheFontAllows()
    {
        // A font small enough for every caption to fit the design's room:
        // the dialog stands as drawn. Only the boxes' height may exceed the
        // design's 21 pixels where the desktop's style draws taller boxes;
        // the rows then move down by as much.
        QWidget owner;
        owner.setFont(smallFont());
        for (bool helpShown : {true, false}) {
            TdlgKsConnectOra dialog(&owner);
            QCOMPARE(dialog.font().pixelSize(), smallFont().pixelSize());
            dialog.setHelpShown(helpShown);
            const int box = std::max(21, dialog.edUsername->sizeHint().height());
            const int extra = box - 21;
            QCOMPARE(dialog.size(), QSize(233, 122 + 3 * extra));
            QCOMPARE(dialog.edUsername->geometry(), QRect(80, 8, 129, box));
            QCOMPARE(dialog.edPassword->geometry(), QRect(80, 32 + extra, 129, box));
            QCOMPARE(dialog.cbDataSource->geometry(), QRect(80, 56 + 2 * extra, 145, box));
            QCOMPARE(dialog.btnOk->geometry(), QRect(8, 88 + 3 * extra, 89, 25));
            QCOMPARE(dialog.btnCancel->geometry(), QRect(helpShown ? 104 : 136, 88 + 3 * extra, 89, 25));
            QCOMPARE(dialog.btnHelp->isVisibleTo(&dialog), helpShown);
            if (helpShown)
                QCOMPARE(dialog.btnHelp->geometry(), QRect(200, 88 + 3 * extra, 25, 25));
            for (QLabel *label : {dialog.lbUsername, dialog.lbPassword, dialog.Label1})
                QCOMPARE(label->x(), 8);
        }
    }

    void helpButtonHiddenMovesCancel()
    {
        QWidget owner;
        owner.setFont(smallFont());
        QRect cancel;
        QRect help;
        bool helpVisible = true;
        whenDialogShows(this, [&](TdlgKsConnectOra *dialog) {
            cancel = dialog->btnCancel->geometry();
            helpVisible = dialog->btnHelp->isVisible();
            dialog->reject();
        });
        ShowConnectOraDialog(&owner, QString(), false);
        QCOMPARE(cancel.x(), 136);
        QVERIFY(!helpVisible);

        whenDialogShows(this, [&](TdlgKsConnectOra *dialog) {
            cancel = dialog->btnCancel->geometry();
            help = dialog->btnHelp->geometry();
            helpVisible = dialog->btnHelp->isVisible();
            dialog->reject();
        });
        ShowConnectOraDialog(&owner, QString(), true);
        QCOMPARE(cancel.x(), 104);
        QCOMPARE(help.x() + help.width(), 136 + 89);
        QVERIFY(helpVisible);
    }

    void designIsTheLeastAtLargerFonts_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("default font") << 1.0;
        QTest::newRow("a quarter larger") << 1.25;
        QTest::newRow("twice as large") << 2.0;
    }

    void designIsTheLeastAtLargerFonts()
    {
        QFETCH(qreal, scale);
        QWidget owner;
        QFont font = owner.font();
        font.setPointSizeF(font.pointSizeF() * scale);
        owner.setFont(font);

        TdlgKsConnectOra shown(&owner);
        shown.setHelpShown(true);
        TdlgKsConnectOra hidden(&owner);
        hidden.setHelpShown(false);
        for (TdlgKsConnectOra *dialog : {&shown, &hidden}) {
            // A fixed border, never below the design's size.
            QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
            QVERIFY(dialog->width() >= 233 && dialog->height() >= 122);
            QVERIFY(dialog->edUsername->width() >= 129 && dialog->edPassword->width() >= 129);
            QVERIFY(dialog->cbDataSource->width() >= 145);
            QVERIFY(dialog->btnOk->width() >= 89 && dialog->btnCancel->width() >= 89);
            QVERIFY(dialog->btnOk->height() >= 25);
            // Each box starts right of its label, all at one edge.
            for (auto [label, box] : {std::pair<QLabel *, QWidget *> {dialog->lbUsername, dialog->edUsername},
                     {dialog->lbPassword, dialog->edPassword}, {dialog->Label1, dialog->cbDataSource}}) {
                QVERIFY(label->geometry().right() < box->x());
                QCOMPARE(box->x(), dialog->edUsername->x());
                QVERIFY(label->sizeHint().width() <= label->width());
            }
            // The buttons stand below the boxes, OK at the left edge.
            QVERIFY(dialog->btnOk->y() > dialog->cbDataSource->geometry().bottom());
            QCOMPARE(dialog->btnOk->x(), 8);
        }
        QVERIFY(shown.btnHelp->width() >= 25);
        QCOMPARE(shown.btnHelp->geometry().right(), shown.width() - 9);
        QCOMPARE(hidden.btnCancel->geometry().right(), shown.btnHelp->geometry().right());
        QVERIFY(shown.btnCancel->geometry().right() < shown.btnHelp->x());
    }

private:
    QTemporaryDir m_dir;
    QString m_catalogue;
    std::unique_ptr<ks::test::ConfigHome> m_config;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
};

QTEST_MAIN(TestConnectOraDialog)
#include "tst_connectoradialog.moc"
