// The find-and-replace component and its dialog on a real window: the two
// layouts, what Execute takes from the options and the memo, the history
// lists and what the buttons do, the first showing with and without an ini
// file, and the ini file written at every hiding.

#include "settings/SettingsTestSupport.h"
#include "settings/TolmIniFile.h"
#include "support/TestSeams.h"
#include "text/KsMemo.h"
#include "text/TolmFndRepl.h"
#include "text/TolmFndReplDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

using ks::test::ConfigHome;

namespace {

// A window with a memo and the component beside it, as a host places them.
struct Host {
    QWidget window;
    QPlainTextEdit *memo;
    TTolmFindReplace *findReplace;

    Host()
        : memo(new QPlainTextEdit(&window))
        , findReplace(new TTolmFindReplace(&window))
    {
        window.setObjectName(QStringLiteral("frmHost"));
        memo->setObjectName(QStringLiteral("memo"));
        findReplace->setObjectName(QStringLiteral("FindReplace"));
        findReplace->setTarget(memo);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(memo);
        window.resize(500, 300);
        window.show();
    }

    TdlgFindReplace *dialog() const { return window.findChild<TdlgFindReplace *>(QStringLiteral("dlgFindReplace")); }
    template <typename T> T *control(const char *name) const
    {
        T *found = dialog()->findChild<T *>(QLatin1String(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }
    QComboBox *cbFind() const { return control<QComboBox>("cbFind"); }
    QComboBox *cbReplace() const { return control<QComboBox>("cbReplace"); }
    QPushButton *button(const char *name) const { return control<QPushButton>(name); }
};

QStringList items(const QComboBox *box)
{
    QStringList list;
    for (int i = 0; i < box->count(); ++i)
        list << box->itemText(i);
    return list;
}

// Where a control lies in the dialog's client area.
QPoint placeOf(const QWidget *control)
{
    return control->mapTo(control->window(), QPoint(0, 0));
}

} // namespace

Q_DECLARE_METATYPE(ks::TFindOptions)

class TestFindReplace : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;

private Q_SLOTS:
    void init() { m_seams = std::make_unique<ks::test::SeamsInPlace>(); }
    void cleanup() { m_seams.reset(); }

    // The owner's font reaches the dialog, also while it is being built.
    void ownersFontIsTaken()
    {
        QWidget owner;
        QFont small = owner.font();
        small.setPointSize(7);
        owner.setFont(small);
        TdlgFindReplace dialog(&owner);
        QCOMPARE(dialog.font().pointSize(), 7);
        QCOMPARE(dialog.findChild<QPushButton *>(QStringLiteral("btFind"))->font().pointSize(), 7);
    }

    void captionsAndControlsOfEachLayout_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("replaceShown");
        QTest::addColumn<QString>("defaultButton");
        QTest::newRow("find") << int(ks::frFind) << "Find" << false << "btFind";
        QTest::newRow("find and replace") << int(ks::frFindReplace) << "Find & Replace" << true << "btReplace";
    }

