#pragma once

#include "platform/repeating_timer.h"

namespace platform {

// Timers on Qt's event loop. Coarse: a status refresh needs no millisecond precision, and the
// slack lets the system batch wake-ups.
std::shared_ptr<RepeatingTimer> scheduleQtTimer(std::chrono::milliseconds interval, std::function<void()> block);

} // namespace platform
