#pragma once
// The Designer connection window: finds the element tables of a repository,
// lists its application systems, and searches every text property of the
// chosen application system's elements, logging each statement in a viewer.

#include "kinds/designer/DesignerSearch.h"
#include "search/FKsConnection.h"

#include <memory>

class QCheckBox;
class QComboBox;
class TfrmKsTextViewerOutput;

class TfrmConnectionDesigner : public TfrmConnectionBase {
    Q_OBJECT
public:
    explicit TfrmConnectionDesigner(KsMdiHost *owner);
    ~TfrmConnectionDesigner() override;

    // Runs the Oracle connect dialog and opens a window for the connection it
    // returns; nothing happens when the dialog is cancelled.
    static TfrmConnectionDesigner *connectFromDialog(KsMdiHost *owner);
    // Creates, initialises and shows a window for a connection string.
    static TfrmConnectionDesigner *open(KsMdiHost *owner, const QString &connectionString);

    // Sets the caption and starts reading the repository. A repository that
    // cannot be read is reported to the user once the reading has ended, and
    // the window stays open with what was read, so this never throws.
    void InitConnection(const QString &connectionString) override;

    // The caption for a connection string: "user @ data source (Designer)".
    static QString captionFor(const QString &connectionString);

    ks::designer::RepositoryKind repositoryKind() const { return m_repositoryKind; }
    const ks::designer::RepositoryTables &repositoryTables() const { return m_tables; }
    bool ignoreCaseFlag() const { return m_ignoreCaseFlag; }
    QString quotedFind() const { return m_quotedFind; }

    QComboBox *cbAppSys = nullptr;
    QCheckBox *cbIgnoreCase = nullptr;
    QCheckBox *cbIncUserDefs = nullptr;
    QCheckBox *cbIncCreateChanges = nullptr;
    QCheckBox *cbIncOwningUser = nullptr;

protected:
    TfrmConnectionBase *createSameKind() const override;
    const ks::CatalogueKind &catalogueKind() const override;
    bool findAllowed() const override;
    // Opens the search's log viewer, which fills as the statements run.
    std::shared_ptr<const ks::PreparedSearch> prepareSearch() override;
    void searchLines(const QStringList &lines) override;
    void searchEnded() override;

private:
    struct RepositoryRead;
    // On the worker: as much of the repository as can be read.
    static void readRepository(ks::Connection &connection, RepositoryRead &read);
    // Back on the window's thread: the lists and the query viewer; an error
    // the reading ended with is raised after them.
    void showRepository(const RepositoryRead &read, const std::exception_ptr &error);
    void keepMinimumWidth(int column, int newSize);

    ks::designer::RepositoryKind m_repositoryKind = ks::designer::NoRepository;
    ks::designer::RepositoryTables m_tables;
    QList<ks::designer::ApplicationSystem> m_applicationSystems; // as cbAppSys lists them
    bool m_ignoreCaseFlag = false;
    QString m_quotedFind;
    std::unique_ptr<TfrmKsTextViewerOutput> m_log; // the running search's log
};
