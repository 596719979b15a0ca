#pragma once

#include "platform/main_queue.h"

#include <QObject>

namespace platform {

// Tasks run by Qt's event loop on the thread of the application object.
class QtMainQueue final : public MainQueue {
public:
    // `context` lives on the main thread; tasks queued after it is gone are dropped.
    explicit QtMainQueue(QObject* context);

    void async(Task task) override;

private:
    QObject* context_;
};

} // namespace platform
