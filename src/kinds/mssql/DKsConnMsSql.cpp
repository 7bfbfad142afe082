#include "kinds/mssql/DKsConnMsSql.h"

#include "base/KsLayout.h"
#include "base/KsStrings.h"
#include "db/KsAdo.h"
#include "db/KsConnectionTarget.h"
#include "kinds/mssql/MsSqlKind.h"
#include "settings/KsComboText.h"
#include "settings/MRUList.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace {

// Design measures, in pixels at the design font.
constexpr int kLabelWidth = 58; // "Server", "Database"; the boxes start at 72
constexpr int kLabelGap = 6;
constexpr int kComboWidth = 153;
constexpr int kBoxHeight = 21;
constexpr int kRowGap = 3;
constexpr int kGroupGap = 11; // between the database box and the group
constexpr int kGroupWidth = 217;
constexpr int kGroupHeight = 137;
constexpr int kGroupSide = 16; // inside the group, left and right
constexpr int kGroupTop = 24; // first radio button, from the group's top
constexpr int kGroupBottom = 20;
constexpr int kIndent = 16; // the user-name fields stand under the radio's caption
constexpr int kInnerLabelWidth = 50; // the edits start at 88 in the group
constexpr int kEditWidth = 113;
constexpr int kRadioWidth = 145;
constexpr int kButtonsGap = 7;
constexpr int kBottomMargin = 8;
constexpr int kLeastGap = 3; // below a title taller than the design's room

// The login group: its first row 24 pixels below its top edge and its edits
// 16 pixels from its sides where the style's title and frame leave room,
// and otherwise right below the title. The style sets the title's room
// anew whenever the font or the style changes.
class LoginGroupBox final : public QGroupBox {
public:
    LoginGroupBox(const QString &title, QWidget *parent)
        : QGroupBox(title, parent)
    {
    }

    void fitMargins()
    {
        if (!layout())
            return;
        const QMargins frame = contentsMargins();
        layout()->setContentsMargins(std::max(0, kGroupSide - frame.left()),
            std::max(kLeastGap, kGroupTop - frame.top()), std::max(0, kGroupSide - frame.right()),
            std::max(kLeastGap, kGroupBottom - frame.bottom()));
    }

protected:
    void changeEvent(QEvent *event) override
    {
        QGroupBox::changeEvent(event);
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            fitMargins();
    }

    bool event(QEvent *event) override
    {
        const bool handled = QGroupBox::event(event);
        if (event->type() == QEvent::Polish)
            fitMargins();
        return handled;
    }
};

QComboBox *makeCombo(QWidget *parent, const QString &objectName)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->setEditable(true);
    ks::keepTypedText(box);
    ks::setDesignWidth(box, kComboWidth);
    ks::setDesignMinimum(box, QSize(0, kBoxHeight));
    return box;
}

QRadioButton *makeRadio(QWidget *parent, const QString &objectName, const QString &caption)
{
    auto *radio = new QRadioButton(caption, parent);
    radio->setObjectName(objectName);
    ks::setDesignMinimum(radio, QSize(kRadioWidth, 0));
    return radio;
}

} // namespace

