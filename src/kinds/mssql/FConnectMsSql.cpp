#include "kinds/mssql/FConnectMsSql.h"

#include "base/KsLayout.h"
#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "kinds/mssql/DKsConnMsSql.h"
#include "kinds/mssql/MsSqlKind.h"
#include "shell/KsMdiHost.h"
#include "text/FKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeView>

TfrmConnectionMsSql::TfrmConnectionMsSql(KsMdiHost *owner)
    : TfrmConnectionBase(owner)
{
    setObjectName(QStringLiteral("frmConnectionMsSql"));
    subWindow()->resize(637, 382);
    // Two rows: the search text, and what to include.
    ks::setDesignMinimum(paTop, QSize(0, 57));

    cbIncTSql = makeBarCheckBox(QStringLiteral("cbIncTSql"), QStringLiteral("T-SQL Code"), true, 89);
    cbIncComments = makeBarCheckBox(QStringLiteral("cbIncComments"), QStringLiteral("Comments"), true, 73);
    cbIncComments->setVisible(false);

    // The search box starts where the narrow column does and, as in the other
    // windows, ends two pixels short of Find.
    addBarLabel(0, QStringLiteral("Label3"), QStringLiteral("Find"));
    addFindText(0, NarrowColumn, WideColumn - NarrowColumn + 1);
    placeFindButton(0);
    addBarLabel(1, QStringLiteral("Label4"), QStringLiteral("Include"));
    addBarOptions(1, {cbIncTSql, cbIncComments});

    setTabOrder(edFind, cbMatchMode);
    setTabOrder(cbMatchMode, btnFind);
    setTabOrder(btnFind, cbIncTSql);
    setTabOrder(cbIncTSql, cbIncComments);
    setTabOrder(cbIncComments, lvResult);

    setColumnCaptions(
        {QStringLiteral("Name"), QStringLiteral("Type"), QStringLiteral("Owner"), QStringLiteral("Comment")});
}

TfrmConnectionMsSql *TfrmConnectionMsSql::connectFromDialog(KsMdiHost *owner)
{
    return openWindow<TfrmConnectionMsSql>(
        owner, ShowConnectMsSqlDialog(owner->hostWidget(), connectRegistryKey(), false));
}

TfrmConnectionMsSql *TfrmConnectionMsSql::open(KsMdiHost *owner, const QString &connectionString)
{
    return openWindow<TfrmConnectionMsSql>(owner, connectionString);
}

void TfrmConnectionMsSql::InitConnection(const QString &connectionString)
{
    setConnectionString(connectionString);
    setCaption(ks::mssql::catalogueKind().caption(connectionString));
}

bool TfrmConnectionMsSql::findAllowed() const
{
    return !ks::trimControl(edFind->text()).isEmpty();
}

const ks::CatalogueKind &TfrmConnectionMsSql::catalogueKind() const
{
    return ks::mssql::catalogueKind();
}

TfrmConnectionBase *TfrmConnectionMsSql::createSameKind() const
{
    return new TfrmConnectionMsSql(owner());
}

std::shared_ptr<const ks::PreparedSearch> TfrmConnectionMsSql::prepareSearch()
{
    m_lastSearch.searchText = edFind->text();
    m_lastSearch.mode = matchMode();
    m_lastSearch.includeTSql = cbIncTSql->isChecked();
    return ks::mssql::prepareSearch(m_lastSearch);
}
