#include "kinds/postgresql/FConnectPostgres.h"

#include "base/KsLayout.h"
#include "base/KsStrings.h"
#include "kinds/postgresql/DKsConnPostgres.h"
#include "kinds/postgresql/PostgresKind.h"
#include "shell/KsMdiHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeView>

TfrmConnectionPostgres::TfrmConnectionPostgres(KsMdiHost *owner)
    : TfrmConnectionBase(owner)
{
    setObjectName(QStringLiteral("frmConnectionPostgres"));
    cbSchema = makeBarListBox(QStringLiteral("cbSchema"));
    cbSystemSchemas = makeBarCheckBox(QStringLiteral("cbSystemSchemas"), QStringLiteral("System schemas"), false, 97);
    cbIgnoreCase = makeBarCheckBox(QStringLiteral("cbIgnoreCase"), QStringLiteral("Ignore Case"), true, 81);
    cbIncDefinitions = makeBarCheckBox(QStringLiteral("cbIncDefinitions"), QStringLiteral("Definitions"), true, 81);
    cbIncComments = makeBarCheckBox(QStringLiteral("cbIncComments"), QStringLiteral("Comments"), true, 73);
    addBarLabel(0, QStringLiteral("Label2"), QStringLiteral("Schema"));
    addBarControl(cbSystemSchemas, 0, NarrowColumn);
    addBarControl(cbSchema, 0, WideColumn);
    addFindRow(1, cbIgnoreCase);
    addBarLabel(2, QStringLiteral("Label4"), QStringLiteral("Include"));
    addBarOptions(2, {cbIncDefinitions, cbIncComments});
    setTabOrder(cbSystemSchemas, cbSchema);
    setTabOrder(cbSchema, cbIgnoreCase);
    setTabOrder(cbIgnoreCase, edFind);
    setTabOrder(edFind, cbMatchMode);
    setTabOrder(cbMatchMode, btnFind);
    setTabOrder(btnFind, cbIncDefinitions);
    setTabOrder(cbIncDefinitions, cbIncComments);
    setTabOrder(cbIncComments, lvResult);
    connect(cbSchema, &QComboBox::activated, this, [this] { updateFindEnabled(); });
    connect(cbSystemSchemas, &QCheckBox::toggled, this, [this] { readSchemas(); });
}

TfrmConnectionPostgres *TfrmConnectionPostgres::connectFromDialog(KsMdiHost *owner)
{
    const QString connectionString = ShowConnectPostgresDialog(owner->hostWidget(), connectRegistryKey(), false);
    if (connectionString.isEmpty())
        return nullptr;
    return open(owner, connectionString);
}

TfrmConnectionPostgres *TfrmConnectionPostgres::open(KsMdiHost *owner, const QString &connectionString)
{
    auto *window = new TfrmConnectionPostgres(owner);
    initAndShow(window, connectionString);
    return window;
}

void TfrmConnectionPostgres::InitConnection(const QString &connectionString)
{
    setConnectionString(connectionString);
    setCaption(ks::postgresql::catalogueKind().caption(connectionString));
    readSchemas();
}

void TfrmConnectionPostgres::readSchemas()
{
    const auto schemas = std::make_shared<QStringList>();
    const bool system = cbSystemSchemas->isChecked();
    readOptions(
        [schemas, system](ks::Connection &connection) { *schemas = ks::postgresql::listSchemas(connection, system); },
        [this, schemas](const std::exception_ptr &error) {
            if (error) {
                // A window whose schemas could not be read is of no use.
                if (cbSchema->count() == 0)
                    subWindow()->close();
                std::rethrow_exception(error);
            }
            // The schema chosen stays chosen where it is still offered.
            const QString chosen = cbSchema->currentText();
            cbSchema->clear();
            cbSchema->addItem(QStringLiteral("(all)"));
            cbSchema->addItems(*schemas);
            cbSchema->setCurrentIndex(std::max(0, cbSchema->findText(chosen)));
            updateFindEnabled();
        });
}

bool TfrmConnectionPostgres::findAllowed() const
{
    return !ks::trimControl(edFind->text()).isEmpty() && cbSchema->currentIndex() >= 0;
}

const ks::CatalogueKind &TfrmConnectionPostgres::catalogueKind() const
{
    return ks::postgresql::catalogueKind();
}

TfrmConnectionBase *TfrmConnectionPostgres::createSameKind() const
{
    return new TfrmConnectionPostgres(owner());
}

std::shared_ptr<const ks::PreparedSearch> TfrmConnectionPostgres::prepareSearch()
{
    ks::postgresql::SearchRequest request;
    request.searchText = edFind->text();
    request.mode = matchMode();
    request.schema = cbSchema->currentIndex() > 0 ? cbSchema->currentText() : QString();
    request.systemSchemas = cbSystemSchemas->isChecked();
    request.ignoreCase = cbIgnoreCase->isChecked();
    request.definitions = cbIncDefinitions->isChecked();
    request.comments = cbIncComments->isChecked();
    return ks::postgresql::prepareSearch(request);
}
