#include "app/command_line.h"

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
           "  --root DIR        read the host's files (sys, proc, etc) under DIR instead of /\n"
           "  --profiler PATH   run PATH as the system profiler instead of the bundled one\n"
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

        if (option == "--root" || option == "--profiler") {
            const auto value = takesValue();
            if (!value || value->empty())
                return missingValue();
            (option == "--root" ? line.root : line.profiler) = std::filesystem::path(*value);
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
    return line;
}

} // namespace app
