// How a stored placement maps onto a Qt window. The stored normal rectangle
// is the window's outer frame in screen coordinates, taken from the normal
// geometry and the normal frame's margins while the window is maximized or
// minimized. It is restored as the frame's position and the client size
// inside that frame, so that what is stored is what comes back. Show
// commands are those of the stored format: 1 normal, 2 minimized, 3 maximized.

#include "settings/Placemnt.h"

#include "settings/KsSettingsStore.h"
#include "settings/PlacemntText.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
constexpr int kRestoreToMaximized = 2;

const QString kFlags = QStringLiteral("Flags");
const QString kShowCmd = QStringLiteral("ShowCmd");
const QString kPixelsPerInch = QStringLiteral("PixelsPerInch");
const QString kMinMaxPos = QStringLiteral("MinMaxPos");
const QString kNormPos = QStringLiteral("NormPos");

QSize screenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

int pixelsPerInch()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

QList<QRect> screenAreas()
{
    QList<QRect> areas;
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        areas << screen->availableGeometry();
    return areas;
}

// The main window's (QPointer clears itself when that window goes).
QPointer<QWidget> &mainWindowSlot()
{
    static QPointer<QWidget> slot;
    return slot;
}

constexpr Qt::WindowStates kSpecialStates = Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;

} // namespace

bool TFormPlacement::isMainWindow()
{
    QPointer<QWidget> &slot = mainWindowSlot();
    if (slot.isNull() && m_window && m_window->isWindow() && qobject_cast<QMainWindow *>(m_window.data()))
        slot = m_window;
    return m_window && slot == m_window;
}

QMargins TFormPlacement::frameMargins() const
{
    const QRect frame = m_window->frameGeometry();
    const QRect client = m_window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
        frame.bottom() - client.bottom()};
}

QRect TFormPlacement::normalFrame() const
{
    if (m_pendingFrame)
        return *m_pendingFrame;
    if (m_window->windowState() & kSpecialStates) {
        QRect normal = m_window->normalGeometry();
        if (!normal.isValid())
            normal = m_window->geometry();
        return normal.marginsAdded(m_normalMargins.value_or(frameMargins()));
    }
    return m_window->frameGeometry();
}

void TFormPlacement::setNormalFrame(const QRect &frame)
{
    const Qt::WindowStates state = m_window->windowState();
    if (state & kSpecialStates)
        m_window->setWindowState(state & ~kSpecialStates);
    const QMargins margins = frameMargins();
    // Some window systems tell the frame's size only once the window is on
    // the screen; until then the frame's margins are taken as last seen.
    if (margins.isNull())
        m_pendingFrame = frame;
    else
        m_normalMargins = margins;
    applyFrame(frame, m_normalMargins.value_or(margins));
    if (state & kSpecialStates)
        m_window->setWindowState(state);
}

void TFormPlacement::applyFrame(const QRect &frame, const QMargins &margins)
{
    const QSize minimum = m_window->minimumSize().expandedTo(m_window->minimumSizeHint());
    m_window->resize(frame.size().shrunkBy(margins).expandedTo(minimum));
    // A window's position is its frame's: the window system puts the frame
    // there also when it does not know the frame's size yet.
    m_window->move(frame.topLeft());
}

QRect TFormPlacement::defaultNormalFrame() const
{
    QRect frame = normalFrame();
    // Left where the system put it, a window's normal frame may lie partly
    // above the screen (a client area at the screen's corner); one the owner
    // did not place is centred on its screen.
    if (!m_window->testAttribute(Qt::WA_Moved)) {
        if (const QScreen *screen = m_window->screen())
            frame.moveCenter(screen->availableGeometry().center());
    }
    return ks::keepOnScreen(frame, screenAreas());
}

void TFormPlacement::windowPlaced()
{
    if (!m_window->isVisible() || (m_window->windowState() & kSpecialStates))
        return;
    const QMargins margins = frameMargins();
    // A window on the screen knows its frame, also one without margins.
    const QWindow *handle = m_window->windowHandle();
    if (margins.isNull() && !(handle && handle->isExposed()))
        return;
    m_normalMargins = margins;
    // The frame is put right once the window system has finished the change
    // that told its size; changed in the midst of it, it may be overridden.
    if (m_pendingFrame)
        QMetaObject::invokeMethod(
            this, [this] { completeFrame(); }, Qt::QueuedConnection);
}

