#include "kinds/postgresql/DKsConnPostgres.h"

#include "base/KsLayout.h"
#include "base/KsStrings.h"
#include "db/KsConnectionString.h"
#include "settings/KsComboText.h"
#include "settings/MRUList.h"

#include <QComboBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {

constexpr int kLabelWidth = 64;
constexpr int kFieldWidth = 153;
constexpr int kBoxHeight = 21;
constexpr int kRowGap = 3;
constexpr int kButtonsGap = 11;
constexpr int kBottomMargin = 8;

QComboBox *makeCombo(QWidget *parent, const QString &objectName)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->setEditable(true);
    ks::keepTypedText(box);
    ks::setDesignWidth(box, kFieldWidth);
    ks::setDesignMinimum(box, QSize(0, kBoxHeight));
    return box;
}

} // namespace

TdlgKsConnectPostgres::TdlgKsConnectPostgres(QWidget *owner, const QString &registryKey)
    : TdlgKsConnectBase(owner, QStringLiteral("dlgConnectPostgres"), registryKey)
{
    cbHost = makeCombo(this, QStringLiteral("cbHost"));
    edPort = new QLineEdit(QStringLiteral("5432"), this);
    edPort->setObjectName(QStringLiteral("edPort"));
    edPort->setValidator(new QIntValidator(1, 65535, edPort));
    cbDatabase = makeCombo(this, QStringLiteral("cbDatabase"));
    edUsername = new QLineEdit(this);
    edUsername->setObjectName(QStringLiteral("edUsername"));
    edPassword = ks::makePasswordEdit(this, QStringLiteral("edPassword"));
    MRUHost = addRecentList(QStringLiteral("MRUHost"));
    MRUDatabase = addRecentList(QStringLiteral("MRUDatabase"));

    auto *fields = new QGridLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setHorizontalSpacing(6);
    fields->setVerticalSpacing(kRowGap);
    fields->setColumnMinimumWidth(0, kLabelWidth);
    fields->setColumnStretch(1, 1);
    const QList<QPair<QString, QWidget *>> rows {{QStringLiteral("Host"), cbHost}, {QStringLiteral("Port"), edPort},
        {QStringLiteral("Database"), cbDatabase}, {QStringLiteral("User name"), edUsername},
        {QStringLiteral("Password"), edPassword}};
    for (int row = 0; row < rows.size(); ++row) {
        QLabel *label = ks::makeDialogLabel(this, QStringLiteral("Label%1").arg(row + 1), rows.at(row).first);
        label->setBuddy(rows.at(row).second);
        fields->addWidget(label, row, 0);
        fields->addWidget(rows.at(row).second, row, 1);
        ks::setDesignMinimum(rows.at(row).second, QSize(kFieldWidth, kBoxHeight));
    }
    setTabOrder(cbHost, edPort);
    setTabOrder(edPort, cbDatabase);
    setTabOrder(cbDatabase, edUsername);
    setTabOrder(edUsername, edPassword);
    setTabOrder(edPassword, btnOk);
    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, btnHelp);
    cbHost->setFocus();

    connect(cbHost, &QComboBox::editTextChanged, this, &TdlgKsConnectPostgres::updateOkButton);
    connect(cbDatabase, &QComboBox::editTextChanged, this, &TdlgKsConnectPostgres::updateOkButton);
    FormCreate(fields, kButtonsGap, kBottomMargin);
    updateOkButton();
}

void TdlgKsConnectPostgres::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        ks::appendRecentNames(cbHost, MRUHost->Strings());
        ks::appendRecentNames(cbDatabase, MRUDatabase->Strings());
    }
    TdlgKsConnectBase::showEvent(event);
}

bool TdlgKsConnectPostgres::hostIsAddress() const
{
    const QString host = ks::trimControl(cbHost->currentText());
    return host.startsWith(QStringLiteral("postgresql://"), Qt::CaseInsensitive)
        || host.startsWith(QStringLiteral("postgres://"), Qt::CaseInsensitive);
}

void TdlgKsConnectPostgres::updateOkButton()
{
    btnOk->setEnabled(!ks::trimControl(cbHost->currentText()).isEmpty()
        && (hostIsAddress() || !ks::trimControl(cbDatabase->currentText()).isEmpty()));
}

bool TdlgKsConnectPostgres::Validate()
{
    const auto fail = [this](const QString &message, QWidget *field) {
        showMessage(message);
        field->setFocus();
        return false;
    };
    if (ks::trimControl(cbHost->currentText()).isEmpty())
        return fail(QStringLiteral("Please enter Host Name"), cbHost);
    if (!hostIsAddress() && ks::trimControl(cbDatabase->currentText()).isEmpty())
        return fail(QStringLiteral("Please enter Database Name"), cbDatabase);
    return true;
}

QString TdlgKsConnectPostgres::connectionStringFromEntries() const
{
    if (hostIsAddress())
        return BuildPostgresConnectionString(
            ks::trimControl(cbHost->currentText()), {}, {}, edUsername->text(), edPassword->text());
    return BuildPostgresConnectionString(ks::trimControl(cbHost->currentText()), edPort->text().trimmed(),
        cbDatabase->currentText(), edUsername->text(), edPassword->text());
}

void TdlgKsConnectPostgres::connectionAccepted()
{
    // An address may carry a password: it is not kept.
    if (!hostIsAddress())
        recordRecent(MRUHost, cbHost->currentText());
    recordRecent(MRUDatabase, cbDatabase->currentText());
}

QString TdlgKsConnectPostgres::connectFailedMessage(const QString &clientText) const
{
    return QStringLiteral("Error connecting to database\r\n\r\n") + clientText;
}

QString BuildPostgresConnectionString(
    const QString &host, const QString &port, const QString &database, const QString &userName, const QString &password)
{
    QString text = QStringLiteral("Provider=PostgreSQL;Data Source=") + ks::connectionStringValue(host);
    if (!port.isEmpty())
        text += QStringLiteral(";Port=") + ks::connectionStringValue(port);
    if (!database.isEmpty())
        text += QStringLiteral(";Initial Catalog=") + ks::connectionStringValue(database);
    if (!userName.isEmpty())
        text += QStringLiteral(";User Id=") + ks::connectionStringValue(userName);
    if (!password.isEmpty())
        text += QStringLiteral(";Password=") + ks::connectionStringValue(password);
    return text;
}

QString ShowConnectPostgresDialog(QWidget *owner, const QString &registryKey, bool showHelp)
{
    TdlgKsConnectPostgres dialog(owner, registryKey);
    return ks::runConnectDialog(dialog, showHelp);
}
