#include "platform/linux/posix_child_process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using platform::ChildProcessEnd;
using platform::PosixChildProcessLauncher;
using Clock = std::chrono::steady_clock;

// What must happen should happen long before this, even on a loaded machine.
constexpr auto generousWait = 10s;

std::string profiler(const char* name)
{
    return std::string(TEST_PROFILERS_DIR) + "/" + name;
}

PosixChildProcessLauncher::Options timeLimit(std::chrono::milliseconds limit)
{
    PosixChildProcessLauncher::Options options;
    options.timeLimit = limit;
    return options;
}

// Records the ends of runs; handlers share its state, so a late call after a failed wait is harmless.
class Ends {
public:
    PosixChildProcessLauncher::TerminationHandler handler() const
    {
        return [state = state_](ChildProcessEnd end) {
            std::lock_guard lock(state->mutex);
            state->ends.push_back(std::move(end));
            state->arrived.notify_all();
        };
    }

    bool waitFor(std::size_t count, Clock::duration timeout = generousWait) const
    {
        std::unique_lock lock(state_->mutex);
        return state_->arrived.wait_for(lock, timeout, [&] { return state_->ends.size() >= count; });
    }

    std::vector<ChildProcessEnd> all() const
    {
        std::lock_guard lock(state_->mutex);
        return state_->ends;
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable arrived;
        std::vector<ChildProcessEnd> ends;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

ChildProcessEnd runToEnd(PosixChildProcessLauncher& launcher, const std::string& path,
                         const std::vector<std::string>& arguments = {})
{
    Ends ends;
    const auto failure = launcher.launch(path, arguments, ends.handler());
    EXPECT_FALSE(failure) << failure->description;
    if (failure || !ends.waitFor(1)) {
        ADD_FAILURE() << path << " did not end in time";
        return {};
    }
    return ends.all().front();
}

// Processes whose parent is this one, zombies included.
std::vector<pid_t> children()
{
    std::vector<pid_t> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos)
            continue;
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t parent = 0;
        if (fields >> state >> parent && parent == ::getpid())
            found.push_back(std::stoi(entry.path().filename().string()));
    }
    return found;
}

std::ptrdiff_t threadCount()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
}

// The mask on a "SigBlk:"-style line of /proc/<pid>/status.
unsigned long long signalMask(const std::string& status, const std::string& label)
{
    const auto at = status.find("\n" + label + ":");
    return at == std::string::npos ? ~0ULL : std::stoull(status.substr(at + label.size() + 2), nullptr, 16);
}

TEST(ChildProcessOutput, ArgumentsArriveExactlyAfterThePath)
{
    PosixChildProcessLauncher launcher;
    EXPECT_EQ(runToEnd(launcher, profiler("print-arguments"), {"two words", "", "*", "$HOME", "'quoted'", "-n"}).output,
              "[two words]\n[]\n[*]\n[$HOME]\n['quoted']\n[-n]\n");
    EXPECT_EQ(runToEnd(launcher, "/bin/cat", {"/proc/self/cmdline"}).output,
              std::string("/bin/cat\0/proc/self/cmdline\0", 28));
}

TEST(ChildProcessEnvironment, InheritsDirectoryAndEnvironmentButNotSignalState)
{
    ::setenv("CHILD_PROCESS_TEST_MARK", "inherited", 1);
    PosixChildProcessLauncher launcher;
    EXPECT_EQ(runToEnd(launcher, "/bin/sh", {"-c", "pwd -P; printf %s \"$CHILD_PROCESS_TEST_MARK\""}).output,
              std::filesystem::current_path().string() + "\ninherited");

    // A GUI may block or ignore signals; its children must not start that way.
    sigset_t blocked;
    sigset_t previousMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &blocked, &previousMask);
    const auto previousHangup = std::signal(SIGHUP, SIG_IGN);
    const auto status = runToEnd(launcher, "/bin/cat", {"/proc/self/status"}).output;
    std::signal(SIGHUP, previousHangup);
    ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    EXPECT_EQ(signalMask(status, "SigBlk") & (1ULL << (SIGTERM - 1)), 0u) << status;
    EXPECT_EQ(signalMask(status, "SigIgn") & (1ULL << (SIGHUP - 1)), 0u) << status;
}

TEST(ChildProcessLaunch, FailuresAreDescribedAndCallNoHandler)
{
    const auto notExecutable = std::filesystem::path(testing::TempDir()) / ("not_executable_" + std::to_string(::getpid()));
    std::ofstream(notExecutable) << "#!/bin/sh\n";
    std::filesystem::permissions(notExecutable, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    Ends ends;
    {
        PosixChildProcessLauncher launcher;
        const auto missing = launcher.launch("/nonexistent/profiler", {}, ends.handler());
        ASSERT_TRUE(missing);
        EXPECT_EQ(missing->description, "/nonexistent/profiler: No such file or directory");
        const auto refused = launcher.launch(notExecutable, {}, ends.handler());
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->description, notExecutable.string() + ": Permission denied");
        EXPECT_TRUE(launcher.launch("bin/cat", {}, ends.handler()));
        EXPECT_EQ(launcher.runsInFlight(), 0u);
    }
    std::filesystem::remove(notExecutable);
    EXPECT_TRUE(ends.all().empty());
    EXPECT_TRUE(children().empty());
}

