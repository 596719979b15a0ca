#pragma once

#include "ui/modifiers.h"

#include <functional>

namespace ui {

// Marks a place in the tree whose first appearance runs an action; the host finds these
// after each render and runs the new ones.
class OnAppearNode final : public ContentModifier<OnAppearNode> {
public:
    OnAppearNode(View content, std::function<void()> action)
        : ContentModifier(std::move(content)), action_(std::move(action))
    {
    }

    std::string_view kind() const override { return "onAppear"; }
    void describeTraits(ViewTraits& traits, const LaidOut&) const override { traits.onAppear = action_; }

private:
    std::function<void()> action_;
};

} // namespace ui
