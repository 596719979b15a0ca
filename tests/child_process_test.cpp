#include "platform/linux/posix_child_process.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using platform::ChildProcessEnd;
using platform::PosixChildProcessLauncher;
using Clock = std::chrono::steady_clock;

std::string profiler(const char* name)
{
    return std::string(TEST_PROFILERS_DIR) + "/" + name;
}

// Records the ends of runs; handlers share its state, so a late call after a failed wait is harmless.
struct Ends {
    struct State {
        std::mutex mutex;
        std::condition_variable arrived;
        std::vector<ChildProcessEnd> ends;
    };
    std::shared_ptr<State> state = std::make_shared<State>();

    PosixChildProcessLauncher::TerminationHandler handler() const
    {
        return [state = state](ChildProcessEnd end) {
            std::lock_guard lock(state->mutex);
            state->ends.push_back(std::move(end));
            state->arrived.notify_all();
        };
    }
    // The ends so far, once there are `count` of them or after a wait long enough for a loaded machine.
    std::vector<ChildProcessEnd> waitFor(std::size_t count = 0) const
    {
        std::unique_lock lock(state->mutex);
        state->arrived.wait_for(lock, 10s, [&] { return state->ends.size() >= count; });
        return state->ends;
    }
};

ChildProcessEnd runToEnd(PosixChildProcessLauncher& launcher, const std::string& path,
                         const std::vector<std::string>& arguments = {})
{
    Ends ends;
    const auto failure = launcher.launch(path, arguments, ends.handler());
    EXPECT_FALSE(failure) << failure->description;
    const auto all = failure ? std::vector<ChildProcessEnd>{} : ends.waitFor(1);
    EXPECT_EQ(all.size(), 1u) << path << " did not end in time";
    return all.empty() ? ChildProcessEnd{} : all.front();
}

// Whether this process has no child left, not even a zombie (which this reaps).
bool noChildren()
{
    return ::waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
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

TEST(ChildProcessStart, ExactlyTheArgumentsAfterThePathAndWhatTheParentHasButItsSignalState)
{
    PosixChildProcessLauncher launcher;
    EXPECT_EQ(runToEnd(launcher, profiler("print-arguments"), {"two words", "", "*", "$HOME", "'quoted'", "-n"}).output,
              "[two words]\n[]\n[*]\n[$HOME]\n['quoted']\n[-n]\n");
    EXPECT_EQ(runToEnd(launcher, "/bin/cat", {"/proc/self/cmdline"}).output,
              std::string("/bin/cat\0/proc/self/cmdline\0", 28));

    ::setenv("CHILD_PROCESS_TEST_MARK", "inherited", 1);
    EXPECT_EQ(runToEnd(launcher, "/bin/sh", {"-c", "pwd -P; printf %s \"$CHILD_PROCESS_TEST_MARK\""}).output,
              std::filesystem::current_path().string() + "\ninherited");

    // A GUI may block or ignore signals; its children must not start that way.
    sigset_t blocked, previousMask;
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
    Ends ends;
    {
        PosixChildProcessLauncher launcher;
        const auto missing = launcher.launch("/nonexistent/profiler", {}, ends.handler());
        ASSERT_TRUE(missing);
        EXPECT_EQ(missing->description, "/nonexistent/profiler: No such file or directory");
        EXPECT_TRUE(launcher.launch("bin/cat", {}, ends.handler()));
        EXPECT_EQ(launcher.runsInFlight(), 0u);
    }
    EXPECT_TRUE(ends.waitFor().empty());
    EXPECT_TRUE(noChildren());
}

TEST(ChildProcessLimits, ARunEndsWithTheChildOrIsCutShortAtALimitWhateverHoldsItOpenAndLeavesNoChild)
{
    const auto pidFile = std::filesystem::path(testing::TempDir()) / ("grandchild_of_" + std::to_string(::getpid()));
    const PosixChildProcessLauncher::Options shortLived{.timeLimit = 300ms};
    const struct {
        std::string path;
        std::vector<std::string> arguments;
        PosixChildProcessLauncher::Options options;
        std::chrono::milliseconds notBefore;
        bool completed;
        const char* output; // unless only its length is known
    } cases[] = {
        {profiler("hang"), {}, shortLived, 300ms, false, ""},
        {profiler("closes-output"), {"0.5"}, {}, 500ms, true, "early\n"}, // output closed, the child ends later
        {profiler("closes-output"), {}, shortLived, 300ms, false, "early\n"},
        {profiler("leaves-writer"), {pidFile}, shortLived, 300ms, false, ""}, // child gone, output still open
        {"/usr/bin/yes", {}, {.outputLimit = 64 * 1024}, 0ms, false, nullptr},
        {profiler("print-arguments"), {"abc"}, {.outputLimit = 6}, 0ms, true, "[abc]\n"}, // the limit exactly
        {profiler("print-arguments"), {"abc"}, {.outputLimit = 5}, 0ms, false, nullptr},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.path);
        PosixChildProcessLauncher launcher(each.options);
        const auto start = Clock::now();
        const auto end = runToEnd(launcher, each.path, each.arguments);
        EXPECT_GE(Clock::now() - start, each.notBefore);
        EXPECT_EQ(end.completed, each.completed);
        EXPECT_LE(end.output.size(), each.options.outputLimit);
        EXPECT_TRUE(!each.output || end.output == each.output) << end.output;
        EXPECT_TRUE(noChildren());
    }
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
    const auto quickEnds = quick.waitFor(runs);
    ASSERT_EQ(quickEnds.size(), std::size_t(runs));
    for (const auto& end : quickEnds)
        EXPECT_TRUE(end.completed && end.output.size() == 4) << end.output;
    EXPECT_TRUE(slow.waitFor().empty());
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
    // Far under the runs' 30-second limit: shutting down kills them rather than waiting it out.
    EXPECT_LT(Clock::now() - start, 5s);
    const auto all = ends.waitFor();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_FALSE(all[0].completed || all[1].completed);
    EXPECT_EQ(refusedRelaunches, 2);
    EXPECT_TRUE(noChildren());
    EXPECT_EQ(threadCount(), threadsBefore);
}

} // namespace
