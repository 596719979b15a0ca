#pragma once

#include "app/command_line.h"

namespace app {

// The tray application: no window at launch, one status item, a popover on click; runs until
// the user quits from the panel.
struct BatteryApp {
    static int main(int argc, char* argv[], const CommandLine& line);
};

} // namespace app
