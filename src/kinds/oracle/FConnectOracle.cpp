#include "kinds/oracle/FConnectOracle.h"

#include "base/KsApplication.h"
#include "base/KsLayout.h"
#include "base/KsStrings.h"
#include "db/DKsConnOra.h"
#include "db/KsAdo.h"
#include "kinds/oracle/OracleKind.h"
#include "search/KsResultModel.h"
#include "shell/KsMdiHost.h"
#include "text/FKsTextView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeView>

TfrmConnectionOracle::TfrmConnectionOracle(KsMdiHost *owner)
    : TfrmConnectionBase(owner)
{
    setObjectName(QStringLiteral("frmConnectionOracle"));

    cbDict = new QComboBox(paTop);
    cbDict->setObjectName(QStringLiteral("cbDict"));
    ks::setDesignMinimum(cbDict, QSize(81, 0));
    cbSchema = makeBarListBox(QStringLiteral("cbSchema"));
    cbSchema->setEnabled(false);
    cbIgnoreCase = makeBarCheckBox(QStringLiteral("cbIgnoreCase"), QStringLiteral("Ignore Case"), true, 81);
    cbIncViewDefs = makeBarCheckBox(QStringLiteral("cbIncViewDefs"), QStringLiteral("View Definitions"), true, 97);
    cbIncPlSql = makeBarCheckBox(QStringLiteral("cbIncPlSql"), QStringLiteral("PL/SQL Code"), true, 89);
    cbIncComments = makeBarCheckBox(QStringLiteral("cbIncComments"), QStringLiteral("Comments"), true, 73);
    cbIncTriggers = makeBarCheckBox(QStringLiteral("cbIncTriggers"), QStringLiteral("Trigger Code"), true, 81);

    addBarLabel(0, QStringLiteral("Label2"), QStringLiteral("Schema"));
    addBarControl(cbDict, 0, NarrowColumn);
    addBarControl(cbSchema, 0, WideColumn);
    addFindRow(1, cbIgnoreCase);
    addBarLabel(2, QStringLiteral("Label4"), QStringLiteral("Include"));
    addBarOptions(2, {cbIncViewDefs, cbIncPlSql, cbIncComments, cbIncTriggers});

    setTabOrder(cbDict, cbSchema);
    setTabOrder(cbSchema, cbIgnoreCase);
    setTabOrder(cbIgnoreCase, edFind);
    setTabOrder(edFind, cbMatchMode);
    setTabOrder(cbMatchMode, btnFind);
    setTabOrder(btnFind, cbIncViewDefs);
    setTabOrder(cbIncViewDefs, cbIncPlSql);
    setTabOrder(cbIncPlSql, cbIncComments);
    setTabOrder(cbIncComments, cbIncTriggers);
    setTabOrder(cbIncTriggers, lvResult);

    // Only the user's choices count as changes; filling the lists from the
    // program leaves the enabling as it is.
    connect(cbDict, &QComboBox::activated, this, [this] { cbDictChange(); });
    connect(cbSchema, &QComboBox::activated, this, [this] { updateFindEnabled(); });
}

TfrmConnectionOracle *TfrmConnectionOracle::connectFromDialog(KsMdiHost *owner)
{
    return openWindow<TfrmConnectionOracle>(
        owner, ShowConnectOraDialog(owner->hostWidget(), connectRegistryKey(), false));
}

TfrmConnectionOracle *TfrmConnectionOracle::open(KsMdiHost *owner, const QString &connectionString)
{
    return openWindow<TfrmConnectionOracle>(owner, connectionString);
}

QString TfrmConnectionOracle::captionFor(const QString &connectionString)
{
    return ks::oracle::catalogueKind().caption(connectionString);
}

void TfrmConnectionOracle::InitConnection(const QString &connectionString)
{
    setConnectionString(connectionString);
    setCaption(captionFor(connectionString));

    struct Options {
        std::array<bool, 3> available {false, false, false};
        QStringList schemas;
    };
    const auto options = std::make_shared<Options>();
    readOptions(
        [options](ks::Connection &connection) {
            options->available = ks::oracle::probeDictionaries(connection);
            options->schemas = ks::oracle::listSchemas(connection, options->available);
        },
        [this, options](const std::exception_ptr &error) {
            if (error) {
                // A window whose option lists could not be read is of no use.
                subWindow()->close();
                std::rethrow_exception(error);
            }
            m_dictAvailable = options->available;
            for (int i = 0; i < 3; ++i) {
                if (m_dictAvailable[i])
                    cbDict->addItem(ks::oracle::kDictPrefixes.at(i));
            }
            if (cbDict->count() > 0)
                cbDict->setCurrentIndex(0);
            else
                cbDict->setCurrentIndex(-1);

            cbSchema->addItem(QStringLiteral("(all)"));
            cbSchema->setCurrentIndex(0);
            cbSchema->addItems(options->schemas);
            // A search text typed meanwhile may be searched for now.
            updateFindEnabled();
        });
}

void TfrmConnectionOracle::cbDictChange()
{
    cbSchema->setEnabled(cbDict->currentText() != QStringLiteral("USER"));
    updateFindEnabled();
}

bool TfrmConnectionOracle::findAllowed() const
{
    if (ks::trimControl(edFind->text()).isEmpty())
        return false;
    return cbDict->currentText() == QStringLiteral("USER") || cbSchema->currentIndex() >= 0;
}

const ks::CatalogueKind &TfrmConnectionOracle::catalogueKind() const
{
    return ks::oracle::catalogueKind();
}

TfrmConnectionBase *TfrmConnectionOracle::createSameKind() const
{
    return new TfrmConnectionOracle(owner());
}

std::shared_ptr<const ks::PreparedSearch> TfrmConnectionOracle::prepareSearch()
{
    ks::oracle::SearchRequest request;
    request.prefix = cbDict->currentText();
    request.searchText = edFind->text();
    request.mode = matchMode();
    request.schema = cbSchema->currentText();
    request.schemaIndex = cbSchema->currentIndex();
    request.ignoreCase = cbIgnoreCase->isChecked();
    request.viewDefinitions = cbIncViewDefs->isChecked();
    request.plSqlCode = cbIncPlSql->isChecked();
    request.comments = cbIncComments->isChecked();
    request.triggerCode = cbIncTriggers->isChecked();
    m_search = ks::oracle::makeSearchState(request);
    return ks::oracle::prepareSearch(request);
}
