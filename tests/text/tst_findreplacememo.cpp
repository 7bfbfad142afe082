// The built-in search and replace of the find-and-replace component on a
// memo: positions and selections, overlapping matches, Replace only on a
// selected match, Replace All that never searches its own replacements, and
// the messages with their icons.

#include "support/TestSeams.h"
#include "text/KsMemo.h"
#include "text/TolmFndRepl.h"
#include "text/TolmFndReplDlg.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

struct Host {
    QWidget window;
    QPlainTextEdit *memo;
    TTolmFindReplace *findReplace;

    explicit Host(const QString &text)
        : memo(new QPlainTextEdit(&window))
        , findReplace(new TTolmFindReplace(&window))
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(memo);
        memo->setPlainText(text);
        findReplace->setTarget(memo);
        findReplace->setStyle(ks::frFindReplace);
        window.resize(500, 300);
        window.show();
    }

    QPushButton *button(const char *name) const
    {
        return findReplace->dialog()->findChild<QPushButton *>(QLatin1String(name));
    }

    void select(int start, int length) const
    {
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        memo->setTextCursor(cursor);
    }

    // 1-based start and length of the selection, as the messages count them.
    QPair<int, int> selection() const
    {
        const QTextCursor cursor = memo->textCursor();
        return {cursor.selectionStart() + 1, cursor.selectionEnd() - cursor.selectionStart()};
    }

    void setTexts(const QString &find, const QString &replace, ks::TFindOptions options = ks::frDown)
    {
        findReplace->setFindText(find);
        findReplace->setReplaceText(replace);
        findReplace->setOptions(options);
    }
};

} // namespace

class TestFindReplaceMemo : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;

