#include "app/status_command.h"

#include "app/counting_launcher.h"
#include "app/host_services.h"
#include "app/status_report.h"
#include "platform/linux/plain_main_queue.h"
#include "platform/linux/posix_child_process.h"

#include <QCoreApplication>

#include <chrono>
#include <iostream>
#include <optional>

namespace app {
int withGatheredMonitor(const CommandLine& line, std::ostream& failureReport,
                        const GatheredMonitorUse& use)
{
    constexpr auto patience = std::chrono::seconds(10);

    // QtDBus wants an application object; a core one needs no display. Declared first, so the
    // power sources built on it go before it does.
    int argc = 1;
    char name[] = "battery-monitor";
    char* argv[] = {name, nullptr};
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application.emplace(argc, argv);
    auto powerSources = hostPowerSources(line, true);
    if (const auto* failure = std::get_if<std::string>(&powerSources)) {
        std::cerr << "battery-monitor: " << *failure << '\n';
        return 2;
    }

    const auto mainQueue = std::make_shared<platform::PlainMainQueue>();
    const auto launcher =
        std::make_shared<CountingLauncher>(std::make_unique<platform::PosixChildProcessLauncher>(), mainQueue);
    const auto sources = std::get<0>(std::move(powerSources));
    const auto monitor = monitor::BatteryMonitor::create(hostServices(line, sources, launcher, mainQueue, failureReport));
    mainQueue->runUntil([&] { return launcher->inFlight() == 0; }, platform::PlainMainQueue::Clock::now() + patience);
    return use(monitor, sources->name());
    // Leaving ends and reaps any profiler still running: its results are no longer wanted.
}

int runStatusCommand(const CommandLine& line)
{
    // Standard output carries one JSON document in that mode, so a failure line goes elsewhere.
    return withGatheredMonitor(line, line.json ? std::cerr : std::cout, [&line](const auto& monitor, std::string_view source) {
        std::cout << (line.json ? statusJson(*monitor, source) : statusText(*monitor, source)) << std::flush;
        return 0;
    });
}

} // namespace app