    void captionsAndControlsOfEachLayout()
    {
        QFETCH(int, style);
        QFETCH(QString, caption);
        QFETCH(bool, replaceShown);
        QFETCH(QString, defaultButton);
        Host host;
        host.findReplace->setStyle(ks::TFindReplaceStyle(style));
        host.findReplace->Execute();
        TdlgFindReplace *dialog = host.dialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->windowTitle(), caption);
        for (const char *name : {"lbReplace", "cbReplace", "btReplace", "btReplaceAll"})
            QCOMPARE(host.control<QWidget>(name)->isVisible(), replaceShown);
        QVERIFY(host.button(qPrintable(defaultButton))->isDefault());
        const QList<std::pair<const char *, QString>> captions {{"lbFind", "Fi&nd what:"},
            {"lbReplace", "Re&place with:"}, {"btFind", "&Find next"}, {"btReplace", "&Replace"},
            {"btReplaceAll", "Replace &all"}, {"btHelp", "&Help"}, {"btCancel", "Cancel"},
            {"cbWholeWord", "Match &whole word only"}, {"cbMatchCase", "Match &case"}, {"rbUp", "&Up"},
            {"rbDown", "&Down"}};
        for (const auto &[name, text] : captions)
            QCOMPARE(host.control<QWidget>(name)->property("text").toString(), text);
        QCOMPARE(host.control<QGroupBox>("rgUpDown")->title(), QStringLiteral("Direction"));
        QVERIFY(host.control<QRadioButton>("rbDown")->isChecked());
        QCOMPARE(host.control<QLabel>("lbFind")->buddy(), host.cbFind());
        QVERIFY(dialog->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!dialog->isModal());
    }

    // Design positions are where controls start; a larger font may push them
    // further, never closer.
    void controlsAtLeastAtTheirDesignPlaces()
    {
        Host host;
        host.findReplace->setStyle(ks::frFindReplace);
        host.findReplace->setOptions(ks::frDown | ks::frShowHelp);
        host.findReplace->Execute();
        TdlgFindReplace *dialog = host.dialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(placeOf(host.control<QWidget>("lbFind")).x(), 8);
        QCOMPARE(placeOf(host.cbFind()), QPoint(placeOf(host.cbFind()).x(), 8));
        QVERIFY(placeOf(host.cbFind()).x() >= 80);
        QVERIFY(host.cbFind()->width() >= 193);
        QCOMPARE(placeOf(host.cbReplace()).x(), placeOf(host.cbFind()).x());
        QVERIFY(placeOf(host.cbReplace()).y() >= 40);
        const QPoint find = placeOf(host.button("btFind"));
        QCOMPARE(find.y(), 8);
        QVERIFY(find.x() >= 288);
        int previous = find.y();
        for (const char *name : {"btReplace", "btReplaceAll", "btHelp", "btCancel"}) {
            QPushButton *button = host.button(name);
            QCOMPARE(placeOf(button).x(), find.x());
            QVERIFY2(placeOf(button).y() >= previous + 32, name);
            QVERIFY(button->width() >= 73 && button->height() >= 25);
            previous = placeOf(button).y();
        }
        QVERIFY(placeOf(host.control<QWidget>("cbWholeWord")).y() >= 120);
        QCOMPARE(placeOf(host.control<QWidget>("cbWholeWord")).x(), 8);
        QVERIFY(placeOf(host.control<QWidget>("cbMatchCase")).y()
            >= placeOf(host.control<QWidget>("cbWholeWord")).y() + 24);
        QVERIFY(placeOf(host.control<QWidget>("rgUpDown")).x() >= 160);
        QVERIFY(host.control<QWidget>("rgUpDown")->width() >= 113);
        QVERIFY(dialog->width() >= 369 && dialog->height() >= 169);
    }

    // Find only: shorter by the distance between the tops of Replace all and
    // Find next (64 at the design font), the lower controls as much higher up.
    void findLayoutIsShorterAndLowerControlsMoveUp()
    {
        Host host;
        host.findReplace->setStyle(ks::frFindReplace);
        host.findReplace->setOptions(ks::frDown | ks::frShowHelp);
        host.findReplace->Execute();
        TdlgFindReplace *dialog = host.dialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        const char *lower[] = {"cbWholeWord", "cbMatchCase", "rgUpDown", "btHelp", "btCancel"};
        const int fullHeight = dialog->height();
        const int shift = placeOf(host.button("btReplaceAll")).y() - placeOf(host.button("btFind")).y();
        QVERIFY(shift >= 64);
        QList<int> fullTops;
        for (const char *name : lower)
            fullTops << placeOf(host.control<QWidget>(name)).y();

        host.findReplace->setStyle(ks::frFind);
        QTRY_COMPARE(dialog->height(), fullHeight - shift);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(placeOf(host.control<QWidget>(lower[i])).y(), fullTops.at(i) - shift);

        host.findReplace->setStyle(ks::frFindReplace);
        QTRY_COMPARE(dialog->height(), fullHeight);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(placeOf(host.control<QWidget>(lower[i])).y(), fullTops.at(i));
    }

    void tabOrder()
    {
        Host host;
        host.findReplace->setStyle(ks::frFindReplace);
        host.findReplace->setOptions(ks::frDown | ks::frShowHelp);
        host.findReplace->Execute();
        const QStringList expected {"cbFind", "cbReplace", "cbWholeWord", "cbMatchCase", "rbUp", "rbDown", "btFind",
            "btReplace", "btReplaceAll", "btHelp", "btCancel"};
        QStringList order;
        QWidget *widget = host.cbFind();
        do {
            if (expected.contains(widget->objectName()) && !order.contains(widget->objectName()))
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != host.cbFind());
        QCOMPARE(order, expected);
    }

    void executeTakesStatesFromOptions_data()
    {
        QTest::addColumn<ks::TFindOptions>("options");
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("checked");
        using namespace ks;
        QTest::newRow("match case checked")
            << TFindOptions(frDown | frMatchCase) << "cbMatchCase" << true << true << true;
        QTest::newRow("match case disabled")
            << TFindOptions(frDown | frDisableMatchCase) << "cbMatchCase" << false << true << false;
        QTest::newRow("match case hidden")
            << TFindOptions(frDown | frHideMatchCase) << "cbMatchCase" << true << false << false;
        QTest::newRow("whole word checked")
            << TFindOptions(frDown | frWholeWord) << "cbWholeWord" << true << true << true;
        QTest::newRow("whole word disabled")
            << TFindOptions(frDown | frDisableWholeWord) << "cbWholeWord" << false << true << false;
        QTest::newRow("whole word hidden")
            << TFindOptions(frDown | frHideWholeWord) << "cbWholeWord" << true << false << false;
        QTest::newRow("direction always disabled") << TFindOptions(frDown) << "rgUpDown" << false << true << false;
        QTest::newRow("direction hidden")
            << TFindOptions(frDown | frHideUpDown) << "rgUpDown" << false << false << false;
        QTest::newRow("help hidden by default") << TFindOptions(frDown) << "btHelp" << true << false << false;
        QTest::newRow("help shown") << TFindOptions(frDown | frShowHelp) << "btHelp" << true << true << false;
    }

    void executeTakesStatesFromOptions()
    {
        QFETCH(ks::TFindOptions, options);
        QFETCH(QString, control);
        QFETCH(bool, enabled);
        QFETCH(bool, visible);
        QFETCH(bool, checked);
        Host host;
        host.findReplace->setOptions(options);
        host.findReplace->Execute();
        QWidget *widget = host.control<QWidget>(qPrintable(control));
        QCOMPARE(widget->isEnabled(), enabled);
        QCOMPARE(widget->isVisible(), visible);
        if (auto *box = qobject_cast<QCheckBox *>(widget))
            QCOMPARE(box->isChecked(), checked);
        // The boxes keep their flags in step when the user clicks them.
        auto *matchCase = host.control<QCheckBox>("cbMatchCase");
        matchCase->setEnabled(true);
        matchCase->click();
        QCOMPARE(host.findReplace->Options().testFlag(ks::frMatchCase), matchCase->isChecked());
    }

    void executeTakesSelectionOrWordAtCaret_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("findText");
        QTest::newRow("selection") << "select owner from t" << 7 << 12 << "owner";
        QTest::newRow("selection over a line break") << "ab\ncd" << 1 << 4 << "b\nc";
        QTest::newRow("word after the caret") << "select owner" << 7 << 7 << "owner";
        QTest::newRow("word before the caret") << "select owner" << 6 << 6 << "select";
        QTest::newRow("no word: the last text stays") << "a  b" << 2 << 2 << "earlier";
    }

    void executeTakesSelectionOrWordAtCaret()
    {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, caret);
        QFETCH(QString, findText);
        Host host;
        host.findReplace->setFindText(QStringLiteral("earlier"));
        host.memo->setPlainText(text);
        QTextCursor cursor = host.memo->textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(caret, QTextCursor::KeepAnchor);
        host.memo->setTextCursor(cursor);
        host.findReplace->Execute();
        QCOMPARE(host.findReplace->FindText(), findText);
        QCOMPARE(host.cbFind()->currentText(), findText);
        QVERIFY(host.button("btFind")->isEnabled());
        // The selection itself stays.
        QCOMPARE(host.memo->textCursor().selectionStart(), std::min(anchor, caret));
        QCOMPARE(host.memo->textCursor().selectionEnd(), std::max(anchor, caret));
    }

    void executeKeepsTheMemoSelectionVisible()
    {
        Host host;
        QPalette palette = host.memo->palette();
        palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Base));
        host.memo->setPalette(palette);
        QVERIFY(ks::hidesSelection(host.memo));
        host.findReplace->Execute();
        QVERIFY(!ks::hidesSelection(host.memo));
        QCOMPARE(host.memo->palette().color(QPalette::Inactive, QPalette::Highlight),
            host.memo->palette().color(QPalette::Active, QPalette::Highlight));
    }

    void editingTheFindBoxEnablesTheButtons()
    {
        Host host;
        host.findReplace->setStyle(ks::frFindReplace);
        host.findReplace->Execute();
        const char *buttons[] = {"btFind", "btReplace", "btReplaceAll"};
        for (const char *name : buttons)
            QVERIFY(!host.button(name)->isEnabled());
        QTest::keyClicks(host.cbFind()->lineEdit(), QStringLiteral("x"));
        QCOMPARE(host.findReplace->FindText(), QStringLiteral("x"));
        for (const char *name : buttons)
            QVERIFY(host.button(name)->isEnabled());
        QTest::keyClick(host.cbFind()->lineEdit(), Qt::Key_Backspace);
        for (const char *name : buttons)
            QVERIFY(!host.button(name)->isEnabled());
        QTest::keyClicks(host.cbReplace()->lineEdit(), QStringLiteral("by"));
        QCOMPARE(host.findReplace->ReplaceText(), QStringLiteral("by"));
    }

    // An editable combo box completes without regard to case by default and
    // puts the listed "abc" in place of a typed "aBc" when it loses the focus.
    void typedTextKeepsItsCase()
    {
        Host host;
        host.findReplace->setFindHistory({QStringLiteral("abc"), QStringLiteral("other")});
        host.findReplace->setOptions(ks::frDown | ks::frMatchCase);
        host.findReplace->setStyle(ks::frFindReplace);
        host.findReplace->Execute();
        QVERIFY(QTest::qWaitForWindowExposed(host.dialog()));
        host.dialog()->activateWindow();
        host.cbFind()->setFocus();
        host.cbFind()->lineEdit()->clear();
        QTest::keyClicks(host.cbFind()->lineEdit(), QStringLiteral("aBc"));
        host.cbReplace()->setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(host.cbFind()->currentText(), QStringLiteral("aBc"));
        QCOMPARE(host.findReplace->FindText(), QStringLiteral("aBc"));
        host.findReplace->OnFind = [](QObject *) {};
        host.button("btFind")->click();
        QCOMPARE(items(host.cbFind()), (QStringList {"aBc", "abc", "other"}));
    }

    void buttonsCallTheHandlersWithTheirFlags_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("flag");
        QTest::newRow("find next") << "btFind" << int(ks::frFindNext);
        QTest::newRow("replace") << "btReplace" << int(ks::frReplace);
        QTest::newRow("replace all") << "btReplaceAll" << int(ks::frReplaceAll);
    }

    void buttonsCallTheHandlersWithTheirFlags()
    {
        QFETCH(QString, button);
        QFETCH(int, flag);
        Host host;
        host.memo->setPlainText(QStringLiteral("unchanged"));
        host.findReplace->setStyle(ks::frFindReplace);
        host.findReplace->Execute();
        host.cbFind()->setEditText(QStringLiteral("Needle"));
        QObject *sender = nullptr;
        ks::TFindOptions during;
        int calls = 0;
        const auto record = [&](QObject *pressed) {
            sender = pressed;
            during = host.findReplace->Options();
            ++calls;
        };
        host.findReplace->OnFind = record;
        host.findReplace->OnReplace = record;
        QPushButton *pressed = host.button(qPrintable(button));
        pressed->click();
        QCOMPARE(calls, 1);
        QCOMPARE(sender, pressed);
        const ks::TFindOptions actionFlags = ks::frFindNext | ks::frReplace | ks::frReplaceAll;
        QCOMPARE(int(during & actionFlags), flag);
        QCOMPARE(int(host.findReplace->Options() & actionFlags), 0);
        QVERIFY(host.findReplace->Options().testFlag(ks::frDown));
        // With handlers set the memo is left alone.
        QCOMPARE(host.memo->toPlainText(), QStringLiteral("unchanged"));
        QCOMPARE(items(host.cbFind()), QStringList {"Needle"});
        const bool replacing = flag != int(ks::frFindNext);
        // An empty replacement is listed, an empty search never.
        QCOMPARE(items(host.cbReplace()), replacing ? QStringList {""} : QStringList());
        QCOMPARE(host.button("btCancel")->text(), replacing ? QStringLiteral("Close") : QStringLiteral("Cancel"));
        host.findReplace->Execute();
        QCOMPARE(host.button("btCancel")->text(), QStringLiteral("Cancel"));
    }

    void failingHandlerLeavesNoFlagBehind()
    {
        Host host;
        host.findReplace->setFindText(QStringLiteral("x"));
        host.findReplace->OnFind = [](QObject *) { throw std::runtime_error("handler failed"); };
        host.findReplace->Execute();
        host.button("btFind")->click();
        QCOMPARE(m_seams->messages.shown, QStringList {"handler failed"});
        QVERIFY(!host.findReplace->Options().testFlag(ks::frFindNext));
    }

    // Help passes the help context the component holds at the click to the
    // help hook, and changes nothing else; without a hook it does nothing.
    void helpButtonOpensTheHelpContext()
    {
        Host host;
        host.findReplace->setStyle(ks::frFindReplace);
        host.findReplace->setOptions(ks::frDown | ks::frShowHelp);
        host.findReplace->setHelpContext(42);
        host.findReplace->setFindText(QStringLiteral("Needle"));
        host.findReplace->Execute();
        QPushButton *help = host.button("btHelp");
        QVERIFY(help->isVisible());
        QList<int> contexts;
        host.findReplace->OnHelp = [&contexts](int context) { contexts << context; };
        help->click();
        QCOMPARE(contexts, QList<int> {42});
        host.findReplace->setHelpContext(7);
        help->click();
        QCOMPARE(contexts, (QList<int> {42, 7}));
        QVERIFY(host.dialog()->isVisible());
        QCOMPARE(items(host.cbFind()), QStringList());
        QCOMPARE(host.findReplace->Options(), ks::TFindOptions(ks::frDown | ks::frShowHelp));
        QCOMPARE(host.button("btCancel")->text(), QStringLiteral("Cancel"));
        host.findReplace->OnHelp = nullptr;
        help->click();
        QCOMPARE(contexts.size(), 2);
        QCOMPARE(m_seams->messages.shown, QStringList());
    }

    void targetWithoutBuiltInSearch_data()
    {
        QTest::addColumn<bool>("lineEdit");
        QTest::newRow("a one-line edit") << true;
        QTest::newRow("no target") << false;
    }

    // A target that is not a memo and no handler: the buttons list the texts
    // and leave no flag behind; nothing is searched, changed or shown.
    void targetWithoutBuiltInSearch()
    {
        QFETCH(bool, lineEdit);
        Host host;
        host.memo->setPlainText(QStringLiteral("needle in the memo"));
        auto *edit = new QLineEdit(QStringLiteral("needle in the edit"), &host.window);
        edit->setSelection(0, 6);
        host.findReplace->setTarget(lineEdit ? static_cast<QWidget *>(edit) : nullptr);
        host.findReplace->setStyle(ks::frFindReplace);
        host.findReplace->setFindText(QStringLiteral("Needle"));
        host.findReplace->setReplaceText(QStringLiteral("pin"));
        host.findReplace->Execute();
        // Only a memo lends its selection to the search text.
        QCOMPARE(host.cbFind()->currentText(), QStringLiteral("Needle"));
        for (const char *name : {"btFind", "btReplace", "btReplaceAll"}) {
            host.button(name)->click();
            QCOMPARE(host.findReplace->Options(), ks::TFindOptions(ks::frDown));
        }
        host.findReplace->FindNext();
        QCOMPARE(items(host.cbFind()), QStringList {"Needle"});
        QCOMPARE(items(host.cbReplace()), QStringList {"pin"});
        QCOMPARE(host.button("btCancel")->text(), QStringLiteral("Close"));
        QCOMPARE(edit->text(), QStringLiteral("needle in the edit"));
        QCOMPARE(edit->selectedText(), QStringLiteral("needle"));
        QCOMPARE(host.memo->toPlainText(), QStringLiteral("needle in the memo"));
        QVERIFY(!host.memo->textCursor().hasSelection());
        QCOMPARE(m_seams->messages.shown, QStringList());
    }

    void cancelAndEscapeHideTheDialog()
    {
        Host host;
        host.findReplace->Execute();
        TdlgFindReplace *dialog = host.dialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        host.button("btCancel")->click();
        QVERIFY(!dialog->isVisible());
        host.findReplace->Execute();
        QVERIFY(dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        // Hidden, never destroyed.
        QCOMPARE(host.dialog(), dialog);
    }

    void searchingUpIsRefused()
    {
        Host host;
        host.findReplace->Execute();
        auto *group = host.control<QGroupBox>("rgUpDown");
        group->setEnabled(true); // only a host could enable it
        host.control<QRadioButton>("rbUp")->click();
        QCOMPARE(m_seams->messages.shown, QStringList {"Searching UP is not supported (yet)."});
        QCOMPARE(m_seams->messages.icons, QList<ks::MessageIcon> {ks::MessageIcon::Error});
        QVERIFY(host.control<QRadioButton>("rbDown")->isChecked());
        QVERIFY(host.findReplace->Options().testFlag(ks::frDown));
    }

    void enterPressesTheDefaultButton()
    {
        Host host;
        int finds = 0;
        host.findReplace->OnFind = [&finds](QObject *) { ++finds; };
        host.findReplace->setFindText(QStringLiteral("x"));
        host.findReplace->Execute();
        QVERIFY(QTest::qWaitForWindowExposed(host.dialog()));
        QTest::keyClick(host.cbFind()->lineEdit(), Qt::Key_Return);
        QCOMPARE(finds, 1);
    }

    void findNextWithoutTextOpensTheDialogWithTheWordAtTheCaret()
    {
        Host host;
        host.findReplace->setStyle(ks::frFindReplace);
        host.memo->setPlainText(QStringLiteral("alpha beta"));
        QTextCursor cursor = host.memo->textCursor();
        cursor.setPosition(8);
        host.memo->setTextCursor(cursor);
        host.findReplace->FindNext();
        QVERIFY(host.dialog()->isVisible());
        QCOMPARE(host.dialog()->windowTitle(), QStringLiteral("Find"));
        QCOMPARE(host.cbFind()->currentText(), QStringLiteral("beta"));
        QVERIFY(m_seams->messages.shown.isEmpty());
    }

    void findNextWithTextSearchesWithoutTheDialog()
    {
        Host host;
        int finds = 0;
        host.findReplace->OnFind = [&](QObject *) {
            ++finds;
            QVERIFY(host.findReplace->Options().testFlag(ks::frFindNext));
        };
        host.findReplace->setFindText(QStringLiteral("beta"));
        host.findReplace->FindNext();
        QCOMPARE(finds, 1);
        QVERIFY(!host.dialog()->isVisible());
        QCOMPARE(items(host.cbFind()), QStringList {"beta"});
    }

    void withoutIniFileCentredWithTheGivenLists()
    {
        const ConfigHome home;
        Host host;
        host.findReplace->setFindHistory({QStringLiteral("one"), QStringLiteral("two")});
        host.findReplace->setReplaceHistory({QStringLiteral("three")});
        host.findReplace->setFindText(QStringLiteral("typed"));
        host.findReplace->Execute();
        TdlgFindReplace *dialog = host.dialog();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(items(host.cbFind()), (QStringList {"one", "two"}));
        QCOMPARE(items(host.cbReplace()), QStringList {"three"});
        QCOMPARE(host.cbFind()->currentText(), QStringLiteral("typed"));
        const QRect screen = dialog->screen()->geometry();
        QCOMPARE(dialog->x(), screen.x() + (screen.width() - dialog->width()) / 2);
        QCOMPARE(dialog->y(), screen.y() + (screen.height() - dialog->height()) / 2);
        dialog->hide();
        // Nothing is written, and the lists given stay as they were.
        QVERIFY(QDir(home.path()).entryList(QDir::Files).isEmpty());
        host.findReplace->OnFind = [](QObject *) {};
        host.findReplace->FindNext();
        QCOMPARE(host.findReplace->FindHistory(), (QStringList {"one", "two"}));
    }

    void sectionIsTheComponentPathOrTheOneSet()
    {
        Host host;
        QCOMPARE(host.findReplace->sectionName(), QStringLiteral("frmHost\\FindReplace\\dlgFindReplace"));
        QWidget outer;
        outer.setObjectName(QStringLiteral("frmMain"));
        QWidget unnamed(&outer);
        auto *inner = new TTolmFindReplace(&unnamed);
        inner->setObjectName(QStringLiteral("FindReplace"));
        QCOMPARE(inner->sectionName(), QStringLiteral("frmMain\\FindReplace\\dlgFindReplace"));
        host.findReplace->setIniSection(QStringLiteral("Finder"));
        QCOMPARE(host.findReplace->sectionName(), QStringLiteral("Finder"));
    }

    void firstShowingReadsTheIniFile()
    {
        const ConfigHome home;
        const QString section = QStringLiteral("frmHost\\FindReplace\\dlgFindReplace");
        ks::test::writeBytes(home.file(QStringLiteral("finds.ini")),
            "[frmHost\\FindReplace\\dlgFindReplace]\nLeft=40\nTop=50\nWholeWord=1\nMatchCase=1\n"
            "F0=\"  spaced  \"\nF1=abc\nF3=after a gap\nR0=\"\"\n");
        Host host;
        auto *ini = new TTolmIniFile(&host.window);
        ini->setFileName(QStringLiteral("finds.ini"));
        host.findReplace->setTolmIniFile(ini);
        host.findReplace->setFindHistory({QStringLiteral("ignored with an ini file")});
        host.findReplace->Execute();
        TdlgFindReplace *dialog = host.dialog();
        QCOMPARE(dialog->pos(), QPoint(40, 50));
        QVERIFY(host.control<QCheckBox>("cbWholeWord")->isChecked());
        QVERIFY(host.findReplace->Options().testFlag(ks::frMatchCase));
        QCOMPARE(items(host.cbFind()), (QStringList {"  spaced  ", "abc", "after a gap"}));
        QCOMPARE(items(host.cbReplace()), QStringList {""});

        // Read once only: a second showing keeps what the user changed.
        host.control<QCheckBox>("cbWholeWord")->click();
        dialog->hide();
        host.findReplace->Execute();
        QVERIFY(!host.control<QCheckBox>("cbWholeWord")->isChecked());

        dialog->move(60, 70);
        dialog->hide();
        const QMap<QString, QString> values = ks::test::sectionValues(home.file(QStringLiteral("finds.ini")), section);
        QCOMPARE(values.value(QStringLiteral("Left")), QStringLiteral("60"));
        QCOMPARE(values.value(QStringLiteral("Top")), QStringLiteral("70"));
        QCOMPARE(values.value(QStringLiteral("WholeWord")), QStringLiteral("0"));
        QCOMPARE(values.value(QStringLiteral("MatchCase")), QStringLiteral("1"));
        QCOMPARE(values.value(QStringLiteral("Down")), QStringLiteral("1"));
        QCOMPARE(values.value(QStringLiteral("F0")), QStringLiteral("\"  spaced  \""));
        QCOMPARE(values.value(QStringLiteral("F2")), QStringLiteral("\"after a gap\""));
        // Written without gaps; a key beyond the list stays as it was.
        QCOMPARE(values.value(QStringLiteral("F3")), QStringLiteral("after a gap"));
    }

    void historiesRoundTripThroughTheIniFile()
    {
        const ConfigHome home;
        QStringList searched;
        {
            Host host;
            auto *ini = new TTolmIniFile(&host.window);
            ini->setFileName(QStringLiteral("finds.ini"));
            host.findReplace->setTolmIniFile(ini);
            host.findReplace->setStyle(ks::frFindReplace);
            host.findReplace->OnFind = [](QObject *) {};
            host.findReplace->OnReplace = [](QObject *) {};
            host.findReplace->Execute();
            for (int i = 1; i <= 22; ++i) {
                const QString text = QStringLiteral(" search %1 ").arg(i);
                host.cbFind()->setEditText(text);
                host.cbReplace()->setEditText(QStringLiteral("by %1").arg(i % 3));
                host.button("btReplace")->click();
                searched.prepend(text);
            }
            QCOMPARE(host.cbFind()->count(), 20);
            // The dialog is still open when its window goes: it is saved then.
        }
        Host again;
        auto *ini = new TTolmIniFile(&again.window);
        ini->setFileName(QStringLiteral("finds.ini"));
        again.findReplace->setTolmIniFile(ini);
        again.findReplace->Execute();
        QCOMPARE(items(again.cbFind()), searched.mid(0, 20));
        QCOMPARE(items(again.cbReplace()), (QStringList {"by 1", "by 0", "by 2"}));
    }

    void iniLinkIsClearedWhenTheIniFileGoes()
    {
        Host host;
        auto *ini = new TTolmIniFile(&host.window);
        host.findReplace->setTolmIniFile(ini);
        delete ini;
        QCOMPARE(host.findReplace->TolmIniFile(), nullptr);
        host.findReplace->Execute(); // first showing without an ini file
        QVERIFY(host.dialog()->isVisible());
    }

    void dialogGoesWithItsComponent()
    {
        Host host;
        host.findReplace->Execute();
        QPointer<TdlgFindReplace> dialog = host.dialog();
        delete host.findReplace;
        QVERIFY(dialog.isNull());
    }
};

QTEST_MAIN(TestFindReplace)
#include "tst_findreplace.moc"
