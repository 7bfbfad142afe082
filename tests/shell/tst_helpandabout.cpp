// Web help, the Help menu, the about box, and the unique component names of
// MDI children that serve as help contexts; a browser that cannot be started
// is told with the address.

#include "app/FMain.h"
#include "base/KsAppIcon.h"
#include "base/KsVersionInfo.h"
#include "kinds/mssql/DKsConnMsSql.h"
#include "db/DKsConnOra.h"
#include "settings/SettingsTestSupport.h"
#include "shell/DKsAboutKs.h"
#include "shell/KsWebHelp.h"
#include "support/TestSeams.h"
#include "support/WindowLookup.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

namespace {

const QString kBase = QStringLiteral("https://www.example.com/?app=quillmere");

KsMdiChild *openChild(TfrmKsMdiMain *main, const QString &name)
{
    auto *child = new KsMdiChild(main);
    child->setObjectName(name);
    child->showChild();
    return child;
}

} // namespace

class TestHelpAndAbout : public QObject {
    Q_OBJECT

    std::unique_ptr<ks::test::ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<ks::WebHelpBaseScope> m_webHelp;
    std::unique_ptr<TfrmMain> m_main;

    // The program file's version, which this test's file carries too.
    static QString version() { return TKsStringFileInfo(QCoreApplication::applicationFilePath()).Version(); }

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<ks::test::ConfigHome>();
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_webHelp = std::make_unique<ks::WebHelpBaseScope>();
        m_main = std::make_unique<TfrmMain>();
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_webHelp.reset();
        m_seams.reset();
        m_home.reset();
    }

    void helpAddresses_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("fileVersion");
        QTest::addColumn<QString>("address");
        QTest::newRow("context") << "dlgConnect"
                                 << "1.2.0.10" << kBase + "&ver=1.2.0.10&ctx=dlgConnect";
        QTest::newRow("no context ends after the version") << ""
                                                           << "1.2.0.10" << kBase + "&ver=1.2.0.10";
        QTest::newRow("file without version data") << "main"
                                                   << "" << kBase + "&ver=&ctx=main";
        QTest::newRow("a context cannot add to the query") << "a&b=c d"
                                                           << "1" << kBase + "&ver=1&ctx=a%26b%3Dc%20d";
    }

    void helpAddresses()
    {
        QFETCH(QString, context);
        QFETCH(QString, fileVersion);
        QFETCH(QString, address);
        QCOMPARE(ks::WebHelpAddress(context, fileVersion), address);
    }

    void f1HelpsWithTheActiveWindowsName()
    {
        QVERIFY(!version().isEmpty());
        QTest::keyClick(m_main.get(), Qt::Key_F1); // the item is hidden; its short-cut works
        openChild(m_main.get(), QStringLiteral("frmConnectionOracle"));
        QTest::keyClick(m_main.get(), Qt::Key_F1);
        KsMdiChild *second = openChild(m_main.get(), QStringLiteral("frmConnectionOracle"));
        QTRY_COMPARE(m_main->activeChild(), second);
        QTest::keyClick(m_main.get(), Qt::Key_F1);
        ks::ShowWebHelp(QStringLiteral("dlgConnect")); // the connect dialogs' "?"
        const QString prefix = kBase + "&ver=" + version() + "&ctx=";
        QCOMPARE(m_seams->browser.addresses(),
            (QStringList {prefix + "main", prefix + "frmConnectionOracle", prefix + "frmConnectionOracle_1",
                prefix + "dlgConnect"}));
    }

    void connectDialogsHelpWithTheirContext()
    {
        TdlgKsConnectOra oracle(m_main.get(), QStringLiteral("Software\\Kestrin\\Quillmere"));
        TdlgKsConnectMsSql msSql(m_main.get(), QStringLiteral("Software\\Kestrin\\Quillmere"));
        for (QDialog *dialog : {static_cast<QDialog *>(&oracle), static_cast<QDialog *>(&msSql)})
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnHelp")), Qt::LeftButton);
        const QString address = kBase + "&ver=" + version() + "&ctx=dlgConnect";
        QCOMPARE(m_seams->browser.addresses(), (QStringList {address, address}));
    }

    void aFailingBrowserIsToldWithTheAddress()
    {
        m_seams->browser.succeed = false;
        m_main->miHomepage->trigger();
        QTest::keyClick(m_main.get(), Qt::Key_F1);
        const QString home = QStringLiteral("https://www.example.com/");
        const QString help = kBase + "&ver=" + version() + "&ctx=main";
        QCOMPARE(m_seams->browser.addresses(), (QStringList {home, help}));
        const QString told = QStringLiteral("No browser could be started. Open this address in one:\r\n\r\n%1");
        QCOMPARE(m_seams->messages.shown, (QStringList {told.arg(home), told.arg(help)}));
        QCOMPARE(
            m_seams->messages.icons, (QList<ks::MessageIcon> {ks::MessageIcon::Warning, ks::MessageIcon::Warning}));
        m_webHelp.reset(); // the program has ended: no base, nothing opens
        ks::ShowWebHelp(QStringLiteral("main"));
        QCOMPARE(m_seams->browser.opened.size(), 2);
    }

    void childrenTakeTheFirstFreeName()
    {
        KsMdiChild *a = openChild(m_main.get(), QStringLiteral("frmX"));
        KsMdiChild *b = openChild(m_main.get(), QStringLiteral("frmX"));
        KsMdiChild *c = openChild(m_main.get(), QStringLiteral("frmX"));
        QCOMPARE(a->objectName() + ' ' + b->objectName() + ' ' + c->objectName(), QStringLiteral("frmX frmX_1 frmX_2"));
        delete b->subWindow();
        QCOMPARE(openChild(m_main.get(), QStringLiteral("frmX"))->objectName(), QStringLiteral("frmX_1"));
        delete a->subWindow();
        QCOMPARE(openChild(m_main.get(), QStringLiteral("frmX"))->objectName(), QStringLiteral("frmX"));
        openChild(m_main.get(), QStringLiteral("frmX_10"));
        // Found by the name they were given, in creation order.
        QCOMPARE(ks::test::childrenNamed(*m_main, QStringLiteral("frmX")).size(), 4);
        QCOMPARE(ks::test::childNamed(*m_main, QStringLiteral("frmX")), c);
        QVERIFY(!ks::test::isNamed(QStringLiteral("frmXY_1"), QStringLiteral("frmX")));
        QVERIFY(!ks::test::isNamed(QStringLiteral("frmX_01"), QStringLiteral("frmX")));
    }

    void aboutBoxFromTheMenu()
    {
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<TdlgKsAboutKs *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seen = true;
            QCOMPARE(dialog->objectName(), QStringLiteral("dlgKsAboutKs"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("About quillmere"));
            QCOMPARE(dialog->parentWidget(), m_main.get());
            const TKsStringFileInfo info(QCoreApplication::applicationFilePath());
            QVERIFY(info.LegalCopyright().startsWith(QStringLiteral("Copyright")));
            QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("lbVersion"))->text(),
                "quillmere\n\nVersion " + version() + "\n\n" + info.LegalCopyright());
            QCOMPARE(dialog->findChild<QLabel *>(QStringLiteral("lbUsage"))->text(), QString());
            const QImage icon = dialog->findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().toImage();
            QCOMPARE(icon.convertToFormat(QImage::Format_ARGB32),
                ks::applicationIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32));
            QVERIFY(icon.pixelColor(16, 16).alpha() > 0 || icon.pixelColor(10, 10).alpha() > 0); // drawn, not blank
            QCOMPARE(dialog->minimumSize(), dialog->maximumSize()); // fixed border
            QVERIFY((dialog->frameGeometry().center() - dialog->screen()->geometry().center()).manhattanLength() <= 2);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
        });
        m_main->miAbout->trigger();
        QVERIFY(seen);
        QVERIFY(!m_main->findChild<TdlgKsAboutKs *>()); // destroyed after its run
        QCOMPARE(m_main->windowIcon().pixmap(32, 32).toImage(), ks::applicationIcon().pixmap(32, 32).toImage());
    }

    void aboutBoxLayoutAndLink()
    {
        // At the design's font (8 points, 11 pixels) the box has the design's
        // measures; a link wider than its place pushes OK to the right.
        QFont font = m_main->font();
        font.setPixelSize(11);
        m_main->setFont(font);
        TdlgKsAboutKs dialog(m_main.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *link = dialog.findChild<QLabel *>(QStringLiteral("Label3"));
        const int okLeft = std::max(112, 8 + link->sizeHint().width());
        QCOMPARE(dialog.size(), QSize(std::max(305, okLeft + 89 + 8), 249));
        QCOMPARE(dialog.findChild<QWidget *>(QStringLiteral("btnOk"))->geometry(), QRect(okLeft, 216, 89, 25));
        QCOMPARE(dialog.findChild<QFrame *>(QStringLiteral("Panel2"))->geometry(), QRect(8, 8, 289, 105));
        QCOMPARE(dialog.findChild<QFrame *>(QStringLiteral("Panel1"))->geometry(), QRect(8, 120, 289, 89));
        QCOMPARE(dialog.findChild<QWidget *>(QStringLiteral("Image1"))->mapTo(&dialog, QPoint()), QPoint(256, 16));

        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5)); // released elsewhere: no click
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(m_seams->browser.addresses(), QStringList {kBase + "&ver=" + version() + "&ctx=about"});
    }
};

QTEST_MAIN(TestHelpAndAbout)
#include "tst_helpandabout.moc"
