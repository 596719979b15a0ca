#include "platform/linux/plain_main_queue.h"

namespace platform {

void PlainMainQueue::async(Task task)
{
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    arrived_.notify_one();
}

bool PlainMainQueue::runOne(std::unique_lock<std::mutex>& lock)
{
    if (tasks_.empty())
        return false;
    Task task = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock(); // the task may queue more
    task();
    lock.lock();
    return true;
}

std::size_t PlainMainQueue::drain()
{
    std::unique_lock lock(mutex_);
    std::size_t ran = 0;
    while (runOne(lock))
        ++ran;
    return ran;
}

bool PlainMainQueue::runUntil(const std::function<bool()>& done, Clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        lock.unlock();
        const bool finished = done();
        lock.lock();
        if (finished)
            return true;
        if (!arrived_.wait_until(lock, deadline, [this] { return !tasks_.empty(); }))
            return false;
        runOne(lock);
    }
}

} // namespace platform
