#include "platform/qt/qt_main_queue.h"

#include <QMetaObject>

namespace platform {

QtMainQueue::QtMainQueue(QObject* context)
{
    target_->context = context;
    // Told on the main thread as destruction begins, before Qt discards the context's queued
    // events; a task being queued meanwhile finishes first and is discarded with them.
    QObject::connect(context, &QObject::destroyed, [target = target_] {
        const std::lock_guard lock(target->mutex);
        target->context = nullptr;
    });
}

void QtMainQueue::async(Task task)
{
    const std::lock_guard lock(target_->mutex);
    if (target_->context)
        QMetaObject::invokeMethod(target_->context, std::move(task), Qt::QueuedConnection);
}

} // namespace platform
