#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace monitor {

enum class WarningLevel { None, Low, Critical };

struct WarningThresholds {
    std::int64_t low = 20;      // percent, at or below
    std::int64_t critical = 5;  // percent, at or below
    std::int64_t rearmAbove = 3; // points above a threshold before it warns again
};

// A battery's reading as the warnings see it. `reported` is the system's own verdict where it
// has one (its policy then holds); otherwise the thresholds decide.
struct WarningReading {
    std::int64_t percentage = 0;
    bool discharging = false;
    std::optional<WarningLevel> reported;
};

// What to tell the user after a reading.
struct WarningChange {
    enum class Kind { Show, Withdraw };
    Kind kind = Kind::Show;
    WarningLevel level = WarningLevel::None; // with Show: Low or Critical

    bool operator==(const WarningChange&) const = default;
};

// When to warn of a low battery, and when not again: once per crossing of each threshold while
// discharging, the critical warning replacing the low one; withdrawn on the charger; armed again
// only once the level has risen a few points above the threshold, so a level that hovers there
// does not warn again and again.
class BatteryWarnings {
public:
    explicit BatteryWarnings(WarningThresholds thresholds = {}) : thresholds_(thresholds) {}

    std::optional<WarningChange> update(const WarningReading& reading);

private:
    WarningLevel levelOf(const WarningReading& reading) const;

    WarningThresholds thresholds_;
    WarningLevel shown_ = WarningLevel::None;
    bool lowArmed_ = true;
    bool criticalArmed_ = true;
};

// A peripheral's critical level, once per crossing: true when the reading should be told.
class PeripheralWarnings {
public:
    explicit PeripheralWarnings(WarningThresholds thresholds = {}) : thresholds_(thresholds) {}

    bool update(const std::string& peripheral, const WarningReading& reading);

private:
    WarningThresholds thresholds_;
    std::map<std::string, bool> armed_;
};

} // namespace monitor
