#pragma once
// The printer's text stream: lines of text laid out from the top left corner of
// the printable area, broken at any character when too wide, with tab stops,
// form feeds and automatic page breaks. The layout is kept apart from the
// device so that it can be checked without a printer.

#include "text/KsFixedFont.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace ks {

// Receives the laid-out text: a painter on a printer in the program, a
// recorder in tests.
class KsTextPageTarget {
public:
    virtual ~KsTextPageTarget() = default;
    // Ends the current page and starts the next one.
    virtual void newPage() = 0;
    // Draws `text` in `font` with its top left corner at `topLeft`.
    virtual void drawText(const QPointF &topLeft, const QString &text, const QFont &font, const QFontMetricsF &metrics)
        = 0;
};

// Draws onto a painter; page breaks go to the paged device behind it (a
// QPrinter or QPdfWriter). Without a paged device a page break fails.
class KsPainterPageTarget final : public KsTextPageTarget {
public:
    KsPainterPageTarget(QPainter &painter, QPagedPaintDevice *pagedDevice);

    void newPage() override;
    void drawText(
        const QPointF &topLeft, const QString &text, const QFont &font, const QFontMetricsF &metrics) override;

private:
    QPainter &m_painter;
    QPagedPaintDevice *m_pagedDevice;
};

class KsTextPrinter {
public:
    // Lays out on pages of `pageSize` device units, measuring fonts as they
    // appear on `metricsDevice` (the printer itself, so that its resolution counts).
    KsTextPrinter(KsTextPageTarget &target, const QSizeF &pageSize, QPaintDevice *metricsDevice);

    void setFont(const QFont &font);
    QFont font() const { return m_font; }

    // Writes text at the current position: LF ends the line, CR is ignored,
    // a tab moves to the next tab stop and a form feed starts a new page.
    void write(const QString &text);
    // Writes the text and ends the line.
    void writeLine(const QString &text);

    QPointF position() const { return {m_x, m_y}; }
    // The page the next output lands on, counted from 0.
    int page() const { return m_page; }
    // Pages actually handed to the target so far, counted from 1 once anything
    // was drawn. A break with nothing drawn after it never reaches the target,
    // so a job does not end with an empty page.
    int pagesUsed() const { return m_drawnPage + 1; }

private:
    // Writes text without control characters, breaking the line where it
    // does not fit.
    void writePiece(QString piece);
    void tab();
    void newLine();
    void newPage();
    void draw(const QString &text);
    // How many leading characters of `text` fit into `room`; a surrogate
    // pair is never split.
    qsizetype fittingLength(const QString &text, qreal room) const;

    KsTextPageTarget &m_target;
    QSizeF m_pageSize;
    QPaintDevice *m_metricsDevice;
    QFont m_font;
    QFontMetricsF m_metrics;
    qreal m_x = 0;
    qreal m_y = 0;
    qreal m_lineHeight = 0; // tallest piece drawn on the current line plus 2; 0 while none
    int m_page = 0;
    int m_drawnPage = -1; // the last page the target has been told about
};

// Writes a header line in the bold fixed-pitch 10 pt font (courierNew10())
// and then every line in its regular weight.
void writeTextLines(KsTextPrinter &printer, const QString &header, const QStringList &lines);

// Prints as writeTextLines does on `device`, from its first page. Raises
// ks::Error when the print job cannot be started, a page cannot be added or
// the job fails to end.
void printTextLines(QPagedPaintDevice &device, const QString &header, const QStringList &lines);

} // namespace ks
