#pragma once

#include "ui/layout.h"
#include "ui/view_state.h"

#include <QImage>
#include <QPainter>

#include <functional>
#include <optional>
#include <set>

namespace ui {

// Renders a root view again and again, keeping its view state, running its appear actions and
// pressing its buttons. Windows and offscreen images both draw through it.
class ViewHost {
public:
    // Builds the root view for an appearance; called on every render.
    using Body = std::function<View(ColorScheme)>;

    explicit ViewHost(Body body);

    // Resolves, lays out in `size` (points) and paints with `painter`, whose unit is a point.
    void render(QPainter& painter, QSizeF size, ColorScheme scheme, qreal devicePixelRatio, double now);

    // An animation frame: builds again only the views whose animations move, in the places the
    // last render gave them, then paints. False, painting nothing, when a moving view would
    // change its size: then a full render is due.
    bool renderAnimationFrame(QPainter& painter, ColorScheme scheme, qreal devicePixelRatio, double now);

    // The last render's layout as text, for tests.
    std::string layoutDump();
    // Whether something still moves at `now`: the host's clock runs only then.
    bool isAnimating(double now) const { return store_.isAnimating(now); }
    // Where the views that still move at `now` draw, in points: all a frame needs to repaint.
    QRectF animatingBounds(double now) const;
    // How long until the next frame shows a change: the motion of the fastest moving view should
    // not jump by more than half a device pixel, at sixty frames a second at most.
    double frameInterval(double now, qreal devicePixelRatio) const;

    // A press and its release at points of the last render; the release over the same
    // button runs its action.
    void press(QPointF point);
    void release(QPointF point);

    // Called when a view changes its state and wants another render.
    void setInvalidate(std::function<void()> invalidate) { store_.invalidate = std::move(invalidate); }

private:
    const LaidOut* buttonAt(const LaidOut& node, QPointF point) const;
    const LaidOut* nodeAt(const LaidOut& node, const std::string& path) const;
    void paint(QPainter& painter, ColorScheme scheme, qreal devicePixelRatio, double now);
    void runAppearActions(const LaidOut& node, std::set<std::string>& present);

    Body body_;
    ViewStateStore store_;
    std::optional<Layout> layout_;
    LaidOut tree_;
    std::set<std::string> appeared_;
    std::optional<std::string> pressed_; // the pressed button's path
};

// The view drawn into an image of `size` points at `scale` device pixels per point.
QImage renderImage(const ViewHost::Body& body, QSizeF size, double scale, ColorScheme scheme);

// The layout of a view in `size`, as `ViewHost::layoutDump` writes it.
std::string layoutDump(const ViewHost::Body& body, QSizeF size, ColorScheme scheme = ColorScheme::Light);

} // namespace ui