private Q_SLOTS:
    void init() { m_seams = std::make_unique<ks::test::SeamsInPlace>(); }
    void cleanup() { m_seams.reset(); }

    void findNextFindsOverlappingMatchesThenWarns()
    {
        Host host(QStringLiteral("aaaa"));
        host.setTexts(QStringLiteral("aa"), QString());
        for (const int expected : {1, 2, 3}) {
            host.findReplace->FindNext();
            QCOMPARE(host.selection(), qMakePair(expected, 2));
        }
        QVERIFY(m_seams->messages.shown.isEmpty());
        host.findReplace->FindNext();
        QCOMPARE(m_seams->messages.shown, QStringList {"There are no (more) occurences of \"aa\""});
        QCOMPARE(m_seams->messages.icons, QList<ks::MessageIcon> {ks::MessageIcon::Warning});
        // The last match stays selected; the search does not start over.
        QCOMPARE(host.selection(), qMakePair(3, 2));
    }

    void findNextStartsAtTheCaret()
    {
        Host host(QStringLiteral("one two one two"));
        host.select(5, 0);
        host.setTexts(QStringLiteral("ONE"), QString());
        host.findReplace->FindNext();
        QCOMPARE(host.selection(), qMakePair(9, 3));
    }

    void findNextHonoursCaseAndWholeWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("found");
        QTest::newRow("match case") << "Abc abc"
                                    << "abc" << int(ks::frDown | ks::frMatchCase) << 5;
        QTest::newRow("whole word") << "valid id"
                                    << "id" << int(ks::frDown | ks::frWholeWord) << 7;
        QTest::newRow("across a line break") << "ab\ncd"
                                             << "b\nc" << int(ks::frDown) << 2;
        QTest::newRow("after a line break") << "x\ny\nneedle"
                                            << "needle" << int(ks::frDown) << 5;
        QTest::newRow("whole word with a hyphen") << "a -id"
                                                  << "-id" << int(ks::frDown | ks::frWholeWord) << 0;
    }

    void findNextHonoursCaseAndWholeWord()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(int, options);
        QFETCH(int, found);
        Host host(text);
        host.setTexts(find, QString(), ks::TFindOptions(options));
        host.findReplace->FindNext();
        if (found == 0) {
            QCOMPARE(m_seams->messages.shown, QStringList {"There are no (more) occurences of \"" + find + "\""});
            return;
        }
        QCOMPARE(host.selection(), qMakePair(found, int(find.size())));
        QCOMPARE(ks::selectedMemoText(host.memo->textCursor()).toUpper(), find.toUpper());
    }

    void searchingUpIsRefused()
    {
        Host host(QStringLiteral("abc"));
        host.setTexts(QStringLiteral("b"), QString(), {});
        host.findReplace->FindNext();
        QCOMPARE(m_seams->messages.shown, QStringList {"Searching UP is not supported (yet)."});
        QCOMPARE(m_seams->messages.icons, QList<ks::MessageIcon> {ks::MessageIcon::Error});
        QCOMPARE(host.selection(), qMakePair(1, 0));
    }

    void replaceReplacesOnlyTheSelectedMatch_data()
    {
        QTest::addColumn<int>("selectStart");
        QTest::addColumn<int>("selectLength");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("nextMatch");
        // In "cat Cat cat", replacing "cat" by "dog".
        QTest::newRow("selection is the match") << 0 << 3 << int(ks::frDown) << "dog Cat cat" << 5;
        QTest::newRow("selection in another case") << 4 << 3 << int(ks::frDown) << "cat dog cat" << 9;
        QTest::newRow("other case with match case")
            << 4 << 3 << int(ks::frDown | ks::frMatchCase) << "cat Cat cat" << 9;
        QTest::newRow("no selection: only finds") << 0 << 0 << int(ks::frDown) << "cat Cat cat" << 1;
        QTest::newRow("selection is something else") << 0 << 2 << int(ks::frDown) << "cat Cat cat" << 5;
    }

    void replaceReplacesOnlyTheSelectedMatch()
    {
        QFETCH(int, selectStart);
        QFETCH(int, selectLength);
        QFETCH(int, options);
        QFETCH(QString, after);
        QFETCH(int, nextMatch);
        Host host(QStringLiteral("cat Cat cat"));
        host.findReplace->Execute();
        host.setTexts(QStringLiteral("cat"), QStringLiteral("dog"), ks::TFindOptions(options));
        host.select(selectStart, selectLength);
        host.button("btReplace")->click();
        QCOMPARE(host.memo->toPlainText(), after);
        QCOMPARE(host.selection(), qMakePair(nextMatch, 3));
        QVERIFY(m_seams->messages.shown.isEmpty());
    }

    void replaceAllCountsAndNeverSearchesItsReplacement_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replace");
        QTest::addColumn<int>("options");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("count");
        QTest::newRow("a by aa") << "aaa"
                                 << "a"
                                 << "aa" << int(ks::frDown) << "aaaaaa" << 3;
        QTest::newRow("replacement holds the text") << "abab"
                                                    << "ab"
                                                    << "xaby" << int(ks::frDown) << "xabyxaby" << 2;
        QTest::newRow("by nothing") << "a-a-a"
                                    << "a"
                                    << "" << int(ks::frDown) << "--" << 3;
        QTest::newRow("any case") << "Cat cat CAT"
                                  << "cat"
                                  << "dog" << int(ks::frDown) << "dog dog dog" << 3;
        QTest::newRow("whole words only") << "id valid id_x id"
                                          << "id"
                                          << "key" << int(ks::frDown | ks::frWholeWord) << "key valid id_x key" << 2;
        QTest::newRow("overlapping matches, one after the other") << "aaaa"
                                                                  << "aa"
                                                                  << "b" << int(ks::frDown) << "bb" << 2;
        QTest::newRow("over line breaks") << "a\nb\na"
                                          << "\n"
                                          << " | " << int(ks::frDown) << "a | b | a" << 2;
        QTest::newRow("without down: still forward") << "xx"
                                                     << "x"
                                                     << "y" << 0 << "yy" << 2;
    }

    void replaceAllCountsAndNeverSearchesItsReplacement()
    {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replace);
        QFETCH(int, options);
        QFETCH(QString, after);
        QFETCH(int, count);
        Host host(text);
        host.findReplace->Execute(); // takes the word at the caret: set the texts after it
        host.setTexts(find, replace, ks::TFindOptions(options));
        host.button("btReplaceAll")->click();
        QCOMPARE(ks::memoText(host.memo), after);
        QCOMPARE(m_seams->messages.shown,
            QStringList {QStringLiteral("There were %1 occurences of \"%2\" replaced with \"%3\"")
                             .arg(count)
                             .arg(find, replace)});
        QCOMPARE(m_seams->messages.icons, QList<ks::MessageIcon> {ks::MessageIcon::Information});
        QCOMPARE(host.button("btCancel")->text(), QStringLiteral("Close"));
    }

    void replaceAllWithoutMatchPutsTheCaretBack()
    {
        Host host(QStringLiteral("abc def"));
        host.findReplace->Execute();
        host.select(4, 2);
        host.setTexts(QStringLiteral("xyz"), QStringLiteral("q"));
        host.button("btReplaceAll")->click();
        QCOMPARE(host.memo->toPlainText(), QStringLiteral("abc def"));
        QCOMPARE(host.selection(), qMakePair(5, 0));
        QCOMPARE(m_seams->messages.shown, QStringList {"There were no occurences found of \"xyz\""});
        QCOMPARE(m_seams->messages.icons, QList<ks::MessageIcon> {ks::MessageIcon::Warning});
    }

    // Large enough that the interface catches up several times on the way;
    // the result is what replacing in the plain text gives.
    void replaceAllOnALargeText()
    {
        QString text;
        for (int i = 0; i < 20000; ++i)
            text += QStringLiteral("line %1 with bar and rebar\n").arg(i);
        Host host(text);
        host.findReplace->Execute();
        host.setTexts(QStringLiteral("bar"), QStringLiteral("barbar"), ks::frDown | ks::frWholeWord);
        host.button("btReplaceAll")->click();
        QString expected = text;
        expected.replace(QStringLiteral(" bar "), QStringLiteral(" barbar "));
        expected.chop(1); // the memo's text ends with an empty line, not a line break
        QString actual = ks::memoText(host.memo);
        if (actual.endsWith(QLatin1Char('\n')))
            actual.chop(1);
        QCOMPARE(actual, expected);
        QCOMPARE(
            m_seams->messages.shown, QStringList {"There were 20000 occurences of \"bar\" replaced with \"barbar\""});
    }

    // While the interface catches up, something else may change the memo:
    // the rest is searched as it is then, positions and all.
    void replaceAllFollowsChangesMadeMeanwhile()
    {
        QString text;
        for (int i = 0; i < 40000; ++i)
            text += QStringLiteral("row %1 old\n").arg(i);
        Host host(text);
        host.findReplace->Execute();
        host.setTexts(QStringLiteral("old"), QStringLiteral("new"));
        bool changed = false;
        QTimer::singleShot(0, host.memo, [&] {
            changed = true;
            QTextCursor start(host.memo->document());
            start.insertText(QStringLiteral("inserted in front\n"));
            QTextCursor end(host.memo->document());
            end.movePosition(QTextCursor::End);
            end.insertText(QStringLiteral("added old\n"));
        });
        host.button("btReplaceAll")->click();
        // The interface caught up right after the first replacement.
        QVERIFY(changed);
        const QString result = ks::memoText(host.memo);
        QVERIFY(result.startsWith(QStringLiteral("inserted in front\nrow 0 new\nrow 1 new\n")));
        QVERIFY(result.endsWith(QStringLiteral("row 39999 new\nadded new\n")));
        QVERIFY(!result.contains(QStringLiteral(" old")));
        QCOMPARE(result.count(QStringLiteral(" new\n")), 40001);
        QCOMPARE(m_seams->messages.shown, QStringList {"There were 40001 occurences of \"old\" replaced with \"new\""});
    }

    void replaceAllIsUndoneInOneStep()
    {
        QString text;
        for (int i = 0; i < 20000; ++i)
            text += QStringLiteral("row %1 old\n").arg(i);
        Host host(text);
        host.findReplace->Execute();
        host.setTexts(QStringLiteral("old"), QStringLiteral("new"));
        host.button("btReplaceAll")->click();
        QCOMPARE(ks::memoText(host.memo).count(QStringLiteral(" new\n")), 20000);
        host.memo->undo();
        QCOMPARE(ks::memoText(host.memo), text);
    }

    void replaceAllStopsWhenTheMemoGoesMeanwhile()
    {
        QString text;
        for (int i = 0; i < 40000; ++i)
            text += QStringLiteral("row %1 old\n").arg(i);
        Host host(text);
        host.findReplace->Execute();
        host.setTexts(QStringLiteral("old"), QStringLiteral("new"));
        QPointer<QPlainTextEdit> memo = host.memo;
        QTimer::singleShot(0, host.memo, [&host] { delete host.memo; });
        host.button("btReplaceAll")->click();
        // It stopped quietly right after the first replacement.
        QVERIFY(memo.isNull());
        QVERIFY(m_seams->messages.shown.isEmpty());
        // The component is ready for the next action.
        host.button("btFind")->click();
    }
};

QTEST_MAIN(TestFindReplaceMemo)
#include "tst_findreplacememo.moc"
