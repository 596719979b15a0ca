#pragma once

#include "platform/repeating_timer.h"

#include <optional>

namespace platform {

// Keeps the last timer scheduled through `scheduler()`; it fires when the caller calls `tick`,
// also after the timer is gone, so tests can see that a late tick does no harm.
struct FakeTimer {
    TimerScheduler scheduler()
    {
        return [this](std::chrono::milliseconds every, std::function<void()> block) {
            interval = every;
            tick = std::move(block);
            return std::make_shared<RepeatingTimer>();
        };
    }

    std::optional<std::chrono::milliseconds> interval;
    std::function<void()> tick;
};

} // namespace platform
