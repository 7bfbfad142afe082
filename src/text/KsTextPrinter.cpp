#include "text/KsTextPrinter.h"

#include "base/KsStrings.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ks {

namespace {

// A tab stop closer than this many device units ahead is skipped, so that a
// tab always leaves visible room.
constexpr qreal kMinTabAdvance = 2;
constexpr int kCharsPerTab = 8;

bool splitsSurrogatePair(const QString &text, qsizetype length)
{
    return length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate()
        && text.at(length).isLowSurrogate();
}

} // namespace

KsPainterPageTarget::KsPainterPageTarget(QPainter &painter, QPagedPaintDevice *pagedDevice)
    : m_painter(painter)
    , m_pagedDevice(pagedDevice)
{
}

void KsPainterPageTarget::newPage()
{
    if (!m_pagedDevice || !m_pagedDevice->newPage())
        throw Error(QStringLiteral("The printer could not start a new page."));
}

void KsPainterPageTarget::drawText(
    const QPointF &topLeft, const QString &text, const QFont &font, const QFontMetricsF &metrics)
{
    m_painter.setFont(font);
    // The position is the top of the text, the painter wants its base line.
    m_painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

KsTextPrinter::KsTextPrinter(KsTextPageTarget &target, const QSizeF &pageSize, QPaintDevice *metricsDevice)
    : m_target(target)
    , m_pageSize(pageSize)
    , m_metricsDevice(metricsDevice)
    , m_font(courierNew10())
    , m_metrics(m_font, metricsDevice)
{
}

void KsTextPrinter::setFont(const QFont &font)
{
    m_font = font;
    m_metrics = QFontMetricsF(m_font, m_metricsDevice);
}

void KsTextPrinter::write(const QString &text)
{
    qsizetype start = 0;
    const auto flush = [&](qsizetype end) {
        if (end > start)
            writePiece(text.mid(start, end - start));
        start = end + 1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        switch (text.at(i).unicode()) {
        case u'\t':
            flush(i);
            tab();
            break;
        case u'\n':
            flush(i);
            newLine();
            break;
        case u'\r':
            flush(i);
            break;
        case u'\f':
            flush(i);
            newPage();
            break;
        default:
            break;
        }
    }
    flush(text.size());
}

void KsTextPrinter::writeLine(const QString &text)
{
    write(text);
    newLine();
}

void KsTextPrinter::writePiece(QString piece)
{
    while (!piece.isEmpty()) {
        qsizetype length = piece.size();
        qreal width = m_metrics.horizontalAdvance(piece);
        if (m_x + width > m_pageSize.width()) {
            length = fittingLength(piece, m_pageSize.width() - m_x);
            // On a page narrower than one character, print one per line rather
            // than never getting anywhere.
            if (length == 0 && m_x <= 0)
                length = splitsSurrogatePair(piece, 1) ? 2 : 1;
            width = m_metrics.horizontalAdvance(piece, int(length));
        }
        if (length > 0)
            draw(piece.left(length));
        if (length < piece.size()) {
            piece.remove(0, length);
            newLine();
        } else {
            m_x += width;
            piece.clear();
        }
    }
}

qsizetype KsTextPrinter::fittingLength(const QString &text, qreal room) const
{
    // The widths of ever longer starts grow, so the last character that fits
    // is found by halving rather than by dropping one character at a time.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype middle = low + (high - low + 1) / 2;
        if (m_metrics.horizontalAdvance(text, int(middle)) <= room)
            low = middle;
        else
            high = middle - 1;
    }
    if (splitsSurrogatePair(text, low))
        --low;
    return low;
}

void KsTextPrinter::tab()
{
    qreal stopDistance = kCharsPerTab * m_metrics.averageCharWidth();
    if (stopDistance <= 0)
        stopDistance = kCharsPerTab * m_metrics.horizontalAdvance(QLatin1Char(' '));
    if (stopDistance <= 0)
        return;
    m_x = std::ceil((m_x + kMinTabAdvance) / stopDistance) * stopDistance;
    if (m_x > m_pageSize.width())
        newLine();
}

void KsTextPrinter::newLine()
{
    const qreal height = m_lineHeight > 0 ? m_lineHeight : m_metrics.height();
    m_x = 0;
    m_y += height;
    m_lineHeight = 0;
    if (m_y > m_pageSize.height() - 2 * height)
        newPage();
}

void KsTextPrinter::newPage()
{
    m_x = 0;
    m_y = 0;
    m_lineHeight = 0;
    ++m_page;
}

void KsTextPrinter::draw(const QString &text)
{
    // Pages are handed on only when something is drawn on them, so trailing
    // breaks leave no empty page at the end of the job.
    while (m_drawnPage < m_page) {
        ++m_drawnPage;
        if (m_drawnPage > 0)
            m_target.newPage();
    }
    m_target.drawText(QPointF(m_x, m_y), text, m_font, m_metrics);
    m_lineHeight = std::max(m_lineHeight, m_metrics.height() + 2);
}

void writeTextLines(KsTextPrinter &printer, const QString &header, const QStringList &lines)
{
    QFont font = courierNew10();
    font.setBold(true);
    printer.setFont(font);
    printer.writeLine(header);

    font.setBold(false);
    printer.setFont(font);
    for (const QString &line : lines)
        printer.writeLine(line);
}

void printTextLines(QPagedPaintDevice &device, const QString &header, const QStringList &lines)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw Error(QStringLiteral("The print job could not be started."));
    KsPainterPageTarget target(painter, &device);
    KsTextPrinter printer(target, QSizeF(device.width(), device.height()), &device);
    writeTextLines(printer, header, lines);
    if (!painter.end())
        throw Error(QStringLiteral("The print job could not be finished."));
}

} // namespace ks
