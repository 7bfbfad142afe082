#include "db/DKsConnOra.h"

#include "db/KsAdo.h"
#include "shell/KsApplication.h"
#include "shell/KsLayout.h"
#include "shell/KsSeams.h"
#include "shell/KsStrings.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>

#include <tuple>

namespace {

// Design measures, in pixels at the design font.
constexpr int kMargin = 8;
constexpr int kBottomMargin = 9;
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
constexpr int kButtonGap = 7;
constexpr int kButtonHeight = 25;

// Shows a "*" for every character of a password, whatever the desktop style.
class AsteriskPasswordStyle : public QProxyStyle {
public:
    explicit AsteriskPasswordStyle(QObject *parent) { setParent(parent); }

    int styleHint(
        StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QLabel *makeLabel(QWidget *parent, const QString &objectName, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(objectName);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &objectName, const QString &caption, int width)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    ks::setDesignSize(button, QSize(width, kButtonHeight));
    return button;
}

} // namespace

TdlgKsConnectOra::TdlgKsConnectOra(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("dlgKsConnectOra"));
    setWindowTitle(QStringLiteral("Connect to Database"));
    // The dialog speaks in its owner's font.
    setAttribute(Qt::WA_WindowPropagation);

    lbUsername = makeLabel(this, QStringLiteral("lbUsername"), QStringLiteral("Username"));
    edUsername = new QLineEdit(this);
    edUsername->setObjectName(QStringLiteral("edUsername"));
    lbPassword = makeLabel(this, QStringLiteral("lbPassword"), QStringLiteral("Password"));
    edPassword = new QLineEdit(this);
    edPassword->setObjectName(QStringLiteral("edPassword"));
    edPassword->setEchoMode(QLineEdit::Password);
    edPassword->setStyle(new AsteriskPasswordStyle(this));
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Data Source"));
    cbDataSource = new QComboBox(this);
    cbDataSource->setObjectName(QStringLiteral("cbDataSource"));
    cbDataSource->setEditable(true);
    cbDataSource->setInsertPolicy(QComboBox::NoInsert);
    lbUsername->setBuddy(edUsername);
    lbPassword->setBuddy(edPassword);
    Label1->setBuddy(cbDataSource);

    btnOk = makeButton(this, QStringLiteral("btnOk"), QStringLiteral("OK"), 89);
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnCancel = makeButton(this, QStringLiteral("btnCancel"), QStringLiteral("Cancel"), 89);
    btnHelp = makeButton(this, QStringLiteral("btnHelp"), QStringLiteral("?"), 25);

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

    // OK at the left, Cancel and "?" at the right edge; a hidden "?" leaves
    // Cancel ending where "?" ended.
    auto *buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addWidget(btnOk);
    buttons->addSpacerItem(new QSpacerItem(kButtonGap, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    buttons->addWidget(btnCancel);
    m_helpGap = new QSpacerItem(kButtonGap, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    buttons->addSpacerItem(m_helpGap);
    buttons->addWidget(btnHelp);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kBottomMargin);
    layout->setSpacing(0);
    layout->addLayout(fields);
    layout->addSpacing(kButtonsGap);
    layout->addLayout(buttons);

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
    // A fixed border: the dialog is exactly as large as its layout needs, the
    // design's 233 by 122 where the font allows, and the user cannot resize it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
}

void TdlgKsConnectOra::setHelpShown(bool shown)
{
    btnHelp->setVisible(shown);
    m_helpGap->changeSize(shown ? kButtonGap : 0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    layout()->invalidate();
    layout()->activate();
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
    dialog.setHelpShown(showHelp);
    // The dialog opens in the middle of the screen the program is on.
    if (QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    if (dialog.exec() == QDialog::Accepted)
        result = dialog.ConnectionString;
    return result;
}