TdlgKsConnectMsSql::TdlgKsConnectMsSql(QWidget *owner, const QString &registryKey)
    : TdlgKsConnectBase(owner, QStringLiteral("dlgKsConnectMsSql"), registryKey)
{
    Label1 = ks::makeDialogLabel(this, QStringLiteral("Label1"), QStringLiteral("Server"));
    cbServer = makeCombo(this, QStringLiteral("cbServer"));
    Label2 = ks::makeDialogLabel(this, QStringLiteral("Label2"), QStringLiteral("Database"));
    cbDatabase = makeCombo(this, QStringLiteral("cbDatabase"));
    Label1->setBuddy(cbServer);
    Label2->setBuddy(cbDatabase);

    auto *group = new LoginGroupBox(QStringLiteral(" Login "), this);
    GroupBox1 = group;
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    rbWinAuth = makeRadio(GroupBox1, QStringLiteral("rbWinAuth"), QStringLiteral("Windows Authentification"));
    rbUsername = makeRadio(GroupBox1, QStringLiteral("rbUsername"), QStringLiteral("User name && Password"));
    // Always Windows authentication at first: the login choice is never stored.
    rbWinAuth->setChecked(true);
    lbUsername = ks::makeDialogLabel(GroupBox1, QStringLiteral("lbUsername"), QStringLiteral("Username"));
    edUsername = new QLineEdit(GroupBox1);
    edUsername->setObjectName(QStringLiteral("edUsername"));
    lbPassword = ks::makeDialogLabel(GroupBox1, QStringLiteral("lbPassword"), QStringLiteral("Password"));
    edPassword = ks::makePasswordEdit(GroupBox1, QStringLiteral("edPassword"));
    lbUsername->setBuddy(edUsername);
    lbPassword->setBuddy(edPassword);
    for (QWidget *control : {static_cast<QWidget *>(lbUsername), static_cast<QWidget *>(lbPassword),
             static_cast<QWidget *>(edUsername), static_cast<QWidget *>(edPassword)})
        control->setEnabled(false);

    MRUServer = addRecentList(QStringLiteral("MRUServer"));
    MRUDatabase = addRecentList(QStringLiteral("MRUDatabase"));

    // Server and database: labels at the left edge, the boxes 72 pixels
    // further, the second row 24 pixels below the first.
    auto *boxes = new QGridLayout;
    boxes->setContentsMargins(0, 0, 0, 0);
    boxes->setHorizontalSpacing(0);
    boxes->setVerticalSpacing(kRowGap);
    boxes->setColumnMinimumWidth(0, kLabelWidth);
    boxes->setColumnMinimumWidth(1, kLabelGap);
    boxes->setColumnMinimumWidth(2, kComboWidth);
    boxes->setColumnStretch(2, 1);
    boxes->addWidget(Label1, 0, 0);
    boxes->addWidget(cbServer, 0, 2);
    boxes->addWidget(Label2, 1, 0);
    boxes->addWidget(cbDatabase, 1, 2);

    // The login group: the two choices, then the user-name fields indented
    // under them, rows 24 pixels apart.
    auto *login = new QGridLayout(GroupBox1);
    login->setHorizontalSpacing(0);
    login->setVerticalSpacing(kRowGap);
    login->setColumnMinimumWidth(0, kIndent);
    login->setColumnMinimumWidth(1, kInnerLabelWidth);
    login->setColumnMinimumWidth(2, kLabelGap);
    login->setColumnMinimumWidth(3, kEditWidth);
    login->setColumnStretch(3, 1);
    for (int row = 0; row < 4; ++row)
        login->setRowMinimumHeight(row, kBoxHeight);
    login->addWidget(rbWinAuth, 0, 0, 1, 4);
    login->addWidget(rbUsername, 1, 0, 1, 4);
    login->addWidget(lbUsername, 2, 1);
    login->addWidget(edUsername, 2, 3);
    login->addWidget(lbPassword, 3, 1);
    login->addWidget(edPassword, 3, 3);
    for (QLineEdit *edit : {edUsername, edPassword}) {
        ks::setDesignWidth(edit, kEditWidth);
        ks::setDesignMinimum(edit, QSize(0, kBoxHeight));
    }
    group->fitMargins();
    ks::setDesignMinimum(GroupBox1, QSize(kGroupWidth, kGroupHeight));

    auto *fields = new QVBoxLayout;
    fields->setContentsMargins(0, 0, 0, 0);
    fields->setSpacing(0);
    fields->addLayout(boxes);
    fields->addSpacing(kGroupGap);
    fields->addWidget(GroupBox1);

    setTabOrder(cbServer, cbDatabase);
    setTabOrder(cbDatabase, rbWinAuth);
    setTabOrder(rbWinAuth, rbUsername);
    setTabOrder(rbUsername, edUsername);
    setTabOrder(edUsername, edPassword);
    setTabOrder(edPassword, btnOk);
    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, btnHelp);
    // The dialog opens with the first field to fill: nothing is filled in.
    cbServer->setFocus();

    connect(cbServer, &QComboBox::editTextChanged, this, &TdlgKsConnectMsSql::UpdateOkButton);
    connect(cbDatabase, &QComboBox::editTextChanged, this, &TdlgKsConnectMsSql::UpdateOkButton);
    connect(edUsername, &QLineEdit::textChanged, this, &TdlgKsConnectMsSql::UpdateOkButton);
    connect(edPassword, &QLineEdit::textChanged, this, &TdlgKsConnectMsSql::UpdateOkButton);
    connect(rbWinAuth, &QRadioButton::toggled, this, &TdlgKsConnectMsSql::rbLoginAuthClick);
    connect(rbUsername, &QRadioButton::toggled, this, &TdlgKsConnectMsSql::rbLoginAuthClick);

    // The design's 233 by 241 where the font allows.
    FormCreate(fields, kButtonsGap, kBottomMargin);
}

