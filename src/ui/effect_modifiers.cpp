// Modifiers that only change how their content is drawn: shadow, blur, opacity, rotation and
// scale. None changes a size or a frame, so none moves a neighbour.
#include "ui/effects.h"
#include "ui/modifiers.h"
#include "ui/paint_context.h"

namespace ui {
namespace {

// Where the content's ink may lie: its frames, grown for strokes centred on outlines, caps
// and glows that reach past them.
QRectF inkBounds(const LaidOut& node)
{
    QRectF bounds = node.frame;
    for (const auto& child : node.children)
        bounds = bounds.united(inkBounds(child));
    return bounds;
}

constexpr double strokeAllowance = 8;

// Paints the children into another painter with the same environment.
std::function<void(QPainter&)> childrenPainter(const PaintContext& context, const LaidOut& laidOut)
{
    return [&context, &laidOut](QPainter& layer) {
        PaintContext inner{layer, context.scheme, context.devicePixelRatio, context.foreground, context.time};
        layer.setRenderHints(context.painter.renderHints());
        paintChildren(inner, laidOut);
    };
}

class ShadowNode final : public ContentModifier<ShadowNode> {
public:
    ShadowNode(View content, Color color, double radius, QPointF offset)
        : ContentModifier(std::move(content)), color_(color), radius_(radius), offset_(offset)
    {
    }

    std::string kind() const override { return "shadow"; }
    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        const QRectF bounds = inkBounds(laidOut).adjusted(-strokeAllowance, -strokeAllowance, strokeAllowance, strokeAllowance);
        drawWithShadow(context.painter, bounds, childrenPainter(context, laidOut), color_.resolve(context.scheme), radius_, offset_);
    }

private:
    Color color_;
    double radius_;
    QPointF offset_;
};

class BlurNode final : public ContentModifier<BlurNode> {
public:
    BlurNode(View content, double radius) : ContentModifier(std::move(content)), radius_(radius) {}

    std::string kind() const override { return "blur"; }
    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        const QRectF bounds = inkBounds(laidOut).adjusted(-strokeAllowance, -strokeAllowance, strokeAllowance, strokeAllowance);
        drawBlurred(context.painter, bounds, radius_, childrenPainter(context, laidOut));
    }

private:
    double radius_;
};

class OpacityNode final : public ContentModifier<OpacityNode> {
public:
    OpacityNode(View content, double opacity) : ContentModifier(std::move(content)), opacity_(opacity) {}

    std::string kind() const override { return "opacity"; }
    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        context.painter.save();
        context.painter.setOpacity(context.painter.opacity() * opacity_);
        paintChildren(context, laidOut);
        context.painter.restore();
    }

private:
    double opacity_;
};

// Rotation or scale about the centre of the view's frame.
class TransformNode final : public ContentModifier<TransformNode> {
public:
    TransformNode(View content, double degrees, double scale)
        : ContentModifier(std::move(content)), degrees_(degrees), scale_(scale)
    {
    }

    std::string kind() const override { return degrees_ != 0 ? "rotationEffect" : "scaleEffect"; }
    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        QPainter& painter = context.painter;
        painter.save();
        const QPointF centre = laidOut.frame.center();
        painter.translate(centre);
        painter.rotate(degrees_);
        painter.scale(scale_, scale_);
        painter.translate(-centre);
        paintChildren(context, laidOut);
        painter.restore();
    }

private:
    double degrees_;
    double scale_;
};

} // namespace

View View::shadow(Color color, double radius, double x, double y) const
{
    return View(std::make_shared<ShadowNode>(*this, color, radius, QPointF(x, y)));
}

View View::blur(double radius) const
{
    return View(std::make_shared<BlurNode>(*this, radius));
}

View View::opacity(double value) const
{
    return View(std::make_shared<OpacityNode>(*this, value));
}

View View::rotationEffect(double degrees) const
{
    return View(std::make_shared<TransformNode>(*this, degrees, 1));
}

View View::scaleEffect(double scale) const
{
    return View(std::make_shared<TransformNode>(*this, 0, scale));
}

} // namespace ui
