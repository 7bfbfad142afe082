#pragma once
// The PostgreSQL connection window: searches the server's catalogue for
// names, definitions and comments, and shows the definition behind a match.

#include "search/FKsConnection.h"

class QCheckBox;
class QComboBox;

class TfrmConnectionPostgres : public TfrmConnectionBase {
    Q_OBJECT
public:
    explicit TfrmConnectionPostgres(KsMdiHost *owner);
    // Runs the PostgreSQL connect dialog and opens a window for the
    // connection it returns; nothing happens when the dialog is cancelled.
    static TfrmConnectionPostgres *connectFromDialog(KsMdiHost *owner);
    // Creates, initialises and shows a window for a connection string.
    static TfrmConnectionPostgres *open(KsMdiHost *owner, const QString &connectionString);
    void InitConnection(const QString &connectionString) override;

    QComboBox *cbSchema = nullptr;
    QCheckBox *cbSystemSchemas = nullptr;
    QCheckBox *cbIgnoreCase = nullptr;
    QCheckBox *cbIncDefinitions = nullptr;
    QCheckBox *cbIncComments = nullptr;

protected:
    TfrmConnectionBase *createSameKind() const override;
    const ks::CatalogueKind &catalogueKind() const override;
    bool findAllowed() const override;
    std::shared_ptr<const ks::PreparedSearch> prepareSearch() override;

private:
    // Reads the schemas the box offers, system schemas as the box says.
    void readSchemas();
};
