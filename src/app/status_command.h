#pragma once

#include "app/command_line.h"

namespace app {

// `--status`: gathers the data once, without a display, prints it and returns the exit status.
int runStatusCommand(const CommandLine& line);

} // namespace app
