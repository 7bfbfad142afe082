#pragma once
// The read-only text component of a viewer window: the memo with its text,
// and the copy, save and print operations that the viewer's menu runs.

#include "text/KsMatchHighlight.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

class KsMatchHighlighter;
class QPlainTextEdit;
class QTimer;
class TTolmFindReplace;

class TfrKsTextViewer : public QWidget {
    Q_OBJECT
    // Printed as the header line; the viewer window leaves it empty.
    Q_PROPERTY(QString caption READ caption WRITE setCaption)

public:
    explicit TfrKsTextViewer(QWidget *parent = nullptr);
    ~TfrKsTextViewer() override;

    QPlainTextEdit *memo() const { return m_memo; }

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // Adds `text` at the end as one line; CR LF, a lone CR or a lone LF in it
    // start further lines. Lines are collected and reach the memo together,
    // at the latest when control returns to the event loop or when any of the
    // operations below needs the text.
    void appendLines(const QString &text);
    // Brings the lines collected so far into the memo now.
    void flush() const;

    int lineCount() const;
    QStringList lines() const;
    // The lines separated by LF.
    QString text() const;
    void clear();

    bool wordWrap() const;
    // Wrapped text shows the vertical scroll bar only, unwrapped text both.
    void setWordWrap(bool on);

    // Puts the whole text on the clipboard; the selection stays as it was.
    // An empty memo leaves the clipboard as it is.
    void Copy();
    // Asks for a file name and writes every line ended by CR LF, in UTF-8.
    // The file is replaced only when it was written completely.
    void Save();
    // Writes the whole text into `fileName` as Save does; raises ks::Error
    // when the file cannot be written.
    void saveToFile(const QString &fileName) const;
    // Prints the caption as a bold header line, then every line. An empty
    // memo only beeps.
    void Print();

    // Marks every occurrence of a search text in the lines there are and in
    // those still to come, and selects the first one as it arrives (see
    // KsMatchHighlighter). Find starts with the search text (its first
    // literal run) and with Match case ticked when letter case counted. An
    // empty highlight removes the marks.
    void setSearchHighlight(const ks::SearchHighlight &highlight);
    ks::SearchHighlight searchHighlight() const;
    KsMatchHighlighter *matchHighlighter() const;

    // Find: the find dialog on the memo, find only. A viewer opened from a
    // search offers the search text at its first Find, unless the user has
    // moved through the text meanwhile; later the dialog takes the selection
    // or the word at the caret, as everywhere.
    void Find();
    // Find Next: the next occurrence of the find text after the selection
    // start, or the dialog when there is no find text yet.
    void FindNext();
    TTolmFindReplace *findDialog() const { return FindDialog; }

private:
    // The dialog's Find next. Without Match case letters compare by the
    // rule of the search that opened the viewer, else by case folding, so
    // that what is marked can also be found.
    void findNextOccurrence();

    QPlainTextEdit *m_memo;
    QTimer *m_flushTimer;
    TTolmFindReplace *FindDialog;
    QPointer<KsMatchHighlighter> m_highlighter;
    QString m_searchFindText; // what the first Find offers
    bool m_findOffered = false;
    ks::MatchCase m_ignoreCaseRule = ks::MatchCase::CaseFolded;
    // How the search that opened the viewer matched; Find and F3 match its
    // text the same way.
    ks::MatchMode m_searchMode = ks::MatchMode::Pattern;
    QString m_caption;
    // Lines appended but not yet in the memo, separated by paragraph breaks.
    mutable QString m_pending;
    mutable bool m_hasPending = false;
    // Whether the memo holds any line: a document with one empty block is
    // either empty or holds one empty line.
    mutable bool m_hasLines = false;
};
