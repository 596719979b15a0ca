#include "ui/painting_thread.h"

#include <QThread>
#include <QThreadPool>

#include <future>

// Qt's pool hands the job over through futexes that the thread sanitizer cannot see; this
// tells it what the hand-over guarantees: all the caller did before comes before the job.
#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
static char handOver;
#define HAND_OVER(step) step(&handOver)
#else
#define HAND_OVER(step)
#endif

namespace ui {

void runOnPaintingThread(const std::function<void()>& paint)
{
    QThreadPool* const pool = QThreadPool::globalInstance();
    if (!pool || pool->contains(QThread::currentThread())) {
        paint();
        return;
    }
    // The caller waits, so the two threads never touch the views at once.
    std::promise<void> painted;
    std::future<void> done = painted.get_future();
    HAND_OVER(__tsan_release);
    pool->start([&] {
        HAND_OVER(__tsan_acquire);
        try {
            paint();
            painted.set_value();
        } catch (...) {
            painted.set_exception(std::current_exception());
        }
    });
    done.get();
}

void endPaintingThread()
{
    // Every paint has been waited for, so this returns at once; the pool then ends its threads.
    if (QThreadPool* const pool = QThreadPool::globalInstance())
        pool->waitForDone();
}

} // namespace ui
