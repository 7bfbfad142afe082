#include "db/DKsConnOra.h"

#include "base/KsLayout.h"
#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "settings/KsComboText.h"
#include "settings/MRUList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <tuple>

namespace {

// Design measures, in pixels at the design font.
constexpr int kLabelColumn = 0;
constexpr int kGapColumn = 1;
constexpr int kEditColumn = 2;
constexpr int kComboTail = 3;
constexpr int kLabelWidth = 66;
constexpr int kLabelGap = 6;
constexpr int kEditWidth = 129;
constexpr int kComboWidth = 145;
constexpr int kBoxHeight = 21;
constexpr int kRowGap = 3;
constexpr int kButtonsGap = 11;
constexpr int kBottomMargin = 9;

} // namespace

TdlgKsConnectOra::TdlgKsConnectOra(
    QWidget *owner, const QString &registryKey, const ks::CatalogueFileKind &catalogueKind)
    : TdlgKsConnectBase(owner, QStringLiteral("dlgKsConnectOra"), registryKey)
    , m_catalogueKind(catalogueKind)
{
    lbUsername = ks::makeDialogLabel(this, QStringLiteral("lbUsername"), QStringLiteral("Username"));
    edUsername = new QLineEdit(this);
    edUsername->setObjectName(QStringLiteral("edUsername"));
    lbPassword = ks::makeDialogLabel(this, QStringLiteral("lbPassword"), QStringLiteral("Password"));
    edPassword = ks::makePasswordEdit(this, QStringLiteral("edPassword"));
    Label1 = ks::makeDialogLabel(this, QStringLiteral("Label1"), QStringLiteral("Data Source"));
    cbDataSource = new QComboBox(this);
    cbDataSource->setObjectName(QStringLiteral("cbDataSource"));
    cbDataSource->setEditable(true);
    ks::keepTypedText(cbDataSource);
    lbUsername->setBuddy(edUsername);
    lbPassword->setBuddy(edPassword);
    Label1->setBuddy(cbDataSource);

    MRUDataSource = addRecentList(QStringLiteral("MRUDataSource"));
    MruOdbcDsn = addRecentList(QStringLiteral("MruOdbcDsn"));

    // The fields: labels at the left edge, the boxes 72 pixels further, each
    // row 24 pixels below the last. A caption wider than the design's room
    // pushes the boxes (and the dialog's edge) to the right.
    auto *fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(0);
    fields->setVerticalSpacing(kRowGap);
    fields->setColumnMinimumWidth(kLabelColumn, kLabelWidth);
    fields->setColumnMinimumWidth(kGapColumn, kLabelGap);
    fields->setColumnMinimumWidth(kEditColumn, kEditWidth);
    fields->setColumnMinimumWidth(kComboTail, kComboWidth - kEditWidth);
    int row = 0;
    for (auto [label, box, span] : {std::tuple<QLabel *, QWidget *, int> {lbUsername, edUsername, 1},
             {lbPassword, edPassword, 1}, {Label1, cbDataSource, 2}}) {
        ks::setDesignWidth(box, span == 1 ? kEditWidth : kComboWidth);
        ks::setDesignMinimum(box, QSize(0, kBoxHeight));
        fields->addWidget(label, row, kLabelColumn);
        fields->addWidget(box, row, kEditColumn, 1, span);
        ++row;
    }

    setTabOrder(edUsername, edPassword);
    setTabOrder(edPassword, cbDataSource);
    setTabOrder(cbDataSource, btnOk);
    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, btnHelp);
    // The dialog opens with the first field to fill: nothing is filled in.
    edUsername->setFocus();

    connect(edUsername, &QLineEdit::textChanged, this, &TdlgKsConnectOra::UpdateOkButton);
    connect(edPassword, &QLineEdit::textChanged, this, &TdlgKsConnectOra::UpdateOkButton);
    connect(cbDataSource, &QComboBox::editTextChanged, this, &TdlgKsConnectOra::UpdateOkButton);

    // The design's 233 by 122 where the font allows.
    FormCreate(fields, kButtonsGap, kBottomMargin);
}

void TdlgKsConnectOra::showEvent(QShowEvent *event)
{
    // The storage has read the recent list by now; the box's text stays empty.
    if (!event->spontaneous())
        ks::appendRecentNames(cbDataSource, MRUDataSource->Strings());
    TdlgKsConnectBase::showEvent(event);
}

void TdlgKsConnectOra::UpdateOkButton()
{
    btnOk->setEnabled(!ks::trimControl(edUsername->text()).isEmpty() && !ks::trimControl(edPassword->text()).isEmpty());
}

bool TdlgKsConnectOra::Validate()
{
    cbDataSource->setEditText(ks::trimControl(cbDataSource->currentText()));
    edUsername->setText(ks::trimControl(edUsername->text()));
    edPassword->setText(ks::trimControl(edPassword->text()));
    if (edUsername->text().isEmpty()) {
        showMessage(QStringLiteral("Please enter User name"));
        edUsername->setFocus();
        return false;
    }
    if (edPassword->text().isEmpty()) {
        showMessage(QStringLiteral("Please enter Password"));
        edPassword->setFocus();
        return false;
    }
    return true;
}

QString TdlgKsConnectOra::connectionStringFromEntries() const
{
    // Each value is quoted where it would otherwise end early or set another
    // key: a password "pa;ss" must not cut the string short.
    QString connectionString = QStringLiteral("provider=OraOLEDB.Oracle;user id=")
        + ks::connectionStringValue(edUsername->text()) + QStringLiteral(";password=")
        + ks::connectionStringValue(edPassword->text());
    const QString dataSource = ks::trimControl(cbDataSource->currentText());
    if (!dataSource.isEmpty())
        connectionString += QStringLiteral(";data source=") + ks::connectionStringValue(dataSource);
    return connectionString;
}

bool TdlgKsConnectOra::entriesAccepted()
{
    return catalogueKindAccepted(ks::trimControl(cbDataSource->currentText()), m_catalogueKind);
}

void TdlgKsConnectOra::connectionAccepted()
{
    recordRecent(MRUDataSource, ks::trimControl(cbDataSource->currentText()));
}

QString TdlgKsConnectOra::connectFailedMessage(const QString &clientText) const
{
    return QStringLiteral("Failed to open connection:\r\n") + clientText;
}

QString ShowConnectOraDialog(
    QWidget *owner, const QString &registryKey, bool showHelp, const ks::CatalogueFileKind &catalogueKind)
{
    TdlgKsConnectOra dialog(owner, registryKey, catalogueKind);
    return ks::runConnectDialog(dialog, showHelp);
}
