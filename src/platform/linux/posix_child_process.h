#pragma once

#include "platform/child_process.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>
#include <thread>

#include <sys/types.h>

namespace platform {

// Starts children with posix_spawn and gives each run a worker thread of its own, which drains
// the child's output, enforces the limits and reaps exactly that child.
//
// Destroying the launcher kills (SIGKILL) every child still running and returns once every
// worker has finished: the handlers of those runs are still called, with completed = false, and
// any launch() they attempt fails. The launcher must not be destroyed from one of its own handlers.
class PosixChildProcessLauncher final : public ChildProcessLauncher {
public:
    struct Options {
        // From launch until the child has ended and its output is closed; a run still going then
        // is killed and ends with completed = false.
        std::chrono::milliseconds timeLimit = std::chrono::seconds(30);
        // Bytes of output beyond which a run is killed and ends with completed = false.
        std::size_t outputLimit = 16 * 1024 * 1024;
    };

    PosixChildProcessLauncher();
    explicit PosixChildProcessLauncher(Options options);
    ~PosixChildProcessLauncher() override;

    PosixChildProcessLauncher(const PosixChildProcessLauncher&) = delete;
    PosixChildProcessLauncher& operator=(const PosixChildProcessLauncher&) = delete;

    std::optional<LaunchFailure> launch(const std::string& path, const std::vector<std::string>& arguments,
                                        TerminationHandler onTermination) override;

    // Runs started whose handler has not returned yet.
    std::size_t runsInFlight() const;

private:
    using Workers = std::list<std::thread>;

    void supervise(pid_t child, int output, TerminationHandler onTermination, Workers::iterator self);

    const Options options_;
    // Every worker polls the read end; closing the write end wakes them all for shutdown.
    int stopRead_ = -1;
    int stopWrite_ = -1;
    int stopPipeError_ = 0;

    mutable std::mutex mutex_;
    std::condition_variable workerFinished_;
    bool stopping_ = false;
    Workers running_;  // workers whose handler has not returned yet
    Workers finished_; // workers past their last use of the launcher, waiting to be joined
};

} // namespace platform
