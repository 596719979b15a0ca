#include "ui/accessibility.h"

#include "ui/modifiers.h"

namespace ui {
namespace {

class AccessibilityNode final : public ContentModifier<AccessibilityNode> {
public:
    AccessibilityNode(View content, AccessibleTraits traits) : ContentModifier(std::move(content)), traits_(std::move(traits)) {}

    std::string_view kind() const override { return "accessibility"; }
    void describeTraits(ViewTraits& traits, const LaidOut&) const override { traits.accessible = traits_; }

private:
    AccessibleTraits traits_;
};

// The names of the texts under `node`, one after the other.
void collectNames(const LaidOut& node, std::string& names)
{
    const AccessibleTraits traits = node.traits().accessible;
    if (traits.role != AccessibleRole::None && !traits.name.empty()) {
        names += names.empty() ? "" : " ";
        names += traits.name;
        return;
    }
    for (const auto& child : node.children)
        collectNames(child, names);
}

void collect(const LaidOut& node, std::vector<AccessibleElement>& elements)
{
    ViewTraits traits = node.traits();
    if (traits.accessible.role == AccessibleRole::None) {
        for (const auto& child : node.children)
            collect(child, elements);
        return;
    }
    if (traits.accessible.name.empty())
        for (const auto& child : node.children)
            collectNames(child, traits.accessible.name);
    elements.push_back({node.path, std::move(traits.accessible), node.frame, std::move(traits.action)});
}

} // namespace

View accessibilityElement(View content, AccessibleTraits traits)
{
    return View(std::make_shared<AccessibilityNode>(std::move(content), std::move(traits)));
}

std::vector<AccessibleElement> accessibleElements(const LaidOut& root)
{
    std::vector<AccessibleElement> elements;
    collect(root, elements);
    return elements;
}

} // namespace ui
