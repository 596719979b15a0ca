// The monitor's profiler runs against real child processes: small scripts standing in for a
// profiler that works, fails, hangs or prints what it should not.
#include "monitor/battery_monitor.h"
#include "platform/linux/plain_main_queue.h"
#include "platform/linux/posix_child_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = platform::PlainMainQueue::Clock;

std::string fakeProfiler(const char* name)
{
    return std::string(TEST_PROFILERS_DIR) + "/" + name;
}

class ProfilerRunTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        unsetenv("FAKE_PROFILER_DELAY");
        unsetenv("FAKE_PROFILER_CYCLES");
    }

    std::shared_ptr<monitor::BatteryMonitor> makeMonitor(const std::string& profiler)
    {
        auto made = monitor::BatteryMonitor::create({
            .computerName = [] { return std::optional<std::string>("host"); },
            .childProcesses = launcher,
            .mainQueue = mainQueue,
            .profilerPath = profiler,
            .failureReport = &report,
        });
        made->objectWillChange.connect([this] { ++notifications; });
        return made;
    }

    // Waits until every run has ended, then runs what they queued; fails after a generous wait.
    void waitForRuns()
    {
        const auto deadline = Clock::now() + 20s;
        while (launcher->runsInFlight() > 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        ASSERT_EQ(launcher->runsInFlight(), 0u) << "profiler runs still going";
        deliveries = mainQueue->drain();
    }

    std::shared_ptr<platform::PosixChildProcessLauncher> launcher =
        std::make_shared<platform::PosixChildProcessLauncher>(platform::PosixChildProcessLauncher::Options{.timeLimit = 1500ms});
    std::shared_ptr<platform::PlainMainQueue> mainQueue = std::make_shared<platform::PlainMainQueue>();
    std::ostringstream report;
    int notifications = 0;
    std::size_t deliveries = 0;
};

TEST_F(ProfilerRunTest, BothProfilesArriveFromAWorkingProfiler)
{
    const auto battery = makeMonitor(fakeProfiler("scripted"));
    waitForRuns();
    EXPECT_EQ(battery->modelName(), "Test Book");
    EXPECT_EQ(battery->chipName(), "Test Chip");
    EXPECT_EQ(battery->memorySize(), "8 GB");
    EXPECT_EQ(battery->cycleCount(), 42);
    EXPECT_EQ(battery->healthCapacity(), "91%");
    EXPECT_EQ(battery->condition(), "Normale");
    EXPECT_EQ(notifications, 6);
    EXPECT_TRUE(report.str().empty());
}

TEST_F(ProfilerRunTest, AProgramThatCannotStartPrintsTheFailureLines)
{
    const auto battery = makeMonitor("/nonexistent/system_profiler");
    EXPECT_EQ(launcher->runsInFlight(), 0u);
    const std::string lines = report.str();
    EXPECT_EQ(lines.rfind("Failed to run power system_profiler: ", 0), 0u) << lines;
    EXPECT_NE(lines.find("\nFailed to run hardware system_profiler: "), std::string::npos) << lines;
    EXPECT_NE(lines.find("No such file or directory"), std::string::npos) << lines;
    EXPECT_EQ(battery->chipName(), "Apple Silicon");
}

TEST_F(ProfilerRunTest, InvalidUtf8WritesNothing)
{
    const auto battery = makeMonitor(fakeProfiler("invalid-utf8"));
    waitForRuns();
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(battery->cycleCount(), 0);
    EXPECT_EQ(battery->chipName(), "Apple Silicon");
}

TEST_F(ProfilerRunTest, EmptyOrFailingOutputIsParsedAnyway)
{
    {
        const auto battery = makeMonitor(fakeProfiler("empty"));
        waitForRuns();
        EXPECT_EQ(battery->chipName(), "Apple Chip");
        EXPECT_EQ(battery->condition(), "Unknown");
    }
    const auto battery = makeMonitor(fakeProfiler("fails"));
    waitForRuns();
    EXPECT_EQ(battery->cycleCount(), 5) << "the exit status is not looked at";
}

TEST_F(ProfilerRunTest, OutputLargerThanAPipeBufferArrivesWhole)
{
    const auto battery = makeMonitor(fakeProfiler("large-output"));
    waitForRuns();
    EXPECT_EQ(battery->cycleCount(), 99);
    EXPECT_EQ(battery->condition(), "Sostituire presto");
}

TEST_F(ProfilerRunTest, AHangingProfilerIsStoppedAndDeliversNothing)
{
    const auto started = Clock::now();
    const auto battery = makeMonitor(fakeProfiler("hang"));
    waitForRuns();
    EXPECT_LT(Clock::now() - started, 10s);
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(battery->modelName(), "MacBook");
}

TEST_F(ProfilerRunTest, OverlappingRunsDeliverInTurnAndTheLastDeliveryStands)
{
    setenv("FAKE_PROFILER_DELAY", "0.6", 1);
    setenv("FAKE_PROFILER_CYCLES", "1", 1);
    const auto battery = makeMonitor(fakeProfiler("scripted")); // slow runs: cycle count 1
    setenv("FAKE_PROFILER_DELAY", "0", 1);
    setenv("FAKE_PROFILER_CYCLES", "2", 1);
    battery->refresh(); // a quick run beside them: cycle count 2

    // The quick run ends first, although the slow ones started earlier with their pipes open.
    ASSERT_TRUE(mainQueue->runUntil([&] { return battery->cycleCount() == 2; }, Clock::now() + 5s));
    EXPECT_GE(launcher->runsInFlight(), 1u);
    waitForRuns();
    EXPECT_EQ(battery->cycleCount(), 1);
}

TEST_F(ProfilerRunTest, AMonitorGoneBeforeTheChildEndsReceivesNothing)
{
    setenv("FAKE_PROFILER_DELAY", "0.3", 1);
    std::weak_ptr<monitor::BatteryMonitor> gone = makeMonitor(fakeProfiler("scripted"));
    ASSERT_TRUE(gone.expired());
    waitForRuns();
    EXPECT_EQ(deliveries, 0u) << "no delivery was queued";
}

} // namespace
