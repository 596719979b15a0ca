#include "ui/shape_view.h"

#include "ui/layout.h"

namespace ui {
namespace {

class ShapeNode final : public ViewNode {
public:
    ShapeNode(Shape shape, std::optional<Paint> fill, std::optional<Paint> stroke, StrokeStyle style, double trimFrom,
              double trimTo)
        : shape_(shape), fill_(std::move(fill)), stroke_(std::move(stroke)), style_(style), trimFrom_(trimFrom),
          trimTo_(trimTo)
    {
    }

    std::string_view kind() const override
    {
        switch (shape_.kind) {
        case ShapeKind::Circle: return "Circle";
        case ShapeKind::Capsule: return "Capsule";
        case ShapeKind::RoundedRectangle: return "RoundedRectangle";
        }
        return "Shape";
    }

    // Shapes have no size of their own: they take the offer, and a conventional 10 when asked
    // for their ideal.
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout&) const override
    {
        return {proposal.width.value_or(10), proposal.height.value_or(10)};
    }

    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        if (fill_)
            fillShape(context.painter, shape_, laidOut.frame, *fill_, context.scheme);
        if (stroke_)
            strokeShape(context.painter, shape_, laidOut.frame, *stroke_, style_, context.scheme, trimFrom_, trimTo_);
    }

private:
    Shape shape_;
    std::optional<Paint> fill_;
    std::optional<Paint> stroke_;
    StrokeStyle style_;
    double trimFrom_, trimTo_;
};

} // namespace

ShapeView::operator View() const
{
    return View(std::make_shared<ShapeNode>(shape_, fill_, stroke_, style_, trimFrom_, trimTo_));
}

} // namespace ui