void TFormPlacement::completeFrame()
{
    if (!m_pendingFrame || !m_window || !m_window->isVisible() || (m_window->windowState() & kSpecialStates))
        return;
    const QRect frame = *m_pendingFrame;
    m_pendingFrame.reset();
    if (m_window->frameGeometry() != frame)
        applyFrame(frame, frameMargins());
}

void TFormPlacement::watchWindowHandle()
{
    QWindow *handle = m_window ? m_window->windowHandle() : nullptr;
    if (handle == m_windowHandle)
        return;
    if (m_windowHandle)
        m_windowHandle->removeEventFilter(this);
    m_windowHandle = handle;
    if (handle)
        handle->installEventFilter(this);
}

bool TFormPlacement::isSizeable() const
{
    if (m_window->windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))
        return false;
    if (m_constraintsApplied)
        return m_designMinimum != m_designMaximum;
    return m_window->minimumSize() != m_window->maximumSize();
}

void TFormPlacement::resetMaximizedPosition()
{
    if (!m_window)
        return;
    const QMargins margins = frameMargins();
    m_maximizedPosition = QPoint(-margins.left(), -margins.bottom());
}

QString TFormPlacement::readSized(const ks::SettingsStore &store, const QString &section, const QString &name) const
{
    const QString sized = store.readString(section, ks::screenSizeName(name, screenSize()), QString());
    return sized.isEmpty() ? store.readString(section, name, QString()) : sized;
}

void TFormPlacement::writeWindowPlacement(ks::SettingsStore &store, const QString &section)
{
    const Qt::WindowStates state = m_window->windowState();
    const int showCmd = state & Qt::WindowMinimized            ? kShowMinimized
        : state & (Qt::WindowMaximized | Qt::WindowFullScreen) ? kShowMaximized
                                                               : kShowNormal;
    const int flags = (state & Qt::WindowMinimized) && (state & Qt::WindowMaximized) ? kRestoreToMaximized : 0;
    const QRect frame = normalFrame();
    const QString minMax = ks::positionText(
        {m_minimizedPosition.x(), m_minimizedPosition.y(), m_maximizedPosition.x(), m_maximizedPosition.y()});
    const QString normal
        = ks::positionText({frame.left(), frame.top(), frame.left() + frame.width(), frame.top() + frame.height()});
    const QSize screen = screenSize();
    store.writeInteger(section, kFlags, flags);
    store.writeInteger(section, kShowCmd, showCmd);
    store.writeInteger(section, kPixelsPerInch, pixelsPerInch());
    store.writeString(section, ks::screenSizeName(kMinMaxPos, screen), minMax);
    store.writeString(section, kMinMaxPos, minMax);
    store.writeString(section, ks::screenSizeName(kNormPos, screen), normal);
    store.writeString(section, kNormPos, normal);
}

