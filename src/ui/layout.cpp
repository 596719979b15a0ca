#include "ui/layout.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <typeinfo>

namespace ui {

std::size_t Layout::KeyHash::operator()(const Key& key) const
{
    const std::hash<std::optional<double>> length;
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

LaidOut Layout::place(const View& view, const QRectF& frame, const ViewPath& path)
{
    LaidOut laidOut{view, frame, path, {}, frame};
    const auto& children = view.node().children();
    const auto frames = view.node().placeChildren(frame, *this);
    for (std::size_t i = 0; i < children.size() && i < frames.size(); ++i) {
        laidOut.children.push_back(place(children[i], frames[i], path.child(i, children[i].node().kind())));
        laidOut.extent = laidOut.extent.united(laidOut.children.back().extent);
    }
    return laidOut;
}

LaidOut layOut(const View& root, QSizeF size, Layout& layout)
{
    const QSizeF chosen = layout.sizeOf(root, {size.width(), size.height()});
    const QRectF frame(QPointF((size.width() - chosen.width()) / 2, (size.height() - chosen.height()) / 2), chosen);
    return layout.place(root, frame, {});
}

QRectF changedInk(const LaidOut& before, const LaidOut& after)
{
    const ViewNode &was = before.view.node(), &is = after.view.node();
    const bool samePlace = before.frame == after.frame && before.children.size() == after.children.size()
                           && typeid(was) == typeid(is) && was.kind() == is.kind();
    const bool alike = samePlace && is.drawsLike(was);
    if (samePlace && !alike && after.children.empty())
        return is.redrawnInk(was, after);
    if (!alike)
        return inkBounds(before) | inkBounds(after);
    QRectF changed;
    for (std::size_t i = 0; i < after.children.size(); ++i)
        changed |= changedInk(before.children[i], after.children[i]);
    return changed.isEmpty() ? changed : is.spreadChange(changed, after.frame);
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

std::vector<const LaidOut*> findAll(const LaidOut& root, std::string_view kind)
{
    std::vector<const LaidOut*> found;
    if (root.kind() == kind)
        found.push_back(&root);
    for (const auto& child : root.children)
        std::ranges::copy(findAll(child, kind), std::back_inserter(found));
    return found;
}

} // namespace ui
