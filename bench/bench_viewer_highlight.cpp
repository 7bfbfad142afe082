// What marking the search text costs a text viewer on a 100,000-line text:
// the time from creating the viewer until every line is in the memo, the
// first occurrence is selected and the window has been painted, with and
// without a search highlight (occurrence on every line, only near the end,
// or nowhere, so that the whole text is searched); the same with the lines
// arriving in batches as from a background fetch; the cost of a repaint
// after scrolling; and the bare search of the whole text by each letter-case
// rule. Best of several runs, on the offscreen platform unless another is chosen.

#include "shell/FKsMdiMain.h"
#include "text/FKsTextView.h"
#include "text/FrKsTextView.h"
#include "text/KsMatchHighlight.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr int LineCount = 100000;
constexpr int NearEnd = 99000;
constexpr int BatchSize = 1000;
constexpr int Runs = 5;

QStringList makeLines()
{
    QStringList lines;
    lines.reserve(LineCount);
    for (int i = 0; i < LineCount; ++i)
        lines << QStringLiteral("    %1  select owner, object_name, object_type from all_objects -- %2")
                     .arg(i, 6)
                     .arg(i == NearEnd    ? QStringLiteral("calls PAYROLL_RUN")
                             : i % 7 == 0 ? QStringLiteral("Größe\tnon-ASCII")
                                          : QString());
    return lines;
}

double milliseconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

void closeAll(TfrmKsMdiMain &main)
{
    main.mdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void paint(TfrmKsTextViewer *viewer)
{
    viewer->frKsTextViewer()->memo()->viewport()->repaint();
    QCoreApplication::processEvents();
}

struct Result {
    double opened = std::numeric_limits<double>::max(); // lines in, first selected, painted
    double scrolled = std::numeric_limits<double>::max(); // ten jumps, each painted
};

// One viewer: created, highlight set (when given), the lines written as
// `write` does, painted; then ten jumps through the text, each painted.
Result measureOnce(TfrmKsMdiMain &main, const std::optional<ks::SearchHighlight> &highlight,
    const std::function<void(TfrmKsTextViewerOutput &)> &write, const QString &expectSelected, bool marksEverywhere)
{
    {
        QElapsedTimer timer;
        timer.start();
        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(&main, QStringLiteral("Source of BIG_PACKAGE"));
        if (highlight)
            viewer->setSearchHighlight(*highlight);
        {
            std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
            write(*output);
        }
        paint(viewer);
        const double opened = milliseconds(timer);
        QPlainTextEdit *memo = viewer->frKsTextViewer()->memo();
        if (viewer->frKsTextViewer()->lineCount() != LineCount)
            qFatal("the viewer holds %d lines instead of %d", viewer->frKsTextViewer()->lineCount(), LineCount);
        if (memo->textCursor().selectedText() != expectSelected)
            qFatal("selected \"%s\" instead of \"%s\"", qPrintable(memo->textCursor().selectedText()),
                qPrintable(expectSelected));

        timer.restart();
        QScrollBar *bar = memo->verticalScrollBar();
        for (int jump = 1; jump <= 10; ++jump) {
            bar->setValue(bar->maximum() / 10 * jump - 5000);
            paint(viewer);
        }
        const double scrolled = milliseconds(timer);
        if (marksEverywhere && memo->extraSelections().isEmpty())
            qFatal("nothing marked after scrolling");

        closeAll(main);
        return Result {opened, scrolled};
    }
}

// The bare search of the whole text, as one string, by `rule`.
double searchWholeText(const QString &text, const QString &pattern, ks::MatchCase rule, qsizetype &found)
{
    ks::SearchHighlight highlight;
    highlight.text = pattern;
    highlight.caseRule = rule;
    highlight.wildcards = true;
    const ks::MatchFinder finder(highlight);
    double best = std::numeric_limits<double>::max();
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        found = finder.ranges(text).size();
        best = std::min(best, milliseconds(timer));
    }
    return best;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);

    TfrmKsMdiMain main;
    main.resize(1024, 768);
    main.show();
    QCoreApplication::processEvents();

    const QStringList lines = makeLines();
    const std::function<void(TfrmKsTextViewerOutput &)> oneWriteLnPerLine = [&lines](TfrmKsTextViewerOutput &output) {
        for (const QString &line : lines)
            output.WriteLn(line);
    };
    // As a background fetch delivers them: a batch, then the event loop.
    const std::function<void(TfrmKsTextViewerOutput &)> inBatches = [&lines](TfrmKsTextViewerOutput &output) {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            output.WriteLn(lines.at(i));
            if ((i + 1) % BatchSize == 0)
                QCoreApplication::processEvents();
        }
    };

    const auto everyLine = ks::SearchHighlight::oracleSearch(QStringLiteral("OBJECT_NAME"), true);
    const auto nearEnd = ks::SearchHighlight::msSqlSearch(QStringLiteral("payroll[_]run"));
    const auto nowhere = ks::SearchHighlight::oracleSearch(QStringLiteral("no such text"), true);

    struct Case {
        const char *what;
        std::optional<ks::SearchHighlight> highlight;
        bool batches;
        QString selected;
    };
    const Case cases[] = {
        {"no highlight                          ", std::nullopt, false, QString()},
        {"occurrence on every line (Oracle)     ", everyLine, false, QStringLiteral("object")},
        {"only near the end (SQL Server folding)", nearEnd, false, QStringLiteral("PAYROLL_RUN")},
        {"nowhere: whole text searched          ", nowhere, false, QString()},
        {"no highlight, in batches of 1000      ", std::nullopt, true, QString()},
        {"near the end, in batches of 1000      ", nearEnd, true, QStringLiteral("PAYROLL_RUN")},
    };

    // The cases take turns, so that a busy moment of the machine does not
    // fall on one of them alone.
    std::vector<Result> best(std::size(cases));
    for (int run = 0; run < Runs; ++run) {
        for (size_t i = 0; i < std::size(cases); ++i) {
            const Case &c = cases[i];
            const Result result = measureOnce(
                main, c.highlight, c.batches ? inBatches : oneWriteLnPerLine, c.selected, c.highlight == everyLine);
            best[i].opened = std::min(best[i].opened, result.opened);
            best[i].scrolled = std::min(best[i].scrolled, result.scrolled);
        }
    }
    out << "Viewer with search highlight, " << LineCount << " lines, best of " << Runs << " runs (ms):\n";
    for (size_t i = 0; i < std::size(cases); ++i) {
        out << "  " << cases[i].what << ": open until painted " << QString::number(best[i].opened, 'f', 1)
            << ", ten jumps painted " << QString::number(best[i].scrolled, 'f', 1) << '\n';
    }
    out.flush();

    const QString whole = lines.join(QLatin1Char('\n'));
    out << "Search of the whole text (" << whole.size() << " characters), best of " << Runs << " runs (ms):\n";
    for (const auto &[what, rule] :
        {std::pair {"exact      ", ks::MatchCase::Exact}, std::pair {"upper-cased", ks::MatchCase::UpperEach},
            std::pair {"case-folded", ks::MatchCase::CaseFolded}}) {
        qsizetype found = 0;
        const double ms = searchWholeText(whole, QStringLiteral("object_name"), rule, found);
        out << "  " << what << ": " << QString::number(ms, 'f', 1) << " (" << found << " occurrences)\n";
    }
    out.flush();
    closeAll(main);
    return 0;
}
