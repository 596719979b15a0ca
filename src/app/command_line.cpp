#include "app/command_line.h"

#include <algorithm>
#include <array>
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
           "  --follow          with --status: print it again at every change, one line each\n"
           "                    (one JSON object with --json), until stopped\n"
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
           "  --version         show the version and exit\n"
           "\n"
           "Qt's own options (-session, -platform, -style, -display, ...) are passed on to Qt.\n";
}

namespace {

// Qt's own options, which its application object takes out of the arguments: a session
// manager restarts programs with -session, users pass -platform or -style.
constexpr std::array<std::string_view, 13> qtOptionsWithValue = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry", "-qwindowicon",
    "-qwindowtitle", "-session", "-style", "-stylesheet", "-display", "-geometry", "-name",
};
constexpr std::array<std::string_view, 5> qtFlags = {"-reverse", "-widgetcount", "-sync", "-nograb", "-dograb"};

// How many arguments a Qt option at `option` spans: 0 when it is not one of Qt's.
std::size_t qtOptionLength(std::string_view option, bool valueFollows)
{
    if (option.starts_with("--"))
        option.remove_prefix(1); // Qt takes either form
    if (!option.starts_with('-') || option.size() < 2)
        return 0;
    const auto name = option.substr(0, option.find('='));
    const auto is = [name](std::string_view known) { return name == known; };
    if (std::any_of(qtFlags.begin(), qtFlags.end(), is))
        return 1;
    if (std::any_of(qtOptionsWithValue.begin(), qtOptionsWithValue.end(), is))
        return option.find('=') != std::string_view::npos || !valueFollows ? 1 : 2;
    return 0;
}

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
        if (const auto length = qtOptionLength(option, std::next(it) != arguments.end())) {
            it += static_cast<std::ptrdiff_t>(length - 1); // left where they are, for Qt
            continue;
        }
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
        else if (option == "--follow")
            line.follow = true;
        else if (option == "--help" || option == "-h")
            return onlyMode(CommandLine::Mode::Help);
        else if (option == "--version")
            return onlyMode(CommandLine::Mode::Version);
        else
            return CommandLineError{"unknown option " + std::string(option)};
    }
    if (line.json || line.follow)
        line.mode = CommandLine::Mode::Status; // JSON and following only make sense as reports
    if (line.snapshot) {
        if (line.mode == CommandLine::Mode::Status)
            return CommandLineError{"option --snapshot cannot go with --status, --json or --follow"};
        line.mode = CommandLine::Mode::Snapshot;
    } else if (appearanceGiven || scaleGiven) {
        return CommandLineError{std::string("option ") + (appearanceGiven ? "--appearance" : "--scale") + " needs --snapshot"};
    }
    return line;
}

} // namespace app
