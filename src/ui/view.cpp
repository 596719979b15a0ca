#include "ui/view.h"

#include "ui/layout.h"

#include <functional>

namespace ui {
namespace {

// Draws nothing and takes no room.
class EmptyNode final : public ViewNode {
public:
    std::string_view kind() const override { return "empty"; }
    QSizeF sizeThatFits(const ProposedSize&, Layout&) const override { return {0, 0}; }
    bool drawsLike(const ViewNode&) const override { return true; }
};

} // namespace

View::View() : node_(std::make_shared<EmptyNode>()) {}

ViewPath ViewPath::child(std::size_t index, std::string_view kind) const
{
    ViewPath path = *this;
    path.steps.push_back({std::uint32_t(index), kind});
    return path;
}

std::size_t KeyHash::operator()(const ViewPath& path) const
{
    std::size_t hash = path.steps.size();
    for (const auto& step : path.steps)
        hash = (hash * 31 + step.index) * 31 + std::hash<std::string_view>()(step.kind);
    return hash;
}

std::size_t KeyHash::operator()(const StateKey& key) const
{
    return (*this)(key.place) * 31 + std::hash<std::string_view>()(key.name);
}

std::vector<QRectF> ViewNode::placeChildren(const QRectF& frame, Layout&) const
{
    return std::vector<QRectF>(children().size(), frame);
}

QRectF ViewNode::redrawnInk(const ViewNode&, const LaidOut& laidOut) const
{
    return inkBounds(laidOut);
}

void ViewNode::paint(PaintContext& context, const LaidOut& laidOut) const
{
    paintChildren(context, laidOut);
}

std::shared_ptr<const ViewNode> ViewNode::withChildren(std::vector<View> children) const
{
    const auto node = copy();
    node->children_ = std::move(children);
    return node;
}

} // namespace ui
