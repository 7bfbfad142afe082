// How long a text viewer takes to take in a 100,000-line text through its
// output adapter, as a definition display writes it (one WriteLn per line,
// and once as a single piece of CR LF separated lines), until the memo holds
// every line and has been painted; then how long Word Wrap takes on it.
// Best of several runs, on the offscreen platform unless another is chosen.

#include "shell/FKsMdiMain.h"
#include "text/FKsTextView.h"
#include "text/FrKsTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>

namespace {

constexpr int LineCount = 100000;
constexpr int Runs = 3;

QStringList makeLines()
{
    QStringList lines;
    lines.reserve(LineCount);
    for (int i = 0; i < LineCount; ++i)
        lines << QStringLiteral("    %1  select owner, object_name, object_type from all_objects -- %2")
                     .arg(i, 6)
                     .arg(i % 7 == 0 ? QStringLiteral("Größe\tnon-ASCII") : QString());
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

struct Result {
    double loaded = std::numeric_limits<double>::max(); // memo holds every line
    double painted = std::numeric_limits<double>::max(); // and the window has been drawn
    double wrapOn = std::numeric_limits<double>::max();
    double wrapOff = std::numeric_limits<double>::max();
};

Result measure(TfrmKsMdiMain &main, const std::function<void(TfrmKsTextViewerOutput &)> &write)
{
    Result best;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(&main, QStringLiteral("Source of BIG_PACKAGE"));
        {
            std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
            write(*output);
        }
        const double loaded = milliseconds(timer);
        viewer->frKsTextViewer()->memo()->viewport()->repaint();
        QCoreApplication::processEvents();
        const double painted = milliseconds(timer);
        if (viewer->frKsTextViewer()->lineCount() != LineCount)
            qFatal("the viewer holds %d lines instead of %d", viewer->frKsTextViewer()->lineCount(), LineCount);

        timer.restart();
        viewer->miWordWrap->trigger();
        viewer->frKsTextViewer()->memo()->viewport()->repaint();
        QCoreApplication::processEvents();
        const double wrapOn = milliseconds(timer);
        timer.restart();
        viewer->miWordWrap->trigger();
        viewer->frKsTextViewer()->memo()->viewport()->repaint();
        QCoreApplication::processEvents();
        const double wrapOff = milliseconds(timer);

        best.loaded = std::min(best.loaded, loaded);
        best.painted = std::min(best.painted, painted);
        best.wrapOn = std::min(best.wrapOn, wrapOn);
        best.wrapOff = std::min(best.wrapOff, wrapOff);
        closeAll(main);
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
    const QString joined = lines.join(QStringLiteral("\r\n"));

    const Result perLine = measure(main, [&lines](TfrmKsTextViewerOutput &output) {
        for (const QString &line : lines)
            output.WriteLn(line);
    });
    const Result onePiece = measure(main, [&joined](TfrmKsTextViewerOutput &output) { output.WriteLn(joined); });

    out << "Viewer load of " << LineCount << " lines, best of " << Runs << " runs (ms):\n";
    const auto report = [&out](const char *what, const Result &result) {
        out << "  " << what << ": in memo " << QString::number(result.loaded, 'f', 1) << ", painted "
            << QString::number(result.painted, 'f', 1) << ", word wrap on " << QString::number(result.wrapOn, 'f', 1)
            << ", off " << QString::number(result.wrapOff, 'f', 1) << '\n';
    };
    report("one WriteLn per line      ", perLine);
    report("one WriteLn, CR LF pieces ", onePiece);
    out.flush();
    closeAll(main);
    return 0;
}
