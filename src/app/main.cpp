#include "app/battery_app.h"
#include "app/command_line.h"
#include "app/follow_command.h"
#include "app/snapshot_command.h"
#include "app/status_command.h"

#include <filesystem>
#include <malloc.h>
#include <iostream>

int main(int argc, char* argv[])
{
    // A fixed threshold keeps large buffers (a profiler's output) in their own mappings, which go
    // back to the system when freed; glibc's moving threshold would keep them in the heap for
    // the life of a program that runs for weeks.
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);

    const auto parsed = app::parseCommandLine(argc, argv);
    const auto refuse = [](const std::string& message) {
        std::cerr << "battery-monitor: " << message << '\n' << app::usage();
        return 2;
    };
    if (const auto* error = std::get_if<app::CommandLineError>(&parsed))
        return refuse(error->message);
    const auto& line = std::get<app::CommandLine>(parsed);
    if (std::error_code ignored; line.root && !std::filesystem::is_directory(*line.root, ignored))
        return refuse("option --root: " + line.root->string() + " is not a directory");
    switch (line.mode) {
    case app::CommandLine::Mode::Help:
        std::cout << app::usage();
        return 0;
    case app::CommandLine::Mode::Version:
        std::cout << "battery-monitor " BATTERY_MONITOR_VERSION "\n";
        return 0;
    case app::CommandLine::Mode::Status:
        return line.follow ? app::runFollowCommand(argc, argv, line) : app::runStatusCommand(line);
    case app::CommandLine::Mode::Snapshot:
        return app::runSnapshotCommand(argc, argv, line);
    case app::CommandLine::Mode::Tray:
        break;
    }
    return app::BatteryApp::main(argc, argv, line);
}
