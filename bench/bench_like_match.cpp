// How long the program-side LIKE match takes on a 1 MB text, as the view-text
// and trigger-body checks of a search run it. Best of several runs.

#include "search/KsLikeMatch.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <limits>

namespace {

constexpr int Runs = 7;

// SQL-like words in lines, as view texts and PL/SQL source read.
QString makeSourceText(qsizetype size)
{
    static const char *const words[] = {"select", "from", "where", "and", "or", "join", "on", "employees",
        "departments", "salary", "commission", "begin", "end", "loop", "if", "then", "else", "null", "v_total",
        "p_emp_id", "update", "set", "insert", "into"};
    QRandomGenerator random(12345);
    QString text;
    text.reserve(size + 32);
    int onLine = 0;
    while (text.size() < size) {
        text += QLatin1String(words[random.bounded(int(std::size(words)))]);
        text += ++onLine % 10 == 0 ? u'\n' : u' ';
    }
    text.truncate(size);
    return text;
}

double bestMilliseconds(const std::function<bool()> &run, bool &result)
{
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < Runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        result = run();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

void report(QTextStream &out, const QString &what, const QString &text, const QString &pattern, bool ignoreCase)
{
    bool result = false;
    const double ms = bestMilliseconds(
        [&] { return ignoreCase ? ks::LikeMatchIgnoreCase(text, pattern) : ks::LikeMatch(text, pattern); }, result);
    const double megabytes = double(text.size()) / (1024.0 * 1024.0);
    const QString shownPattern = pattern.size() > 40 ? pattern.left(37) + QStringLiteral("...") : pattern;
    out << QStringLiteral("%1 %2 %3 %4 %5 ms")
               .arg(what, -38)
               .arg(ignoreCase ? QStringLiteral("IgnoreCase") : QStringLiteral("LikeMatch "))
               .arg(shownPattern, -40)
               .arg(result ? QStringLiteral("match   ") : QStringLiteral("no match"))
               .arg(ms, 8, 'f', 3);
    // A match found near the start says nothing about speed per megabyte.
    if (ms >= 0.05)
        out << QStringLiteral(" (%1 MB/s)").arg(megabytes / (ms / 1000.0), 0, 'f', 0);
    out << Qt::endl;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    const qsizetype size = 1024 * 1024;
    const QString text = makeSourceText(size);
    QString textEndingInWord = text;
    textEndingInWord.replace(size - 8, 8, QStringLiteral(" kestrel"));
    const QString letters(size, u'a');

    out << "LikeMatch on a text of " << size << " characters, best of " << Runs << " runs" << Qt::endl;
    report(out, "plain search, word near the end", textEndingInWord, "%kestrel%", false);
    report(out, "plain search, word absent", text, "%kestrel%", false);
    report(out, "plain search, ignoring case", textEndingInWord, "%KESTREL%", true);
    report(out, "plain search, word absent, ign. case", text, "%KESTREL%", true);
    report(out, "several %, matching early", text, "%a%b%c%d%e%", false);
    report(out, "several %, last one absent", text, "%a%b%c%d%e%kestrel%", false);
    report(out, "several %, words in order", text, "%select%from%where%salary%end%", false);
    report(out, "many %, each segment found", text, QString(QStringLiteral("%loop")).repeated(500) + "%", false);
    report(out, "many %, ignoring case", text, QString(QStringLiteral("%LOOP")).repeated(500) + "%", true);
    report(out, "one letter repeated, absent segment", letters, "%aaaaaaaaaaaaaaaaaaab%", false);
    report(out, "one letter repeated, many %", letters, QString(QStringLiteral("%a")).repeated(1000) + "%b%", false);
    return 0;
}
