#include "cli/KsCliTable.h"

#include <QString>

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace ks::cli {

namespace {

constexpr int kGap = 2;
constexpr int kNarrowest = 4;

QString oneLine(const QString &value)
{
    QString line = value;
    for (QChar &c : line) {
        if (c.unicode() < 0x20)
            c = u' ';
    }
    return line;
}

} // namespace

QByteArray formatTable(const QStringList &columns, const QList<QStringList> &records, int width)
{
    QList<QStringList> lines;
    lines.reserve(records.size() + 1);
    lines.append(columns);
    for (const QStringList &record : records) {
        QStringList line;
        for (const QString &value : record)
            line << oneLine(value);
        lines.append(line);
    }
    QList<int> widths(columns.size(), 0);
    for (const QStringList &line : lines) {
        for (qsizetype c = 0; c < line.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths.at(c), int(line.at(c).size()));
    }
    if (width > 0) {
        int total = kGap * int(widths.size() - 1);
        for (const int w : widths)
            total += w;
        while (total > width) {
            auto widest = std::max_element(widths.begin(), widths.end());
            if (*widest <= kNarrowest)
                break;
            --*widest;
            --total;
        }
    }
    QString text;
    for (const QStringList &line : lines) {
        QString row;
        for (qsizetype c = 0; c < line.size() && c < widths.size(); ++c) {
            const int w = widths.at(c);
            QString cell = line.at(c);
            if (cell.size() > w)
                cell = cell.left(w - 1) + u'…';
            if (c + 1 < line.size())
                cell = cell.leftJustified(w + kGap);
            row += cell;
        }
        // A last column narrower than its header leaves no trailing blanks.
        while (row.endsWith(u' '))
            row.chop(1);
        text += row;
        text += u'\n';
    }
    return text.toUtf8();
}

int terminalWidth()
{
    winsize size {};
    if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return qEnvironmentVariableIntValue("COLUMNS");
}

} // namespace ks::cli
