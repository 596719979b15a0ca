#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// How a started child process ended, as seen by its termination handler.
struct ChildProcessEnd {
    std::string output;     // every byte the child wrote to its standard output
    bool completed = false; // false when the run was cut short (time limit, output limit, shutdown)
};

struct LaunchFailure {
    std::string description; // the system's text for why the program could not be started
};

// Starts programs with a pipe as standard output; environment, working directory,
// standard input and standard error are inherited.
class ChildProcessLauncher {
public:
    using TerminationHandler = std::function<void(ChildProcessEnd)>;

    virtual ~ChildProcessLauncher() = default;

    // Starts `path` (absolute, no search, no shell) with exactly `arguments` and returns at once.
    // On success the handler is called exactly once, on a thread of the launcher's own, after the
    // child has ended and been reaped. On failure it is never called.
    virtual std::optional<LaunchFailure> launch(const std::string& path,
                                                const std::vector<std::string>& arguments,
                                                TerminationHandler onTermination) = 0;
};

} // namespace platform
