#include "settings/Placemnt.h"

#include "base/KsApplication.h"
#include "settings/KsComponentSection.h"
#include "settings/KsIniFileStore.h"
#include "settings/KsRegistryStore.h"
#include "settings/KsSettingsNames.h"

#include <QCloseEvent>
#include <QDialog>
#include <QWidget>
#include <QWindow>

// Opens the placement's storage for one save, restore or single access unless
// it is open already, and closes it again afterwards, also after an error.
class TFormPlacement::StoreSession {
public:
    explicit StoreSession(TFormPlacement &placement)
        : m_placement(placement)
        , m_opened(!placement.m_store)
    {
        if (m_opened)
            m_placement.m_store = m_placement.openStore();
    }
    ~StoreSession()
    {
        if (m_opened)
            m_placement.m_store.reset();
    }
    StoreSession(const StoreSession &) = delete;
    StoreSession &operator=(const StoreSession &) = delete;

    ks::SettingsStore &store() const { return *m_placement.m_store; }
    // Saves what was written when this session opened the storage.
    void finish() const
    {
        if (m_opened)
            m_placement.m_store->flush();
    }

private:
    TFormPlacement &m_placement;
    bool m_opened;
};

TIniLink::~TIniLink()
{
    setStorage(nullptr);
}

void TIniLink::setStorage(TFormPlacement *storage)
{
    if (m_storage == storage)
        return;
    if (m_storage)
        m_storage->m_links.removeOne(this);
    m_storage = storage;
    if (m_storage)
        m_storage->m_links.append(this);
}

ks::SettingsStore *TIniLink::IniObject() const
{
    return m_storage ? m_storage->IniObject() : nullptr;
}

QString TIniLink::RootSection() const
{
    if (!m_storage || m_storage->m_iniSection.isEmpty())
        return {};
    return m_storage->m_iniSection + QLatin1Char('\\');
}

bool TWinMinMaxInfo::isSet() const
{
    return *this != TWinMinMaxInfo();
}

TFormPlacement::TFormPlacement(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    if (!m_window)
        return;
    if (m_window->isWindow())
        m_options = TPlacementOptions(fpState | fpPosition);
    m_originalFlags = m_window->windowFlags();
    m_hadMaximizeButton = m_originalFlags.testFlag(Qt::WindowMaximizeButtonHint);
    isMainWindow();
    m_window->installEventFilter(this);
    if (auto *dialog = qobject_cast<QDialog *>(m_window.data())) {
        // OK and Cancel close a dialog without a close event of its own.
        connect(dialog, &QDialog::finished, this, [this] { dialogFinished(); });
    }
}

TFormPlacement::~TFormPlacement()
{
    saveOnDestruction();
    for (TIniLink *link : std::as_const(m_links))
        link->m_storage = nullptr;
    if (m_window)
        m_window->removeEventFilter(this);
    if (m_windowHandle)
        m_windowHandle->removeEventFilter(this);
}

void TFormPlacement::saveOnDestruction()
{
    if (m_destructionHandled)
        return;
    m_destructionHandled = true;
    if (!m_window || !m_active || m_saved)
        return;
    m_destroying = true;
    ks::runGuarded([this] { SavePlacement(); });
    m_destroying = false;
}

QString TFormPlacement::IniFileName() const
{
    if (!m_iniFileName.isEmpty())
        return m_iniFileName;
    return m_useRegistry ? ks::StandardRegistryKey() : ks::StandardIniName();
}

QString TFormPlacement::IniSection() const
{
    if (!m_iniSection.isEmpty())
        return m_iniSection;
    if (m_windowSection.isEmpty() && m_window)
        m_windowSection = ks::ComponentSection(m_window);
    return m_windowSection;
}

void TFormPlacement::setMinMaxInfo(const TWinMinMaxInfo &info)
{
    m_minMaxInfo = info;
    applyConstraints();
}

void TFormPlacement::setPreventResize(bool prevent)
{
    if (m_preventResize == prevent)
        return;
    m_preventResize = prevent;
    updateMaximizeButton();
    applyConstraints();
}

std::unique_ptr<ks::SettingsStore> TFormPlacement::openStore() const
{
    if (m_useRegistry)
        return std::make_unique<ks::RegistryStore>(IniFileName(), static_cast<ks::RegistryRoot>(m_registryRoot));
    return std::make_unique<ks::IniFileStore>(ks::profileFilePath(IniFileName()));
}

