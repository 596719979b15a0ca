#pragma once

#include "platform/power_sources.h"

#include <filesystem>

namespace platform {

// The batteries and UPSes under <root>/sys/class/power_supply, one description each, in
// name order; adapters only decide "Power Source State". Values that cannot be read are
// left out of their description; a machine without the power supply class gives none.
PowerSourceSnapshot readPowerSources(const std::filesystem::path& root);

} // namespace platform
