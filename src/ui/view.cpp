#include "ui/view.h"

#include "ui/layout.h"
#include "ui/paint_context.h"

namespace ui {
namespace {

// Draws nothing and takes no room.
class EmptyNode final : public ViewNode {
public:
    std::string_view kind() const override { return "empty"; }
    QSizeF sizeThatFits(const ProposedSize&, Layout&) const override { return {0, 0}; }
};

} // namespace

View::View() : node_(std::make_shared<EmptyNode>()) {}

std::vector<QRectF> ViewNode::placeChildren(const QRectF& frame, Layout&) const
{
    return std::vector<QRectF>(children().size(), frame);
}

void ViewNode::paint(PaintContext& context, const LaidOut& laidOut) const
{
    paintChildren(context, laidOut);
}

std::shared_ptr<const ViewNode> ViewNode::withChildren(std::vector<View>) const
{
    return nullptr;
}

void paintChildren(PaintContext& context, const LaidOut& laidOut)
{
    for (const auto& child : laidOut.children)
        paintTree(context, child);
}

void paintTree(PaintContext& context, const LaidOut& laidOut)
{
    // Where only part of the window is repainted, views that cannot reach it are not drawn.
    QPainter& painter = context.painter;
    if (painter.hasClipping() && !inkBounds(laidOut).intersects(painter.clipBoundingRect()))
        return;
    laidOut.view.node().paint(context, laidOut);
}

} // namespace ui
