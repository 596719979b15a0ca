#pragma once

#include "ui/layout.h"

#include <optional>

namespace ui {

// Where the keyboard is among a tree's buttons, and whether its ring shows: from the first key
// that moves or presses, until the mouse is used.
struct KeyboardFocus {
    std::optional<ViewPath> button;
    bool ringShown = false;
};

// The button after (or before) `current` in `tree`'s layout order, wrapping round; the first
// (or last) when there is no current one or it is gone. None in a tree without buttons.
std::optional<ViewPath> nextButton(const LaidOut& tree, const std::optional<ViewPath>& current, bool forward);

// The laid-out button at `path`, if `tree` has one there.
const LaidOut* focusableButton(const LaidOut& tree, const ViewPath& path);

} // namespace ui
