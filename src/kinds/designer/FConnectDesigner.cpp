#include "kinds/designer/FConnectDesigner.h"

#include "base/KsApplication.h"
#include "base/KsSeams.h"
#include "base/KsStrings.h"
#include "db/DKsConnOra.h"
#include "db/KsAdo.h"
#include "kinds/designer/DesignerKind.h"
#include "search/KsFindText.h"
#include "search/KsResultModel.h"
#include "shell/KsMdiHost.h"
#include "text/FKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeView>

namespace {

// Name, Type and Property; Value takes what is left of the list's width.
constexpr int kColumnWidth = 150;
constexpr int kPropertyColumn = 2;
constexpr int kPropertyMinimum = 100;

} // namespace

// What the worker read of the repository, as far as it came.
struct TfrmConnectionDesigner::RepositoryRead {
    bool probed = false;
    ks::designer::RepositoryKind kind = ks::designer::NoRepository;
    ks::designer::RepositoryTables tables;
    QList<ks::designer::ApplicationSystem> applicationSystems;
};

TfrmConnectionDesigner::TfrmConnectionDesigner(KsMdiHost *owner)
    : TfrmConnectionBase(owner)
{
    setObjectName(QStringLiteral("frmConnectionDesigner"));
    subWindow()->resize(696, 433);

    cbAppSys = new QComboBox(paTop);
    cbAppSys->setObjectName(QStringLiteral("cbAppSys"));
    cbAppSys->setEditable(false);
    cbIgnoreCase = makeBarCheckBox(QStringLiteral("cbIgnoreCase"), QStringLiteral("Ignore Case"), true);
    cbIncUserDefs = makeBarCheckBox(QStringLiteral("cbIncUserDefs"), QStringLiteral("User Defined Properties"), false);
    cbIncCreateChanges
        = makeBarCheckBox(QStringLiteral("cbIncCreateChanges"), QStringLiteral("Created/Changed by"), false);
    cbIncOwningUser = makeBarCheckBox(QStringLiteral("cbIncOwningUser"), QStringLiteral("Owning User"), false);

    // The first row has no narrow control, so its longer caption may run on
    // under where that column would be.
    addBarLabel(0, QStringLiteral("Label2"), QStringLiteral("Application System"), WideColumn - LabelColumn);
    addBarControl(cbAppSys, 0, WideColumn);
    addFindRow(1, cbIgnoreCase);
    addBarLabel(2, QStringLiteral("Label4"), QStringLiteral("Include"));
    addBarOptions(2, {cbIncUserDefs, cbIncCreateChanges, cbIncOwningUser});

    setTabOrder(cbAppSys, cbIgnoreCase);
    setTabOrder(cbIgnoreCase, edFind);
    setTabOrder(edFind, cbMatchMode);
    setTabOrder(cbMatchMode, btnFind);
    setTabOrder(btnFind, cbIncUserDefs);
    setTabOrder(cbIncUserDefs, cbIncCreateChanges);
    setTabOrder(cbIncCreateChanges, cbIncOwningUser);
    setTabOrder(cbIncOwningUser, lvResult);

    setColumnCaptions(
        {QStringLiteral("Name"), QStringLiteral("Type"), QStringLiteral("Property"), QStringLiteral("Value")});
    QHeaderView *header = lvResult->header();
    for (int column = 0; column < 3; ++column)
        header->resizeSection(column, kColumnWidth);
    connect(header, &QHeaderView::sectionResized, this,
        [this](int column, int, int newSize) { keepMinimumWidth(column, newSize); });
    // Choosing an application system leaves Find as it is: only a change of
    // the search text decides it again.
}

TfrmConnectionDesigner::~TfrmConnectionDesigner() = default;

TfrmConnectionDesigner *TfrmConnectionDesigner::connectFromDialog(KsMdiHost *owner)
{
    return openWindow<TfrmConnectionDesigner>(owner,
        ShowConnectOraDialog(
            owner->hostWidget(), connectRegistryKey(), false, ks::designer::catalogueKind().fileKind()));
}

TfrmConnectionDesigner *TfrmConnectionDesigner::open(KsMdiHost *owner, const QString &connectionString)
{
    return openWindow<TfrmConnectionDesigner>(owner, connectionString);
}

QString TfrmConnectionDesigner::captionFor(const QString &connectionString)
{
    return ks::designer::catalogueKind().caption(connectionString);
}

