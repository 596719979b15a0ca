#pragma once

#include <functional>

namespace platform {

// The main thread's task queue. Tasks submitted from any thread run later on the main
// thread, one at a time, in submission order.
class MainQueue {
public:
    using Task = std::function<void()>;

    virtual ~MainQueue() = default;
    virtual void async(Task task) = 0;
};

} // namespace platform