void TFormPlacement::SavePlacement()
{
    // A window that was never shown does not overwrite what is stored.
    if (m_active && !m_restored)
        return;
    const StoreSession session(*this);
    ks::SettingsStore &store = session.store();
    const QString section = IniSection();
    store.writeInteger(section, QStringLiteral("FormVersion"), m_version);
    if (m_window && m_window->isWindow()) {
        if (m_options & (fpState | fpPosition)) {
            writeWindowPlacement(store, section);
            store.writeBool(section, QStringLiteral("Visible"), m_destroying);
        }
        if (m_options & fpActiveControl) {
            const QWidget *focused = m_window->focusWidget();
            if (focused && !focused->objectName().isEmpty())
                store.writeString(section, QStringLiteral("ActiveControl"), focused->objectName());
        }
    }
    const QList<TIniLink *> links = m_links;
    for (TIniLink *link : links) {
        if (m_links.contains(link) && link->OnSave)
            link->OnSave();
    }
    saveValues(store, section);
    if (OnSavePlacement)
        OnSavePlacement(this);
    m_saved = true;
    ++m_saveCount;
    session.finish();
}

void TFormPlacement::RestorePlacement()
{
    m_saved = false;
    struct MarkRestored {
        bool &restored;
        ~MarkRestored() { restored = true; }
    } markRestored {m_restored};
    const StoreSession session(*this);
    ks::SettingsStore &store = session.store();
    const QString section = IniSection();
    if (store.readInteger(section, QStringLiteral("FormVersion"), 0) >= m_version) {
        if (m_window && m_window->isWindow())
            readWindowPlacement(store, section, m_options & fpPosition, m_options & fpState);
        const QList<TIniLink *> links = m_links;
        for (TIniLink *link : links) {
            if (m_links.contains(link) && link->OnLoad)
                link->OnLoad();
        }
        restoreValues(store, section);
        m_restored = true;
        if (OnRestorePlacement)
            OnRestorePlacement(this);
        if (m_window && (m_options & fpActiveControl)) {
            const QString name = store.readString(section, QStringLiteral("ActiveControl"), QString());
            auto *control = name.isEmpty() ? nullptr : m_window->findChild<QWidget *>(name);
            if (control && control->focusPolicy() != Qt::NoFocus && control->isEnabled())
                control->setFocus();
        }
    }
    if (!m_preventResize && !m_minMaxInfo.isSet())
        resetMaximizedPosition();
}

QString TFormPlacement::ReadString(const QString &ident, const QString &defaultValue)
{
    const StoreSession session(*this);
    return session.store().readString(IniSection(), ident, defaultValue);
}

void TFormPlacement::WriteString(const QString &ident, const QString &value)
{
    const StoreSession session(*this);
    session.store().writeString(IniSection(), ident, value);
    session.finish();
}

int TFormPlacement::ReadInteger(const QString &ident, int defaultValue)
{
    const StoreSession session(*this);
    return session.store().readInteger(IniSection(), ident, defaultValue);
}

void TFormPlacement::WriteInteger(const QString &ident, int value)
{
    const StoreSession session(*this);
    session.store().writeInteger(IniSection(), ident, value);
    session.finish();
}

void TFormPlacement::saveValues(ks::SettingsStore &, const QString &)
{
}

void TFormPlacement::restoreValues(ks::SettingsStore &, const QString &)
{
}

bool TFormPlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_windowHandle && event->type() == QEvent::Expose)
        windowPlaced();
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        // A window coming back from the task bar is not shown anew.
        if (!event->spontaneous() && !m_reshowing)
            windowShown();
        break;
    case QEvent::Close:
        return windowCloseQuery(static_cast<QCloseEvent *>(event));
    case QEvent::Move:
    case QEvent::Resize:
        windowPlaced();
        break;
    default:
        break;
    }
    return false;
}

void TFormPlacement::windowShown()
{
    if (m_active)
        ks::runGuarded([this] { RestorePlacement(); });
    applyConstraints();
    watchWindowHandle();
}

bool TFormPlacement::windowCloseQuery(QCloseEvent *event)
{
    // The window decides first whether it may close; only an accepted close
    // is saved. The event is handed to the window here and goes no further.
    const int savesBefore = m_saveCount;
    const QPointer<TFormPlacement> self(this);
    static_cast<QObject *>(m_window.data())->event(event);
    if (self && m_window && event->isAccepted() && m_active && m_saveCount == savesBefore) {
        // Closed after its owner window, a window is closed by the program's
        // end (Qt closes what is still open as the program quits): it was
        // open at the end, as a window destroyed while open.
        const QWidget *owner = m_window->parentWidget() ? m_window->parentWidget()->window() : nullptr;
        m_destroying = owner && owner->testAttribute(Qt::WA_WState_ExplicitShowHide) && owner->isHidden();
        ks::runGuarded([this] { SavePlacement(); });
        m_destroying = false;
    }
    return true;
}

void TFormPlacement::dialogFinished()
{
    if (m_active)
        ks::runGuarded([this] { SavePlacement(); });
}
