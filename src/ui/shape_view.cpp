#include "ui/shape_view.h"

#include "ui/layout.h"

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
