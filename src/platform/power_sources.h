#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
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

// Where the power sources are read. A backend the system tells of changes calls the change
// handler, on the main thread; one that can only be asked never calls it.
class PowerSources {
public:
    using ChangeHandler = std::function<void()>;

    virtual ~PowerSources() = default;
    // All power sources now; no value when the system cannot say.
    virtual std::optional<PowerSourceSnapshot> snapshot() = 0;
    // Replaces the handler called after the sources have changed.
    virtual void onChange(ChangeHandler handler) = 0;
};

} // namespace platform
