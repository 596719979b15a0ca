#include "monitor/battery_warnings.h"

#include <utility>

namespace monitor {

WarningLevel BatteryWarnings::levelOf(const WarningReading& reading) const
{
    if (reading.reported)
        return *reading.reported;
    if (reading.percentage <= thresholds_.critical)
        return WarningLevel::Critical;
    if (reading.percentage <= thresholds_.low)
        return WarningLevel::Low;
    return WarningLevel::None;
}

std::optional<WarningChange> BatteryWarnings::update(const WarningReading& reading)
{
    const WarningLevel level = levelOf(reading);
    // Only a level that has clearly recovered arms a warning again.
    if (level == WarningLevel::None && reading.percentage >= thresholds_.low + thresholds_.rearmAbove)
        lowArmed_ = true;
    if (level != WarningLevel::Critical && reading.percentage >= thresholds_.critical + thresholds_.rearmAbove)
        criticalArmed_ = true;

    if (!reading.discharging) {
        if (shown_ == WarningLevel::None)
            return std::nullopt;
        shown_ = WarningLevel::None;
        return WarningChange{WarningChange::Kind::Withdraw};
    }
    if (level == WarningLevel::Critical && criticalArmed_) {
        // Past critical, the low warning has nothing left to say.
        criticalArmed_ = lowArmed_ = false;
        shown_ = WarningLevel::Critical;
        return WarningChange{WarningChange::Kind::Show, WarningLevel::Critical};
    }
    if (level == WarningLevel::Low && lowArmed_) {
        lowArmed_ = false;
        shown_ = WarningLevel::Low;
        return WarningChange{WarningChange::Kind::Show, WarningLevel::Low};
    }
    return std::nullopt;
}

bool PeripheralWarnings::update(const std::string& peripheral, const WarningReading& reading)
{
    auto& armed = armed_.try_emplace(peripheral, true).first->second;
    const bool critical = reading.reported ? *reading.reported == WarningLevel::Critical
                                           : reading.percentage <= thresholds_.critical;
    if (!critical) {
        if (reading.percentage >= thresholds_.critical + thresholds_.rearmAbove)
            armed = true;
        return false;
    }
    return std::exchange(armed, false);
}

} // namespace monitor
