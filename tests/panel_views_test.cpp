#include "monitor/battery_monitor.h"
#include "platform/plain_main_queue.h"
#include "ui/view_host.h"
#include "views/battery_popup_view.h"

#include <gtest/gtest.h>
#include <iostream>

namespace {
class NoLauncher final : public platform::ChildProcessLauncher {
public:
    std::optional<platform::LaunchFailure> launch(const std::string&, const std::vector<std::string>&, TerminationHandler) override
    {
        return std::nullopt;
    }
};
TEST(Scratch, Dump)
{
    std::ostringstream report;
    auto m = monitor::BatteryMonitor::create({.computerName = [] { return std::optional<std::string>("Studio"); },
                                              .powerSources = [] { return std::optional<platform::PowerSourceSnapshot>(); },
                                              .childProcesses = std::make_shared<NoLauncher>(),
                                              .mainQueue = std::make_shared<platform::PlainMainQueue>(),
                                              .profilerPath = "/x",
                                              .failureReport = &report});
    m->setPercentage(72);
    std::cout << ui::layoutDump([&](ui::ColorScheme s) { return views::BatteryPopupView(*m, s, [] {}, [] {}); }, {320, 480});
}
}
