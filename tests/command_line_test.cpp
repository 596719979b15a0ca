// battery-monitor as scripts and users run it: the status modes against machines in folders.
#include "program_run.h"

#include <gtest/gtest.h>

#include <algorithm>
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
              R"("symbolName": "battery.100.bolt", "title": " 72%"})"
              "\n");
    EXPECT_EQ(outcome.err, "");
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
                           "title:  38%\n");
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
    EXPECT_NE(outcome.out.find("percentage: 81\n"), std::string::npos);
    EXPECT_NE(outcome.out.find("modelName: MacBook\n"), std::string::npos);
}

TEST(CommandLine, RejectsUnknownOptionsAndMissingValuesWithUsage)
{
    for (const char* arguments : {"--bogus", "--root", "--profiler", "--status=yes", "status"}) {
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

TEST(CommandLine, HelpListsEveryOptionAndVersionPrintsOneLine)
{
    const auto help = run("--help");
    EXPECT_EQ(help.exitStatus, 0);
    for (const char* option : {"--status", "--json", "--root", "--profiler", "--help", "--version"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;

    const auto version = run("--version");
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("battery-monitor ", 0), 0u);
    EXPECT_EQ(std::count(version.out.begin(), version.out.end(), '\n'), 1);
}

} // namespace
