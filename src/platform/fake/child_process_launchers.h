#pragma once

#include "platform/child_process.h"

#include <utility>

namespace platform {

// Starts nothing: for the monitor and the panel apart from the profiler they start.
class NoChildren final : public ChildProcessLauncher {
public:
    std::optional<LaunchFailure> launch(const std::string&, const std::vector<std::string>&, TerminationHandler) override
    {
        return std::nullopt;
    }
};

// Records every launch, or refuses them all with `failure`; the caller decides when and how
// each run ends.
class FakeLauncher final : public ChildProcessLauncher {
public:
    struct Launch {
        std::string path;
        std::vector<std::string> arguments;
        TerminationHandler onTermination; // empty once the run has ended
    };

    std::optional<LaunchFailure> launch(const std::string& path, const std::vector<std::string>& arguments,
                                        TerminationHandler onTermination) override
    {
        if (failure)
            return failure;
        launches.push_back({path, arguments, std::move(onTermination)});
        return std::nullopt;
    }

    // Ends the most recent run whose only argument is `argument`; false when none is in flight.
    [[nodiscard]] bool finish(const std::string& argument, std::string output, bool completed = true)
    {
        for (auto it = launches.rbegin(); it != launches.rend(); ++it) {
            if (it->arguments == std::vector{argument} && it->onTermination) {
                std::exchange(it->onTermination, nullptr)(ChildProcessEnd{std::move(output), completed});
                return true;
            }
        }
        return false;
    }

    std::vector<Launch> launches;
    std::optional<LaunchFailure> failure;
};

} // namespace platform
