#pragma once

#include "platform/power_sources.h"

#include <utility>

namespace platform {

// Answers `reading` and counts how often it was asked; `change()` tells of a change as a
// backend that pushes would.
class FakePowerSources final : public PowerSources {
public:
    explicit FakePowerSources(std::optional<PowerSourceSnapshot> reading = std::nullopt) : reading(std::move(reading)) {}

    std::optional<PowerSourceSnapshot> snapshot() override
    {
        ++reads;
        return reading;
    }
    void onChange(ChangeHandler handler) override { changed_ = std::move(handler); }

    void change()
    {
        if (changed_)
            changed_();
    }

    std::optional<PowerSourceSnapshot> reading;
    int reads = 0;

private:
    ChangeHandler changed_;
};

// A system battery as the sysfs backend describes one.
inline PowerSourceDescription internalBattery(std::int64_t capacity, bool charging, std::string state = "Battery Power")
{
    return {{"Type", std::string("InternalBattery")},
            {"Current Capacity", capacity},
            {"Is Charging", charging},
            {"Power Source State", std::move(state)}};
}

} // namespace platform
