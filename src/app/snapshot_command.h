#pragma once

#include "app/command_line.h"

namespace app {

// `--snapshot FILE`: gathers the data as `--status` does and renders the panel to a PNG file,
// without a display.
int runSnapshotCommand(int argc, char* argv[], const CommandLine& line);

} // namespace app
