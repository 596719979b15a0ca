#include "app/host_services.h"

#include "platform/freedesktop/upower_power_sources.h"
#include "platform/linux/host_name.h"
#include "platform/linux/sysfs_power_sources.h"

#include <QDBusMessage>

#include <cstdlib>
#include <system_error>

namespace app {
namespace {

const QString upowerService = QStringLiteral("org.freedesktop.UPower");

// Whether the daemon runs or the bus can start it. Asks the bus itself, which answers at once,
// with a short timeout all the same.
bool upowerOnBus(const QDBusConnection& bus)
{
    constexpr int timeout = 1000;
    const auto askBus = [&bus](const char* method, const QVariantList& arguments) {
        auto message = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"), QLatin1String(method));
        message.setArguments(arguments);
        const QDBusMessage reply = bus.call(message, QDBus::Block, timeout);
        return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() ? reply.arguments().constFirst()
                                                                                          : QVariant();
    };
    return askBus("NameHasOwner", {upowerService}).toBool()
           || askBus("ListActivatableNames", {}).toStringList().contains(upowerService);
}

} // namespace

std::variant<std::shared_ptr<platform::PowerSources>, std::string> hostPowerSources(const CommandLine& line,
                                                                                   bool oneShot)
{
    auto sysfs = std::make_shared<platform::SysfsPowerSources>(line.root ? std::filesystem::absolute(*line.root) : std::filesystem::path("/"));
    if (line.root || line.powerSource == CommandLine::PowerSource::Sysfs)
        return sysfs;
    const bool asked = line.powerSource == CommandLine::PowerSource::UPower;
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !upowerOnBus(bus)) {
        if (asked)
            return std::string("UPower is not on the system bus");
        return sysfs;
    }
    auto upower = std::make_shared<platform::UPowerPowerSources>(bus, sysfs);
    if (oneShot && !upower->waitForReading(platform::UPowerPowerSources::callTimeout)) {
        if (asked)
            return std::string("UPower does not answer on the system bus");
        return sysfs;
    }
    return upower;
}

std::filesystem::path bundledProfilerPath()
{
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    const auto binDir = error ? std::filesystem::path(".") : executable.parent_path();
    return (binDir / PROFILER_DIR_FROM_BIN / "system_profiler").lexically_normal();
}

monitor::BatteryMonitorServices hostServices(const CommandLine& line,
                                             std::shared_ptr<platform::PowerSources> powerSources,
                                             std::shared_ptr<platform::ChildProcessLauncher> childProcesses,
                                             std::shared_ptr<platform::MainQueue> mainQueue,
                                             std::ostream& failureReport)
{
    std::filesystem::path root = "/";
    if (line.root) {
        root = std::filesystem::absolute(*line.root);
        // Children inherit it, so the profiler describes the same machine.
        setenv("BATTERY_MONITOR_ROOT", root.c_str(), 1);
    }
    // A machine in a folder has no kernel of its own to ask for a host name.
    const bool askKernel = !line.root;
    const auto profiler = line.profiler ? std::filesystem::absolute(*line.profiler) : bundledProfilerPath();

    return {
        .computerName = [root, askKernel] { return platform::readComputerName(root, askKernel); },
        .powerSources = std::move(powerSources),
        .childProcesses = std::move(childProcesses),
        .mainQueue = std::move(mainQueue),
        .profilerPath = profiler.string(),
        .failureReport = &failureReport,
    };
}

} // namespace app
