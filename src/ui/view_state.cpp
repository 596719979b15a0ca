#include "ui/view_state.h"

#include "ui/modifiers.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace ui {
namespace {

// The animated values a piece of view state holds: one, a keyed group, or none.
std::span<const AnimatedValue> animatedValues(const std::any& value)
{
    if (const auto* animated = std::any_cast<AnimatedValue>(&value))
        return {animated, 1};
    if (const auto* keyed = std::any_cast<KeyedAnimation>(&value))
        return keyed->values;
    return {};
}

// Stands where a stateful view stood, with the body it built for this render and what that
// body means to the host, the view that built it included, so that an animation frame can
// build that body alone again.
class ResolvedNode final : public ContentModifier<ResolvedNode> {
public:
    ResolvedNode(std::string_view kind, View body, ViewTraits traits)
        : ContentModifier(std::move(body)), kind_(kind), traits_(std::move(traits))
    {
    }

    std::string_view kind() const override { return kind_; }
    void describeTraits(ViewTraits& traits, const LaidOut&) const override { traits = traits_; }

private:
    std::string_view kind_;
    ViewTraits traits_;
};

class StatefulNode final : public ViewNode, public std::enable_shared_from_this<StatefulNode> {
public:
    StatefulNode(std::string_view kind, std::function<View(ResolveContext&)> body)
        : kind_(kind), body_(std::move(body))
    {
    }

    std::string_view kind() const override { return kind_; }
    QSizeF sizeThatFits(const ProposedSize&, Layout&) const override { return {0, 0}; } // resolved before layout
    std::optional<View> resolve(ResolveContext& context) const override
    {
        View body = body_(context);
        context.traits.builtBy = View(shared_from_this());
        return View(std::make_shared<ResolvedNode>(kind_, std::move(body), std::move(context.traits)));
    }

private:
    std::string_view kind_;
    std::function<View(ResolveContext&)> body_;
};

} // namespace

std::vector<StateKey> ViewStateStore::animatingKeys(double now) const
{
    std::vector<StateKey> keys;
    for (const auto& [key, value] : entries_)
        if (std::ranges::any_of(animatedValues(value), [now](const auto& animated) { return animated.isAnimating(now); }))
            keys.push_back(key);
    return keys;
}

double ViewStateStore::speed(const StateKey& key, double now) const
{
    double fastest = 0;
    if (const auto entry = entries_.find(key); entry != entries_.end())
        for (const AnimatedValue& animated : animatedValues(entry->second))
            fastest = std::max(fastest, std::abs(animated.velocity(now)));
    return fastest;
}

View Stateful(Literal kind, std::function<View(ResolveContext&)> body)
{
    return View(std::make_shared<StatefulNode>(kind.text, std::move(body)));
}

View Animated(double key, Animation animation, std::vector<double> targets,
              std::function<View(const std::vector<double>& shown)> body)
{
    return Stateful("animated", [=](ResolveContext& context) {
        auto& state = context.state("values", KeyedAnimation{key, {}});
        if (state.values.size() != targets.size())
            state.values = std::vector<AnimatedValue>(targets.begin(), targets.end());
        const bool keyChanged = state.key != key;
        state.key = key;
        std::vector<double> shown;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (keyChanged)
                state.values[i].set(targets[i], animation, context.now);
            else if (state.values[i].target() != targets[i])
                state.values[i].set(targets[i], std::nullopt, context.now);
            shown.push_back(state.values[i].value(context.now));
        }
        return body(shown);
    });
}

View Button(std::function<void()> action, View label, ButtonStyle style)
{
    return Stateful("Button", [=](ResolveContext& context) {
        context.traits.pressedState = context.key("pressed");
        context.traits.focusedState = context.key("focused");
        context.traits.action = action;
        context.traits.accessible.role = AccessibleRole::Button; // named by its label's texts
        return style(label, context.state("pressed", false), context.state("focused", false));
    });
}

View resolveTree(const View& view, ViewStateStore& store, const ViewPath& path, double now)
{
    ResolveContext context{store, path, now, {}};
    const View replaced = view.node().resolve(context).value_or(view);
    const auto& children = replaced.node().children();
    if (children.empty())
        return replaced;
    std::vector<View> resolved;
    bool changed = false;
    for (std::size_t i = 0; i < children.size(); ++i) {
        resolved.push_back(resolveTree(children[i], store, path.child(i, children[i].node().kind()), now));
        changed = changed || &resolved.back().node() != &children[i].node();
    }
    if (!changed)
        return replaced;
    return View(replaced.node().withChildren(std::move(resolved)));
}

} // namespace ui
