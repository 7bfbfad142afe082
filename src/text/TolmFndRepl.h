#pragma once
// TTolmFindReplace gives a multi-line text control Find, Find Next, Replace
// and Replace All. It owns a modeless, always-on-top dialog, keeps the search
// and replacement texts with their drop-down histories (in a TTolmIniFile
// when one is linked), and either hands each request to the host through
// OnFind and OnReplace or, when the host sets neither and the target is a
// QPlainTextEdit (a memo), searches and replaces in the memo itself, forward
// only.
//
// A window places it beside its memo:
//     FindReplace = new TTolmFindReplace(this);
//     FindReplace->setObjectName(QStringLiteral("FindReplace"));
//     FindReplace->setTarget(memo);
// and runs Execute() for Find and FindNext() for Find Next.

#include "settings/TolmIniFile.h"
#include "text/KsSearchText.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class TdlgFindReplace;

class TTolmFindReplace : public QObject {
    Q_OBJECT
    Q_PROPERTY(ks::TFindReplaceStyle Style READ Style WRITE setStyle)
    Q_PROPERTY(ks::TFindOptions Options READ Options WRITE setOptions)
    Q_PROPERTY(int HelpContext READ HelpContext WRITE setHelpContext)
    Q_PROPERTY(QString FindText READ FindText WRITE setFindText)
    Q_PROPERTY(QString ReplaceText READ ReplaceText WRITE setReplaceText)
    Q_PROPERTY(QStringList FindHistory READ FindHistory WRITE setFindHistory)
    Q_PROPERTY(QStringList ReplaceHistory READ ReplaceHistory WRITE setReplaceHistory)
    Q_PROPERTY(int HistorySize READ HistorySize WRITE setHistorySize)
    Q_PROPERTY(QWidget *Target READ Target WRITE setTarget)
    Q_PROPERTY(TTolmIniFile *TolmIniFile READ TolmIniFile WRITE setTolmIniFile)
    Q_PROPERTY(QString IniSection READ IniSection WRITE setIniSection)

public:
    // The dialog's owner window is `owner` when it is a widget.
    explicit TTolmFindReplace(QObject *owner);
    ~TTolmFindReplace() override;

    // Called for Find next with the pressed button as sender; when set, the
    // built-in search does not run. Options() holds frFindNext meanwhile.
    std::function<void(QObject *sender)> OnFind;
    // Called for Replace and Replace all; Options() holds frReplace or frReplaceAll.
    std::function<void(QObject *sender)> OnReplace;
    // Opens the help topic of the Help button; nothing happens without one.
    std::function<void(int helpContext)> OnHelp;

    ks::TFindReplaceStyle Style() const { return m_style; }
    void setStyle(ks::TFindReplaceStyle style);
    ks::TFindOptions Options() const { return m_options; }
    void setOptions(ks::TFindOptions options) { m_options = options; }
    int HelpContext() const { return m_helpContext; }
    void setHelpContext(int context) { m_helpContext = context; }
    QString FindText() const { return m_findText; }
    void setFindText(const QString &text);
    QString ReplaceText() const { return m_replaceText; }
    void setReplaceText(const QString &text);
    // The lists the dialog starts with when no ini file is linked.
    QStringList FindHistory() const { return m_findHistory; }
    void setFindHistory(const QStringList &history) { m_findHistory = history; }
    QStringList ReplaceHistory() const { return m_replaceHistory; }
    void setReplaceHistory(const QStringList &history) { m_replaceHistory = history; }
    int HistorySize() const { return m_historySize; }
    void setHistorySize(int size) { m_historySize = size; }
    QWidget *Target() const { return m_target; }
    void setTarget(QWidget *target) { m_target = target; }
    // Cleared when the ini component is destroyed.
    TTolmIniFile *TolmIniFile() const { return m_iniFile; }
    void setTolmIniFile(TTolmIniFile *iniFile);
    QString IniSection() const { return m_iniSection; }
    void setIniSection(const QString &section) { m_iniSection = section; }

    const ks::TWordChars &WordChars() const { return m_wordChars; }
    void setWordChars(const ks::TWordChars &chars) { m_wordChars = chars; }

    TdlgFindReplace *dialog() const;
    // The ini section in use: IniSection, or the path of names from the
    // outermost owner down to the dialog, joined by "\".
    QString sectionName() const;

    // Prepares the dialog from the options and the target and shows it.
    void Execute();
    // Find Next: the find-only layout, and the dialog when there is no
    // search text yet, else what Find next does, without showing the dialog.
    void FindNext();

private:
    enum class Action { Find, Replace, ReplaceAll };

    void buttonClicked(Action action);
    void findTextEdited(const QString &text);
    void directionClicked(int direction);
    void helpClicked();
    void firstShowing();
    void saveToIniFile();
    void addToHistory(QComboBox *box, bool allowEmpty);
    QPlainTextEdit *memo() const;
    // The parent of the messages: the dialog while it shows, else the target.
    QWidget *messageParent() const;

    // The built-in search and replace on the memo (TolmFndReplMemo.cpp).
    void searchMemo(QPlainTextEdit *memo);
    void findInMemo(QPlainTextEdit *memo);
    void replaceAllInMemo(QPlainTextEdit *memo);

    QPointer<TdlgFindReplace> m_dialog;
    ks::TFindReplaceStyle m_style = ks::frFind;
    ks::TFindOptions m_options = ks::frDown;
    int m_helpContext = 0;
    QString m_findText;
    QString m_replaceText;
    QStringList m_findHistory;
    QStringList m_replaceHistory;
    int m_historySize = 20;
    QPointer<QWidget> m_target;
    QPointer<TTolmIniFile> m_iniFile;
    QString m_iniSection;
    ks::TWordChars m_wordChars = ks::defaultWordChars();
    QString m_sectionInUse;
    bool m_busy = false; // a Replace All is running
};
