#include "ui/hosting_widget.h"

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

} // namespace

HostingWidget::HostingWidget(ViewHost::Body body, QWidget* parent) : QWidget(parent), host_(std::move(body))
{
    host_.setInvalidate([this] { invalidate(); });
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
    stale_ = true;
    update();
}

void HostingWidget::setColorScheme(ColorScheme scheme)
{
    if (scheme_ == scheme)
        return;
    scheme_ = scheme;
    invalidate();
}

void HostingWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    // Effects read the clip to spare layers that fall outside the repainted part.
    painter.setClipRegion(event->region());
    const double now = steadySeconds();
    // Between changes, frames only advance what moves: the rest of the tree stands as it was.
    if (stale_ || size() != renderedSize_ || !host_.renderAnimationFrame(painter, scheme_, now)) {
        host_.render(painter, size(), scheme_, now);
        stale_ = false;
        renderedSize_ = size();
    }
    if (host_.isAnimating(now) && !frameTimer_.isActive())
        frameTimer_.start(int(std::lround(host_.frameInterval(now, devicePixelRatioF()) * 1000)));
}

void HostingWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        host_.press(event->position());
}

void HostingWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        host_.release(event->position());
}

} // namespace ui
