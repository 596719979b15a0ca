#include "ui/view_host.h"

#include "ui/button.h"
#include "ui/on_appear.h"
#include "ui/paint_context.h"

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
