#pragma once
// The PostgreSQL connect dialog: asks for a host (or a whole postgresql://
// address), a port, a database and a login, tests that a connection opens
// and hands back the connection string. Passwords are never stored.

#include "db/DKsConnDialog.h"

class QComboBox;
class QLineEdit;

class TdlgKsConnectPostgres : public TdlgKsConnectBase {
    Q_OBJECT
public:
    // The dialog keeps its recent hosts and databases under `registryKey`.
    explicit TdlgKsConnectPostgres(QWidget *owner, const QString &registryKey = QString());

    QComboBox *cbHost = nullptr;
    QLineEdit *edPort = nullptr;
    QComboBox *cbDatabase = nullptr;
    QLineEdit *edUsername = nullptr;
    QLineEdit *edPassword = nullptr;
    TMRUManager *MRUHost = nullptr;
    TMRUManager *MRUDatabase = nullptr;

    bool Validate() override;
    QString connectionStringFromEntries() const override;

protected:
    void showEvent(QShowEvent *event) override;
    void connectionAccepted() override;
    QString connectFailedMessage(const QString &clientText) const override;

private:
    // A postgresql:// address says everything itself.
    bool hostIsAddress() const;
    void updateOkButton();
};

// "Provider=PostgreSQL;Data Source=<host>;Port=<port>;Initial Catalog=<database>;User Id=...;Password=...",
// each value written by connectionStringValue; empty fields are left out.
QString BuildPostgresConnectionString(const QString &host, const QString &port, const QString &database,
    const QString &userName, const QString &password);

// Runs the dialog modally; the connection string on OK, the empty text otherwise.
QString ShowConnectPostgresDialog(QWidget *owner, const QString &registryKey, bool showHelp);
