#pragma once

#include "platform/child_process.h"
#include "platform/main_queue.h"

#include <memory>

namespace app {

// Counts the runs that have not ended yet. The count drops in a main-queue task queued after
// the run's own delivery, so when it reaches zero every delivery has been applied.
class CountingLauncher final : public platform::ChildProcessLauncher {
public:
    CountingLauncher(std::unique_ptr<platform::ChildProcessLauncher> inner,
                     std::shared_ptr<platform::MainQueue> mainQueue)
        : mainQueue_(std::move(mainQueue)), inner_(std::move(inner))
    {
    }

    std::optional<platform::LaunchFailure> launch(const std::string& path, const std::vector<std::string>& arguments,
                                                  TerminationHandler onTermination) override
    {
        auto whenEnded = [inFlight = inFlight_, mainQueue = mainQueue_,
                          onTermination = std::move(onTermination)](platform::ChildProcessEnd end) {
            onTermination(std::move(end));
            mainQueue->async([inFlight] { --*inFlight; });
        };
        auto failure = inner_->launch(path, arguments, std::move(whenEnded));
        if (!failure)
            ++*inFlight_;
        return failure;
    }

    int inFlight() const { return *inFlight_; }

private:
    std::shared_ptr<int> inFlight_ = std::make_shared<int>(0); // touched on the main thread only
    std::shared_ptr<platform::MainQueue> mainQueue_;
    std::unique_ptr<platform::ChildProcessLauncher> inner_; // last member: its threads end first
};


} // namespace app
