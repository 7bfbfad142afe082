// Web help, the Help menu, the about box, and the unique component names of
// MDI children that serve as help contexts.

#include "settings/SettingsTestSupport.h"
#include "shell/DKsAboutKs.h"
#include "shell/FMain.h"
#include "shell/KsAppIcon.h"
#include "shell/KsVersionInfo.h"
#include "shell/KsWebHelp.h"
#include "support/TestSeams.h"
#include "support/WindowLookup.h"
#include "text/FKsTextView.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {

const QString kBase = QStringLiteral("https://www.example.com/?app=quillmere");

// A child window with a given component name.
class NamedChild : public KsMdiChild {
public:
    NamedChild(TfrmKsMdiMain *owner, const QString &name)
        : KsMdiChild(owner)
    {
        setObjectName(name);
    }
};

// Runs `inspect` on the modal dialog that `open` starts, then closes it with
// `close`; the dialog's state at that moment is what the user sees.
void whileModal(const std::function<void()> &open, const std::function<void(QDialog *)> &inspect,
    const std::function<void(QDialog *)> &close)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = true;
        inspect(dialog);
        close(dialog);
    });
    open();
    QVERIFY2(seen, "no modal dialog was shown");
}

} // namespace

class TestHelpAndAbout : public QObject {
    Q_OBJECT

    std::unique_ptr<ks::test::ConfigHome> m_home;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<ks::WebHelpBaseScope> m_webHelp;
    std::unique_ptr<TfrmMain> m_main;

    QString version() const
    {
        TVSFixedFileInfo info;
        return ReadFixedFileVersion(info) ? FileVersionText(info) : QString();
    }

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
        QTest::newRow("numbered window") << "frmConnectionOracle_1"
                                         << "1.2.0.10" << kBase + "&ver=1.2.0.10&ctx=frmConnectionOracle_1";
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

    void showWebHelpOpensTheAddressWithTheProgramsVersion()
    {
        QVERIFY(!version().isEmpty());
        ks::ShowWebHelp(QStringLiteral("dlgConnect"));
        ks::ShowWebHelp(QString());
        QCOMPARE(m_seams->browser.addresses(),
            (QStringList {kBase + "&ver=" + version() + "&ctx=dlgConnect", kBase + "&ver=" + version()}));
    }

    void failingBrowserIsIgnored()
    {
        m_seams->browser.succeed = false;
        m_main->miHomepage->trigger();
        ks::ShowWebHelp(QStringLiteral("main"));
        QCOMPARE(m_seams->browser.opened.size(), 2);
        QCOMPARE(m_seams->messages.shown, QStringList());
    }

    void withoutABaseNothingOpens()
    {
        m_webHelp.reset();
        QCOMPARE(ks::WebHelpBase(), QString());
        ks::ShowWebHelp(QStringLiteral("main"));
        QCOMPARE(m_seams->browser.opened.size(), 0);
        ks::SetWebHelpBase(QStringLiteral("https://help.example.org/?app=x"));
        ks::ShowWebHelp(QStringLiteral("main"));
        QCOMPARE(m_seams->browser.addresses(),
            QStringList {QStringLiteral("https://help.example.org/?app=x&ver=%1&ctx=main").arg(version())});
        ks::SetWebHelpBase(QString());
    }

    void homepageIsTheSiteRoot()
    {
        m_main->miHomepage->trigger();
        QCOMPARE(m_seams->browser.addresses(), QStringList {ks::kMakerAddress});
        QCOMPARE(ks::kMakerAddress, QStringLiteral("https://www.example.com/"));
    }

    void f1HelpsWithTheActiveWindow()
    {
        QTest::keyClick(m_main.get(), Qt::Key_F1);
        auto *first = new NamedChild(m_main.get(), QStringLiteral("frmConnectionOracle"));
        first->showChild();
        QTest::keyClick(m_main.get(), Qt::Key_F1);
        auto *second = new NamedChild(m_main.get(), QStringLiteral("frmConnectionOracle"));
        second->showChild();
        QTRY_COMPARE(m_main->activeChild(), second);
        QTest::keyClick(m_main.get(), Qt::Key_F1);
        const QString prefix = kBase + "&ver=" + version() + "&ctx=";
        QCOMPARE(m_seams->browser.addresses(),
            (QStringList {prefix + "main", prefix + "frmConnectionOracle", prefix + "frmConnectionOracle_1"}));
    }

