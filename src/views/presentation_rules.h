#pragma once

#include "ui/color.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace views {

// The two lines under the charge ring: whether power comes from a charger or the battery.
std::string statusDescription(bool isCharging, std::int64_t percentage);

// The colour of the battery's condition as the profiler names it; unknown names are gray.
ui::Color conditionColor(std::string_view condition);

// The accent of the charging state: a blue-leaning green.
ui::Color chargingAccentColor();

// A faint wash that stands out from the panel's ground: white on dark, black on light.
ui::Color schemeTint(ui::ColorScheme scheme, double darkOpacity, double lightOpacity);

} // namespace views
