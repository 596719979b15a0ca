#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

namespace app {

struct CommandLine {
    enum class Mode { Tray, Status, Snapshot, Help, Version };
    enum class PowerSource { Auto, UPower, Sysfs };

    Mode mode = Mode::Tray;
    bool json = false;
    bool follow = false;                           // with --status: again at every change
    std::optional<std::filesystem::path> snapshot; // the panel as a PNG file
    bool dark = false;                             // the snapshot's appearance
    double scale = 2;                              // the snapshot's device pixels per point
    std::optional<std::filesystem::path> root;     // a whole machine described in a folder
    std::optional<std::filesystem::path> profiler; // runs instead of the bundled profiler
    PowerSource powerSource = PowerSource::Auto;   // `--root` always reads sysfs
};

struct CommandLineError {
    std::string message; // one line, naming the option
};

std::variant<CommandLine, CommandLineError> parseCommandLine(int argc, const char* const argv[]);

std::string usage();

} // namespace app
