// The modifiers: those that shape layout (padding, frames, fixed size, background)
// and those that only change how their content is drawn.
#include "ui/modifiers.h"

#include "ui/effects.h"

#include <QMarginsF>

#include <algorithm>
#include <any>
#include <cmath>
#include <tuple>

namespace ui {
namespace {

std::optional<double> shrunk(std::optional<double> length, double by)
{
    return length ? std::optional(std::max(0.0, *length - by)) : std::nullopt;
}

// Shrinks the proposal by the insets and grows the answer by them.
class PaddingNode final : public ContentModifier<PaddingNode> {
public:
    PaddingNode(View content, Edges edges, double length)
        : ContentModifier(std::move(content)),
          insets_(edges & edges::leading ? length : 0, edges & edges::top ? length : 0,
                  edges & edges::trailing ? length : 0, edges & edges::bottom ? length : 0)
    {
    }

    std::string_view kind() const override { return "padding"; }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        const QSizeF inner = layout.sizeOf(content(), {shrunk(proposal.width, insets_.left() + insets_.right()),
                                                       shrunk(proposal.height, insets_.top() + insets_.bottom())});
        return inner.grownBy(insets_);
    }
    std::vector<QRectF> placeChildren(const QRectF& frame, Layout&) const override
    {
        return {frame.adjusted(insets_.left(), insets_.top(), -insets_.right(), -insets_.bottom())};
    }

private:
    QMarginsF insets_;
};

// Takes its own size and centres the content in it.
class FrameNode final : public ContentModifier<FrameNode> {
public:
    FrameNode(View content, QSizeF size) : ContentModifier(std::move(content)), size_(size) {}

    std::string_view kind() const override { return "frame"; }
    QSizeF sizeThatFits(const ProposedSize&, Layout&) const override { return size_; }
    std::vector<QRectF> placeChildren(const QRectF& frame, Layout& layout) const override
    {
        return {centred(layout.sizeOf(content(), {frame.width(), frame.height()}), frame)};
    }

private:
    QSizeF size_;
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
        return layout.sizeOf(content(), {horizontal_ ? std::nullopt : proposal.width,
                                         vertical_ ? std::nullopt : proposal.height});
    }

private:
    bool horizontal_, vertical_;
};

// A decoration behind the content, proposed exactly the content's size and centred on it; the
// size stays the content's.
class BackgroundNode final : public ViewNode {
public:
    BackgroundNode(View content, View decoration) : ViewNode({std::move(decoration), std::move(content)}) {}

    std::string_view kind() const override { return "background"; }
    bool drawsLike(const ViewNode&) const override { return true; }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        return layout.sizeOf(children()[1], proposal);
    }
    std::vector<QRectF> placeChildren(const QRectF& frame, Layout& layout) const override
    {
        return {centred(layout.sizeOf(children()[0], {frame.width(), frame.height()}), frame), frame};
    }

protected:
    std::shared_ptr<ViewNode> copy() const override { return std::make_shared<BackgroundNode>(*this); }
};

// A modifier that only changes how its content is drawn, or runs an action when it first
// appears: it keeps the content's size and frame, so it moves no neighbour.
// `look` holds the modifier's arguments, so that two of them can tell whether they draw alike.
class DrawingNode final : public ContentModifier<DrawingNode> {
public:
    using Draw = std::function<void(PaintContext&, const LaidOut&)>;
    using Spread = std::function<QRectF(const QRectF& changed, const QRectF& frame)>;

    template <class Look>
    DrawingNode(View content, std::string_view kind, Draw draw, Look look, Spread spread, std::function<void()> appear)
        : ContentModifier(std::move(content)), kind_(kind), draw_(std::move(draw)), appear_(std::move(appear)),
          look_(std::move(look)), spread_(std::move(spread)),
          sameLook_([](const std::any& a, const std::any& b) { return *std::any_cast<Look>(&a) == *std::any_cast<Look>(&b); })
    {
    }

    std::string_view kind() const override { return kind_; }
    void paint(PaintContext& context, const LaidOut& laidOut) const override { draw_(context, laidOut); }
    std::function<void()> appearAction() const override { return appear_; }
    bool drawsLike(const ViewNode& other) const override
    {
        const auto& that = static_cast<const DrawingNode&>(other);
        return sameLook_ == that.sameLook_ && sameLook_(look_, that.look_);
    }
    QRectF spreadChange(const QRectF& changed, const QRectF& frame) const override
    {
        return spread_ ? spread_(changed, frame) : changed;
    }

private:
    std::string_view kind_;
    Draw draw_;
    std::function<void()> appear_;
    std::any look_;
    Spread spread_;
    bool (*sameLook_)(const std::any&, const std::any&);
};

// The part of the content worth a layer: where its ink may lie, and, when only part of the
// window is being painted, only what can reach that part through the effect.
QRectF layerBounds(const QPainter& painter, const LaidOut& laidOut, double reach)
{
    QRectF bounds = inkBounds(laidOut);
    if (painter.hasClipping())
        bounds = bounds.intersected(painter.clipBoundingRect().adjusted(-reach, -reach, reach, reach));
    return bounds;
}

