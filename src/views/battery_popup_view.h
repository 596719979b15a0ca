#pragma once

#include "monitor/battery_monitor.h"
#include "ui/view.h"

#include <functional>

namespace views {

// The panel under the tray icon: the machine's identity, the charge ring with the charging
// title and sentence, the four detail rows, and the quit and refresh buttons. Read afresh from
// the monitor on every render.
ui::View BatteryPopupView(const monitor::BatteryMonitor& monitor, ui::ColorScheme colorScheme,
                          std::function<void()> terminate, std::function<void()> refresh);

} // namespace views
