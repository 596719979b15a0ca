#pragma once

#include "ui/symbol.h"
#include "ui/text.h"

#include <optional>
#include <string_view>

namespace views {

// The symbol called `name` ("battery.75", "bolt.fill", ...). Nothing for unknown names, and
// nothing when the font or the glyph is missing. GUI thread only.
std::optional<ui::Symbol> systemSymbol(std::string_view name);

// An image of the symbol called `name`; an unknown name draws nothing.
ui::Image systemImage(std::string_view name);

} // namespace views
