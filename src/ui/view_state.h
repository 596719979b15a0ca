#pragma once

#include "ui/animation.h"
#include "ui/view.h"

#include <any>
#include <functional>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace ui {

// View-local state, kept across renders by the view's place in the tree and dropped when that
// place is gone. Actions that outlive a render hold it weakly.
class ViewStateStore : public std::enable_shared_from_this<ViewStateStore> {
public:
    // The value at `key`, made from `initial` the first time; marks it as still in use.
    template <class T>
    T& at(const StateKey& key, T initial)
    {
        used_.insert(key);
        auto [entry, made] = entries_.try_emplace(key, std::move(initial));
        if (!made && entry->second.type() != typeid(T))
            entry->second = std::move(initial);
        return std::any_cast<T&>(entry->second);
    }

    // The value at `key` if it is there and of that type.
    template <class T>
    T* find(const StateKey& key)
    {
        const auto entry = entries_.find(key);
        return entry == entries_.end() ? nullptr : std::any_cast<T>(&entry->second);
    }

    // A render begins; at its end, state that no view asked for is dropped.
    void beginPass() { used_.clear(); }
    void endPass() { std::erase_if(entries_, [this](const auto& entry) { return !used_.contains(entry.first); }); }

    // The keys of the animated state that still moves at `now`.
    std::vector<StateKey> animatingKeys(double now) const;
    // The fastest any of the values at `key` moves at `now`, per second.
    double speed(const StateKey& key, double now) const;

    // Asks the host for another render; views call it when they change their state.
    std::function<void()> invalidate = [] {};
    // The time of the current render on the host's clock, for actions that start animations.
    double now = 0;

private:
    std::unordered_map<StateKey, std::any, KeyHash> entries_;
    std::unordered_set<StateKey, KeyHash> used_;
};

// Numbers that move together to new targets whenever a key changes.
struct KeyedAnimation {
    double key = 0;
    std::vector<AnimatedValue> values;
};

// What a view's body is built with: its state and the time. The body may say what it means to
// the host besides (a button: what pressing it needs).
struct ResolveContext {
    ViewStateStore& store;
    ViewPath place;
    double now = 0;
    ViewTraits traits;

    StateKey key(Literal name) const { return {place, name.text}; }
    template <class T>
    T& state(Literal name, T initial)
    {
        return store.at(key(name), std::move(initial));
    }
};

// A view whose body is built, on every render, from view state at its place in the tree.
View Stateful(Literal kind, std::function<View(ResolveContext&)> body);

// The `targets` as shown: when `key` changes they move to their new values with `animation`;
// a change of targets under the same key shows at once.
View Animated(double key, Animation animation, std::vector<double> targets,
              std::function<View(const std::vector<double>& shown)> body);

// Builds a button's look from its label, whether it is pressed and whether the keyboard's
// focus ring shows on it.
using ButtonStyle = std::function<View(View label, bool isPressed, bool showsFocus)>;

// Runs `action` on the UI thread when a press on it is released over it.
View Button(std::function<void()> action, View label, ButtonStyle style);

// Expands the stateful views of the tree that stands at `place` into their bodies for this render.
View resolveTree(const View& view, ViewStateStore& store, const ViewPath& place, double now);

} // namespace ui
