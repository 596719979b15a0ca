#pragma once

#include "app/command_line.h"

namespace app {

// `--status --follow`: prints the status once gathered, then again whenever it changes, one
// line each (one JSON object with --json), until killed or until standard output closes.
int runFollowCommand(int argc, char* argv[], const CommandLine& line);

} // namespace app
