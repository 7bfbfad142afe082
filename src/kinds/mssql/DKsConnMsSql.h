#pragma once
// The SQL Server connect dialog: asks for a server, a database and the kind
// of login (Windows authentication, or user name and password), tests that a
// connection opens and hands back the connection string.

#include "db/DKsConnDialog.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class TdlgKsConnectMsSql : public TdlgKsConnectBase {
    Q_OBJECT
public:
    // The dialog keeps its recent servers and databases under `registryKey`.
    explicit TdlgKsConnectMsSql(QWidget *owner, const QString &registryKey = QString());

    QLabel *Label1 = nullptr;
    QComboBox *cbServer = nullptr;
    QLabel *Label2 = nullptr;
    QComboBox *cbDatabase = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QRadioButton *rbWinAuth = nullptr;
    QRadioButton *rbUsername = nullptr;
    QLabel *lbUsername = nullptr;
    QLineEdit *edUsername = nullptr;
    QLabel *lbPassword = nullptr;
    QLineEdit *edPassword = nullptr;
    TMRUManager *MRUServer = nullptr;
    TMRUManager *MRUDatabase = nullptr;

    // The login choice enables the user-name fields; OK is left as it is
    // until the next change of a text.
    void rbLoginAuthClick();
    void UpdateOkButton();
    bool Validate() override;
    // The texts as they stand: a server typed with a trailing blank is tried so.
    QString connectionStringFromEntries() const override;

protected:
    void showEvent(QShowEvent *event) override;
    // Records the server and the database.
    // Refuses a server that names a catalogue file of another kind.
    bool entriesAccepted() override;
    void connectionAccepted() override;
    QString connectFailedMessage(const QString &clientText) const override;

private:
    // The login the entries ask for: empty for Windows authentication.
    QString loginUserName() const;
    QString loginPassword() const;
};

// Runs the dialog modally; the connection string on OK, the empty text otherwise.
QString ShowConnectMsSqlDialog(QWidget *owner, const QString &registryKey, bool showHelp);
