#include "platform/qt/popup_window.h"

#include "platform/qt/accessible_popups.h"
#include "platform/qt/compositor_work_area.h"
#include "platform/linux/freed_memory.h"
#include "platform/qt/qt_status_bar.h"
#include "platform/x11/window_manager_hints.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace platform {
namespace {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

// Also through XWayland, where the program is an X11 client of a Wayland compositor.
bool waylandSession()
{
    return onWayland() || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

enum class ManagingDesktop { None, Gnome, Plasma };

// GNOME Shell and KWin give the keyboard to no X11 popup (an override-redirect window) in a
// Wayland session: there the panel is a window they manage, which they focus and keep where asked.
ManagingDesktop managingDesktop()
{
    if (onWayland() || !waylandSession())
        return ManagingDesktop::None;
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'));
    if (desktops.contains(QLatin1String("GNOME")))
        return ManagingDesktop::Gnome;
    if (desktops.contains(QLatin1String("KDE")))
        return ManagingDesktop::Plasma;
    return ManagingDesktop::None;
}

bool managedThroughXWayland()
{
    return managingDesktop() != ManagingDesktop::None;
}

// A window that can let go of its window-system side (and with it the pixels it was shown with)
// while closed; showing it again makes a new one.
class ReleasableWindow final : public QWidget {
public:
    static void release(QWidget* window)
    {
        if (window && !window->isVisible())
            static_cast<ReleasableWindow*>(window)->destroy();
    }
};

} // namespace

PopupWindow::PopupWindow(const QString& title) : window_(std::make_unique<ReleasableWindow>())
{
    window_->setWindowTitle(title);
    // The click that closes the popup must not go on to the tray icon, or it would reopen it.
    window_->setAttribute(Qt::WA_NoMouseReplay);
    window_->installEventFilter(this);
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    setBehavior(behavior_);
    listPopupsToAssistiveTechnology();
}

PopupWindow::~PopupWindow() = default;

void PopupWindow::setContentSize(QSize size)
{
    contentSize_ = size;
    window_->setFixedSize(size);
}

void PopupWindow::setBehavior(Behavior behavior)
{
    behavior_ = behavior;
    Qt::WindowFlags flags = Qt::FramelessWindowHint;
    if (behavior_ != Behavior::Transient)
        flags |= Qt::Tool;
    else if (onWayland() || managedThroughXWayland())
        flags |= Qt::Tool | Qt::WindowStaysOnTopHint;
    else
        flags |= Qt::Popup;
    window_->setWindowFlags(flags);
}

void PopupWindow::setContent(std::unique_ptr<QWidget> content)
{
    // The content replaced is deleted here and so leaves the layout.
    content_ = std::move(content);
    if (content_)
        window_->layout()->addWidget(content_.get());
}

bool PopupWindow::isShown() const
{
    return window_->isVisible();
}

void PopupWindow::show(Rect rect, const StatusItemButton& view, RectEdge preferredEdge)
{
    constexpr auto sameClick = std::chrono::milliseconds(400);
    if (std::chrono::steady_clock::now() - closedFromOutside_ < sameClick)
        return;

    std::optional<QRect> anchor;
    if (const auto onScreen = view.rectOnScreen(rect))
        anchor = QRectF(onScreen->x, onScreen->y, onScreen->width, onScreen->height).toAlignedRect();
    // A Wayland compositor tells no client where the pointer is; X11 does.
    else if (!waylandSession())
        anchor = QRect(QCursor::pos(), QSize(1, 1));

    QScreen* screen = anchor ? QGuiApplication::screenAt(anchor->center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QSize size = contentSize_.isValid() ? contentSize_ : window_->sizeHint();
    const QRect screenArea = screen ? screen->geometry() : QRect(QPoint(0, 0), size);
    QRect available = screen ? screen->availableGeometry() : screenArea;
    // XWayland knows nothing of the bars; a Wayland compositor may tell where they leave room.
    if (const auto workArea = compositorWorkArea(); workArea && workArea->intersects(available))
        available = available.intersected(*workArea);
    const QRect placedBy = anchor ? *anchor : barEnd(screenArea, available);
    window_->setGeometry(placement(placedBy, size, available, preferredEdge));
    const ManagingDesktop desktop = managingDesktop();
    const bool managed = desktop != ManagingDesktop::None;
    // KWin focuses the desktop or the window clicked, and the panel, losing the focus, closes.
    if (behavior_ == Behavior::Transient && desktop != ManagingDesktop::Plasma && waylandSession() && !onWayland()) {
        if (!clickCatcher_) {
            clickCatcher_ = std::make_unique<ReleasableWindow>();
            // Under the popup, over everything; or, managed, a window under the panel's that a
            // click on the desktop (which moves no focus in GNOME Shell) lands on.
            clickCatcher_->setWindowFlags(Qt::FramelessWindowHint | Qt::Tool
                                          | (managed ? Qt::WindowFlags() : Qt::X11BypassWindowManagerHint));
            clickCatcher_->setAttribute(Qt::WA_TranslucentBackground);
            clickCatcher_->setAttribute(Qt::WA_ShowWithoutActivating);
            // Never focused: the panel would lose the focus to it, and close.
            clickCatcher_->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
            clickCatcher_->installEventFilter(this);
        }
        clickCatcher_->setGeometry(managed ? available : screenArea);
        clickCatcher_->show();
    }
    // The click on the item was the shell's, not ours: its startup id lets GNOME Shell give the
    // panel the focus that click asked for (KWin 5.27 gives it the focus without). Managed, the
    // panel is still no application window for the taskbar or the pager.
    if (managed) {
        window_->winId();
        keepOffTaskbar(window_->windowHandle());
        if (const auto* item = dynamic_cast<const QtStatusItemButton*>(&view))
            setStartupId(window_->windowHandle(), item->activationToken());
    }
    window_->show();
}

void PopupWindow::performClose(StatusItemButton*)
{
    closingItself_ = true;
    window_->close();
    closingItself_ = false;
}

void PopupWindow::makeContentWindowKey()
{
    if (!content_ || !window_->isVisible())
        return;
    window_->raise();
    window_->activateWindow();
    content_->setFocus(Qt::PopupFocusReason);
}

QRect PopupWindow::placement(QRect anchor, QSize size, QRect available, RectEdge preferredEdge)
{
    const bool vertical = preferredEdge == RectEdge::MinY || preferredEdge == RectEdge::MaxY;
    // Screen coordinates grow downwards: the rectangle's minimum-Y edge is the one the user
    // reads as its bottom, as under a menu bar.
    const bool towardsEnd = preferredEdge == RectEdge::MinY || preferredEdge == RectEdge::MaxX;

    const auto side = [&](int anchorStart, int anchorEnd, int length, int areaStart, int areaEnd) {
        const int after = anchorEnd + 1;
        const int before = anchorStart - length;
        const bool fitsAfter = after + length - 1 <= areaEnd;
        const bool fitsBefore = before >= areaStart;
        if (towardsEnd)
            return fitsAfter || !fitsBefore ? after : before;
        return fitsBefore || !fitsAfter ? before : after;
    };
    const auto centred = [](int anchorStart, int anchorLength, int length) {
        return anchorStart + (anchorLength - length) / 2;
    };

    QPoint origin = vertical ? QPoint(centred(anchor.x(), anchor.width(), size.width()),
                                      side(anchor.top(), anchor.bottom(), size.height(), available.top(), available.bottom()))
                             : QPoint(side(anchor.left(), anchor.right(), size.width(), available.left(), available.right()),
                                      centred(anchor.y(), anchor.height(), size.height()));
    // Always whole on the anchor's screen.
    origin.setX(std::clamp(origin.x(), available.left(), std::max(available.left(), available.right() - size.width() + 1)));
    origin.setY(std::clamp(origin.y(), available.top(), std::max(available.top(), available.bottom() - size.height() + 1)));
    return QRect(origin, size);
}

QRect PopupWindow::barEnd(QRect screen, QRect available)
{
    if (available.bottom() < screen.bottom() && available.top() == screen.top())
        return QRect(available.right(), available.bottom() + 1, 1, 1);
    if (available.right() < screen.right() && available.top() == screen.top() && available.bottom() == screen.bottom())
        return QRect(available.right() + 1, available.top(), 1, 1);
    if (available.left() > screen.left() && available.top() == screen.top() && available.bottom() == screen.bottom())
        return QRect(available.left() - 1, available.top(), 1, 1);
    return QRect(available.right(), available.top() - 1, 1, 1);
}

void PopupWindow::releaseWhileClosed()
{
    // A panel open now and then should not keep the memory it needed while open: its window's
    // pixels, and (let go of by the content as it hid) what it painted with.
    ReleasableWindow::release(window_.get());
    ReleasableWindow::release(clickCatcher_.get());
    returnFreedMemory();
}

bool PopupWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == clickCatcher_.get() && event->type() == QEvent::MouseButtonPress && window_->isVisible()) {
        window_->close();
        return true;
    }
    if (watched == window_.get()) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            closingItself_ = true;
            window_->close();
            closingItself_ = false;
            return true;
        }
        // Where the window is no popup, losing the focus stands for the click outside.
        if (event->type() == QEvent::WindowDeactivate && behavior_ == Behavior::Transient
            && window_->windowType() != Qt::Popup && window_->isVisible()) {
            window_->close();
        }
        // A popup closes itself on a click outside it, which the tray host may hear of as well.
        if (event->type() == QEvent::Hide) {
            if (!closingItself_)
                closedFromOutside_ = std::chrono::steady_clock::now();
            if (clickCatcher_)
                clickCatcher_->hide();
            QMetaObject::invokeMethod(this, &PopupWindow::releaseWhileClosed, Qt::QueuedConnection);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
