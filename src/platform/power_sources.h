#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

// One power source as the system describes it: text keys mapped to text, integer or boolean
// values. Every backend writes the same keys, each only when it knows the value:
//   "Type"                text: "InternalBattery" (the machine's batteries as one), "UPS", or
//                         "DeviceBattery" (a peripheral's: mouse, keyboard, headset, phone, ...)
//   "Current Capacity"    integer: the level in percent
//   "Is Charging"         boolean
//   "Power Source State"  text: "AC Power" or "Battery Power"
//   "Name"                text: the device's own name, e.g. "MX Master 3"
//   "Kind"                text, lower case: "battery", "ups", "mouse", "keyboard", "headset",
//                         "phone", "tablet", "gaming-input", "pen", ..., or "other"
//   "Time to Empty"       integer: seconds left while discharging, only when known
//   "Time to Full"        integer: seconds to a full charge while charging, only when known
//   "Warning Level"       text: "none", "low", "critical" or "action", where the system itself
//                         judges how low the battery is
using PowerSourceValue = std::variant<std::string, std::int64_t, bool>;
using PowerSourceDescription = std::map<std::string, PowerSourceValue, std::less<>>;

// The value under `key` when it is there and of the expected kind.
template <class T>
const T* powerSourceValue(const PowerSourceDescription& description, std::string_view key)
{
    const auto found = description.find(key);
    return found == description.end() ? nullptr : std::get_if<T>(&found->second);
}

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
    // Which service answers now, for reports: "upower", "sysfs"; empty when it has no name.
    virtual std::string_view name() const { return {}; }
};

} // namespace platform
