#include "ui/button.h"

#include "ui/layout.h"
#include "ui/view_state.h"

namespace ui {
namespace {

// A resolved button: its styled body for this render, the key of its pressed state, its action.
class ButtonNode final : public ViewNode {
public:
    ButtonNode(View body, StateKey pressedKey, std::function<void()> action)
        : body_(std::move(body)), pressedKey_(std::move(pressedKey)), action_(std::move(action))
    {
    }

    std::string_view kind() const override { return "Button"; }
    std::vector<View> children() const override { return {body_}; }
    std::shared_ptr<const ViewNode> withChildren(std::vector<View> children) const override
    {
        return std::make_shared<ButtonNode>(children.at(0), pressedKey_, action_);
    }
    QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const override
    {
        return layout.sizeOf(body_, proposal);
    }
    void describeTraits(ViewTraits& traits, const LaidOut&) const override
    {
        traits.pressedState = pressedKey_;
        traits.action = action_;
    }

private:
    View body_;
    StateKey pressedKey_;
    std::function<void()> action_;
};

class UnresolvedButton final : public ViewNode {
public:
    UnresolvedButton(std::function<void()> action, View label, ButtonStyle style)
        : action_(std::move(action)), label_(std::move(label)), style_(std::move(style))
    {
    }

    std::string_view kind() const override { return "Button"; }
    QSizeF sizeThatFits(const ProposedSize&, Layout&) const override { return {0, 0}; } // resolved before layout
    std::optional<View> resolve(ResolveContext& context) const override
    {
        const bool isPressed = context.state("pressed", false);
        return View(std::make_shared<ButtonNode>(style_(label_, isPressed), context.key("pressed"), action_));
    }

private:
    std::function<void()> action_;
    View label_;
    ButtonStyle style_;
};

} // namespace

View Button(std::function<void()> action, View label, ButtonStyle style)
{
    return View(std::make_shared<UnresolvedButton>(std::move(action), std::move(label), std::move(style)));
}

} // namespace ui
