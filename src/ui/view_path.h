#pragma once

#include <cstddef>
#include <cstdint>
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

} // namespace ui