    void childrenTakeTheFirstFreeName()
    {
        const auto make = [this](const QString &name) {
            auto *child = new NamedChild(m_main.get(), name);
            child->showChild();
            return child;
        };
        NamedChild *a = make(QStringLiteral("frmX"));
        NamedChild *b = make(QStringLiteral("frmX"));
        NamedChild *c = make(QStringLiteral("frmX"));
        QCOMPARE(a->objectName(), QStringLiteral("frmX"));
        QCOMPARE(b->objectName(), QStringLiteral("frmX_1"));
        QCOMPARE(c->objectName(), QStringLiteral("frmX_2"));
        QCOMPARE(make(QStringLiteral("frmY"))->objectName(), QStringLiteral("frmY"));

        delete b->subWindow();
        QCOMPARE(make(QStringLiteral("frmX"))->objectName(), QStringLiteral("frmX_1"));
        delete a->subWindow();
        QCOMPARE(make(QStringLiteral("frmX"))->objectName(), QStringLiteral("frmX"));
        // Renaming a window to a name in use numbers it too.
        c->setObjectName(QStringLiteral("frmY"));
        QCOMPARE(c->objectName(), QStringLiteral("frmY_1"));

        // Found by the name they were given.
        QCOMPARE(ks::test::childrenNamed(*m_main, QStringLiteral("frmX")).size(), 2);
        QCOMPARE(ks::test::childrenNamed(*m_main, QStringLiteral("frmY")).size(), 2);
        // In creation order: c came before the window first named frmY.
        QCOMPARE(ks::test::childNamed(*m_main, QStringLiteral("frmY"), 0), c);
    }

    void lookupByNameTakesOnlyNumberedNames_data()
    {
        QTest::addColumn<QString>("componentName");
        QTest::addColumn<bool>("found");
        QTest::newRow("the name") << "frmKsTextViewer" << true;
        QTest::newRow("numbered") << "frmKsTextViewer_12" << true;
        QTest::newRow("longer name") << "frmKsTextViewerX" << false;
        QTest::newRow("no number") << "frmKsTextViewer_" << false;
        QTest::newRow("leading zero") << "frmKsTextViewer_01" << false;
        QTest::newRow("signed") << "frmKsTextViewer_+1" << false;
        QTest::newRow("other word") << "frmKsTextViewer_a" << false;
    }

    void lookupByNameTakesOnlyNumberedNames()
    {
        QFETCH(QString, componentName);
        QFETCH(bool, found);
        QCOMPARE(ks::test::isNamed(componentName, QStringLiteral("frmKsTextViewer")), found);
    }

    void viewersAreNumberedAndHelpedByTheirNames()
    {
        TfrmKsTextViewer::create(m_main.get(), QStringLiteral("one"));
        TfrmKsTextViewer *second = TfrmKsTextViewer::create(m_main.get(), QStringLiteral("two"));
        QCOMPARE(second->objectName(), QStringLiteral("frmKsTextViewer_1"));
        QCOMPARE(ks::test::childNamed<TfrmKsTextViewer>(*m_main, QStringLiteral("frmKsTextViewer"), 1), second);
        QTRY_COMPARE(m_main->activeChild(), second);
        m_main->miOnlineHelp->trigger();
        QVERIFY(m_seams->browser.addresses().constLast().endsWith(QStringLiteral("&ctx=frmKsTextViewer_1")));
    }

