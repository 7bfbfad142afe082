#pragma once
// The Oracle connection window: searches the data dictionary of one of the
// USER_, ALL_ or DBA_ families and shows the definition behind a match.

#include "kinds/oracle/OracleSearch.h"
#include "search/FKsConnection.h"

class QCheckBox;
class QComboBox;

class TfrmConnectionOracle : public TfrmConnectionBase {
    Q_OBJECT
public:
    explicit TfrmConnectionOracle(KsMdiHost *owner);

    // Runs the Oracle connect dialog and opens a window for the connection it
    // returns; nothing happens when the dialog is cancelled.
    static TfrmConnectionOracle *connectFromDialog(KsMdiHost *owner);
    // Creates, initialises and shows a window for a connection string.
    static TfrmConnectionOracle *open(KsMdiHost *owner, const QString &connectionString);

    void InitConnection(const QString &connectionString) override;

    // The caption for a connection string: "user @ data source (Oracle)".
    static QString captionFor(const QString &connectionString);

    const ks::oracle::SearchState &lastSearch() const { return m_search; }
    std::array<bool, 3> dictAvailable() const { return m_dictAvailable; }

    QComboBox *cbDict = nullptr;
    QComboBox *cbSchema = nullptr;
    QCheckBox *cbIgnoreCase = nullptr;
    QCheckBox *cbIncViewDefs = nullptr;
    QCheckBox *cbIncPlSql = nullptr;
    QCheckBox *cbIncComments = nullptr;
    QCheckBox *cbIncTriggers = nullptr;

protected:
    TfrmConnectionBase *createSameKind() const override;
    const ks::CatalogueKind &catalogueKind() const override;
    bool findAllowed() const override;
    std::shared_ptr<const ks::PreparedSearch> prepareSearch() override;

private:
    void cbDictChange();

    std::array<bool, 3> m_dictAvailable {false, false, false};
    ks::oracle::SearchState m_search;
};
