#include "platform/qt/qt_main_queue.h"

#include <QMetaObject>

namespace platform {

QtMainQueue::QtMainQueue(QObject* context) : context_(context) {}

void QtMainQueue::async(Task task)
{
    QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
}

} // namespace platform
