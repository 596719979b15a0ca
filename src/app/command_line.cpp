#include "app/command_line.h"

#include <charconv>
#include <span>
#include <string_view>

namespace app {

std::string usage()
{
    return "Usage: battery-monitor [OPTION]...\n"
           "Shows the battery's charge in the system tray, with a panel of details on click.\n"
           "\n"
           "  --status          print the battery status once and exit; needs no display\n"
           "  --json            with --status: print it as one JSON object\n"
           "  --snapshot FILE   render the panel to a PNG file and exit; needs no display\n"
           "  --appearance light|dark\n"
           "                    with --snapshot: the appearance to render (default light)\n"
           "  --scale N         with --snapshot: device pixels per point (default 2)\n"
           "  --root DIR        read the host's files (sys, proc, etc) under DIR instead of /\n"
           "  --profiler PATH   run PATH as the system profiler instead of the bundled one\n"
           "  --power-source auto|upower|sysfs\n"
           "                    where the battery is read: the UPower daemon on the system bus,\n"
           "                    or /sys/class/power_supply; auto (the default) takes UPower when\n"
           "                    it answers; --root always reads sysfs\n"
           "  --help            show this help and exit\n"
           "  --version         show the version and exit\n";
}

namespace {

CommandLine onlyMode(CommandLine::Mode mode)
{
    CommandLine line;
    line.mode = mode;
    return line;
}

} // namespace

std::variant<CommandLine, CommandLineError> parseCommandLine(int argc, const char* const argv[])
{
    CommandLine line;
    bool appearanceGiven = false;
    bool scaleGiven = false;
    const std::span arguments(argv + 1, argc > 0 ? argc - 1 : 0);
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        std::string_view option = *it;
        std::optional<std::string_view> attached; // --option=value
        if (const auto equals = option.find('='); option.starts_with("--") && equals != option.npos) {
            attached = option.substr(equals + 1);
            option = option.substr(0, equals);
        }
        const auto takesValue = [&]() -> std::optional<std::string_view> {
            if (attached)
                return attached;
            if (std::next(it) == arguments.end())
                return std::nullopt;
            return *++it;
        };
        const auto missingValue = [&] {
            return CommandLineError{"option " + std::string(option) + " needs a value"};
        };

        if (option == "--root" || option == "--profiler" || option == "--snapshot") {
            const auto value = takesValue();
            if (!value || value->empty())
                return missingValue();
            const std::filesystem::path path(*value);
            if (option == "--root")
                line.root = path;
            else if (option == "--profiler")
                line.profiler = path;
            else
                line.snapshot = path;
            continue;
        }
        if (option == "--appearance") {
            const auto value = takesValue();
            if (!value)
                return missingValue();
            if (*value != "light" && *value != "dark")
                return CommandLineError{"option --appearance takes light or dark, not " + std::string(*value)};
            line.dark = *value == "dark";
            appearanceGiven = true;
            continue;
        }
        if (option == "--power-source") {
            const auto value = takesValue();
            if (!value)
                return missingValue();
            if (*value == "auto")
                line.powerSource = CommandLine::PowerSource::Auto;
            else if (*value == "upower")
                line.powerSource = CommandLine::PowerSource::UPower;
            else if (*value == "sysfs")
                line.powerSource = CommandLine::PowerSource::Sysfs;
            else
                return CommandLineError{"option --power-source takes auto, upower or sysfs, not " + std::string(*value)};
            continue;
        }
        if (option == "--scale") {
            const auto value = takesValue();
            if (!value)
                return missingValue();
            double scale = 0;
            const auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), scale);
            if (error != std::errc() || end != value->data() + value->size() || !(scale >= 0.25 && scale <= 8))
                return CommandLineError{"option --scale takes a number from 0.25 to 8, not " + std::string(*value)};
            line.scale = scale;
            scaleGiven = true;
            continue;
        }
        if (attached)
            return CommandLineError{"option " + std::string(option) + " takes no value"};
        if (option == "--status")
            line.mode = CommandLine::Mode::Status;
        else if (option == "--json")
            line.json = true;
        else if (option == "--help" || option == "-h")
            return onlyMode(CommandLine::Mode::Help);
        else if (option == "--version")
            return onlyMode(CommandLine::Mode::Version);
        else
            return CommandLineError{"unknown option " + std::string(option)};
    }
    if (line.json)
        line.mode = CommandLine::Mode::Status; // JSON only makes sense as a one-off report
    if (line.snapshot) {
        if (line.mode == CommandLine::Mode::Status)
            return CommandLineError{"option --snapshot cannot go with --status or --json"};
        line.mode = CommandLine::Mode::Snapshot;
    } else if (appearanceGiven || scaleGiven) {
        return CommandLineError{std::string("option ") + (appearanceGiven ? "--appearance" : "--scale") + " needs --snapshot"};
    }
    return line;
}

} // namespace app
