#pragma once
// The Oracle connect dialog: asks for user name, password and data source,
// tests that a connection opens with them and hands back the connection string.

#include "db/DKsConnDialog.h"
#include "db/KsConnectionTarget.h"

class QComboBox;
class QLabel;
class QLineEdit;

class TdlgKsConnectOra : public TdlgKsConnectBase {
    Q_OBJECT
public:
    // The dialog keeps its recent data sources under `registryKey`; a catalogue
    // file of another kind than `catalogueKind` is refused.
    explicit TdlgKsConnectOra(QWidget *owner, const QString &registryKey = QString(),
        const ks::CatalogueFileKind &catalogueKind = {QStringLiteral("oracle")});

    QLabel *lbUsername = nullptr;
    QLineEdit *edUsername = nullptr;
    QLabel *lbPassword = nullptr;
    QLineEdit *edPassword = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cbDataSource = nullptr;
    TMRUManager *MRUDataSource = nullptr;
    // A second recent list that nothing fills; kept with the dialog's settings.
    TMRUManager *MruOdbcDsn = nullptr;

    void UpdateOkButton();
    bool Validate() override;
    QString connectionStringFromEntries() const override;

protected:
    void showEvent(QShowEvent *event) override;
    // Refuses a catalogue file of another kind than the window needs.
    bool entriesAccepted() override;
    // Records the data source.
    void connectionAccepted() override;
    QString connectFailedMessage(const QString &clientText) const override;

private:
    // The Oracle window reads a dictionary, the Designer window a repository.
    ks::CatalogueFileKind m_catalogueKind;
};

// Runs the dialog modally; the connection string on OK, the empty text otherwise.
QString ShowConnectOraDialog(QWidget *owner, const QString &registryKey, bool showHelp,
    const ks::CatalogueFileKind &catalogueKind = {QStringLiteral("oracle")});
