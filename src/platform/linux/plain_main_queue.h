#pragma once

#include "platform/main_queue.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace platform {

// A main queue without a toolkit: the thread that owns it runs the tasks when it asks to.
// Serves the command-line modes and the tests.
class PlainMainQueue final : public MainQueue {
public:
    using Clock = std::chrono::steady_clock;

    void async(Task task) override;

    // Runs the tasks queued so far and those they queue; returns how many ran.
    std::size_t drain();

    // Runs tasks as they arrive until `done()` holds after a task (or at once) or the deadline
    // passes; returns whether `done()` held.
    bool runUntil(const std::function<bool()>& done, Clock::time_point deadline);

private:
    bool runOne(std::unique_lock<std::mutex>& lock);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<Task> tasks_;
};

} // namespace platform
