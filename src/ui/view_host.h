#pragma once

#include "ui/layout.h"
#include "ui/view_state.h"

#include <QImage>
#include <QPainter>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>

namespace ui {

// Renders a root view again and again, keeping its view state, running its appear actions and
// pressing its buttons. Windows and offscreen images both draw through it.
class ViewHost {
public:
    // Builds the root view for an appearance; called on every render.
    using Body = std::function<View(ColorScheme)>;

    explicit ViewHost(Body body) : body_(std::move(body)) {}

    // `update`, `paint` and `runAppearActions` in turn.
    void render(QPainter& painter, QSizeF size, ColorScheme scheme, double now);

    // Builds the views again and lays them out in `size` (points): `build`, then `layOut`.
    void update(QSizeF size, ColorScheme scheme, double now) { layOut(build(scheme, now), size); }
    // The two halves of an update. Building reads what the views show, so it runs where that
    // lives; laying out reads only the views, and may run on another thread while this one waits.
    View build(ColorScheme scheme, double now);
    void layOut(const View& root, QSizeF size);
    // Where the last update changed what the views draw, in points: all that needs painting
    // again, as long as the appearance stayed the same.
    QRectF changedBounds() const { return changed_; }
    // An animation frame: builds again only the views whose animations move, in the places the
    // last layout gave them. False when one would change its size: then an update is due.
    bool advanceAnimations(double now);
    // Paints the last layout with `painter`, whose unit is a point. Reads the views and changes
    // nothing, so it may run on another thread while this one waits.
    void paint(QPainter& painter, ColorScheme scheme) const;
    // Runs the actions of the views that the last layout placed for the first time.
    void runAppearActions();

    // The last render's layout, for tests.
    const LaidOut& laidOut() const { return tree_; }
    // Whether something still moves at `now`: the host's clock runs only then.
    bool isAnimating(double now) const { return !store_->animatingKeys(now).empty(); }
    // Where the views that still move at `now` draw, in points: all a frame needs to repaint.
    QRectF animatingBounds(double now) const;
    // How long until the next frame shows a change: the motion of the fastest moving view should
    // not jump by more than half a device pixel, at sixty frames a second at most.
    double frameInterval(double now, qreal devicePixelRatio) const;

    // A press and its release at points of the last render; the release over the same
    // button runs its action.
    void press(QPointF point);
    void release(QPointF point);

    // Sets a flag that views keep in their state, such as a button's focus ring, from outside.
    void setFlag(const StateKey& key, bool value);

    // Called when a view changes its state and wants another render.
    void setInvalidate(std::function<void()> invalidate) { store_->invalidate = std::move(invalidate); }

private:
    void collectAppearActions(const LaidOut& node, std::unordered_set<ViewPath, KeyHash>& present);

    Body body_;
    std::shared_ptr<ViewStateStore> store_ = std::make_shared<ViewStateStore>();
    LaidOut tree_;
    QRectF changed_;
    std::unordered_set<ViewPath, KeyHash> appeared_;
    std::optional<StateKey> pressed_; // the pressed button's state
};

// The view drawn into an image of `size` points at `scale` device pixels per point.
QImage renderImage(const ViewHost::Body& body, QSizeF size, double scale, ColorScheme scheme);

} // namespace ui
