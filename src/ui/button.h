#pragma once

#include "ui/view.h"

#include <functional>

namespace ui {

// Builds a button's look from its label and whether it is pressed.
using ButtonStyle = std::function<View(View label, bool isPressed)>;

// Runs `action` on the UI thread when a press on it is released over it.
View Button(std::function<void()> action, View label, ButtonStyle style);

} // namespace ui
