#include "ui/layout.h"

#include <cmath>
#include <functional>
#include <sstream>

namespace ui {

std::size_t Layout::KeyHash::operator()(const Key& key) const
{
    const auto length = [](const std::optional<double>& value) {
        return value ? std::hash<double>()(*value) : std::size_t(0x9e3779b9);
    };
    return std::hash<const void*>()(key.node) ^ (length(key.width) * 31) ^ (length(key.height) * 131);
}

QSizeF Layout::sizeOf(const View& view, const ProposedSize& proposal)
{
    const Key key{&view.node(), proposal.width, proposal.height};
    if (const auto found = sizes_.find(key); found != sizes_.end())
        return found->second;
    const QSizeF size = view.node().sizeThatFits(proposal, *this);
    sizes_.emplace(key, size);
    return size;
}

LaidOut Layout::place(const View& view, const QRectF& frame, const std::string& path)
{
    LaidOut laidOut{view, frame, path, {}, frame};
    const auto children = view.node().children();
    const auto frames = view.node().placeChildren(frame, *this);
    for (std::size_t i = 0; i < children.size() && i < frames.size(); ++i) {
        laidOut.children.push_back(place(children[i], frames[i], childPath(path, i, children[i])));
        laidOut.extent = laidOut.extent.united(laidOut.children.back().extent);
    }
    return laidOut;
}

std::string childPath(const std::string& parent, std::size_t index, const View& child)
{
    return parent + "/" + std::to_string(index) + child.node().kind();
}

LaidOut layOut(const View& root, QSizeF size, Layout& layout)
{
    const QSizeF chosen = layout.sizeOf(root, {size.width(), size.height()});
    const QRectF frame(QPointF((size.width() - chosen.width()) / 2, (size.height() - chosen.height()) / 2), chosen);
    return layout.place(root, frame, "");
}

namespace {

void dumpInto(std::ostringstream& out, const LaidOut& node, Layout& layout, int depth)
{
    const auto rounded = [](double value) { return std::round(value * 100) / 100; };
    out << std::string(std::size_t(depth) * 2, ' ') << node.view.node().kind() << " (" << rounded(node.frame.x())
        << ", " << rounded(node.frame.y()) << ", " << rounded(node.frame.width()) << " x "
        << rounded(node.frame.height()) << ")";
    if (const auto extra = node.view.node().describe(node, layout); !extra.empty())
        out << ' ' << extra;
    out << '\n';
    for (const auto& child : node.children)
        dumpInto(out, child, layout, depth + 1);
}

} // namespace

std::string dump(const LaidOut& tree, Layout& layout)
{
    std::ostringstream out;
    dumpInto(out, tree, layout, 0);
    return out.str();
}

} // namespace ui
