#include "platform/qt/qt_repeating_timer.h"

#include <QTimer>

namespace platform {
namespace {

class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> block)
    {
        timer_.setTimerType(Qt::CoarseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(block));
        timer_.start(interval);
    }

private:
    QTimer timer_;
};

} // namespace

std::shared_ptr<RepeatingTimer> scheduleQtTimer(std::chrono::milliseconds interval, std::function<void()> block)
{
    return std::make_shared<QtRepeatingTimer>(interval, std::move(block));
}

} // namespace platform
