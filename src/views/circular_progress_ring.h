#pragma once

#include "ui/view.h"

#include <cstdint>

namespace views {

// The charge gauge: a faint track, a gradient arc from 12 o'clock as long as the level with a
// blurred glow under it, and in the middle a symbol above the figure. While charging the
// symbol is a pulsing bolt.
ui::View CircularProgressRing(std::int64_t percentage, bool isCharging);

// The arc's two colours: teal-green while charging, else red, amber or green by level.
ui::LinearGradient batteryColorGradient(std::int64_t percentage, bool isCharging);

} // namespace views
