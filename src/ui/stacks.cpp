#include "ui/stacks.h"

#include "ui/layout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace ui {
namespace {

constexpr double unbounded = std::numeric_limits<double>::infinity();
constexpr double spacerMinimum = 8;

enum class Axis { Horizontal, Vertical };

class StackNode final : public ViewNode {
public:
    StackNode(Axis axis, Alignment alignment, double spacing, std::vector<View> children)
        : ViewNode(std::move(children)), axis_(axis), alignment_(alignment), spacing_(spacing)
    {
    }

    std::string_view kind() const override { return axis_ == Axis::Vertical ? "VStack" : "HStack"; }
    bool drawsLike(const ViewNode&) const override { return true; }

    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        const auto sizes = childSizes(proposal, layout);
        double main = spacing_ * double(std::max<std::size_t>(children().size(), 1) - 1);
        double cross = 0;
        for (const QSizeF& size : sizes) {
            main += mainOf(size);
            cross = std::max(cross, crossOf(size));
        }
        return make(main, cross);
    }

    std::vector<QRectF> placeChildren(const QRectF& frame, Layout& layout) const override
    {
        const auto sizes = childSizes({frame.width(), frame.height()}, layout);
        std::vector<QRectF> frames;
        double position = mainOf(frame.topLeft());
        const double crossStart = crossOf(frame.topLeft());
        const double crossLength = crossOf(frame.size());
        for (const QSizeF& size : sizes) {
            const double offset = alignment_ == Alignment::Center ? (crossLength - crossOf(size)) / 2 : 0;
            const QPointF origin = axis_ == Axis::Vertical ? QPointF(crossStart + offset, position)
                                                           : QPointF(position, crossStart + offset);
            frames.emplace_back(origin, size);
            position += mainOf(size) + spacing_;
        }
        return frames;
    }

private:
    // 1. Take the spacing, and the spacers' minimum lengths, from the main length on offer.
    // 2. Rank the other children from least to most flexible: how much they grow between a
    //    proposal of zero and an unbounded one on the main axis.
    // 3. In that order, offer each an equal share of what is left, and take off what it takes.
    // 4. The spacers share what remains equally, on top of their minimums.
    // Sizes come back in declaration order, which is the order of placement. With no main
    // length on offer, every child is asked for its ideal length.
    std::vector<QSizeF> childSizes(const ProposedSize& proposal, Layout& layout) const
    {
        const std::optional<double> crossOffer = axis_ == Axis::Vertical ? proposal.width : proposal.height;
        const std::optional<double> mainOffer = axis_ == Axis::Vertical ? proposal.height : proposal.width;
        std::vector<QSizeF> sizes(children().size());
        // A spacer fills the main axis only: it never makes the stack thicker.
        const auto sizeOf = [&](std::size_t i, std::optional<double> main) {
            const QSizeF size = layout.sizeOf(children()[i], make(main, crossOffer));
            return children()[i].node().isSpacer() ? make(mainOf(size), 0.0) : size;
        };
        if (!mainOffer) {
            for (std::size_t i = 0; i < children().size(); ++i)
                sizes[i] = sizeOf(i, std::nullopt);
            return sizes;
        }

        double remaining = *mainOffer - spacing_ * double(std::max<std::size_t>(children().size(), 1) - 1);
        std::vector<std::size_t> others;
        std::vector<std::size_t> spacers;
        std::vector<double> flexibility(children().size());
        for (std::size_t i = 0; i < children().size(); ++i) {
            if (children()[i].node().isSpacer()) {
                spacers.push_back(i);
                remaining -= spacerMinimum;
            } else {
                others.push_back(i);
            }
        }
        // Only two or more children need ranking; each rank asks a child twice more.
        if (others.size() > 1) {
            for (const std::size_t i : others)
                flexibility[i] = mainOf(layout.sizeOf(children()[i], make(unbounded, crossOffer)))
                                 - mainOf(layout.sizeOf(children()[i], make(0.0, crossOffer)));
            std::stable_sort(others.begin(), others.end(),
                             [&](std::size_t a, std::size_t b) { return flexibility[a] < flexibility[b]; });
        }

        for (std::size_t placed = 0; placed < others.size(); ++placed) {
            const std::size_t i = others[placed];
            sizes[i] = sizeOf(i, std::max(0.0, remaining / double(others.size() - placed)));
            remaining -= mainOf(sizes[i]);
        }
        for (const std::size_t i : spacers)
            sizes[i] = sizeOf(i, spacerMinimum + std::max(0.0, remaining / double(spacers.size())));
        return sizes;
    }

