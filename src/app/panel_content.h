#pragma once

#include "monitor/battery_monitor.h"
#include "ui/view_host.h"

#include <functional>
#include <memory>

namespace app {

// The popover's root view: the battery panel on the popover's own ground.
ui::ViewHost::Body panelContent(std::shared_ptr<monitor::BatteryMonitor> monitor, std::function<void()> terminate);

} // namespace app
