// Replace All on a large memo: about 1 MB of text with 10,000 matches, in a
// window on the screen (offscreen unless another platform is chosen). For
// comparison the same done literally, reading the whole text again before
// every search and letting the interface catch up after every replacement,
// on a tenth, a fifth and half of the text, which shows how that grows
// (left out with --no-literal).

#include "base/KsSeams.h"
#include "text/KsMemo.h"
#include "text/KsSearchText.h"
#include "text/TolmFndRepl.h"
#include "text/TolmFndReplDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextStream>

namespace {

// Swallows the message at the end and keeps its text.
class SilentMessages final : public ks::MessageBoxes {
public:
    QString last;
    void inform(QWidget *, const QString &text) override { last = text; }
    void notify(QWidget *, const QString &text, ks::MessageIcon) override { last = text; }
    QMessageBox::StandardButton ask(QWidget *, const QString &text, QMessageBox::StandardButtons) override
    {
        last = text;
        return QMessageBox::Cancel;
    }
};

// `lines` lines of about 100 characters, one "needle" in each.
QString makeText(int lines)
{
    QString text;
    text.reserve(lines * 102);
    for (int i = 0; i < lines; ++i) {
        text += QStringLiteral("%1 select owner, object_name from all_objects where needle = 1 and status = 'VALID'  ")
                    .arg(i, 8);
        text += QLatin1Char('\n');
    }
    return text;
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The loop as it reads, step by step.
int literalReplaceAll(QPlainTextEdit &memo, const QString &find, const QString &replace)
{
    QTextCursor cursor(memo.document());
    memo.setTextCursor(cursor);
    int count = 0;
    for (;;) {
        const qsizetype found = ks::SearchText(
            ks::memoText(&memo), find, memo.textCursor().position() + 1, ks::defaultWordChars(), ks::frDown);
        if (found == 0)
            break;
        cursor = memo.textCursor();
        cursor.setPosition(int(found - 1));
        cursor.setPosition(int(found - 1 + find.size()), QTextCursor::KeepAnchor);
        memo.setTextCursor(cursor);
        cursor.insertText(replace);
        memo.setTextCursor(cursor);
        memo.ensureCursorVisible();
        QCoreApplication::processEvents();
        ++count;
    }
    return count;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SilentMessages messages;
    ks::ScopedSeam<ks::MessageBoxes> seam(messages);
    QTextStream out(stdout);

    constexpr int Lines = 10000;
    QPlainTextEdit memo;
    memo.resize(600, 400);
    memo.show();
    memo.setPlainText(makeText(Lines));
    QCoreApplication::processEvents();
    auto *findReplace = new TTolmFindReplace(&memo);
    findReplace->setTarget(&memo);
    findReplace->setStyle(ks::frFindReplace);
    findReplace->setFindText(QStringLiteral("needle"));
    findReplace->setReplaceText(QStringLiteral("haystack"));

    out << "text: " << memo.document()->characterCount() << " characters, " << Lines << " matches\n";
    QElapsedTimer timer;
    timer.start();
    findReplace->dialog()->btReplaceAll->click();
    const double ours = milliseconds(timer);
    out << "Replace All: " << QString::number(ours, 'f', 0) << " ms (" << messages.last << ")\n";
    if (ks::memoText(&memo).count(QStringLiteral("haystack")) != Lines)
        qFatal("not every match was replaced");

    if (QCoreApplication::arguments().contains(QStringLiteral("--no-literal")))
        return 0;
    for (const int lines : {Lines / 10, Lines / 5, Lines / 2}) {
        memo.setPlainText(makeText(lines));
        QCoreApplication::processEvents();
        timer.restart();
        const int count = literalReplaceAll(memo, QStringLiteral("needle"), QStringLiteral("haystack"));
        out << "literal loop, " << count << " matches: " << QString::number(milliseconds(timer), 'f', 0) << " ms\n";
        out.flush();
    }
    return 0;
}
