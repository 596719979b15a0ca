#pragma once

#include "ui/color.h"

#include <QRectF>
#include <QSizeF>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

// A string literal. Keys and laid-out trees keep names long after the views that gave them, so
// nothing that lives shorter will do: a runtime string does not compile.
struct Literal {
    consteval Literal(const char* text) : text(text) {} // NOLINT: literals convert implicitly
    std::string_view text;
};

// A view's place in the tree: from the root down, each child's index and kind. View state is
// kept by place, so a view keeps its state while its kind stays at the same indices.
struct ViewPath {
    struct Step {
        std::uint32_t index;
        std::string_view kind; // a literal
        friend bool operator==(const Step&, const Step&) = default;
    };
    std::vector<Step> steps;

    ViewPath child(std::size_t index, std::string_view kind) const;
    friend bool operator==(const ViewPath&, const ViewPath&) = default;
};

// Where one value of view state lives: the view's place and the value's name there.
struct StateKey {
    ViewPath place;
    std::string_view name; // a literal
    friend bool operator==(const StateKey&, const StateKey&) = default;
};

struct KeyHash {
    std::size_t operator()(const ViewPath& path) const;
    std::size_t operator()(const StateKey& key) const;
};

class Layout;
class ViewNode;
struct LaidOut;
struct PaintContext;
struct ResolveContext;

// What a parent offers a child: a width and a height, each absent to ask for the child's
// ideal length on that axis. Infinity asks how far the child would grow.
struct ProposedSize {
    std::optional<double> width;
    std::optional<double> height;
};

// Sides of a view, as bits to combine.
using Edges = int;
namespace edges {
inline constexpr Edges top = 1;
inline constexpr Edges leading = 2;
inline constexpr Edges bottom = 4;
inline constexpr Edges trailing = 8;
inline constexpr Edges horizontal = leading | trailing;
inline constexpr Edges vertical = top | bottom;
inline constexpr Edges all = horizontal | vertical;
} // namespace edges

// A view is a value: an immutable node shared by every copy. Modifiers wrap it in a new node,
// so they read in the order they apply, the one nearest the view first.
class View {
public:
    View(); // draws nothing and takes no room
    explicit View(std::shared_ptr<const ViewNode> node) : node_(std::move(node)) {}

    const ViewNode& node() const { return *node_; }

    View padding(double length) const { return padding(edges::all, length); }
    View padding(Edges edges, double length) const;
    // A fixed frame, the content centred in it.
    View frame(double width, double height) const;
    // Asks the content for its ideal length on the chosen axes, whatever the parent offers.
    View fixedSize(bool horizontal, bool vertical) const;
    // Drawn behind this view, given exactly its size; never changes the layout.
    View background(View decoration) const;
    // Drawing effects: none of them moves a neighbour.
    View shadow(Color color, double radius, double x = 0, double y = 0) const;
    View blur(double radius) const;
    View opacity(double value) const;
    View rotationEffect(double degrees) const;
    View scaleEffect(double scale) const;
    // The colour text and symbols take unless they set their own.
    View foregroundColor(Color color) const;
    // Run after the render in which this view first takes its place in the tree.
    View onAppear(std::function<void()> action) const;

private:
    std::shared_ptr<const ViewNode> node_;
};

// How assistive technology presents a view; most views are not presented on their own.
enum class AccessibleRole { None, StaticText, Button, ProgressBar };

// What a view reads as to assistive technology, in place of what is inside it.
struct AccessibleTraits {
    AccessibleRole role = AccessibleRole::None;
    std::string name; // when empty, what the texts inside read together
    std::string description;
    std::optional<double> value; // a gauge's level, 0 to 100
};

// What a view means to the host besides its size and ink. Each kind of view fills in what it has.
struct ViewTraits {
    std::string label;                    // what it reads as: a text as laid out, a symbol's name
    std::optional<StateKey> pressedState; // a button: the flag the host sets while it is pressed
    std::optional<StateKey> focusedState; // a button: the flag the host sets while its focus ring shows
    std::function<void()> action;         // a button: run when a press is released over it
    std::optional<View> builtBy;          // the stateful view that built this body, to build it again
    AccessibleTraits accessible;          // with a role, one element standing for all inside it
};

// What every kind of view does. Layout is pure; painting reads only what layout produced.
class ViewNode {
public:
    explicit ViewNode(std::vector<View> children = {}) : children_(std::move(children)) {}
    virtual ~ViewNode() = default;

    // A short name, a literal: with the child's index it keys view state, and tests find views by it.
    virtual std::string_view kind() const = 0;
    const std::vector<View>& children() const { return children_; }

    // The size this view takes for a proposal.
    virtual QSizeF sizeThatFits(const ProposedSize& proposal, Layout& layout) const = 0;
    // The children's frames, given this view's own frame.
    virtual std::vector<QRectF> placeChildren(const QRectF& frame, Layout& layout) const;
    // Paints the view; the default paints the children in order.
    virtual void paint(PaintContext& context, const LaidOut& laidOut) const;
    // What this view, laid out as `laidOut`, means to the host; most views mean nothing more.
    virtual void describeTraits(ViewTraits&, const LaidOut&) const {}
    // Run after the first render that places the view. Asked of every view on every render, so
    // apart from the traits, whose label may need a text measured.
    virtual std::function<void()> appearAction() const { return {}; }
    // Views that build their body from view state are expanded before layout.
    virtual std::optional<View> resolve(ResolveContext&) const { return std::nullopt; }
    // The same view over other children: how the resolving pass rebuilds a tree.
    std::shared_ptr<const ViewNode> withChildren(std::vector<View> children) const;
    // Spacers yield to every other child of a stack.
    virtual bool isSpacer() const { return false; }
    // Whether this view, given the same frame, draws just as `other`, a view of the same type,
    // does, children aside. Views that draw nothing of their own say so; the rest compare what
    // they draw with, and a view that cannot tell says no, so that it is drawn again.
    virtual bool drawsLike(const ViewNode& /*other*/) const { return false; }
    // Where this view, without children and laid out as `laidOut`, draws differently from
    // `before`, which it does not draw like: by default anywhere its ink may lie.
    virtual QRectF redrawnInk(const ViewNode& before, const LaidOut& laidOut) const;
    // Where a change of its children's ink within `changed` shows once this view has drawn them
    // in `frame`: a blur or a shadow spreads it, a rotation or a scale moves it.
    virtual QRectF spreadChange(const QRectF& changed, const QRectF& /*frame*/) const { return changed; }

protected:
    // A copy of this node to give other children; views without children are never copied.
    virtual std::shared_ptr<ViewNode> copy() const { return nullptr; }

private:
    std::vector<View> children_;
};

} // namespace ui
