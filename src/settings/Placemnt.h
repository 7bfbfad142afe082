#pragma once
// TFormPlacement remembers where a window was, how large and in which state,
// and puts it back the next time the window is shown. It keeps its values in
// a registry key or a profile file and lends that storage to linked
// components (recent lists, through TIniLink), which load and save with it.
//
// A window creates its placement as a child and sets its properties:
//     FormPlacement = new TFormPlacement(this);
//     FormPlacement->setUseRegistry(true);
//     FormPlacement->setIniFileName(QStringLiteral("Software\\Kestrin\\quillmere"));
// With `Active` (the default) it restores when the window is shown, and saves
// when a close of the window is accepted (for a dialog: when it finishes) or,
// failing that, when the window is destroyed; "Visible" says whether it was
// still open then (destroyed, or closed after its owner window as the
// program ends). A window never shown writes nothing. Errors of these
// automatic saves and restores are reported through the application's error
// handler and do not stop the window.

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCloseEvent;
class QWindow;
class TFormPlacement;

namespace ks {
class SettingsStore;
}

// Connects one client to one placement's storage: OnSave is called when the
// storage saves, OnLoad when it restores. A link attached to another storage
// leaves the old one; either side may go first.
class TIniLink {
public:
    TIniLink() = default;
    ~TIniLink();
    TIniLink(const TIniLink &) = delete;
    TIniLink &operator=(const TIniLink &) = delete;

    TFormPlacement *Storage() const { return m_storage; }
    void setStorage(TFormPlacement *storage);

    // The storage object while the placement saves or restores, else null.
    ks::SettingsStore *IniObject() const;
    // The placement's own IniSection followed by "\", or empty when it has none.
    QString RootSection() const;

    std::function<void()> OnSave;
    std::function<void()> OnLoad;

private:
    friend class TFormPlacement;
    TFormPlacement *m_storage = nullptr;
};

// Size limits of a window; a value of 0 leaves the window's own limit. The
// tracking sizes become the window's minimum and maximum size. Qt lets the
// window manager size and place a maximized window, so the maximized size and
// position are kept but not applied.
struct TWinMinMaxInfo {
    Q_GADGET
    Q_PROPERTY(int MaxPosLeft MEMBER MaxPosLeft)
    Q_PROPERTY(int MaxPosTop MEMBER MaxPosTop)
    Q_PROPERTY(int MaxSizeHeight MEMBER MaxSizeHeight)
    Q_PROPERTY(int MaxSizeWidth MEMBER MaxSizeWidth)
    Q_PROPERTY(int MaxTrackHeight MEMBER MaxTrackHeight)
    Q_PROPERTY(int MaxTrackWidth MEMBER MaxTrackWidth)
    Q_PROPERTY(int MinTrackHeight MEMBER MinTrackHeight)
    Q_PROPERTY(int MinTrackWidth MEMBER MinTrackWidth)
public:
    int MaxPosLeft = 0;
    int MaxPosTop = 0;
    int MaxSizeHeight = 0;
    int MaxSizeWidth = 0;
    int MaxTrackHeight = 0;
    int MaxTrackWidth = 0;
    int MinTrackHeight = 0;
    int MinTrackWidth = 0;

    // Set when any value is not 0.
    bool isSet() const;
    bool operator==(const TWinMinMaxInfo &) const = default;
};

class TFormPlacement : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive)
    Q_PROPERTY(QString IniFileName READ IniFileName WRITE setIniFileName)
    Q_PROPERTY(QString IniSection READ IniSection WRITE setIniSection)
    Q_PROPERTY(TWinMinMaxInfo MinMaxInfo READ MinMaxInfo WRITE setMinMaxInfo)
    Q_PROPERTY(TPlacementOptions Options READ Options WRITE setOptions)
    Q_PROPERTY(bool PreventResize READ PreventResize WRITE setPreventResize)
    Q_PROPERTY(TPlacementRegRoot RegistryRoot READ RegistryRoot WRITE setRegistryRoot)
    Q_PROPERTY(bool UseRegistry READ UseRegistry WRITE setUseRegistry)
    Q_PROPERTY(int Version READ Version WRITE setVersion)
