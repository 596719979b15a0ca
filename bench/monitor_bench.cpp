// What the monitor costs: parsing profiler output, one refresh(), one run of the bundled profiler.
#include "monitor/battery_monitor.h"
#include "monitor/hardware_profile.h"
#include "monitor/health_profile.h"
#include "platform/fake/child_process_launchers.h"
#include "platform/linux/host_name.h"
#include "platform/linux/plain_main_queue.h"
#include "platform/linux/posix_child_process.h"
#include "platform/linux/sysfs_power_sources.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <future>
#include <thread>

namespace {

const std::filesystem::path laptop = std::filesystem::path(FIXTURES_DIR) / "machines" / "laptop-charging";

// A power report padded with unlabelled lines, the way a verbose profiler writes it.
std::string powerReport(int paddingLines)
{
    std::string text = "Power:\n\n    Battery Information:\n\n";
    for (int i = 0; i < paddingLines; ++i)
        text += "          Serial Number: D865123456789ABCD\n          Firmware Version: 901\n";
    text += "      Health Information:\n          Cycle Count: 412\n          Condition: Normal\n"
            "          Maximum Capacity: 87%\n";
    return text;
}

void parseHealthProfile(benchmark::State& state)
{
    const std::string text = powerReport(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(monitor::parseHealthProfile(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseHealthProfile)->Arg(0)->Arg(100)->Arg(10000);

void parseHardwareProfile(benchmark::State& state)
{
    const std::string text = "Hardware:\n\n    Hardware Overview:\n\n      Model Name: ThinkPad X1 Carbon Gen 9\n"
                             "      Chip: Intel Core i7-1165G7\n      Memory: 16 GB\n";
    for (auto _ : state)
        benchmark::DoNotOptimize(monitor::parseHardwareProfile(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseHardwareProfile);


void refreshWithoutChild(benchmark::State& state)
{
    const auto battery = monitor::BatteryMonitor::create({
        .computerName = [] { return platform::readComputerName(laptop, false); },
        .powerSources = std::make_shared<platform::SysfsPowerSources>(laptop),
        .childProcesses = std::make_shared<platform::NoChildren>(),
        .mainQueue = std::make_shared<platform::PlainMainQueue>(),
        .profilerPath = SYSTEM_PROFILER_PATH,
    });
    for (auto _ : state)
        battery->refresh();
}
BENCHMARK(refreshWithoutChild)->Unit(benchmark::kMicrosecond);

void refreshStartingTheProfiler(benchmark::State& state)
{
    setenv("BATTERY_MONITOR_ROOT", laptop.c_str(), 1);
    const auto mainQueue = std::make_shared<platform::PlainMainQueue>();
    const auto launcher = std::make_shared<platform::PosixChildProcessLauncher>();
    const auto battery = monitor::BatteryMonitor::create({
        .computerName = [] { return platform::readComputerName(laptop, false); },
        .powerSources = std::make_shared<platform::SysfsPowerSources>(laptop),
        .childProcesses = launcher,
        .mainQueue = mainQueue,
        .profilerPath = SYSTEM_PROFILER_PATH,
    });
    for (auto _ : state) {
        battery->refresh(); // what the main thread pays: the child is started, not waited for
        state.PauseTiming();
        while (launcher->runsInFlight() > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        mainQueue->drain();
        state.ResumeTiming();
    }
}
BENCHMARK(refreshStartingTheProfiler)->Unit(benchmark::kMicrosecond);

// From launch to the handler with the complete report: the latency of one profile.
void bundledProfilerRun(benchmark::State& state)
{
    setenv("BATTERY_MONITOR_ROOT", laptop.c_str(), 1);
    platform::PosixChildProcessLauncher launcher;
    const std::string dataType = state.range(0) == 0 ? "SPPowerDataType" : "SPHardwareDataType";
    for (auto _ : state) {
        std::promise<std::size_t> ended;
        launcher.launch(SYSTEM_PROFILER_PATH, {dataType},
                        [&ended](platform::ChildProcessEnd end) { ended.set_value(end.output.size()); });
        benchmark::DoNotOptimize(ended.get_future().get());
    }
    state.SetLabel(dataType);
}
BENCHMARK(bundledProfilerRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same for a program that does nothing: what starting and ending any process costs here.
void emptyProgramRun(benchmark::State& state)
{
    platform::PosixChildProcessLauncher launcher;
    for (auto _ : state) {
        std::promise<std::size_t> ended;
        launcher.launch("/bin/true", {}, [&ended](platform::ChildProcessEnd end) { ended.set_value(end.output.size()); });
        benchmark::DoNotOptimize(ended.get_future().get());
    }
}
BENCHMARK(emptyProgramRun)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
