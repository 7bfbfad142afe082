#include "search/FConnectMsSql.h"

#include "db/DKsConnMsSql.h"
#include "db/KsAdo.h"
#include "search/KsResultModel.h"
#include "search/MsSqlSearch.h"
#include "shell/FKsMdiMain.h"
#include "shell/KsLayout.h"
#include "shell/KsStrings.h"
#include "text/FKsTextView.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeView>

namespace {

const QString kRegistryKey = QStringLiteral("Software\\Kestrin\\Quillmere");

// A ticked check box at least as wide as the design draws it.
QCheckBox *makeCheckBox(QWidget *parent, const QString &objectName, const QString &caption, int width)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(objectName);
    box->setChecked(true);
    ks::setDesignMinimum(box, QSize(width, 0));
    return box;
}

} // namespace

TfrmConnectionMsSql::TfrmConnectionMsSql(TfrmKsMdiMain *owner)
    : TfrmConnectionBase(owner)
{
    setObjectName(QStringLiteral("frmConnectionMsSql"));
    subWindow()->resize(637, 382);
    // Two rows: the search text, and what to include.
    ks::setDesignMinimum(paTop, QSize(0, 57));

    cbIncTSql = makeCheckBox(paTop, QStringLiteral("cbIncTSql"), QStringLiteral("T-SQL Code"), 89);
    cbIncComments = makeCheckBox(paTop, QStringLiteral("cbIncComments"), QStringLiteral("Comments"), 73);
    cbIncComments->setVisible(false);

    // The search box starts where the narrow column does and, as in the other
    // windows, ends two pixels short of Find.
    addBarLabel(0, QStringLiteral("Label3"), QStringLiteral("Find"));
    addBarControl(edFind, 0, NarrowColumn, WideColumn - NarrowColumn + 1);
    placeFindButton(0);
    addBarLabel(1, QStringLiteral("Label4"), QStringLiteral("Include"));
    addBarOptions(1, {cbIncTSql, cbIncComments});

    setTabOrder(edFind, btnFind);
    setTabOrder(btnFind, cbIncTSql);
    setTabOrder(cbIncTSql, cbIncComments);
    setTabOrder(cbIncComments, lvResult);

    setColumnCaptions(
        {QStringLiteral("Name"), QStringLiteral("Type"), QStringLiteral("Owner"), QStringLiteral("Comment")});
}

TfrmConnectionMsSql *TfrmConnectionMsSql::connectFromDialog(TfrmKsMdiMain *owner)
{
    const QString connectionString = ShowConnectMsSqlDialog(owner, kRegistryKey, false);
    if (connectionString.isEmpty())
        return nullptr;
    return open(owner, connectionString);
}

TfrmConnectionMsSql *TfrmConnectionMsSql::open(TfrmKsMdiMain *owner, const QString &connectionString)
{
    auto *window = new TfrmConnectionMsSql(owner);
    initAndShow(window, connectionString);
    return window;
}

void TfrmConnectionMsSql::InitConnection(const QString &connectionString)
{
    setConnectionString(connectionString);
    setCaption(ks::mssql::connectionCaption(connectionString));
}

bool TfrmConnectionMsSql::findAllowed() const
{
    return !ks::trimControl(edFind->text()).isEmpty();
}

TfrmConnectionBase *TfrmConnectionMsSql::createSameKind() const
{
    return new TfrmConnectionMsSql(owner());
}

void TfrmConnectionMsSql::btnFindClick()
{
    ks::WaitCursor waitCursor;
    ks::KsResultModel &model = *resultModel();
    model.clear();

    ks::mssql::SearchRequest request;
    request.searchText = edFind->text();
    request.includeTSql = cbIncTSql->isChecked();
    m_highlight = ks::SearchHighlight::msSqlSearch(request.searchText);
    {
        // The list is told about the new rows once, when the search ends or
        // fails; the rows found before an error stay listed.
        ks::KsResultModel::Batch batch(model);
        ks::ConnectionPtr connection = ks::OpenConnection(connectionString(), QString(), QString());
        ks::mssql::runSearch(*connection, request, [&model](ks::ResultRow row) { model.addRow(std::move(row)); });
        connection->close();
    }
    if (model.rowCount() == 0)
        model.addRow(ks::mssql::noResultsRow());
}

void TfrmConnectionMsSql::showDefinition(const ks::ResultRow &row)
{
    const std::optional<ks::mssql::Definition> definition = ks::mssql::definitionFor(row, caption());
    if (!definition)
        return;
    // The viewer stays open with what was written when an error ends the fetch.
    TfrmKsTextViewer *viewer = TfrmKsTextViewer::create(owner(), definition->caption);
    viewer->setSearchHighlight(m_highlight);
    std::unique_ptr<TfrmKsTextViewerOutput> output = viewer->CreateOutput();
    ks::ConnectionPtr connection = ks::OpenConnection(connectionString(), QString(), QString());
    ks::mssql::writeDefinition(*connection, *definition, *output);
    connection->close();
}