TEST(ChildProcessLimits, TimeLimitKillsAndReapsAHangingChild)
{
    PosixChildProcessLauncher launcher(timeLimit(300ms));
    Ends ends;
    const auto start = Clock::now();
    ASSERT_FALSE(launcher.launch(profiler("hang"), {}, ends.handler()));
    EXPECT_EQ(launcher.runsInFlight(), 1u);
    ASSERT_TRUE(ends.waitFor(1));
    EXPECT_GE(Clock::now() - start, 300ms);
    EXPECT_FALSE(ends.all().front().completed);
    EXPECT_TRUE(children().empty());
}

TEST(ChildProcessLimits, OutputLimitKillsAChattyChild)
{
    PosixChildProcessLauncher::Options options;
    options.outputLimit = 64 * 1024;
    PosixChildProcessLauncher launcher(options);
    Ends ends;
    ASSERT_FALSE(launcher.launch("/usr/bin/yes", {}, ends.handler()));
    ASSERT_TRUE(ends.waitFor(1));
    EXPECT_FALSE(ends.all().front().completed);
    EXPECT_TRUE(children().empty());
}

TEST(ChildProcessLimits, ClosedOutputIsNotTheEnd)
{
    PosixChildProcessLauncher patient;
    const auto start = Clock::now();
    const auto end = runToEnd(patient, profiler("closes-output"), {"0.5"});
    EXPECT_GE(Clock::now() - start, 500ms);
    EXPECT_TRUE(end.completed);
    EXPECT_EQ(end.output, "early\n");

    PosixChildProcessLauncher strict(timeLimit(300ms));
    EXPECT_FALSE(runToEnd(strict, profiler("closes-output")).completed);
    EXPECT_TRUE(children().empty());
}

TEST(ChildProcessLimits, GrandchildHoldingTheOutputOpenStopsAtTheDeadline)
{
    const auto pidFile = std::filesystem::path(testing::TempDir()) / ("grandchild_of_" + std::to_string(::getpid()));
    PosixChildProcessLauncher launcher(timeLimit(300ms));
    EXPECT_FALSE(runToEnd(launcher, profiler("leaves-writer"), {pidFile}).completed);
    pid_t grandchild = 0;
    std::ifstream(pidFile) >> grandchild;
    std::filesystem::remove(pidFile);
    ASSERT_GT(grandchild, 0);
    ::kill(grandchild, SIGKILL);
}

TEST(ChildProcessConcurrency, RunsLaunchedFromSeveralThreadsDoNotHoldEachOthersOutputOpen)
{
    constexpr int runs = 10;
    PosixChildProcessLauncher launcher;
    Ends slow;
    Ends quick;
    std::thread slowLauncher([&] {
        for (int i = 0; i < runs; ++i)
            EXPECT_FALSE(launcher.launch(profiler("hang"), {}, slow.handler()));
    });
    for (int i = 0; i < runs; ++i)
        EXPECT_FALSE(launcher.launch(profiler("print-arguments"), {std::to_string(i)}, quick.handler()));
    slowLauncher.join();
    ASSERT_TRUE(quick.waitFor(runs));
    for (const auto& end : quick.all())
        EXPECT_TRUE(end.completed && end.output.size() == 4) << end.output;
    EXPECT_TRUE(slow.all().empty());
}

TEST(ChildProcessShutdown, KillsRunsInFlightAndLeavesNothingBehind)
{
    std::thread([] {}).join(); // sanitizer runtimes start a helper thread with the first thread
    const auto threadsBefore = threadCount();
    Ends ends;
    std::atomic<int> refusedRelaunches = 0;
    const auto start = Clock::now();
    {
        PosixChildProcessLauncher launcher;
        // Handlers of killed runs may still use the launcher: launching fails, nothing deadlocks.
        const auto relaunch = [&, record = ends.handler()](ChildProcessEnd end) {
            if (launcher.launch(profiler("empty"), {}, ends.handler()) && launcher.runsInFlight() > 0)
                ++refusedRelaunches;
            record(std::move(end));
        };
        ASSERT_FALSE(launcher.launch(profiler("hang"), {}, relaunch));
        ASSERT_FALSE(launcher.launch(profiler("hang"), {}, relaunch));
    }
    EXPECT_LT(Clock::now() - start, 5s);
    const auto all = ends.all();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_FALSE(all[0].completed || all[1].completed);
    EXPECT_EQ(refusedRelaunches, 2);
    EXPECT_TRUE(children().empty());
    EXPECT_EQ(threadCount(), threadsBefore);
}

TEST(ChildProcessShutdown, WaitsForAHandlerThatIsRunning)
{
    std::atomic<bool> entered = false;
    std::atomic<bool> returned = false;
    {
        PosixChildProcessLauncher launcher;
        ASSERT_FALSE(launcher.launch(profiler("empty"), {}, [&](ChildProcessEnd) {
            entered = true;
            std::this_thread::sleep_for(300ms);
            returned = true;
        }));
        const auto deadline = Clock::now() + generousWait;
        while (!entered && Clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        ASSERT_TRUE(entered);
    }
    EXPECT_TRUE(returned);
}

} // namespace
