#pragma once

#include "platform/main_queue.h"

#include <QObject>

#include <memory>
#include <mutex>

namespace platform {

// Tasks run by Qt's event loop on the thread of a context object. Any thread may queue them;
// once the context is gone, queued and later tasks are dropped, whatever outlives what.
class QtMainQueue final : public MainQueue {
public:
    // `context` lives on the main thread.
    explicit QtMainQueue(QObject* context);

    void async(Task task) override;

private:
    // Shared with the context's destruction notice, which may come after the queue is gone.
    struct Target {
        std::mutex mutex;
        QObject* context = nullptr; // null once destroyed
    };
    std::shared_ptr<Target> target_ = std::make_shared<Target>();
};

} // namespace platform
