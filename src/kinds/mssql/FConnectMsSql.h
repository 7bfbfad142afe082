#pragma once
// The SQL Server connection window: searches the catalogue tables of one
// database for a text in names and, on request, in T-SQL definitions, and
// shows the definition behind a match.

#include "kinds/mssql/MsSqlSearch.h"
#include "search/FKsConnection.h"

class QCheckBox;
class QLabel;

class TfrmConnectionMsSql : public TfrmConnectionBase {
    Q_OBJECT
public:
    explicit TfrmConnectionMsSql(KsMdiHost *owner);

    // Runs the SQL Server connect dialog and opens a window for the
    // connection it returns; nothing happens when the dialog is cancelled.
    static TfrmConnectionMsSql *connectFromDialog(KsMdiHost *owner);
    // Creates, initialises and shows a window for a connection string.
    static TfrmConnectionMsSql *open(KsMdiHost *owner, const QString &connectionString);

    // Keeps the string and sets the caption; reads nothing from the database.
    void InitConnection(const QString &connectionString) override;

    // What the last search looked for.
    const ks::mssql::SearchRequest &lastSearch() const { return m_lastSearch; }

    QCheckBox *cbIncTSql = nullptr;
    // Never shown and never read: the search has no comments to look at.
    QCheckBox *cbIncComments = nullptr;

protected:
    TfrmConnectionBase *createSameKind() const override;
    const ks::CatalogueKind &catalogueKind() const override;
    bool findAllowed() const override;
    std::shared_ptr<const ks::PreparedSearch> prepareSearch() override;

private:
    ks::mssql::SearchRequest m_lastSearch;
};
