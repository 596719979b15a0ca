#pragma once

#include "ui/layout.h"
#include "ui/view.h"

#include <QRectF>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// What a view reads as when assistive technology asks, in place of what is inside it.
struct AccessibleTraits {
    AccessibleRole role = AccessibleRole::StaticText;
    std::string name;
    std::string description;
    std::optional<double> value; // a gauge's level, 0 to 100
};

// `content` as one element to assistive technology: a gauge, or a line read as one sentence.
// Changes nothing on screen.
View accessibilityElement(View content, AccessibleTraits traits);

// One element that assistive technology meets, taken from a laid-out tree.
struct AccessibleElement {
    ViewPath path; // the view it stands for
    AccessibleTraits traits;
    QRectF frame;                 // in the root's points
    std::optional<StateKey> focusedState; // a button's
    std::function<void()> action; // a button's

    // Whether `other` reads the same, so that no change needs announcing.
    bool readsAs(const AccessibleElement& other) const
    {
        return traits.role == other.traits.role && traits.name == other.traits.name
            && traits.description == other.traits.description && traits.value == other.traits.value;
    }
};

// The elements of the tree at `root` in reading (layout) order: every view with a role, none
// of what lies inside it; a button is named by the texts of its label.
std::vector<AccessibleElement> accessibleElements(const LaidOut& root);

} // namespace ui
