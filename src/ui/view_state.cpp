#include "ui/view_state.h"

#include "ui/modifiers.h"

#include <algorithm>
#include <cmath>

namespace ui {

void ViewStateStore::endPass()
{
    std::erase_if(entries_, [this](const auto& entry) { return !used_.contains(entry.first); });
}

std::vector<StateKey> ViewStateStore::animatingKeys(double now) const
{
    std::vector<StateKey> keys;
    for (const auto& [key, value] : entries_) {
        bool moving = false;
        if (const auto* animated = std::any_cast<AnimatedValue>(&value))
            moving = animated->isAnimating(now);
        else if (const auto* keyed = std::any_cast<KeyedAnimation>(&value))
            moving = std::any_of(keyed->values.begin(), keyed->values.end(),
                                 [now](const AnimatedValue& animated) { return animated.isAnimating(now); });
        if (moving)
            keys.push_back(key);
    }
    return keys;
}

double ViewStateStore::speed(const StateKey& key, double now) const
{
    const auto entry = entries_.find(key);
    if (entry == entries_.end())
        return 0;
    if (const auto* animated = std::any_cast<AnimatedValue>(&entry->second))
        return std::abs(animated->velocity(now));
    double fastest = 0;
    if (const auto* keyed = std::any_cast<KeyedAnimation>(&entry->second))
        for (const auto& value : keyed->values)
            fastest = std::max(fastest, std::abs(value.velocity(now)));
    return fastest;
}

namespace {

// Stands where a stateful view stood, with the body it built for this render, and the view
// that built it, so that an animation frame can build that body alone again.
class ResolvedNode final : public ContentModifier<ResolvedNode> {
public:
    ResolvedNode(std::string_view kind, View body, View source)
        : ContentModifier(std::move(body)), kind_(kind), source_(std::move(source))
    {
    }

    std::string_view kind() const override { return kind_; }
    void describeTraits(ViewTraits& traits, const LaidOut&) const override { traits.builtBy = source_; }

private:
    std::string_view kind_;
    View source_;
};

// A button's styled body, with what the host needs to press it.
class PressableNode final : public ContentModifier<PressableNode> {
public:
    PressableNode(View body, StateKey pressedKey, std::function<void()> action)
        : ContentModifier(std::move(body)), pressedKey_(std::move(pressedKey)), action_(std::move(action))
    {
    }

    std::string_view kind() const override { return "pressable"; }
    void describeTraits(ViewTraits& traits, const LaidOut&) const override
    {
        traits.pressedState = pressedKey_;
        traits.action = action_;
    }

private:
    StateKey pressedKey_;
    std::function<void()> action_;
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
        return View(std::make_shared<ResolvedNode>(kind_, body_(context), View(shared_from_this())));
    }

private:
    std::string_view kind_;
    std::function<View(ResolveContext&)> body_;
};

View resolveAt(const View& view, ViewStateStore& store, const ViewPath& path, double now)
{
    ResolveContext context{store, path, now};
    const View replaced = view.node().resolve(context).value_or(view);
    const auto children = replaced.node().children();
    if (children.empty())
        return replaced;
    std::vector<View> resolved;
    bool changed = false;
    for (std::size_t i = 0; i < children.size(); ++i) {
        resolved.push_back(resolveAt(children[i], store, path.child(i, children[i].node().kind()), now));
        changed = changed || resolved.back().shared() != children[i].shared();
    }
    if (!changed)
        return replaced;
    return View(replaced.node().withChildren(std::move(resolved)));
}

} // namespace

View Stateful(Literal kind, std::function<View(ResolveContext&)> body)
{
    return View(std::make_shared<StatefulNode>(kind.text, std::move(body)));
}

View Animated(double key, Animation animation, std::vector<double> targets,
              std::function<View(const std::vector<double>& shown)> body)
{
    return Stateful("animated", [=](ResolveContext& context) {
        auto& state = context.state("values", KeyedAnimation{key, {}});
        if (state.values.size() != targets.size()) {
            state.values.assign(targets.size(), AnimatedValue());
            for (std::size_t i = 0; i < targets.size(); ++i)
                state.values[i] = AnimatedValue(targets[i]);
            state.key = key;
        }
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
        const bool isPressed = context.state("pressed", false);
        return View(std::make_shared<PressableNode>(style(label, isPressed), context.key("pressed"), action));
    });
}

View resolveTree(const View& root, ViewStateStore& store, double now)
{
    return resolveAt(root, store, {}, now);
}

std::optional<View> rebuildStateful(const LaidOut& laidOut, ViewStateStore& store, double now)
{
    const auto source = laidOut.traits().builtBy;
    if (!source)
        return std::nullopt;
    return resolveAt(*source, store, laidOut.path, now);
}

} // namespace ui
