#include "ui/view_host.h"

#include "ui/button.h"
#include "ui/on_appear.h"
#include "ui/paint_context.h"

#include <algorithm>

namespace ui {

ViewHost::ViewHost(Body body) : body_(std::move(body)) {}

void ViewHost::render(QPainter& painter, QSizeF size, ColorScheme scheme, qreal devicePixelRatio, double now)
{
    store_.now = now;
    store_.beginPass();
    const View root = resolveTree(body_(scheme), store_, now);
    store_.endPass();

    layout_.emplace();
    tree_ = layOut(root, size, *layout_);
    paint(painter, scheme, devicePixelRatio, now);
}

bool ViewHost::renderAnimationFrame(QPainter& painter, ColorScheme scheme, qreal devicePixelRatio, double now)
{
    store_.now = now;
    for (const std::string& key : store_.animatingKeys(now)) {
        const std::string path = key.substr(0, key.find('#'));
        auto* node = const_cast<LaidOut*>(nodeAt(tree_, path));
        if (!node)
            return false;
        const auto rebuilt = rebuildStateful(node->view, store_, path, now);
        if (!rebuilt)
            return false;
        Layout layout;
        const ProposedSize proposal{node->frame.width(), node->frame.height()};
        if (layout.sizeOf(*rebuilt, proposal) != node->frame.size())
            return false;
        *node = layout.place(*rebuilt, node->frame, path);
    }
    // The extents above the rebuilt views still hold: their frames did not change.
    paint(painter, scheme, devicePixelRatio, now);
    return true;
}

void ViewHost::paint(QPainter& painter, ColorScheme scheme, qreal devicePixelRatio, double now)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    PaintContext context{painter, scheme, devicePixelRatio, std::nullopt, now};
    paintTree(context, tree_);

    std::set<std::string> present;
    runAppearActions(tree_, present);
    appeared_ = std::move(present);
}

void ViewHost::runAppearActions(const LaidOut& node, std::set<std::string>& present)
{
    if (const auto* appearing = dynamic_cast<const OnAppearNode*>(&node.view.node())) {
        present.insert(node.path);
        if (!appeared_.contains(node.path) && appearing->action())
            appearing->action()();
    }
    for (const auto& child : node.children)
        runAppearActions(child, present);
}

const LaidOut* ViewHost::nodeAt(const LaidOut& node, const std::string& path) const
{
    if (node.path == path)
        return &node;
    for (const auto& child : node.children)
        if (path.starts_with(child.path))
            if (const auto* found = nodeAt(child, path))
                return found;
    return nullptr;
}

QRectF ViewHost::animatingBounds(double now) const
{
    // Shadows and glows reach past the frames of what casts them.
    constexpr double reach = 16;
    QRectF bounds;
    for (const std::string& key : store_.animatingKeys(now)) {
        const LaidOut* node = nodeAt(tree_, key.substr(0, key.find('#')));
        if (!node)
            return tree_.frame; // cannot tell where: all of it
        bounds = bounds.united(inkBounds(*node).adjusted(-reach, -reach, reach, reach));
    }
    return bounds;
}

double ViewHost::frameInterval(double now, qreal devicePixelRatio) const
{
    constexpr double fastest = 1.0 / 60;
    constexpr double slowest = 1.0 / 10;
    constexpr double step = 0.5; // device pixels a frame may move
    double pixelsPerSecond = 0;
    for (const std::string& key : store_.animatingKeys(now)) {
        const LaidOut* node = nodeAt(tree_, key.substr(0, key.find('#')));
        if (!node)
            return fastest;
        // A value moving by 1 may move the view's whole extent: a scale, a fraction, a colour.
        const double extent = std::max(node->extent.width(), node->extent.height()) * devicePixelRatio;
        // Look a little ahead, so motion that starts from rest is not missed.
        double speed = 0;
        for (const double ahead : {0.0, fastest, 3 * fastest})
            speed = std::max(speed, store_.speed(key, now + ahead));
        pixelsPerSecond = std::max(pixelsPerSecond, speed * extent);
    }
    return pixelsPerSecond > 0 ? std::clamp(step / pixelsPerSecond, fastest, slowest) : fastest;
}

std::string ViewHost::layoutDump()
{
    return layout_ ? dump(tree_, *layout_) : std::string();
}

const LaidOut* ViewHost::buttonAt(const LaidOut& node, QPointF point) const
{
    for (auto child = node.children.rbegin(); child != node.children.rend(); ++child)
        if (const auto* found = buttonAt(*child, point))
            return found;
    return asButton(node.view.node()) && node.frame.contains(point) ? &node : nullptr;
}

void ViewHost::press(QPointF point)
{
    const LaidOut* button = buttonAt(tree_, point);
    if (!button)
        return;
    pressed_ = button->path;
    store_.at(pressedKey(*asButton(button->view.node())), false) = true;
    store_.invalidate();
}

void ViewHost::release(QPointF point)
{
    if (!pressed_)
        return;
    const LaidOut* button = buttonAt(tree_, point);
    const bool over = button && button->path == *pressed_;
    const std::string key = *pressed_ + "#pressed";
    pressed_.reset();
    if (auto* pressed = store_.find<bool>(key))
        *pressed = false;
    store_.invalidate();
    if (over)
        runAction(*asButton(button->view.node()));
}

QImage renderImage(const ViewHost::Body& body, QSizeF size, double scale, ColorScheme scheme)
{
    QImage image((size * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    ViewHost host(body);
    host.render(painter, size, scheme, scale, 0);
    return image;
}

std::string layoutDump(const ViewHost::Body& body, QSizeF size, ColorScheme scheme)
{
    QImage scratch(1, 1, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&scratch);
    painter.setClipRect(QRectF(0, 0, 0, 0)); // only the layout is wanted
    ViewHost host(body);
    host.render(painter, size, scheme, 1, 0);
    return host.layoutDump();
}

} // namespace ui