// Paints the children into a layer with the same environment. A partial repaint's clip goes
// along, grown by what the effect spreads, so the layer's content is spared the same way.
std::function<void(QPainter&)> childrenPainter(const PaintContext& context, const LaidOut& laidOut, double reach)
{
    return [&context, &laidOut, reach](QPainter& layer) {
        PaintContext inner{layer, context.scheme, context.foreground};
        if (context.painter.hasClipping())
            layer.setClipRect(context.painter.clipBoundingRect().adjusted(-reach, -reach, reach, reach),
                              Qt::IntersectClip);
        paintChildren(inner, laidOut);
    };
}

// `spread`: where a change of the content shows, once the modifier has drawn it.
template <class... Arguments>
View drawnWith(View content, std::string_view kind, DrawingNode::Draw draw, std::tuple<Arguments...> look,
               DrawingNode::Spread spread = {}, std::function<void()> appear = {})
{
    return View(std::make_shared<DrawingNode>(std::move(content), kind, std::move(draw), std::move(look),
                                              std::move(spread), std::move(appear)));
}

// Rotation and scale about the centre of `frame`.
QTransform aboutCentre(const QRectF& frame, double degrees, double scale)
{
    const QPointF centre = frame.center();
    return QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform().rotate(degrees).scale(scale, scale)
           * QTransform::fromTranslate(centre.x(), centre.y());
}

View transformed(View content, std::string_view kind, double degrees, double scale)
{
    const auto draw = [degrees, scale](PaintContext& context, const LaidOut& laidOut) {
        QPainter& painter = context.painter;
        painter.save();
        painter.setTransform(aboutCentre(laidOut.frame, degrees, scale), true);
        paintChildren(context, laidOut);
        painter.restore();
    };
    // A changed child shows where the transform takes it, a pixel more for antialiasing.
    const auto spread = [degrees, scale](const QRectF& changed, const QRectF& frame) {
        return aboutCentre(frame, degrees, scale).mapRect(changed).adjusted(-1, -1, 1, 1);
    };
    return drawnWith(std::move(content), kind, draw, std::tuple(degrees, scale), spread);
}

// A change spread by `reach` all round.
DrawingNode::Spread grownBy(double reach)
{
    return [reach](const QRectF& changed, const QRectF&) { return changed.adjusted(-reach, -reach, reach, reach); };
}

// How far a blur of `radius` spreads ink, with room to spare.
double blurReach(double radius)
{
    return 4 * radius;
}

} // namespace

View View::padding(Edges edges, double length) const
{
    return View(std::make_shared<PaddingNode>(*this, edges, length));
}

View View::frame(double width, double height) const
{
    return View(std::make_shared<FrameNode>(*this, QSizeF(width, height)));
}

View View::fixedSize(bool horizontal, bool vertical) const
{
    return View(std::make_shared<FixedSizeNode>(*this, horizontal, vertical));
}

View View::background(View decoration) const
{
    return View(std::make_shared<BackgroundNode>(*this, std::move(decoration)));
}

View View::foregroundColor(Color color) const
{
    const auto draw = [color](PaintContext& context, const LaidOut& laidOut) {
        PaintContext inner{context.painter, context.scheme, color};
        paintChildren(inner, laidOut);
    };
    return drawnWith(*this, "foregroundColor", draw, std::tuple(color));
}

View View::onAppear(std::function<void()> action) const
{
    return drawnWith(*this, "onAppear", paintChildren, std::tuple(), {}, std::move(action));
}

View View::shadow(Color color, double radius, double x, double y) const
{
    const double reach = blurReach(radius) + std::abs(x) + std::abs(y);
    const auto draw = [color, radius, offset = QPointF(x, y), reach](PaintContext& context, const LaidOut& laidOut) {
        const QRectF bounds = layerBounds(context.painter, laidOut, reach);
        if (!bounds.isEmpty())
            drawShadow(context.painter, bounds, childrenPainter(context, laidOut, reach), color.resolve(context.scheme),
                       radius, offset);
        paintChildren(context, laidOut);
    };
    return drawnWith(*this, "shadow", draw, std::tuple(color, radius, x, y), grownBy(reach));
}

View View::blur(double radius) const
{
    const double reach = blurReach(radius);
    const auto draw = [radius, reach](PaintContext& context, const LaidOut& laidOut) {
        const QRectF bounds = layerBounds(context.painter, laidOut, reach);
        if (!bounds.isEmpty())
            drawBlurred(context.painter, bounds, radius, childrenPainter(context, laidOut, reach));
    };
    return drawnWith(*this, "blur", draw, std::tuple(radius), grownBy(reach));
}

View View::opacity(double value) const
{
    const auto draw = [value](PaintContext& context, const LaidOut& laidOut) {
        context.painter.save();
        context.painter.setOpacity(context.painter.opacity() * value);
        paintChildren(context, laidOut);
        context.painter.restore();
    };
    return drawnWith(*this, "opacity", draw, std::tuple(value));
}

View View::rotationEffect(double degrees) const
{
    return transformed(*this, "rotationEffect", degrees, 1);
}

View View::scaleEffect(double scale) const
{
    return transformed(*this, "scaleEffect", 0, scale);
}

} // namespace ui
