#include "ui/painting_thread.h"

#include <QThread>
#include <QThreadPool>

#include <future>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace ui {
namespace {

// Qt's pool hands the job over through futexes that the thread sanitizer cannot see; these two
// tell it what the hand-over guarantees: all the caller did before comes before the job.
[[maybe_unused]] char handOver;

void beforeHandingOver()
{
#if defined(__SANITIZE_THREAD__)
    __tsan_release(&handOver);
#endif
}

void afterTakingOver()
{
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(&handOver);
#endif
}

} // namespace

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
    beforeHandingOver();
    pool->start([&] {
        afterTakingOver();
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
