#pragma once
// What the connect dialogs share: the fixed dialog frame with OK, Cancel and
// "?", the OK flow (validate, test the connection in the background, end
// with OK), the stored settings with their recent lists, and the modal run
// that hands back the connection string.

#include <QDialog>
#include <QPointer>

#include <exception>

class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QSpacerItem;
class TFormStorage;
class TMRUManager;

namespace ks {
struct CatalogueFileKind;
class ConnectionWorker;
} // namespace ks

class TdlgKsConnectBase : public QDialog {
    Q_OBJECT
public:
    ~TdlgKsConnectBase() override;

    // The connection string handed to the caller when the dialog ends with OK.
    QString ConnectionString;

    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnHelp = nullptr;
    // Keeps the version value and the recent lists under the registry key the
    // dialog was made with, in the section named after the dialog's class.
    // Nothing else of the dialog is stored: no user name, password or login.
    TFormStorage *Storage = nullptr;

    // Shows or hides "?"; without it Cancel ends where "?" ended.
    void setHelpShown(bool shown);

    // The entries are complete; reports the first gap and focuses its field.
    virtual bool Validate() = 0;
    // The connection string the entries make, as it is tested and handed back.
    virtual QString connectionStringFromEntries() const = 0;
    // Opens and closes a connection with the entries on a worker thread, so
    // that a login that never answers does not freeze the dialog: until it
    // ends the dialog says it is connecting and takes no other entries, and
    // Cancel and Esc give it up. A failure is reported; a success records
    // the entries in the recent lists.
    void TestConnection();
    bool isConnecting() const;
    // Validate, then TestConnection, then the dialog ends with OK; otherwise
    // it stays open with everything the user typed.
    void btnOkClick();
    // Opens web help on connecting.
    void btnHelpClick();
    // Gives up a connection test still running: its login is left to end on
    // its own, and nothing of it reaches the dialog or its caller.
    void reject() override;

protected:
    // The dialog `objectName` of `owner`, its settings kept under `registryKey`.
    // The storage is switched on by FormCreate, once the recent lists are linked.
    TdlgKsConnectBase(QWidget *owner, const QString &objectName, const QString &registryKey);

    // Puts `fields` above the button row, `buttonsGap` pixels apart, with
    // `bottomMargin` below the buttons, and makes the dialog exactly as large
    // as that needs (a fixed border).
    void FormCreate(QLayout *fields, int buttonsGap, int bottomMargin);

    // A recent list kept through Storage in the section "<dialog class>.<name>".
    TMRUManager *addRecentList(const QString &name);
    // Adds `text` to `list` unless it is empty or listed already (letter case
    // ignored); a listed name keeps its place.
    static void recordRecent(TMRUManager *list, const QString &text);

    // False, once the user is told why, for entries that are wrong before
    // any login (a catalogue file of another kind); nothing is opened then.
    virtual bool entriesAccepted() { return true; }
    // Records the entries once a connection test has passed.
    virtual void connectionAccepted() { }
    // The message that reports a failed test, with the client's text.
    virtual QString connectFailedMessage(const QString &clientText) const = 0;

    // Message box with the application's title, parented to the dialog.
    void showMessage(const QString &text);
    // False, once the user is told why, when `dataSource` names a catalogue
    // file of another kind than the window to open needs: it is refused before
    // anything is opened or recorded.
    bool catalogueKindAccepted(const QString &dataSource, const ks::CatalogueFileKind &kind);

private:
    void connectionTested(const QString &connectionString, const std::exception_ptr &error);
    // Locks the entries and OK and shows the busy state, or puts all back.
    void setConnecting(bool connecting);

    QSpacerItem *m_helpGap = nullptr; // between Cancel and "?"
    ks::ConnectionWorker *m_tester = nullptr;
    bool m_acceptWhenConnected = false;
    QList<QPointer<QWidget>> m_locked; // what setConnecting disabled
    QPointer<QWidget> m_focusBefore;
};

namespace ks {

// A caption for a field, `objectName` by name.
QLabel *makeDialogLabel(QWidget *parent, const QString &objectName, const QString &caption);
// A one-line edit that shows "*" for every character, whatever the desktop style.
QLineEdit *makePasswordEdit(QWidget *parent, const QString &objectName);

// Runs a connect dialog modally in the middle of its owner's screen, with or
// without "?": its connection string on OK, the empty text otherwise.
QString runConnectDialog(TdlgKsConnectBase &dialog, bool showHelp);

} // namespace ks