void TFormPlacement::readWindowPlacement(
    ks::SettingsStore &store, const QString &section, bool loadPosition, bool loadState)
{
    if (!loadPosition && !loadState)
        return;
    const bool mainWindow = isMainWindow();
    const auto *frameWindow = qobject_cast<QMainWindow *>(m_window.data());
    const bool mdiFrame = frameWindow && qobject_cast<QMdiArea *>(frameWindow->centralWidget());
    // The main window opens maximized until it has a placement of its own,
    // unless it was given a position of its own before showing.
    const bool maximizedByDefault = mainWindow && (mdiFrame || !m_window->testAttribute(Qt::WA_Moved));

    bool placed = false;
    if (loadPosition) {
        const QRect current = normalFrame();
        // "Flags" is written for the stored format only: Qt keeps no placement flags.
        const QString minMax = readSized(store, section, kMinMaxPos);
        if (!minMax.isEmpty()) {
            const std::array<int, 4> numbers = ks::parsePositionText(minMax);
            m_minimizedPosition = QPoint(numbers[0], numbers[1]);
            m_maximizedPosition = QPoint(numbers[2], numbers[3]);
        }
        const QString normal = readSized(store, section, kNormPos);
        QRect frame = current;
        if (!normal.isEmpty()) {
            const std::array<int, 4> numbers = ks::parsePositionText(normal,
                {current.left(), current.top(), current.left() + current.width(), current.top() + current.height()});
            frame = QRect(numbers[0], numbers[1], numbers[2] - numbers[0], numbers[3] - numbers[1]);
        }
        const int storedPixelsPerInch = store.readInteger(section, kPixelsPerInch, pixelsPerInch());
        if ((!minMax.isEmpty() || !normal.isEmpty()) && storedPixelsPerInch == pixelsPerInch()) {
            if (!isSizeable())
                frame.setSize(current.size());
            // An empty or inverted rectangle is no placement.
            if (frame.width() > 0 && frame.height() > 0) {
                setNormalFrame(ks::keepOnScreen(frame, screenAreas()));
                placed = true;
            }
        }
    }

    if (loadState) {
        Qt::WindowStates state = maximizedByDefault ? Qt::WindowMaximized : Qt::WindowNoState;
        switch (store.readInteger(section, kShowCmd, 0)) {
        case 1:
        case 5:
        case 9:
            state = Qt::WindowNoState;
            break;
        case 2:
        case 6:
        case 7:
            // Minimized, and normal once the user brings the window back.
            m_window->setWindowState(Qt::WindowMinimized);
            return;
        case 3:
            state = Qt::WindowMaximized;
            break;
        default:
            break;
        }
        // Un-maximized later, a window with no normal frame of its own
        // comes back on the screen, where the next run finds it again.
        if (loadPosition && !placed && (state & Qt::WindowMaximized))
            setNormalFrame(defaultNormalFrame());
        m_window->setWindowState((m_window->windowState() & ~kSpecialStates) | state);
    }
    m_window->update();
}

void TFormPlacement::applyConstraints()
{
    if (!m_window)
        return;
    const bool limited = m_preventResize || m_minMaxInfo.isSet();
    if (!limited && !m_constraintsApplied)
        return;
    if (!m_constraintsApplied) {
        m_designMinimum = m_window->minimumSize();
        m_designMaximum = m_window->maximumSize();
        m_constraintsApplied = true;
    }
    QSize minimum = m_designMinimum;
    QSize maximum = m_designMaximum;
    if (m_minMaxInfo.MinTrackWidth)
        minimum.setWidth(m_minMaxInfo.MinTrackWidth);
    if (m_minMaxInfo.MinTrackHeight)
        minimum.setHeight(m_minMaxInfo.MinTrackHeight);
    if (m_minMaxInfo.MaxTrackWidth)
        maximum.setWidth(m_minMaxInfo.MaxTrackWidth);
    if (m_minMaxInfo.MaxTrackHeight)
        maximum.setHeight(m_minMaxInfo.MaxTrackHeight);
    if (m_preventResize && m_window->isVisible())
        minimum = maximum = m_window->size();
    m_window->setMinimumSize(minimum);
    m_window->setMaximumSize(maximum.expandedTo(minimum));
    if (!limited)
        m_constraintsApplied = false;
}

void TFormPlacement::updateMaximizeButton()
{
    if (!m_window || !m_window->isWindow())
        return;
    Qt::WindowFlags flags = m_window->windowFlags();
    if (m_preventResize) {
        flags |= Qt::CustomizeWindowHint;
        flags &= ~Qt::WindowMaximizeButtonHint;
    } else if (m_hadMaximizeButton && m_window->windowType() != Qt::Dialog) {
        flags = m_originalFlags;
    }
    if (flags == m_window->windowFlags())
        return;
    // Changing a window's flags hides it; a visible window is shown again.
    const bool visible = m_window->isVisible();
    m_reshowing = true;
    m_window->setWindowFlags(flags);
    if (visible)
        m_window->show();
    m_reshowing = false;
}
