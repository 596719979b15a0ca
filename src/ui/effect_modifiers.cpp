// Modifiers that only change how their content is drawn: shadow, blur, opacity, rotation and
// scale. None changes a size or a frame, so none moves a neighbour.
#include "ui/effects.h"
#include "ui/modifiers.h"
#include "ui/paint_context.h"

#include <cmath>

namespace ui {
namespace {

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
        PaintContext inner{layer, context.scheme, context.devicePixelRatio, context.foreground, context.time};
        layer.setRenderHints(context.painter.renderHints());
        if (context.painter.hasClipping())
            layer.setClipRect(context.painter.clipBoundingRect().adjusted(-reach, -reach, reach, reach), Qt::IntersectClip);
        paintChildren(inner, laidOut);
    };
}

class ShadowNode final : public ContentModifier<ShadowNode> {
public:
    ShadowNode(View content, Color color, double radius, QPointF offset)
        : ContentModifier(std::move(content)), color_(color), radius_(radius), offset_(offset)
    {
    }

    std::string_view kind() const override { return "shadow"; }
    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        const double reach = 2 * radius_ + std::abs(offset_.x()) + std::abs(offset_.y());
        const QRectF bounds = layerBounds(context.painter, laidOut, reach);
        if (bounds.isEmpty())
            return;
        drawWithShadow(context.painter, bounds, childrenPainter(context, laidOut, reach), color_.resolve(context.scheme),
                       radius_, offset_);
    }

private:
    Color color_;
    double radius_;
    QPointF offset_;
};

class BlurNode final : public ContentModifier<BlurNode> {
public:
    BlurNode(View content, double radius) : ContentModifier(std::move(content)), radius_(radius) {}

    std::string_view kind() const override { return "blur"; }
    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        const QRectF bounds = layerBounds(context.painter, laidOut, 2 * radius_);
        if (bounds.isEmpty())
            return;
        drawBlurred(context.painter, bounds, radius_, childrenPainter(context, laidOut, 2 * radius_));
    }

private:
    double radius_;
};

class OpacityNode final : public ContentModifier<OpacityNode> {
public:
    OpacityNode(View content, double opacity) : ContentModifier(std::move(content)), opacity_(opacity) {}

    std::string_view kind() const override { return "opacity"; }
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

    std::string_view kind() const override { return degrees_ != 0 ? "rotationEffect" : "scaleEffect"; }
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
