// battery-monitor as scripts and users run it: the status modes against machines in folders.
#include "program_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <chrono>
#include <sstream>

namespace {

std::string machine(const char* name)
{
    return std::string(TEST_FIXTURES_DIR) + "/machines/" + name;
}

// Splits at spaces, for command lines without quoting needs.
ProgramRun run(const std::string& arguments)
{
    std::vector<std::string> words;
    std::istringstream in(arguments);
    for (std::string word; in >> word;)
        words.push_back(word);
    return runProgram(BATTERY_MONITOR_PATH, words);
}

TEST(StatusCommand, PrintsTheMachineAsJson)
{
    const auto outcome = run("--status --json --root " + machine("laptop-charging"));
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(outcome.out,
              R"({"percentage": 72, "isCharging": true, "powerSource": "Alimentatore", "deviceName": "Giulia's ThinkPad", )"
              R"("modelName": "ThinkPad X1 Carbon Gen 9", "chipName": "Intel Core i7-1165G7", )"
              R"("memorySize": "16 GB", "cycleCount": 412, "healthCapacity": "84%", "condition": "Normale", )"
              R"("symbolName": "battery.100.bolt", "title": " 72%", "source": "sysfs", "timeToEmpty": null, )"
              R"("timeToFull": 649, "peripherals": []})"
              "\n");
    EXPECT_EQ(outcome.err, "");
}

TEST(StatusCommand, ListsPeripheralsBesideTheMachinesLevel)
{
    const auto json = run("--status --json --root " + machine("two-batteries"));
    EXPECT_NE(json.out.find(R"("percentage": 70, )"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find(R"("timeToEmpty": 12111, "timeToFull": null, )"
                            R"("peripherals": [{"name": "Wireless Mouse", "kind": "mouse", "percentage": 12}]})"),
              std::string::npos)
        << json.out;
    const auto text = run("--status --root " + machine("two-batteries"));
    EXPECT_NE(text.out.find("\nperipherals: Wireless Mouse (mouse) 12%\n"), std::string::npos) << text.out;
}

TEST(StatusCommand, PrintsFieldsInOrderThenSymbolAndTitle)
{
    const auto outcome = run("--status --root=" + machine("laptop-discharging"));
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(outcome.out, "percentage: 38\n"
                           "isCharging: false\n"
                           "powerSource: Batteria\n"
                           "deviceName: studio\n"
                           "modelName: XPS 13 9310\n"
                           "chipName: Intel Core i7-1185G7\n"
                           "memorySize: 32 GB\n"
                           "cycleCount: 803\n"
                           "healthCapacity: 75%\n"
                           "condition: Normale\n"
                           "symbolName: battery.50\n"
                           "title:  38%\n"
                           "source: sysfs\n"
                           "timeToEmpty: 6639\n"
                           "timeToFull: unknown\n"
                           "peripherals: none\n");
}

TEST(StatusCommand, AProfilerThatCannotStartIsReportedWhereItDoesNotSpoilTheOutput)
{
    const std::string failures = "Failed to run power system_profiler: /nonexistent/profiler: No such file or directory\n"
                                 "Failed to run hardware system_profiler: /nonexistent/profiler: No such file or directory\n";
    const std::string args = " --profiler /nonexistent/profiler --root " + machine("desktop");

    const auto text = run("--status" + args);
    EXPECT_EQ(text.exitStatus, 0);
    EXPECT_EQ(text.out.rfind(failures, 0), 0u) << text.out;
    EXPECT_NE(text.out.find("chipName: Apple Silicon\n"), std::string::npos);

    const auto json = run("--status --json" + args);
    EXPECT_EQ(json.err, failures);
    EXPECT_EQ(json.out.front(), '{');
    EXPECT_NE(json.out.find(R"("chipName": "Apple Silicon")"), std::string::npos);
}

TEST(StatusCommand, AProfilerThatNeverEndsDelaysTheReportByTenSecondsAtMost)
{
    const auto started = std::chrono::steady_clock::now();
    const auto outcome = run("--status --profiler " TEST_PROFILERS_DIR "/hang --root " + machine("two-batteries"));
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_LT(took, std::chrono::seconds(20));
    EXPECT_NE(outcome.out.find("percentage: 70\n"), std::string::npos);
    EXPECT_NE(outcome.out.find("modelName: MacBook\n"), std::string::npos);
}

TEST(SnapshotCommand, WritesThePanelAsAPngOrSaysWhyNot)
{
    const std::string file = testing::TempDir() + "/panel-" + std::to_string(getpid()) + ".png";
    const auto made = run("--snapshot " + file + " --scale 1.5 --appearance dark --root " + machine("laptop-charging"));
    EXPECT_EQ(made.exitStatus, 0) << made.err;
    std::ifstream png(file, std::ios::binary);
    std::string header(24, '\0');
    png.read(header.data(), 24);
    EXPECT_EQ(header.substr(1, 3), "PNG");
    const auto bigEndian = [&](std::size_t at) {
        return (unsigned char)header[at] << 24 | (unsigned char)header[at + 1] << 16 | (unsigned char)header[at + 2] << 8
             | (unsigned char)header[at + 3];
    };
    EXPECT_EQ(bigEndian(16), 480u) << "320 points at scale 1.5";
    EXPECT_EQ(bigEndian(20), 720u);
    std::remove(file.c_str());

    const auto refused = run("--snapshot /nonexistent/dir/panel.png --root " + machine("empty"));
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("/nonexistent/dir/panel.png"), std::string::npos) << refused.err;
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
}

TEST(SnapshotCommand, SaysOnceWhichFontIsMissingAndStillDraws)
{
    const auto config = std::filesystem::path(testing::TempDir()) / "no-fonts.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    const std::string file = testing::TempDir() + "/fontless-" + std::to_string(getpid()) + ".png";
    const auto made = runProgram(BATTERY_MONITOR_PATH, {"--snapshot", file, "--root", machine("laptop-charging")},
                                 {"FONTCONFIG_FILE=" + config.string()});
    EXPECT_EQ(made.exitStatus, 0);
    EXPECT_NE(made.err.find("Inter is not installed (Debian package fonts-inter)"), std::string::npos) << made.err;
    EXPECT_EQ(std::count(made.err.begin(), made.err.end(), '\n'), 2) << made.err;
    EXPECT_TRUE(std::filesystem::exists(file));
    std::filesystem::remove(file);
    std::filesystem::remove(config);
}

TEST(CommandLine, RejectsUnknownOptionsAndMissingValuesWithUsage)
{
    for (const char* arguments : {"--bogus", "--root", "--profiler", "--status=yes", "status", "--snapshot",
                                  "--snapshot x.png --appearance blue", "--snapshot x.png --scale 0", "--scale 2",
                                  "--status --snapshot x.png", "--power-source", "--status --power-source=hal"}) {
        const auto outcome = run(arguments);
        EXPECT_EQ(outcome.exitStatus, 2) << arguments;
        EXPECT_EQ(outcome.out, "") << arguments;
        const auto firstLine = outcome.err.substr(0, outcome.err.find('\n'));
        EXPECT_EQ(firstLine.rfind("battery-monitor: ", 0), 0u) << firstLine;
        EXPECT_NE(outcome.err.find("Usage: battery-monitor"), std::string::npos) << arguments;
    }
    EXPECT_NE(run("--frobnicate").err.find("--frobnicate"), std::string::npos);
    EXPECT_EQ(run("--root " TEST_FIXTURES_DIR "/no-such-machine --status").exitStatus, 2);
}

TEST(CommandLine, QtsOwnOptionsAreLeftToQt)
{
    const auto outcome = run("-session 1234abc -style=fusion --platform offscreen --status --root " + machine("laptop-charging"));
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.err;
    EXPECT_EQ(outcome.out.rfind("percentage: 72\n", 0), 0u);
    EXPECT_EQ(run("-sessionx 1 --status").exitStatus, 2) << "only Qt's names";
}

TEST(CommandLine, HelpListsEveryOptionAndVersionPrintsOneLine)
{
    const auto help = run("--help");
    EXPECT_EQ(help.exitStatus, 0);
    for (const char* option : {"--status", "--json", "--snapshot", "--appearance", "--scale", "--root", "--profiler",
                               "--power-source", "--help", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

    const auto version = run("--version");
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("battery-monitor ", 0), 0u);
    EXPECT_EQ(std::count(version.out.begin(), version.out.end(), '\n'), 1);
}

TEST(StatusCommand, FollowPrintsEachChangeOnceAndEndsQuietlyWhenTheReaderGoes)
{
    const auto root = std::filesystem::path(::testing::TempDir()) / ("follow-" + std::to_string(getpid()));
    std::filesystem::copy(machine("laptop-discharging"), root,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
    FILE* status = popen((shellWord(BATTERY_MONITOR_PATH) + " --status --follow --root " + shellWord(root) + " 2>&1").c_str(), "r");
    ASSERT_TRUE(status);
    char line[256] = {};
    ASSERT_TRUE(std::fgets(line, sizeof line, status));
    EXPECT_STREQ(line, "38%, circa 1 h 51 min rimanenti\n") << "waits for the profilers, then one line";

    std::ofstream(root / "sys/class/power_supply/BAT0/capacity") << "30\n";
    ASSERT_TRUE(std::fgets(line, sizeof line, status));
    EXPECT_STREQ(line, "30%, circa 1 h 51 min rimanenti\n") << "the next tick tells of the change, once";

    // Closing our end is what a bar that quits does; the program must notice and end cleanly.
    const int exit = pclose(status);
    EXPECT_TRUE(WIFEXITED(exit) && WEXITSTATUS(exit) == 0) << exit;
    std::filesystem::remove_all(root);
}

} // namespace