void TdlgKsConnectMsSql::showEvent(QShowEvent *event)
{
    // The storage has read the recent lists by now; the boxes' texts stay empty.
    if (!event->spontaneous()) {
        ks::appendRecentNames(cbServer, MRUServer->Strings());
        ks::appendRecentNames(cbDatabase, MRUDatabase->Strings());
    }
    TdlgKsConnectBase::showEvent(event);
}

void TdlgKsConnectMsSql::rbLoginAuthClick()
{
    const bool byName = rbUsername->isChecked();
    lbUsername->setEnabled(byName);
    lbPassword->setEnabled(byName);
    edUsername->setEnabled(byName);
    edPassword->setEnabled(byName);
}

void TdlgKsConnectMsSql::UpdateOkButton()
{
    bool enabled
        = !ks::trimControl(cbServer->currentText()).isEmpty() && !ks::trimControl(cbDatabase->currentText()).isEmpty();
    if (enabled && rbUsername->isChecked())
        enabled = !ks::trimControl(edUsername->text()).isEmpty() && !ks::trimControl(edPassword->text()).isEmpty();
    btnOk->setEnabled(enabled);
}

bool TdlgKsConnectMsSql::Validate()
{
    const auto fail = [this](const QString &message, QWidget *field) {
        showMessage(message);
        field->setFocus();
        return false;
    };
    if (ks::trimControl(cbServer->currentText()).isEmpty())
        return fail(QStringLiteral("Please enter Server Name"), cbServer);
    if (ks::trimControl(cbDatabase->currentText()).isEmpty())
        return fail(QStringLiteral("Please enter Database Name"), cbDatabase);
    if (rbUsername->isChecked()) {
        if (ks::trimControl(edUsername->text()).isEmpty())
            return fail(QStringLiteral("Please enter User name"), edUsername);
        if (ks::trimControl(edPassword->text()).isEmpty())
            return fail(QStringLiteral("Please enter Password"), edPassword);
    }
    return true;
}

QString TdlgKsConnectMsSql::loginUserName() const
{
    return rbWinAuth->isChecked() ? QString() : edUsername->text();
}

QString TdlgKsConnectMsSql::loginPassword() const
{
    return rbWinAuth->isChecked() ? QString() : edPassword->text();
}

QString TdlgKsConnectMsSql::connectionStringFromEntries() const
{
    return ks::BuildMsSqlConnectionString(
        cbServer->currentText(), cbDatabase->currentText(), loginUserName(), loginPassword());
}

bool TdlgKsConnectMsSql::entriesAccepted()
{
    return catalogueKindAccepted(cbServer->currentText(), ks::mssql::catalogueKind().fileKind());
}

void TdlgKsConnectMsSql::connectionAccepted()
{
    recordRecent(MRUServer, cbServer->currentText());
    recordRecent(MRUDatabase, cbDatabase->currentText());
}

QString TdlgKsConnectMsSql::connectFailedMessage(const QString &clientText) const
{
    return QStringLiteral("Error connecting to database\r\n\r\n") + clientText;
}

QString ShowConnectMsSqlDialog(QWidget *owner, const QString &registryKey, bool showHelp)
{
    TdlgKsConnectMsSql dialog(owner, registryKey);
    return ks::runConnectDialog(dialog, showHelp);
}