void TfrmConnectionDesigner::InitConnection(const QString &connectionString)
{
    setConnectionString(connectionString);
    setCaption(captionFor(connectionString));
    // The window is of use with whatever was read before an error, and the
    // user sees the client's message for it.
    const auto read = std::make_shared<RepositoryRead>();
    readOptions([read](ks::Connection &connection) { readRepository(connection, *read); },
        [this, read](const std::exception_ptr &error) { showRepository(*read, error); });
}

void TfrmConnectionDesigner::readRepository(ks::Connection &connection, RepositoryRead &read)
{
    read.kind = ks::designer::probeRepository(connection);
    read.probed = true;
    if (read.kind == ks::designer::NoRepository)
        return;
    ks::designer::discoverTables(connection, read.tables);
    read.applicationSystems = ks::designer::listApplicationSystems(connection, read.kind);
}

void TfrmConnectionDesigner::showRepository(const RepositoryRead &read, const std::exception_ptr &error)
{
    m_repositoryKind = read.kind;
    if (read.probed && read.kind == ks::designer::NoRepository) {
        edFind->setEnabled(false);
        ks::messageBoxes().inform(this, QStringLiteral("Repository not found"));
        return;
    }
    if (read.probed) {
        // Shows what a search of this window covers: the discovery statement
        // and every element table it kept, with its searchable columns. The
        // window stays in front of it, as it was before the viewer came.
        const bool active = owner()->activeChild() == this;
        TfrmKsTextViewer *viewer
            = TfrmKsTextViewer::create(owner(), QStringLiteral("repository query of ") + caption());
        {
            const std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
            output->WriteLn(ks::designer::kDiscoveryStatement);
            for (const QString &line : ks::designer::describeTables(read.tables))
                output->WriteLn(line);
        }
        if (active)
            owner()->mdiArea()->setActiveSubWindow(subWindow());
        m_tables = read.tables;
        m_applicationSystems = read.applicationSystems;
        for (const ks::designer::ApplicationSystem &system : std::as_const(m_applicationSystems))
            cbAppSys->addItem(system.caption());
        if (!error)
            cbAppSys->setCurrentIndex(-1);
    }
    if (error)
        std::rethrow_exception(error);
}

bool TfrmConnectionDesigner::findAllowed() const
{
    return cbAppSys->currentIndex() >= 0 && !ks::trimControl(edFind->text()).isEmpty();
}

const ks::CatalogueKind &TfrmConnectionDesigner::catalogueKind() const
{
    return ks::designer::catalogueKind();
}

TfrmConnectionBase *TfrmConnectionDesigner::createSameKind() const
{
    return new TfrmConnectionDesigner(owner());
}

void TfrmConnectionDesigner::keepMinimumWidth(int column, int newSize)
{
    if (column == kPropertyColumn && newSize < kPropertyMinimum)
        lvResult->header()->resizeSection(column, kPropertyMinimum);
}

std::shared_ptr<const ks::PreparedSearch> TfrmConnectionDesigner::prepareSearch()
{
    ks::designer::SearchRequest request;
    // The entry chosen, by its place: captions of entries may coincide.
    const ks::designer::ApplicationSystem chosen = m_applicationSystems.value(cbAppSys->currentIndex());
    request.applicationSystem = chosen.entry;
    request.version = chosen.version;
    request.searchText = edFind->text();
    request.mode = matchMode();
    request.ignoreCase = cbIgnoreCase->isChecked();
    request.include.userDefinedProperties = cbIncUserDefs->isChecked();
    request.include.createdChangedBy = cbIncCreateChanges->isChecked();
    request.include.owningUser = cbIncOwningUser->isChecked();
    // A regular expression that does not compile opens no log.
    auto search = ks::designer::prepareSearch(m_repositoryKind, m_tables, request);
    m_quotedFind = ks::quotedFind(request.searchText);
    m_ignoreCaseFlag = request.ignoreCase;

    TfrmKsTextViewer *log = TfrmKsTextViewer::create(owner(),
        QStringLiteral("search for ") + ks::QuoteSqlText(m_quotedFind, QStringLiteral("'"), QStringLiteral("''"))
            + QStringLiteral(" in ") + caption());
    m_log = log->CreateOutput();
    return search;
}

void TfrmConnectionDesigner::searchLines(const QStringList &lines)
{
    if (!m_log)
        return;
    for (const QString &line : lines)
        m_log->WriteLn(line);
}

void TfrmConnectionDesigner::searchEnded()
{
    // Every line is in the log viewer, which stays open.
    m_log.reset();
}
