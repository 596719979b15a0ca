#pragma once

#include "ui/layout.h"
#include "ui/view.h"

#include <QRectF>

#include <functional>
#include <optional>
#include <vector>

namespace ui {

// `content` as one element to assistive technology: a gauge, or a line read as one sentence.
// Changes nothing on screen.
View accessibilityElement(View content, AccessibleTraits traits);

// One element that assistive technology meets, taken from a laid-out tree.
struct AccessibleElement {
    ViewPath path; // the view it stands for
    AccessibleTraits traits;
    QRectF frame;                 // in the root's points
    std::function<void()> action; // a button's
};

// The elements of the tree at `root` in reading (layout) order: every view with a role, none
// of what lies inside it; a button is named by the texts of its label.
std::vector<AccessibleElement> accessibleElements(const LaidOut& root);

} // namespace ui
