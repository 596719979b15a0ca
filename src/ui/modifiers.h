#pragma once

#include "ui/layout.h"
#include "ui/view.h"

namespace ui {

// A modifier with one content view that keeps the content's size and frame; subclasses add
// what they change. Rebuilding it over a new child keeps every other setting.
template <class Derived>
class ContentModifier : public ViewNode {
public:
    explicit ContentModifier(View content) : content_(std::move(content)) {}

    std::vector<View> children() const override { return {content_}; }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        return layout.sizeOf(content_, proposal);
    }
    std::shared_ptr<const ViewNode> withChildren(std::vector<View> children) const override
    {
        auto copy = std::make_shared<Derived>(static_cast<const Derived&>(*this));
        copy->content_ = std::move(children.at(0));
        return copy;
    }

    const View& content() const { return content_; }

private:
    View content_;
};

} // namespace ui
