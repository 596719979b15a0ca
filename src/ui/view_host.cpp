#include "ui/view_host.h"

#include "ui/layout.h"
#include "ui/text_measure.h"

#include <algorithm>

namespace ui {
namespace {

// The laid-out view at `path`, if the tree still has one there.
template <class Tree>
Tree* nodeAt(Tree& root, const ViewPath& path)
{
    Tree* node = &root;
    for (const auto& step : path.steps) {
        if (step.index >= node->children.size())
            return nullptr;
        node = &node->children[step.index];
    }
    return node->path == path ? node : nullptr;
}

// The frontmost button under `point`, with what pressing it needs.
std::optional<ViewTraits> buttonAt(const LaidOut& node, QPointF point)
{
    for (auto child = node.children.rbegin(); child != node.children.rend(); ++child)
        if (auto found = buttonAt(*child, point))
            return found;
    if (!node.frame.contains(point))
        return std::nullopt;
    ViewTraits traits = node.traits();
    return traits.pressedState ? std::optional(std::move(traits)) : std::nullopt;
}

} // namespace

void ViewHost::render(QPainter& painter, QSizeF size, ColorScheme scheme, double now)
{
    update(size, scheme, now);
    paint(painter, scheme);
    runAppearActions();
}

View ViewHost::build(ColorScheme scheme, double now)
{
    store_->now = now;
    store_->beginPass();
    View root = resolveTree(body_(scheme), *store_, {}, now);
    store_->endPass();
    return root;
}

void ViewHost::layOut(const View& root, QSizeF size)
{
    beginTextFrame();
    Layout layout;
    LaidOut laidOut = ui::layOut(root, size, layout);
    changed_ = changedInk(tree_, laidOut);
    tree_ = std::move(laidOut);
}

bool ViewHost::advanceAnimations(double now)
{
    store_->now = now;
    for (const StateKey& key : store_->animatingKeys(now)) {
        LaidOut* node = nodeAt(tree_, key.place);
        if (!node)
            return false;
        // The stateful view that built the moving body builds it again.
        const auto source = node->traits().builtBy;
        if (!source)
            return false;
        const View body = resolveTree(*source, *store_, key.place, now);
        Layout layout;
        const ProposedSize proposal{node->frame.width(), node->frame.height()};
        if (layout.sizeOf(body, proposal) != node->frame.size())
            return false;
        *node = layout.place(body, node->frame, key.place);
    }
    // The extents above the rebuilt views still hold: their frames did not change.
    return true;
}

void ViewHost::paint(QPainter& painter, ColorScheme scheme) const
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    PaintContext context{painter, scheme};
    paintTree(context, tree_);
}

void ViewHost::runAppearActions()
{
    std::unordered_set<ViewPath, KeyHash> present;
    collectAppearActions(tree_, present);
    appeared_ = std::move(present);
}

void ViewHost::collectAppearActions(const LaidOut& node, std::unordered_set<ViewPath, KeyHash>& present)
{
    if (const auto action = node.view.node().appearAction()) {
        present.insert(node.path);
        if (!appeared_.contains(node.path))
            action();
    }
    for (const auto& child : node.children)
        collectAppearActions(child, present);
}

QRectF ViewHost::animatingBounds(double now) const
{
    QRectF bounds;
    for (const StateKey& key : store_->animatingKeys(now)) {
        const LaidOut* node = nodeAt(tree_, key.place);
        if (!node)
            return tree_.frame; // cannot tell where: all of it
        bounds = bounds.united(inkBounds(*node));
    }
    return bounds;
}

double ViewHost::frameInterval(double now, qreal devicePixelRatio) const
{
    constexpr double fastest = 1.0 / 60;
    constexpr double slowest = 1.0 / 4;
    constexpr double step = 0.5; // device pixels a frame may move
    double interval = slowest;
    for (const StateKey& key : store_->animatingKeys(now)) {
        const LaidOut* node = nodeAt(tree_, key.place);
        if (!node)
            return fastest;
        // A scale moving by 1 moves the edges of a view scaled about its centre by half its
        // extent; the panel's other motions (the ring's fraction, colours) are brief.
        const double extent = std::max(node->extent.width(), node->extent.height()) * devicePixelRatio / 2;
        // The longest wait over which the motion stays within a step, at the fastest it goes in
        // that wait: slow motion (an ease's ends) takes few frames, and motion that starts from
        // rest within the wait is not missed.
        for (double tried = interval + 1; interval < tried && interval > fastest;) {
            tried = interval;
            double speed = 0;
            for (const double part : {0.0, 0.125, 0.25, 0.5, 0.75, 1.0})
                speed = std::max(speed, store_->speed(key, now + part * tried));
            if (speed * extent * tried > step)
                interval = std::max(fastest, step / (speed * extent));
        }
    }
    return interval;
}

void ViewHost::press(QPointF point)
{
    const auto button = buttonAt(tree_, point);
    if (!button)
        return;
    pressed_ = button->pressedState;
    store_->at(*pressed_, false) = true;
    store_->invalidate();
}

void ViewHost::release(QPointF point)
{
    if (!pressed_)
        return;
    const auto button = buttonAt(tree_, point);
    const bool over = button && button->pressedState == pressed_;
    if (auto* pressed = store_->find<bool>(*pressed_))
        *pressed = false;
    pressed_.reset();
    store_->invalidate();
    if (over && button->action)
        button->action();
}

void ViewHost::setFlag(const StateKey& key, bool value)
{
    auto* flag = store_->find<bool>(key);
    if (!flag || *flag == value)
        return;
    *flag = value;
    store_->invalidate();
}

QImage renderImage(const ViewHost::Body& body, QSizeF size, double scale, ColorScheme scheme)
{
    QImage image((size * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ViewHost host(body);
    host.render(painter, size, scheme, 0);
    return image;
}

} // namespace ui
