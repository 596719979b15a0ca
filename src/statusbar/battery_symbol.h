#pragma once

#include <cstdint>
#include <string>

namespace statusbar {

// The symbol that stands for the battery: a bolt while charging, else one of five levels.
std::string symbolName(std::int64_t percentage, bool isCharging);

// The text beside the symbol: one space, the level as it is, a percent sign.
std::string statusTitle(std::int64_t percentage);

} // namespace statusbar
