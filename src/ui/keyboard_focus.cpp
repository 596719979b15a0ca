#include "ui/keyboard_focus.h"

#include <algorithm>
#include <iterator>

namespace ui {
namespace {

std::vector<const LaidOut*> buttonsOf(const LaidOut& node)
{
    if (node.traits().pressedState)
        return {&node};
    std::vector<const LaidOut*> buttons;
    for (const auto& child : node.children)
        std::ranges::copy(buttonsOf(child), std::back_inserter(buttons));
    return buttons;
}

} // namespace

std::optional<ViewPath> nextButton(const LaidOut& tree, const std::optional<ViewPath>& current, bool forward)
{
    const auto buttons = buttonsOf(tree);
    if (buttons.empty())
        return std::nullopt;
    const auto at = std::ranges::find_if(buttons, [&](const LaidOut* button) { return button->path == current; });
    const auto count = std::ptrdiff_t(buttons.size());
    const std::ptrdiff_t index = at == buttons.end() ? (forward ? 0 : count - 1)
                                                     : ((at - buttons.begin()) + (forward ? 1 : count - 1)) % count;
    return buttons[std::size_t(index)]->path;
}

const LaidOut* focusableButton(const LaidOut& tree, const ViewPath& path)
{
    const auto buttons = buttonsOf(tree);
    const auto found = std::ranges::find_if(buttons, [&](const LaidOut* button) { return button->path == path; });
    return found == buttons.end() ? nullptr : *found;
}

} // namespace ui