    void aboutBoxAsDesigned()
    {
        whileModal([this] { m_main->miAbout->trigger(); },
            [this](QDialog *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("dlgKsAboutKs"));
                QCOMPARE(dialog->windowTitle(), QStringLiteral("About quillmere"));
                QCOMPARE(dialog->parentWidget(), m_main.get());
                const TKsStringFileInfo info(QCoreApplication::applicationFilePath());
                auto *label = dialog->findChild<QLabel *>(QStringLiteral("lbVersion"));
                QVERIFY(label);
                QCOMPARE(label->text(),
                    QStringLiteral("quillmere\n\nVersion ") + version() + QStringLiteral("\n\n")
                        + info.LegalCopyright());
                QVERIFY(!info.LegalCopyright().isEmpty());
                // The usage panel of this program is empty.
                auto *usage = dialog->findChild<QLabel *>(QStringLiteral("lbUsage"));
                QVERIFY(usage);
                QCOMPARE(usage->text(), QString());
                QVERIFY(!usage->wordWrap());
                auto *image = dialog->findChild<QLabel *>(QStringLiteral("Image1"));
                QVERIFY(image);
                QCOMPARE(image->size(), QSize(32, 32));
                QCOMPARE(image->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                    ks::applicationIcon().pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32));
                for (const char *name : {"Panel1", "Panel2"}) {
                    auto *panel = dialog->findChild<QFrame *>(QLatin1String(name));
                    QVERIFY2(panel && panel->frameShadow() == QFrame::Sunken, name);
                }
                QVERIFY(dialog->findChild<QFrame *>(QStringLiteral("Panel2"))->isAncestorOf(label));
                QVERIFY(dialog->findChild<QFrame *>(QStringLiteral("Panel1"))->isAncestorOf(usage));
                auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("btnOk"));
                QVERIFY(ok && ok->isDefault() && !ok->icon().isNull());
                // A fixed border, centred on the screen.
                QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
                const QPoint centre = dialog->screen()->geometry().center();
                QVERIFY(qAbs(dialog->frameGeometry().center().x() - centre.x()) <= 1);
                QVERIFY(qAbs(dialog->frameGeometry().center().y() - centre.y()) <= 1);
            },
            [](QDialog *dialog) {
                QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
            });
        // The box was destroyed after its run.
        QVERIFY(!m_main->findChild<TdlgKsAboutKs *>());
    }

    void aboutBoxTakesTheDesignSizeAtTheDesignFont()
    {
        // At a font of the design's size (8 points) everything fits the
        // design's client area of 305 by 249 pixels.
        QFont font = m_main->font();
        font.setPixelSize(11);
        m_main->setFont(font);
        TdlgKsAboutKs dialog(m_main.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // The link may push OK to the right where its font is wide; it never
        // lies under it.
        const QWidget *link = dialog.findChild<QWidget *>(QStringLiteral("Label3"));
        const int okLeft = std::max(112, 8 + link->sizeHint().width());
        QCOMPARE(dialog.size(), QSize(std::max(305, okLeft + 89 + 8), 249));
        QCOMPARE(dialog.findChild<QWidget *>(QStringLiteral("btnOk"))->geometry(), QRect(okLeft, 216, 89, 25));
        QVERIFY(link->geometry().right() < okLeft);
        QCOMPARE(dialog.findChild<QWidget *>(QStringLiteral("Panel2"))->geometry(), QRect(8, 8, 289, 105));
        QCOMPARE(dialog.findChild<QWidget *>(QStringLiteral("Panel1"))->geometry(), QRect(8, 120, 289, 89));
        QCOMPARE(
            dialog.findChild<QWidget *>(QStringLiteral("Image1"))->mapTo(&dialog, QPoint()), QPoint(8 + 248, 8 + 8));
    }

    void aboutLinkOpensHelpAndOkCloses()
    {
        TdlgKsAboutKs dialog(m_main.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto *link = dialog.findChild<QLabel *>(QStringLiteral("Label3"));
        QVERIFY(link);
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
        QVERIFY(link->text().contains(QStringLiteral("example.com")));
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(m_seams->browser.addresses(), QStringList {kBase + "&ver=" + version() + "&ctx=about"});
        // A press that ends outside the link is no click.
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(m_seams->browser.opened.size(), 1);
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnOk")), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void windowsCarryTheProgramsIcon()
    {
        const QIcon icon = ks::applicationIcon();
        QVERIFY(!icon.isNull());
        const QImage picture = icon.pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(picture.size(), QSize(48, 48));
        // Drawn, not blank: some pixels are opaque, some transparent.
        int opaque = 0;
        int clear = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const int alpha = qAlpha(picture.pixel(x, y));
                opaque += alpha == 255;
                clear += alpha == 0;
            }
        }
        QVERIFY2(opaque > 48 * 48 / 4 && clear > 0,
            qPrintable(QStringLiteral("%1 opaque, %2 clear").arg(opaque).arg(clear)));
        QCOMPARE(m_main->windowIcon().pixmap(32, 32).toImage(), icon.pixmap(32, 32).toImage());
    }
};

QTEST_MAIN(TestHelpAndAbout)
#include "tst_helpandabout.moc"
