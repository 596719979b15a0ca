#include "ui/painting_thread.h"

#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <future>

namespace ui {

void runOnPaintingThread(const std::function<void()>& paint)
{
    QThreadPool* const pool = QThreadPool::globalInstance();
    if (!pool || pool->contains(QThread::currentThread())) {
        paint();
        return;
    }
    // The caller waits, so the two threads never touch the views at once. Both hand-overs go
    // through standard atomics, which the thread sanitizer sees, as it does not see Qt's.
    std::atomic<bool> handedOver{false};
    std::promise<void> painted;
    std::future<void> done = painted.get_future();
    handedOver.store(true, std::memory_order_release);
    pool->start([&] {
        (void)handedOver.load(std::memory_order_acquire);
        try {
            paint();
            painted.set_value();
        } catch (...) {
            painted.set_exception(std::current_exception());
        }
    });
    done.get();
}

} // namespace ui