    double mainOf(QSizeF size) const { return axis_ == Axis::Vertical ? size.height() : size.width(); }
    double crossOf(QSizeF size) const { return axis_ == Axis::Vertical ? size.width() : size.height(); }
    double mainOf(QPointF point) const { return axis_ == Axis::Vertical ? point.y() : point.x(); }
    double crossOf(QPointF point) const { return axis_ == Axis::Vertical ? point.x() : point.y(); }
    QSizeF make(double main, double cross) const
    {
        return axis_ == Axis::Vertical ? QSizeF(cross, main) : QSizeF(main, cross);
    }
    ProposedSize make(std::optional<double> main, std::optional<double> cross) const
    {
        return axis_ == Axis::Vertical ? ProposedSize{cross, main} : ProposedSize{main, cross};
    }

    std::shared_ptr<ViewNode> copy() const override { return std::make_shared<StackNode>(*this); }

    Axis axis_;
    Alignment alignment_;
    double spacing_;
};

class ZStackNode final : public ViewNode {
public:
    explicit ZStackNode(std::vector<View> children) : ViewNode(std::move(children)) {}

    std::string_view kind() const override { return "ZStack"; }
    bool drawsLike(const ViewNode&) const override { return true; }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        QSizeF size(0, 0);
        for (const auto& child : children())
            size = size.expandedTo(layout.sizeOf(child, proposal));
        return size;
    }
    std::vector<QRectF> placeChildren(const QRectF& frame, Layout& layout) const override
    {
        std::vector<QRectF> frames;
        for (const auto& child : children())
            frames.push_back(centred(layout.sizeOf(child, {frame.width(), frame.height()}), frame));
        return frames;
    }

private:
    std::shared_ptr<ViewNode> copy() const override { return std::make_shared<ZStackNode>(*this); }
};

// Takes what is offered, at least its minimum; asked for its ideal, just the minimum.
class SpacerNode final : public ViewNode {
public:
    std::string_view kind() const override { return "Spacer"; }
    bool drawsLike(const ViewNode&) const override { return true; }
    bool isSpacer() const override { return true; }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout&) const override
    {
        const auto along = [](std::optional<double> offer) {
            return offer ? std::max(spacerMinimum, *offer) : spacerMinimum;
        };
        return {along(proposal.width), along(proposal.height)};
    }
};

class DividerNode final : public ViewNode {
public:
    std::string_view kind() const override { return "Divider"; }
    bool drawsLike(const ViewNode&) const override { return true; } // the same line in any frame
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout&) const override
    {
        const double width = proposal.width && std::isfinite(*proposal.width) ? *proposal.width : 0;
        return {width, 1};
    }
    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        context.painter.fillRect(laidOut.frame, Color::primary().opacity(0.1).resolve(context.scheme));
    }
};

} // namespace

View VStack(Alignment alignment, double spacing, std::vector<View> children)
{
    return View(std::make_shared<StackNode>(Axis::Vertical, alignment, spacing, std::move(children)));
}

View HStack(double spacing, std::vector<View> children)
{
    return View(std::make_shared<StackNode>(Axis::Horizontal, Alignment::Center, spacing, std::move(children)));
}

View ZStack(std::vector<View> children)
{
    return View(std::make_shared<ZStackNode>(std::move(children)));
}

View Spacer()
{
    return View(std::make_shared<SpacerNode>());
}

View Divider()
{
    return View(std::make_shared<DividerNode>());
}

} // namespace ui
