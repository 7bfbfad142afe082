// Opens every window and dialog of the program, at the desktop's font and at
// a font a quarter larger, and fails where a caption is cut or controls lie on
// top of one another: as the window opens, and shrunk to its smallest size;
// and where it opens without the focus on the first field to fill.

#include "app/FMain.h"
#include "db/DKsConnOra.h"
#include "kinds/designer/FConnectDesigner.h"
#include "kinds/mssql/DKsConnMsSql.h"
#include "kinds/mssql/FConnectMsSql.h"
#include "kinds/oracle/FConnectOracle.h"
#include "kinds/postgresql/DKsConnPostgres.h"
#include "kinds/postgresql/FConnectPostgres.h"
#include "search/SearchWaiting.h"
#include "settings/Placemnt.h"
#include "shell/DKsAboutKs.h"
#include "support/LayoutAudit.h"
#include "support/OracleFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"
#include "text/RlFTrace.h"
#include "text/TolmFndRepl.h"
#include "text/TolmFndReplDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>
#include <vector>

namespace {

// What the windows need to open.
struct AuditContext {
    TfrmMain &main;
    QString oracleCatalogue; // an Oracle catalogue file to connect to
};

struct AuditedWindow {
    const char *name;
    // The first field in tab order that the user has to fill, which has the
    // focus as the window opens; none where there is nothing to fill.
    const char *firstField;
    // Opens the window as the program does, owned by the main window, and
    // returns it shown.
    std::function<QWidget *(AuditContext &context)> open;
};

// Every window and dialog of the program.
//
// A new window or dialog joins the audit with ONE entry here: a name, its
// first field to fill, and a lambda that opens it inside `context.main` as
// the program does and returns it shown. A modal dialog is created and shown
// with show() rather than exec(), which lays it out the same; an MDI child
// returns the child, and its frame is audited. Add to AuditContext what a window needs to open (a
// catalogue file, say).
const std::vector<AuditedWindow> &auditedWindows()
{
    static const std::vector<AuditedWindow> windows {
        {"main window", nullptr, [](AuditContext &context) -> QWidget * { return &context.main; }},
        {"Oracle connect dialog", "edUsername",
            [](AuditContext &context) -> QWidget * {
                auto *dialog = new TdlgKsConnectOra(&context.main);
                dialog->setHelpShown(false); // as the main window's commands show it
                dialog->show();
                return dialog;
            }},
        {"Oracle connect dialog with help", "edUsername",
            [](AuditContext &context) -> QWidget * {
                auto *dialog = new TdlgKsConnectOra(&context.main);
                dialog->setHelpShown(true);
                dialog->show();
                return dialog;
            }},
        {"Oracle connection window", "edFind",
            [](AuditContext &context) -> QWidget * {
                auto *window = TfrmConnectionOracle::open(
                    &context.main, ks::test::oracleConnectionString(context.oracleCatalogue));
                ks::test::optionsRead(window);
                return window;
            }},
        {"SQL Server connect dialog", "cbServer",
            [](AuditContext &context) -> QWidget * {
                auto *dialog = new TdlgKsConnectMsSql(&context.main);
                dialog->setHelpShown(false); // as the main window's command shows it
                dialog->show();
                return dialog;
            }},
        {"SQL Server connect dialog with help", "cbServer",
            [](AuditContext &context) -> QWidget * {
                auto *dialog = new TdlgKsConnectMsSql(&context.main);
                dialog->setHelpShown(true);
                dialog->show();
                return dialog;
            }},
        {"SQL Server connection window", "edFind",
            [](AuditContext &context) -> QWidget * {
                return TfrmConnectionMsSql::open(&context.main,
                    QStringLiteral("Provider=sqloledb;Data Source=srv;Initial Catalog=Shop;Integrated Security=SSPI"));
            }},
        {"Designer connection window", "edFind",
            [](AuditContext &context) -> QWidget * {
                auto *window = TfrmConnectionDesigner::open(
                    &context.main, ks::test::oracleConnectionString(qEnvironmentVariable("QUILLMERE_DESIGNER_DEMO")));
                ks::test::optionsRead(window);
                return window;
            }},
        {"PostgreSQL connect dialog", "cbHost",
            [](AuditContext &context) -> QWidget * {
                auto *dialog = new TdlgKsConnectPostgres(&context.main);
                dialog->show();
                return dialog;
            }},
        {"PostgreSQL connection window", "edFind",
            [](AuditContext &context) -> QWidget * {
                // Shown as a connection shows it, without a server to read schemas from.
                auto *window = new TfrmConnectionPostgres(&context.main);
                window->showChild();
                window->edFind->setFocus();
                return window;
            }},
        {"about box", nullptr,
            [](AuditContext &context) -> QWidget * {
                auto *dialog = new TdlgKsAboutKs(&context.main);
                dialog->lbUsage->setText(context.main.GetUsageText());
                dialog->show();
                return dialog;
            }},
        {"text viewer", nullptr,
            [](AuditContext &context) -> QWidget * {
                TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(&context.main, QStringLiteral("Definition"));
                viewer->CreateOutput()->WriteLn(QStringLiteral("select * from dual"));
                return viewer;
            }},
        {"find dialog", "cbFind",
            [](AuditContext &context) -> QWidget * {
                auto *findReplace = new TTolmFindReplace(&context.main);
                findReplace->setStyle(ks::frFind);
                findReplace->Execute();
                return findReplace->dialog();
            }},
        {"find and replace dialog", "cbFind",
            [](AuditContext &context) -> QWidget * {
                auto *findReplace = new TTolmFindReplace(&context.main);
                findReplace->setStyle(ks::frFindReplace);
                findReplace->setOptions(ks::frDown | ks::frShowHelp);
                findReplace->Execute();
                return findReplace->dialog();
            }},
        {"trace window", nullptr,
            [](AuditContext &context) -> QWidget * {
                ShowTraceWindow(&context.main, true);
                return TraceWindow();
            }},
    };
    return windows;
}

// The application's font scaled for the lifetime of the object.
class ScopedFontScale {
public:
    explicit ScopedFontScale(qreal scale)
        : m_saved(QApplication::font())
    {
        QFont font = m_saved;
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * scale);
        else
            font.setPixelSize(qRound(font.pixelSize() * scale));
        QApplication::setFont(font);
    }
    ~ScopedFontScale() { QApplication::setFont(m_saved); }
    ScopedFontScale(const ScopedFontScale &) = delete;
    ScopedFontScale &operator=(const ScopedFontScale &) = delete;

private:
    QFont m_saved;
};

