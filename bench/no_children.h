#pragma once

#include "platform/child_process.h"

// Starts nothing: for measuring the monitor and the panel apart from the profiler they start.
class NoChildren final : public platform::ChildProcessLauncher {
public:
    std::optional<platform::LaunchFailure> launch(const std::string&, const std::vector<std::string>&,
                                                  TerminationHandler) override
    {
        return std::nullopt;
    }
};
