// The modifiers that shape layout: padding, frames, fixed size, background and overlay,
// and those that only set something for their content: foreground colour, appearing.
#include "ui/modifiers.h"

#include "ui/paint_context.h"

#include <algorithm>

namespace ui {
namespace {

std::optional<double> shrunk(std::optional<double> length, double by)
{
    return length ? std::optional(std::max(0.0, *length - by)) : std::nullopt;
}

// Shrinks the proposal by the insets and grows the answer by them.
class PaddingNode final : public ContentModifier<PaddingNode> {
public:
    PaddingNode(View content, Edges edges, double length) : ContentModifier(std::move(content))
    {
        top_ = edges & edges::top ? length : 0;
        bottom_ = edges & edges::bottom ? length : 0;
        leading_ = edges & edges::leading ? length : 0;
        trailing_ = edges & edges::trailing ? length : 0;
    }

    std::string_view kind() const override { return "padding"; }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        const QSizeF inner = layout.sizeOf(content(), {shrunk(proposal.width, leading_ + trailing_),
                                                       shrunk(proposal.height, top_ + bottom_)});
        return {inner.width() + leading_ + trailing_, inner.height() + top_ + bottom_};
    }
    std::vector<QRectF> placeChildren(const QRectF& frame, Layout&) const override
    {
        return {frame.adjusted(leading_, top_, -trailing_, -bottom_)};
    }

private:
    double top_, bottom_, leading_, trailing_;
};

// Proposes its own lengths and centres the content in them.
class FrameNode final : public ContentModifier<FrameNode> {
public:
    FrameNode(View content, std::optional<double> width, std::optional<double> height)
        : ContentModifier(std::move(content)), width_(width), height_(height)
    {
    }

    std::string_view kind() const override { return "frame"; }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        const QSizeF inner = layout.sizeOf(content(), {width_ ? width_ : proposal.width, height_ ? height_ : proposal.height});
        return {width_.value_or(inner.width()), height_.value_or(inner.height())};
    }
    std::vector<QRectF> placeChildren(const QRectF& frame, Layout& layout) const override
    {
        const QSizeF inner = layout.sizeOf(content(), {frame.width(), frame.height()});
        QRectF placed(QPointF(), inner);
        placed.moveCenter(frame.center());
        return {placed};
    }

private:
    std::optional<double> width_, height_;
};

// Asks the content for its ideal length on the fixed axes.
class FixedSizeNode final : public ContentModifier<FixedSizeNode> {
public:
    FixedSizeNode(View content, bool horizontal, bool vertical)
        : ContentModifier(std::move(content)), horizontal_(horizontal), vertical_(vertical)
    {
    }

    std::string_view kind() const override { return "fixedSize"; }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        return layout.sizeOf(content(), proposed(proposal));
    }
    std::vector<QRectF> placeChildren(const QRectF& frame, Layout&) const override { return {frame}; }

private:
    ProposedSize proposed(const ProposedSize& proposal) const
    {
        return {horizontal_ ? std::nullopt : proposal.width, vertical_ ? std::nullopt : proposal.height};
    }

    bool horizontal_, vertical_;
};

// A decoration proposed exactly the content's size and centred on it; the size stays the content's.
class DecorationNode final : public ViewNode {
public:
    DecorationNode(View content, View decoration, bool behind)
        : content_(std::move(content)), decoration_(std::move(decoration)), behind_(behind)
    {
    }

    std::string_view kind() const override { return behind_ ? "background" : "overlay"; }
    std::vector<View> children() const override
    {
        return behind_ ? std::vector{decoration_, content_} : std::vector{content_, decoration_};
    }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        return layout.sizeOf(content_, proposal);
    }
    std::vector<QRectF> placeChildren(const QRectF& frame, Layout& layout) const override
    {
        QRectF decorated(QPointF(), layout.sizeOf(decoration_, {frame.width(), frame.height()}));
        decorated.moveCenter(frame.center());
        return behind_ ? std::vector{decorated, frame} : std::vector{frame, decorated};
    }
    std::shared_ptr<const ViewNode> withChildren(std::vector<View> children) const override
    {
        return behind_ ? std::make_shared<DecorationNode>(children.at(1), children.at(0), true)
                       : std::make_shared<DecorationNode>(children.at(0), children.at(1), false);
    }

private:
    View content_, decoration_;
    bool behind_;
};

class ForegroundNode final : public ContentModifier<ForegroundNode> {
public:
    ForegroundNode(View content, Color color) : ContentModifier(std::move(content)), color_(color) {}

    std::string_view kind() const override { return "foregroundColor"; }
    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        const auto outer = std::exchange(context.foreground, color_);
        paintChildren(context, laidOut);
        context.foreground = outer;
    }

private:
    Color color_;
};

// Marks a place in the tree whose first appearance runs an action; the host finds these
// after each render and runs the new ones.
class OnAppearNode final : public ContentModifier<OnAppearNode> {
public:
    OnAppearNode(View content, std::function<void()> action)
        : ContentModifier(std::move(content)), action_(std::move(action))
    {
    }

    std::string_view kind() const override { return "onAppear"; }
    std::function<void()> appearAction() const override { return action_; }

private:
    std::function<void()> action_;
};

} // namespace

View View::padding(Edges edges, double length) const
{
    return View(std::make_shared<PaddingNode>(*this, edges, length));
}

View View::frame(std::optional<double> width, std::optional<double> height) const
{
    return View(std::make_shared<FrameNode>(*this, width, height));
}

View View::fixedSize(bool horizontal, bool vertical) const
{
    return View(std::make_shared<FixedSizeNode>(*this, horizontal, vertical));
}

View View::background(View decoration) const
{
    return View(std::make_shared<DecorationNode>(*this, std::move(decoration), true));
}

View View::overlay(View decoration) const
{
    return View(std::make_shared<DecorationNode>(*this, std::move(decoration), false));
}

View View::foregroundColor(Color color) const
{
    return View(std::make_shared<ForegroundNode>(*this, color));
}

View View::onAppear(std::function<void()> action) const
{
    return View(std::make_shared<OnAppearNode>(*this, std::move(action)));
}

} // namespace ui