// Lets posted layout requests run, so that geometry is final.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// The widget whose layout the user sees: an MDI child's frame, or the window.
QWidget *auditedFrame(QWidget *opened)
{
    if (auto *child = qobject_cast<KsMdiChild *>(opened))
        return child->subWindow();
    return opened;
}

QString problemsText(const QStringList &problems)
{
    return QStringLiteral("\n  ") + problems.join(QStringLiteral("\n  "));
}

} // namespace

class TestLayoutAudit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_catalogue = m_dir.filePath(QStringLiteral("audit.qmcat"));
        ks::test::makeCatalogue(m_catalogue, ks::test::oracleFixture());
    }

    void init() { m_seams = std::make_unique<ks::test::SeamsInPlace>(); }
    void cleanup() { m_seams.reset(); }

    void captionsWholeAndControlsApart_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<qreal>("scale");
        const std::vector<AuditedWindow> &windows = auditedWindows();
        for (std::size_t i = 0; i < windows.size(); ++i) {
            QTest::addRow("%s, default font", windows[i].name) << int(i) << 1.0;
            QTest::addRow("%s, font a quarter larger", windows[i].name) << int(i) << 1.25;
        }
    }

    void captionsWholeAndControlsApart()
    {
        QFETCH(int, window);
        QFETCH(qreal, scale);
        ScopedFontScale font(scale);
        TfrmMain main;
        // Each case starts from the same main window, not from where the
        // case before left it.
        main.FormPlacement->setActive(false);
        main.resize(800, 600);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        AuditContext context {main, m_catalogue};

        QWidget *opened = auditedWindows().at(std::size_t(window)).open(context);
        QVERIFY(opened);
        QVERIFY(QTest::qWaitForWindowExposed(opened->window()));
        QVERIFY(m_seams->messages.shown.isEmpty());
        // The user can type into the first field to fill at once.
        if (const char *field = auditedWindows().at(std::size_t(window)).firstField) {
            QVERIFY(QTest::qWaitForWindowActive(opened->window()));
            QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(),
                QLatin1String(field));
        }
        QWidget *frame = auditedFrame(opened);
        settle();
        QVERIFY(frame->isVisible());
        QStringList problems = ks::test::layoutProblems(frame);
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("as opened:") + problemsText(problems)));

        // As small as the user can make it.
        frame->resize(frame->minimumSizeHint().expandedTo(frame->minimumSize()));
        settle();
        problems = ks::test::layoutProblems(frame);
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("at its smallest:") + problemsText(problems)));
    }

    // The audit itself must see what a user sees.

    void auditFindsCutCaptions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("label") << "label";
        QTest::newRow("check box") << "check";
        QTest::newRow("button") << "button";
    }

    void auditFindsCutCaptions()
    {
        QFETCH(QString, kind);
        QWidget form;
        QWidget *control = nullptr;
        const QString caption = QStringLiteral("A caption too long for its place");
        if (kind == QLatin1String("label"))
            control = new QLabel(caption, &form);
        else if (kind == QLatin1String("check"))
            control = new QCheckBox(caption, &form);
        else
            control = new QPushButton(caption, &form);
        control->setObjectName(QStringLiteral("cut"));
        control->setGeometry(4, 4, 60, 30);
        form.resize(400, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QStringList problems = ks::test::layoutProblems(&form);
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.first().contains(QStringLiteral("cut")), qPrintable(problems.first()));

        // Given its room, the same control passes.
        control->resize(ks::test::captionNeeds(control).expandedTo(control->sizeHint()));
        QVERIFY2(ks::test::layoutProblems(&form).isEmpty(), qPrintable(problemsText(ks::test::layoutProblems(&form))));
    }

    void auditFindsCaptionCutInHeight()
    {
        QWidget form;
        auto *label = new QLabel(QStringLiteral("Tall"), &form);
        label->setGeometry(4, 4, 100, label->sizeHint().height() / 2);
        form.resize(200, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(ks::test::layoutProblems(&form).size(), 1);
    }

    void auditFindsOverlappingSiblingsAndChildrenOutside()
    {
        QWidget form;
        auto *first = new QLabel(QStringLiteral("One"), &form);
        first->setObjectName(QStringLiteral("first"));
        first->setGeometry(10, 10, 80, 20);
        auto *second = new QLabel(QStringLiteral("Two"), &form);
        second->setObjectName(QStringLiteral("second"));
        second->setGeometry(60, 15, 80, 20);
        form.resize(300, 100);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QStringList problems = ks::test::layoutProblems(&form);
        QCOMPARE(problems.size(), 1);
        QVERIFY(
            problems.first().contains(QStringLiteral("first")) && problems.first().contains(QStringLiteral("second")));

        // Hidden widgets are no problem; one running off the edge is.
        second->hide();
        first->move(250, 10);
        problems = ks::test::layoutProblems(&form);
        QCOMPARE(problems.size(), 1);
        QVERIFY(problems.first().contains(QStringLiteral("outside")));
    }

    void auditPassesLaidOutForm()
    {
        QWidget form;
        auto *layout = new QVBoxLayout(&form);
        layout->addWidget(new QLabel(QStringLiteral("A caption")));
        layout->addWidget(new QCheckBox(QStringLiteral("An option")));
        auto *help = new QPushButton(QStringLiteral("?"));
        // Narrower than the style would like, but the caption fits.
        help->setFixedWidth(ks::test::captionNeeds(help).width());
        layout->addWidget(help);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        settle();
        const QStringList problems = ks::test::layoutProblems(&form);
        QVERIFY2(problems.isEmpty(), qPrintable(problemsText(problems)));
    }

private:
    QTemporaryDir m_dir;
    QString m_catalogue;
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
};

QTEST_MAIN(TestLayoutAudit)
#include "tst_layoutaudit.moc"
