#pragma once
// The Oracle connect dialog: asks for user name, password and data source,
// tests that a connection opens with them and hands back the connection string.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpacerItem;

class TdlgKsConnectOra : public QDialog {
    Q_OBJECT
public:
    explicit TdlgKsConnectOra(QWidget *owner);

    // The connection string of the last successful connection test.
    QString ConnectionString;
    // Where the dialog keeps its stored settings.
    QString registryKey;

    QLabel *lbUsername = nullptr;
    QLineEdit *edUsername = nullptr;
    QLabel *lbPassword = nullptr;
    QLineEdit *edPassword = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cbDataSource = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
    QPushButton *btnHelp = nullptr;

    // Shows or hides "?"; without it Cancel ends where "?" ended.
    void setHelpShown(bool shown);

    void UpdateOkButton();
    bool Validate();
    bool TestConnection();
    void btnOkClick();

private:
    void FormCreate();

    QSpacerItem *m_helpGap = nullptr; // between Cancel and "?"
};

// Runs the dialog modally; the connection string on OK, the empty text otherwise.
QString ShowConnectOraDialog(QWidget *owner, const QString &registryKey, bool showHelp);
