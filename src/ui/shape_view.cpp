#include "ui/shape_view.h"

#include "ui/layout.h"

#include <algorithm>
#include <cmath>

namespace ui {

class ShapeView::Node final : public ViewNode {
public:
    explicit Node(ShapeView view) : view_(std::move(view)) {}

    std::string_view kind() const override
    {
        constexpr std::string_view names[] = {"Circle", "Capsule", "RoundedRectangle"};
        return names[int(view_.shape_.kind)];
    }

    bool drawsLike(const ViewNode& other) const override { return view_ == static_cast<const Node&>(other).view_; }

    // A stroke reaches half its width past the outline, a cap or a miter more: a line width
    // covers both. When only where a circle's arc ends has changed, only the stretch between the
    // two ends, from the start of the quarter the first lies in: an arc is cut from the circle's
    // quarter curves, and a quarter cut elsewhere is outlined, and so antialiased, anew.
    QRectF redrawnInk(const ViewNode& before, const LaidOut& laidOut) const override
    {
        const ShapeView& was = static_cast<const Node&>(before).view_;
        const double reach = (view_.stroke_ ? view_.style_.lineWidth : 0) + 1;
        ShapeView ended = was;
        ended.trimTo_ = view_.trimTo_;
        QRectF ink = laidOut.frame;
        if (view_.shape_.kind == ShapeKind::Circle && ended == view_) {
            const auto [from, to] = std::minmax(was.trimTo_, view_.trimTo_);
            ink = circleArc(laidOut.frame, std::floor(from * 4) / 4, to).boundingRect();
        }
        return ink.adjusted(-reach, -reach, reach, reach);
    }

    // Shapes have no size of their own: they take the offer, and a conventional 10 when asked
    // for their ideal.
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout&) const override
    {
        return {proposal.width.value_or(10), proposal.height.value_or(10)};
    }

    void paint(PaintContext& context, const LaidOut& laidOut) const override
    {
        const ShapeView& v = view_;
        if (v.fill_)
            fillShape(context.painter, v.shape_, laidOut.frame, *v.fill_, context.scheme);
        if (v.stroke_)
            strokeShape(context.painter, v.shape_, laidOut.frame, *v.stroke_, v.style_, context.scheme, v.trimFrom_,
                        v.trimTo_);
    }

private:
    ShapeView view_;
};

ShapeView::operator View() const
{
    return View(std::make_shared<Node>(*this));
}

} // namespace ui
