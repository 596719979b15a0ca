#pragma once

#include "ui/view.h"

#include <string>

namespace views {

// One labelled line of the details card: a tinted tile with a symbol, the title, and the value
// in a faint capsule at the right edge.
ui::View DetailRowView(const std::string& icon, const std::string& title, const std::string& value, ui::Color color,
                       ui::ColorScheme colorScheme);

} // namespace views
