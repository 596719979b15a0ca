#include "platform/qt/popup_window.h"

#include "platform/qt/accessible_popups.h"

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

} // namespace

PopupWindow::PopupWindow(const QString& title) : window_(std::make_unique<QWidget>())
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
    else if (onWayland())
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
    QRect anchor;
    if (const auto onScreen = view.rectOnScreen(rect))
        anchor = QRectF(onScreen->x, onScreen->y, onScreen->width, onScreen->height).toAlignedRect();
    else // the host keeps the icon's place to itself: open by the pointer that clicked it
        anchor = QRect(QCursor::pos(), QSize(1, 1));

    QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QSize size = contentSize_.isValid() ? contentSize_ : window_->sizeHint();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), size);
    window_->setGeometry(placement(anchor, size, available, preferredEdge));
    window_->show();
}

void PopupWindow::performClose(StatusItemButton*)
{
    window_->close();
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

bool PopupWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_.get()) {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            window_->close();
            return true;
        }
        // Where the window is no popup, losing the focus stands for the click outside.
        if (event->type() == QEvent::WindowDeactivate && behavior_ == Behavior::Transient
            && window_->windowType() != Qt::Popup) {
            window_->close();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace platform
