#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// One power source as the system describes it: text keys ("Type", "Current Capacity",
// "Is Charging", "Power Source State") mapped to text, integer or boolean values.
using PowerSourceValue = std::variant<std::string, std::int64_t, bool>;
using PowerSourceDescription = std::map<std::string, PowerSourceValue, std::less<>>;

// All power sources at one moment, in the system's order.
using PowerSourceSnapshot = std::vector<PowerSourceDescription>;

} // namespace platform
