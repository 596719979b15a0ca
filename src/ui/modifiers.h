#pragma once

#include "ui/layout.h"
#include "ui/view.h"

namespace ui {

// A modifier with one content view that keeps the content's size and frame; subclasses add
// what they change. Rebuilding it over a new child keeps every other setting.
template <class Derived>
class ContentModifier : public ViewNode {
public:
    explicit ContentModifier(View content) : ViewNode({std::move(content)}) {}

    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        return layout.sizeOf(content(), proposal);
    }
    const View& content() const { return children().front(); }
    bool drawsLike(const ViewNode&) const override { return true; } // sizes and places only

protected:
    std::shared_ptr<ViewNode> copy() const override
    {
        return std::make_shared<Derived>(static_cast<const Derived&>(*this));
    }
};

} // namespace ui