public:
    enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
    Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
    Q_FLAG(TPlacementOptions)
    enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };
    Q_ENUM(TPlacementRegRoot)

    // A placement owned by `window` (its parent). Options are fpState and
    // fpPosition when `window` is a window, none otherwise.
    explicit TFormPlacement(QWidget *window);
    ~TFormPlacement() override;

    bool Active() const { return m_active; }
    void setActive(bool active) { m_active = active; }
    // The effective name: the key path (with UseRegistry) or profile file
    // set, else StandardRegistryKey() or StandardIniName().
    QString IniFileName() const;
    void setIniFileName(const QString &name) { m_iniFileName = name; }
    // The effective section: the one set, else the window's ComponentSection.
    QString IniSection() const;
    void setIniSection(const QString &section) { m_iniSection = section; }
    TWinMinMaxInfo MinMaxInfo() const { return m_minMaxInfo; }
    void setMinMaxInfo(const TWinMinMaxInfo &info);
    TPlacementOptions Options() const { return m_options; }
    void setOptions(TPlacementOptions options) { m_options = options; }
    // The user can neither resize nor maximize the window.
    bool PreventResize() const { return m_preventResize; }
    void setPreventResize(bool prevent);
    TPlacementRegRoot RegistryRoot() const { return m_registryRoot; }
    void setRegistryRoot(TPlacementRegRoot root) { m_registryRoot = root; }
    bool UseRegistry() const { return m_useRegistry; }
    void setUseRegistry(bool use) { m_useRegistry = use; }
    // Stored values written with a lower version are ignored.
    int Version() const { return m_version; }
    void setVersion(int version) { m_version = version; }

    std::function<void(TFormPlacement *sender)> OnSavePlacement;
    std::function<void(TFormPlacement *sender)> OnRestorePlacement;

    // Save or restore everything now; errors are raised to the caller.
    void SavePlacement();
    void RestorePlacement();

    // Single values in the placement's section, the storage opened for the call.
    QString ReadString(const QString &ident, const QString &defaultValue = {});
    void WriteString(const QString &ident, const QString &value);
    int ReadInteger(const QString &ident, int defaultValue);
    void WriteInteger(const QString &ident, int value);

    // The storage object while a save, restore or single access runs, else null.
    ks::SettingsStore *IniObject() const { return m_store.get(); }
    QWidget *window() const { return m_window; }
    // A restore has run; a save has run since the last restore.
    bool isRestored() const { return m_restored; }
    bool isSaved() const { return m_saved; }

protected:
    // What a derived storage adds to a save or restore of the open storage.
    virtual void saveValues(ks::SettingsStore &store, const QString &section);
    virtual void restoreValues(ks::SettingsStore &store, const QString &section);
    // The save when the window goes away; each destructor level calls it.
    void saveOnDestruction();

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TIniLink;
    class StoreSession;

    std::unique_ptr<ks::SettingsStore> openStore() const;

    void windowShown();
    bool windowCloseQuery(QCloseEvent *event);
    void dialogFinished();

    // The mapping of the stored placement onto the window (PlacemntWindow.cpp).
    void writeWindowPlacement(ks::SettingsStore &store, const QString &section);
    void readWindowPlacement(ks::SettingsStore &store, const QString &section, bool loadPosition, bool loadState);
    QString readSized(const ks::SettingsStore &store, const QString &section, const QString &name) const;
    QRect normalFrame() const;
    void setNormalFrame(const QRect &frame);
    void applyFrame(const QRect &frame, const QMargins &margins);
    QRect defaultNormalFrame() const;
    void windowPlaced();
    void completeFrame();
    void watchWindowHandle();
    QMargins frameMargins() const;
    bool isMainWindow();
    bool isSizeable() const;
    void resetMaximizedPosition();
    void applyConstraints();
    void updateMaximizeButton();

    QPointer<QWidget> m_window;
    bool m_active = true;
    QString m_iniFileName;
    QString m_iniSection;
    mutable QString m_windowSection; // the window's ComponentSection, taken once
    TWinMinMaxInfo m_minMaxInfo;
    TPlacementOptions m_options;
    bool m_preventResize = false;
    TPlacementRegRoot m_registryRoot = prCurrentUser;
    bool m_useRegistry = false;
    int m_version = 0;

    std::unique_ptr<ks::SettingsStore> m_store;
    QList<TIniLink *> m_links;
    bool m_restored = false;
    bool m_saved = false;
    bool m_destroying = false;
    bool m_destructionHandled = false;
    int m_saveCount = 0;

    // Window facts the placement keeps, as Qt has no place for them.
    QPoint m_minimizedPosition {-1, -1};
    QPoint m_maximizedPosition {-1, -1};
    Qt::WindowFlags m_originalFlags;
    bool m_hadMaximizeButton = false;
    bool m_reshowing = false;
    bool m_constraintsApplied = false;
    QSize m_designMinimum;
    QSize m_designMaximum;
    // A frame placed before the window system knew the frame's size: its
    // client size is corrected once the window is on the screen in its
    // normal state, and until then it is the frame that is saved.
    std::optional<QRect> m_pendingFrame;
    // The frame's margins in the normal state as last seen on the screen, or
    // as taken when the frame was placed: what a maximized or minimized
    // window adds to its normal client area. A maximized frame has margins
    // of its own (often no border), so the current ones will not do.
    std::optional<QMargins> m_normalMargins;
    // The native window, watched for its exposure: the moment a window that
    // is put on the screen learns the size of its frame.
    QPointer<QWindow> m_windowHandle;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TFormPlacement::TPlacementOptions)
