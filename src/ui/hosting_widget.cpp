#include "ui/hosting_widget.h"

#include "ui/animation.h"

#include <QMouseEvent>
#include <QPainter>

namespace ui {

HostingWidget::HostingWidget(ViewHost::Body body, QWidget* parent) : QWidget(parent), host_(std::move(body))
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    host_.setInvalidate([this] { update(); });
    // About sixty frames a second, only while something moves.
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setInterval(16);
    connect(&frameTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

HostingWidget::~HostingWidget()
{
    for (const auto& disconnect : disconnects_)
        disconnect();
}

void HostingWidget::setColorScheme(ColorScheme scheme)
{
    if (scheme_ == scheme)
        return;
    scheme_ = scheme;
    update();
}

void HostingWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const double now = steadySeconds();
    host_.render(painter, size(), scheme_, devicePixelRatioF(), now);
    if (host_.isAnimating(now) && !frameTimer_.isActive())
        frameTimer_.start();
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
