#include "db/DKsConnDialog.h"

#include "base/KsApplication.h"
#include "base/KsLayout.h"
#include "base/KsSeams.h"
#include "base/KsStrings.h"
#include "db/KsConnection.h"
#include "db/KsConnectionTarget.h"
#include "db/KsConnectionWorker.h"
#include "settings/FormStorage.h"
#include "settings/MRUList.h"
#include "shell/KsWebHelp.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>

#include <utility>

namespace {

// Design measures of the button row, in pixels at the design font.
constexpr int kMargin = 8;
constexpr int kButtonGap = 7;
constexpr int kButtonWidth = 89;
constexpr int kHelpWidth = 25;
constexpr int kButtonHeight = 25;

const QString kTitle = QStringLiteral("Connect to Database");
// While the connection test waits for the login.
const QString kConnectingTitle = QStringLiteral("Connecting to Database...");

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

QPushButton *makeButton(QWidget *parent, const QString &objectName, const QString &caption, int width)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    ks::setDesignSize(button, QSize(width, kButtonHeight));
    return button;
}

} // namespace

namespace ks {

QLabel *makeDialogLabel(QWidget *parent, const QString &objectName, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(objectName);
    return label;
}

QLineEdit *makePasswordEdit(QWidget *parent, const QString &objectName)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyle(new AsteriskPasswordStyle(edit));
    return edit;
}

QString runConnectDialog(TdlgKsConnectBase &dialog, bool showHelp)
{
    dialog.setHelpShown(showHelp);
    // The dialog opens in the middle of the screen its owner is on.
    const QWidget *owner = dialog.parentWidget();
    if (QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    if (dialog.exec() == QDialog::Accepted)
        return dialog.ConnectionString;
    return {};
}

} // namespace ks

TdlgKsConnectBase::TdlgKsConnectBase(QWidget *owner, const QString &objectName, const QString &registryKey)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(objectName);
    setWindowTitle(kTitle);
    // The dialog speaks in its owner's font.
    setAttribute(Qt::WA_WindowPropagation);

    btnOk = makeButton(this, QStringLiteral("btnOk"), QStringLiteral("OK"), kButtonWidth);
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnCancel = makeButton(this, QStringLiteral("btnCancel"), QStringLiteral("Cancel"), kButtonWidth);
    btnHelp = makeButton(this, QStringLiteral("btnHelp"), QStringLiteral("?"), kHelpWidth);

    connect(btnOk, &QPushButton::clicked, this, ks::guarded([this] { btnOkClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnHelp, &QPushButton::clicked, this, ks::guarded([this] { btnHelpClick(); }));

    // Inactive until the recent lists are linked and the key is set, so that
    // nothing is read or written half made.
    Storage = new TFormStorage(this);
    Storage->setObjectName(QStringLiteral("Storage"));
    Storage->setActive(false);
    Storage->setUseRegistry(true);
    Storage->setOptions({});
    Storage->setIniFileName(registryKey);

    m_tester = new ks::ConnectionWorker(this);
}

TdlgKsConnectBase::~TdlgKsConnectBase()
{
    // Nothing of a test still running may reach the dialog being destroyed.
    m_tester->abandon();
}

void TdlgKsConnectBase::FormCreate(QLayout *fields, int buttonsGap, int bottomMargin)
{
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
    layout->setContentsMargins(kMargin, kMargin, kMargin, bottomMargin);
    layout->setSpacing(0);
    layout->addLayout(fields);
    layout->addSpacing(buttonsGap);
    layout->addLayout(buttons);

    // A fixed border: the dialog is exactly as large as its layout needs, the
    // design's size where the font allows, and the user cannot resize it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->activate();

    Storage->setActive(true);
}

void TdlgKsConnectBase::setHelpShown(bool shown)
{
    btnHelp->setVisible(shown);
    m_helpGap->changeSize(shown ? kButtonGap : 0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    layout()->invalidate();
    layout()->activate();
}

void TdlgKsConnectBase::btnOkClick()
{
    if (isConnecting() || !Validate())
        return;
    m_acceptWhenConnected = true;
    TestConnection();
}

void TdlgKsConnectBase::TestConnection()
{
    if (isConnecting() || !entriesAccepted())
        return;
    const QString connectionString = connectionStringFromEntries();
    setConnecting(true);
    m_tester->start(
        connectionString,
        [](ks::Connection &connection) {
            if (!connection.isOpen())
                throw ks::Error(connection.openError());
        },
        [this, connectionString](
            const std::exception_ptr &error) { ks::runGuarded([&] { connectionTested(connectionString, error); }); });
}

bool TdlgKsConnectBase::isConnecting() const
{
    return m_tester->isRunning();
}

void TdlgKsConnectBase::connectionTested(const QString &connectionString, const std::exception_ptr &error)
{
    setConnecting(false);
    const bool accepting = std::exchange(m_acceptWhenConnected, false);
    if (error) {
        showMessage(connectFailedMessage(ks::ConnectionWorker::errorText(error)));
        return;
    }
    ConnectionString = connectionString;
    connectionAccepted();
    if (accepting)
        accept();
}

void TdlgKsConnectBase::reject()
{
    if (isConnecting()) {
        m_tester->abandon();
        m_acceptWhenConnected = false;
        setConnecting(false);
    }
    QDialog::reject();
}

void TdlgKsConnectBase::setConnecting(bool connecting)
{
    if (connecting) {
        // The entries stay as they were tested; Cancel and "?" stay at hand.
        m_focusBefore = focusWidget();
        for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (child != btnCancel && child != btnHelp && child->isEnabled()) {
                child->setEnabled(false);
                m_locked << child;
            }
        }
        setWindowTitle(kConnectingTitle);
        setCursor(Qt::BusyCursor);
        return;
    }
    for (const QPointer<QWidget> &child : std::exchange(m_locked, {})) {
        if (child)
            child->setEnabled(true);
    }
    setWindowTitle(kTitle);
    unsetCursor();
    if (m_focusBefore)
        m_focusBefore->setFocus();
}

TMRUManager *TdlgKsConnectBase::addRecentList(const QString &name)
{
    auto *list = new TMRUManager(this);
    list->setObjectName(name);
    list->setIniStorage(Storage);
    return list;
}

void TdlgKsConnectBase::recordRecent(TMRUManager *list, const QString &text)
{
    if (!text.isEmpty() && list->Strings().indexOf(text) < 0)
        list->Add(text, 0);
}

void TdlgKsConnectBase::showMessage(const QString &text)
{
    ks::messageBoxes().inform(this, text);
}

bool TdlgKsConnectBase::catalogueKindAccepted(const QString &dataSource, const ks::CatalogueFileKind &kind)
{
    try {
        ks::requireCatalogueKind(dataSource, kind);
        return true;
    } catch (const ks::Error &error) {
        showMessage(error.message());
        return false;
    }
}

void TdlgKsConnectBase::btnHelpClick()
{
    ks::ShowWebHelp(QStringLiteral("dlgConnect"));
}
