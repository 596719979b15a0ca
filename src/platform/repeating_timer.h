#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace platform {

// A timer on the main thread's event loop that calls its block every interval, the first time
// one interval after scheduling, until it is destroyed.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
};

using TimerScheduler = std::function<std::shared_ptr<RepeatingTimer>(std::chrono::milliseconds interval,
                                                                     std::function<void()> block)>;

} // namespace platform
