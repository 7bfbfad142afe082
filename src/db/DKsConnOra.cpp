#include "db/DKsConnOra.h"

#include "db/KsAdo.h"
#include "shell/KsApplication.h"
#include "shell/KsSeams.h"
#include "shell/KsStrings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>

namespace {

// Shows a "*" for every character of a password, whatever the desktop style.
class AsteriskPasswordStyle : public QProxyStyle
{
public:
    explicit AsteriskPasswordStyle(QObject *parent)
    {
        setParent(parent);
    }

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
        QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &caption, int left, int top)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(objectName);
    label->move(left, top);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &objectName, const QString &caption, int left, int width)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setGeometry(left, 88, width, 25);
    return button;
}

} // namespace

TdlgKsConnectOra::TdlgKsConnectOra(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("dlgKsConnectOra"));
    setWindowTitle(QStringLiteral("Connect to Database"));

    lbUsername = makeLabel(this, QStringLiteral("lbUsername"), QStringLiteral("Username"), 8, 11);
    edUsername = new QLineEdit(this);
    edUsername->setObjectName(QStringLiteral("edUsername"));
    edUsername->setGeometry(80, 8, 129, 21);
    lbPassword = makeLabel(this, QStringLiteral("lbPassword"), QStringLiteral("Password"), 8, 35);
    edPassword = new QLineEdit(this);
    edPassword->setObjectName(QStringLiteral("edPassword"));
    edPassword->setGeometry(80, 32, 129, 21);
    edPassword->setEchoMode(QLineEdit::Password);
    edPassword->setStyle(new AsteriskPasswordStyle(this));
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Data Source"), 8, 59);
    cbDataSource = new QComboBox(this);
    cbDataSource->setObjectName(QStringLiteral("cbDataSource"));
    cbDataSource->setEditable(true);
    cbDataSource->setInsertPolicy(QComboBox::NoInsert);
    cbDataSource->setGeometry(80, 56, 145, 21);
    lbUsername->setBuddy(edUsername);
    lbPassword->setBuddy(edPassword);
    Label1->setBuddy(cbDataSource);

    btnOk = makeButton(this, QStringLiteral("btnOk"), QStringLiteral("OK"), 8, 89);
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnCancel = makeButton(this, QStringLiteral("btnCancel"), QStringLiteral("Cancel"), 104, 89);
    btnHelp = makeButton(this, QStringLiteral("btnHelp"), QStringLiteral("?"), 200, 25);

    setTabOrder(edUsername, edPassword);
    setTabOrder(edPassword, cbDataSource);
    setTabOrder(cbDataSource, btnOk);
    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, btnHelp);

    connect(edUsername, &QLineEdit::textChanged, this, &TdlgKsConnectOra::UpdateOkButton);
    connect(edPassword, &QLineEdit::textChanged, this, &TdlgKsConnectOra::UpdateOkButton);
    connect(cbDataSource, &QComboBox::editTextChanged, this, &TdlgKsConnectOra::UpdateOkButton);
    connect(btnOk, &QPushButton::clicked, this, ks::guarded([this] { btnOkClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Web help arrives with the help subsystem; until then "?" is never shown.

    FormCreate();
}

void TdlgKsConnectOra::FormCreate()
{
    setFixedSize(btnHelp->x() + btnHelp->width() + 8, 122);
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
        ks::messageBoxes().inform(this, QStringLiteral("Please enter User name"));
        edUsername->setFocus();
        return false;
    }
    if (edPassword->text().isEmpty()) {
        ks::messageBoxes().inform(this, QStringLiteral("Please enter Password"));
        edPassword->setFocus();
        return false;
    }
    return true;
}

bool TdlgKsConnectOra::TestConnection()
{
    ConnectionString = QStringLiteral("provider=OraOLEDB.Oracle;user id=") + edUsername->text()
        + QStringLiteral(";password=") + edPassword->text();
    const QString dataSource = ks::trimControl(cbDataSource->currentText());
    if (!dataSource.isEmpty())
        ConnectionString += QStringLiteral(";data source=") + dataSource;

    QString errorText;
    const ks::ConnectionPtr connection = ks::OpenConnectionReport(ConnectionString, QString(), QString(), errorText);
    if (!connection || connection->state() != 1) {
        ks::messageBoxes().inform(this, QStringLiteral("Failed to open connection:\r\n") + errorText);
        return false;
    }
    connection->close();
    return true;
}

void TdlgKsConnectOra::btnOkClick()
{
    if (Validate() && TestConnection())
        accept();
}

QString ShowConnectOraDialog(QWidget *owner, const QString &registryKey, bool showHelp)
{
    QString result;
    TdlgKsConnectOra dialog(owner);
    dialog.registryKey = registryKey;
    dialog.btnHelp->setVisible(showHelp);
    if (!showHelp)
        dialog.btnCancel->move(136, dialog.btnCancel->y());
    // The dialog opens in the middle of the screen the program is on.
    if (QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    if (dialog.exec() == QDialog::Accepted)
        result = dialog.ConnectionString;
    return result;
}
