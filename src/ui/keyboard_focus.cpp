#include "ui/keyboard_focus.h"

#include <algorithm>

namespace ui {
namespace {

void collectButtons(const LaidOut& node, std::vector<const LaidOut*>& buttons)
{
    if (node.traits().pressedState) {
        buttons.push_back(&node);
        return;
    }
    for (const auto& child : node.children)
        collectButtons(child, buttons);
}

std::vector<const LaidOut*> buttonsOf(const LaidOut& tree)
{
    std::vector<const LaidOut*> buttons;
    collectButtons(tree, buttons);
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
