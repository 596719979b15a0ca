#include "app/status_command.h"

#include "app/host_services.h"
#include "app/status_report.h"
#include "platform/linux/plain_main_queue.h"
#include "platform/linux/posix_child_process.h"

#include <QCoreApplication>

#include <chrono>
#include <iostream>
#include <optional>

namespace app {
namespace {

// Counts the runs that have not ended yet. The count drops in a main-queue task queued after
// the run's own delivery, so when it reaches zero every delivery has been applied.
class CountingLauncher final : public platform::ChildProcessLauncher {
public:
    CountingLauncher(std::unique_ptr<platform::ChildProcessLauncher> inner,
                     std::shared_ptr<platform::MainQueue> mainQueue)
        : mainQueue_(std::move(mainQueue)), inner_(std::move(inner))
    {
    }

    std::optional<platform::LaunchFailure> launch(const std::string& path, const std::vector<std::string>& arguments,
                                                  TerminationHandler onTermination) override
    {
        auto whenEnded = [inFlight = inFlight_, mainQueue = mainQueue_,
                          onTermination = std::move(onTermination)](platform::ChildProcessEnd end) {
            onTermination(std::move(end));
            mainQueue->async([inFlight] { --*inFlight; });
        };
        auto failure = inner_->launch(path, arguments, std::move(whenEnded));
        if (!failure)
            ++*inFlight_;
        return failure;
    }

    int inFlight() const { return *inFlight_; }

private:
    std::shared_ptr<int> inFlight_ = std::make_shared<int>(0); // touched on the main thread only
    std::shared_ptr<platform::MainQueue> mainQueue_;
    std::unique_ptr<platform::ChildProcessLauncher> inner_; // last member: its threads end first
};

} // namespace

int withGatheredMonitor(const CommandLine& line, std::ostream& failureReport,
                        const std::function<int(const std::shared_ptr<monitor::BatteryMonitor>&)>& use)
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
    const auto monitor = monitor::BatteryMonitor::create(
        hostServices(line, std::get<0>(std::move(powerSources)), launcher, mainQueue, failureReport));
    mainQueue->runUntil([&] { return launcher->inFlight() == 0; }, platform::PlainMainQueue::Clock::now() + patience);
    return use(monitor);
    // Leaving ends and reaps any profiler still running: its results are no longer wanted.
}

int runStatusCommand(const CommandLine& line)
{
    // Standard output carries one JSON document in that mode, so a failure line goes elsewhere.
    return withGatheredMonitor(line, line.json ? std::cerr : std::cout, [&line](const auto& monitor) {
        std::cout << (line.json ? statusJson(*monitor) : statusText(*monitor)) << std::flush;
        return 0;
    });
}

} // namespace app
