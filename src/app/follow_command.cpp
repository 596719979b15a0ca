#include "app/follow_command.h"

#include "app/counting_launcher.h"
#include "app/host_services.h"
#include "app/status_report.h"
#include "platform/linux/posix_child_process.h"
#include "platform/qt/qt_main_queue.h"
#include "statusbar/status_bar_controller.h"

#include <QCoreApplication>
#include <QTimer>

#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

namespace app {
namespace {

// A reader that went away (the bar quit) leaves the pipe's write end in error.
bool standardOutputClosed()
{
    pollfd out{.fd = STDOUT_FILENO, .events = 0, .revents = 0};
    return ::poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP | POLLNVAL));
}

} // namespace

int runFollowCommand(int argc, char* argv[], const CommandLine& line)
{
    // A closed pipe is an answer to check, not a reason to die by signal.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication application(argc, argv);
    const auto mainQueue = std::make_shared<platform::QtMainQueue>(&application);
    const auto launcher =
        std::make_shared<CountingLauncher>(std::make_unique<platform::PosixChildProcessLauncher>(), mainQueue);
    // Like --status, the first line waits for UPower's first answer (two seconds at most).
    auto powerSources = hostPowerSources(line, true);
    if (const auto* failure = std::get_if<std::string>(&powerSources)) {
        std::cerr << "battery-monitor: " << *failure << '\n';
        return 2;
    }
    const auto sources = std::get<0>(std::move(powerSources));
    const auto monitor = monitor::BatteryMonitor::create(hostServices(line, sources, launcher, mainQueue, std::cerr));

    std::string printed;
    bool printPending = false;
    bool gathered = false;
    const auto print = [&] {
        printPending = false;
        const std::string status = line.json ? statusJson(*monitor, sources->name()) : statusLine(*monitor);
        if (status == std::exchange(printed, status))
            return;
        if (std::fputs(status.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
            application.exit(0);
    };
    // Every write of one change lands in one line, and only once the first gathering is done.
    monitor->objectWillChange.connect([&] {
        if (gathered && !std::exchange(printPending, true))
            mainQueue->async(print);
    });

    // The first line waits for the profilers, as --status does, so it does not show placeholders.
    QTimer gathering;
    const auto startTime = std::chrono::steady_clock::now();
    gathering.callOnTimeout([&] {
        if (launcher->inFlight() > 0 && std::chrono::steady_clock::now() - startTime < std::chrono::seconds(10))
            return;
        gathering.stop();
        gathered = true;
        print();
    });
    gathering.start(std::chrono::milliseconds(20));

    // The same rhythm as the tray; a source that pushes changes is heard in between.
    QTimer tick;
    tick.callOnTimeout([&] {
        if (standardOutputClosed())
            application.exit(0);
        else
            monitor->refresh();
    });
    tick.start(statusbar::StatusBarController::updateInterval);
    return application.exec();
}

} // namespace app
