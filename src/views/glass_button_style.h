#pragma once

#include "ui/view_state.h"

namespace views {

// The footer's buttons: a bold label on a faint translucent tile with a hairline outline, firmer
// and 4 % smaller while pressed. The destructive variant is red in either appearance. The
// keyboard's focus ring is a soft accent outline around the tile.
ui::ButtonStyle GlassButtonStyle(bool isDestructive, ui::ColorScheme colorScheme);

} // namespace views
