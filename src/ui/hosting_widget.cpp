#include "ui/hosting_widget.h"

#include "ui/accessible_host.h"
#include "ui/painting_thread.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <chrono>
#include <cmath>

namespace ui {
namespace {

// Seconds on the steady clock: the time base of every `now` the views see.
double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool pressesButton(const QKeyEvent* event)
{
    const int key = event->key();
    return !event->isAutoRepeat() && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter);
}

} // namespace

HostingWidget::HostingWidget(ViewHost::Body body, QWidget* parent) : QWidget(parent), host_(std::move(body))
{
    host_.setInvalidate([this] { invalidate(); });
    setFocusPolicy(Qt::TabFocus);
    installAccessibleHosting();
    // Frames only while something moves, as often as its motion shows.
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    // Each frame repaints only where something moves.
    connect(&frameTimer_, &QTimer::timeout, this,
            [this] { update(host_.animatingBounds(steadySeconds()).toAlignedRect().intersected(rect())); });
}

HostingWidget::~HostingWidget()
{
    for (const auto& disconnect : disconnects_)
        disconnect();
}

void HostingWidget::invalidate()
{
    // Several changes in one turn of the event loop give one layout.
    if (std::exchange(layoutQueued_, true))
        return;
    QMetaObject::invokeMethod(this, &HostingWidget::layOutAgain, Qt::QueuedConnection);
}

void HostingWidget::layOutAgain()
{
    if (!std::exchange(layoutQueued_, false))
        return; // a paint came first and laid out
    if (!isVisible() || stale_ || size() != renderedSize_) {
        stale_ = true;
        update();
        return;
    }
    // Views measure their texts as they lay out: that too on the painting thread, so that the
    // fonts loaded for the panel go when the thread ends.
    const View root = host_.build(scheme_, steadySeconds());
    runOnPaintingThread([&] { host_.layOut(root, size()); });
    if (QAccessible::isActive())
        accessibleTreeChanged(this);
    // Only the views whose looks changed are painted again.
    const QRect changed = host_.changedBounds().toAlignedRect().intersected(rect());
    if (changed.isEmpty())
        host_.runAppearActions();
    else
        update(changed);
}

void HostingWidget::setColorScheme(ColorScheme scheme)
{
    if (scheme_ == scheme)
        return;
    scheme_ = scheme;
    // Views name colours for both appearances, so the whole panel is painted again.
    stale_ = true;
    update();
}

void HostingWidget::paintEvent(QPaintEvent* event)
{
    const double now = steadySeconds();
    // Between changes, frames only advance what moves: the rest of the tree stands as it was.
    const bool updated = stale_ || layoutQueued_ || size() != renderedSize_ || !host_.advanceAnimations(now);
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (canvas_.size() != pixels || canvas_.devicePixelRatio() != ratio) {
        canvas_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        canvas_.setDevicePixelRatio(ratio);
    }
    const QRegion region = event->region();
    const QRect area = rect();
    const QSize size = this->size();
    QRect changed;
    const std::optional<View> root = updated ? std::optional(host_.build(scheme_, now)) : std::nullopt;
    runOnPaintingThread([&] {
        if (root) {
            host_.layOut(*root, size);
            changed = host_.changedBounds().toAlignedRect().intersected(area);
        }
        QPainter painter(&canvas_);
        // Effects read the clip to spare layers that fall outside the repainted part.
        painter.setClipRegion(region);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(area, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        host_.paint(painter, scheme_);
    });
    if (updated) {
        stale_ = layoutQueued_ = false;
        renderedSize_ = size;
        // A paint that came for one part (a frame) while the views changed elsewhere too.
        if (const QRegion missed = QRegion(changed) - region; !missed.isEmpty())
            update(missed);
    }
    QPainter painter(this);
    painter.setClipRegion(region);
    painter.drawImage(QPointF(), canvas_);
    painter.end();
    host_.runAppearActions();
    if (updated && QAccessible::isActive())
        accessibleTreeChanged(this);
    if (host_.isAnimating(now) && !frameTimer_.isActive())
        frameTimer_.start(int(std::lround(host_.frameInterval(now, devicePixelRatioF()) * 1000)));
}

void HostingWidget::mousePressEvent(QMouseEvent* event)
{
    setKeyboardFocus({focus_.button, false}); // no ring while the mouse is used
    if (event->button() == Qt::LeftButton)
        host_.press(event->position());
}

void HostingWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        host_.release(event->position());
}

void HostingWidget::setKeyboardFocus(KeyboardFocus focus)
{
    const auto ringOf = [this](const KeyboardFocus& of) -> std::optional<StateKey> {
        const LaidOut* button = of.button && of.ringShown ? focusableButton(laidOut(), *of.button) : nullptr;
        return button ? button->traits().focusedState : std::nullopt;
    };
    if (const auto ring = ringOf(focus_))
        host_.setFlag(*ring, false);
    const bool moved = focus.button != focus_.button;
    focus_ = std::move(focus);
    if (const auto ring = ringOf(focus_))
        host_.setFlag(*ring, true);
    if (moved && QAccessible::isActive())
        accessibleFocusChanged(this);
}

bool HostingWidget::focusNextPrevChild(bool next)
{
    setKeyboardFocus({nextButton(laidOut(), focus_.button, next), true});
    return true; // the keyboard stays among the buttons
}

void HostingWidget::keyPressEvent(QKeyEvent* event)
{
    const LaidOut* button = focus_.button ? focusableButton(laidOut(), *focus_.button) : nullptr;
    if (!pressesButton(event) || !button) {
        QWidget::keyPressEvent(event);
        return;
    }
    setKeyboardFocus({focus_.button, true});
    // Pressed and released as a click in its middle would be, with the same look.
    keyPress_ = button->frame.center();
    host_.press(*keyPress_);
}

void HostingWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (!pressesButton(event) || !keyPress_) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    host_.release(*std::exchange(keyPress_, std::nullopt));
}

void HostingWidget::hideEvent(QHideEvent* event)
{
    // Each opening starts with the keyboard on no button.
    setKeyboardFocus({});
    keyPress_.reset();
    // A closed panel keeps no pixels.
    canvas_ = QImage();
    endPaintingThread();
    QWidget::hideEvent(event);
}

} // namespace ui
