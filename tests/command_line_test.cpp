// battery-monitor as scripts and users run it: the status modes against machines in folders.
#include "program_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>

#include <poll.h>

namespace {

ProgramRun run(const std::string& arguments)
{
    return runShell(shellWord(BATTERY_MONITOR_PATH) + " " + arguments);
}

TEST(StatusCommand, PrintsTheMachineAsJsonOrAsFieldLinesWithPeripheralsBeside)
{
    const auto json = run("--status --json --root " + fixtureMachine("laptop-charging"));
    EXPECT_EQ(json.exitStatus, 0);
    EXPECT_EQ(json.out,
              R"({"percentage": 72, "isCharging": true, "powerSource": "Alimentatore", "deviceName": "Giulia's ThinkPad", )"
              R"("modelName": "ThinkPad X1 Carbon Gen 9", "chipName": "Intel Core i7-1165G7", )"
              R"("memorySize": "16 GB", "cycleCount": 412, "healthCapacity": "84%", "condition": "Normale", )"
              R"("symbolName": "battery.100.bolt", "title": " 72%", "source": "sysfs", "timeToEmpty": null, )"
              R"("timeToFull": 649, "peripherals": []})"
              "\n");
    EXPECT_EQ(json.err, "");

    const auto text = run("--status --root=" + fixtureMachine("laptop-discharging"));
    EXPECT_EQ(text.exitStatus, 0);
    EXPECT_EQ(text.out, "percentage: 38\nisCharging: false\npowerSource: Batteria\ndeviceName: studio\n"
                        "modelName: XPS 13 9310\nchipName: Intel Core i7-1185G7\nmemorySize: 32 GB\ncycleCount: 803\n"
                        "healthCapacity: 75%\ncondition: Normale\nsymbolName: battery.50\ntitle:  38%\nsource: sysfs\n"
                        "timeToEmpty: 6639\ntimeToFull: unknown\nperipherals: none\n");

    const auto two = run("--status --json --root " + fixtureMachine("two-batteries"));
    EXPECT_NE(two.out.find(R"("percentage": 70, )"), std::string::npos) << two.out;
    EXPECT_NE(two.out.find(R"("timeToEmpty": 12111, "timeToFull": null, )"
                           R"("peripherals": [{"name": "Wireless Mouse", "kind": "mouse", "percentage": 12}]})"),
              std::string::npos)
        << two.out;
    EXPECT_NE(run("--status --root " + fixtureMachine("two-batteries")).out.find("\nperipherals: Wireless Mouse (mouse) 12%\n"),
              std::string::npos);
}

TEST(StatusCommand, AProfilerThatCannotStartIsReportedApartAndOneThatNeverEndsIsWaitedForTenSecondsAtMost)
{
    const std::string failures = "Failed to run power system_profiler: /nonexistent/profiler: No such file or directory\n"
                                 "Failed to run hardware system_profiler: /nonexistent/profiler: No such file or directory\n";
    const std::string args = " --profiler /nonexistent/profiler --root " + fixtureMachine("desktop");

    const auto text = run("--status" + args);
    EXPECT_EQ(text.exitStatus, 0);
    EXPECT_EQ(text.out.rfind(failures + "percentage: 0\nisCharging: false\npowerSource: Unknown\n", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("chipName: Apple Silicon\n"), std::string::npos);

    const auto json = run("--status --json" + args);
    EXPECT_EQ(json.err, failures);
    EXPECT_EQ(json.out.front(), '{');
    EXPECT_NE(json.out.find(R"("chipName": "Apple Silicon")"), std::string::npos);

    const auto started = std::chrono::steady_clock::now();
    const auto outcome = run("--status --profiler " TEST_PROFILERS_DIR "/hang --root " + fixtureMachine("two-batteries"));
    // Without its own patience it would wait for the launcher's thirty-second limit.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_NE(outcome.out.find("percentage: 70\n"), std::string::npos);
    EXPECT_NE(outcome.out.find("modelName: MacBook\n"), std::string::npos);
}

// `--follow` speaks only at its ten-second tick, so two runs share that wait: one reader goes
// after the first line, the other stays for the change.
TEST(StatusCommand, FollowPrintsEachChangeOnceAndEndsQuietlyWhenTheReaderGoes)
{
    const auto root = std::filesystem::path(::testing::TempDir()) / ("follow-" + std::to_string(getpid()));
    std::filesystem::copy(fixtureMachine("laptop-discharging"), root,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
    const auto follow = [](const std::string& options) { // the shell says its id, then becomes the program
        return popen(("echo $$; exec " + shellWord(BATTERY_MONITOR_PATH) + " --status --follow " + options + " 2>&1").c_str(), "r");
    };
    const auto next = [](FILE* from) {
        char line[1024];
        return std::fgets(line, sizeof line, from) ? std::string(line) : std::string();
    };
    // The one that leaves sees no change, so only noticing the closed pipe can end it.
    FILE* const leaving = follow("--root " + shellWord(fixtureMachine("laptop-discharging")));
    FILE* const staying = follow("--json --root " + shellWord(root));
    ASSERT_TRUE(leaving && staying);
    setvbuf(staying, nullptr, _IONBF, 0); // what is not read yet stays in the pipe, for poll to see
    next(leaving);
    EXPECT_EQ(next(leaving), "38%, circa 1 h 51 min rimanenti\n");
    const pid_t stayingId = std::stoi(next(staying));
    const auto first = next(staying);
    EXPECT_EQ(first.rfind(R"({"percentage": 38, )", 0), 0u) << first;
    EXPECT_NE(first.find(R"("modelName": "XPS 13 9310")"), std::string::npos) << "waits for the profilers";

    std::ofstream(root / "sys/class/power_supply/BAT0/capacity") << "30\n";
    // Closing our end is what a bar that quits does; the program must notice and end cleanly.
    const int exit = pclose(leaving);
    EXPECT_TRUE(WIFEXITED(exit) && WEXITSTATUS(exit) == 0) << exit;
    const auto second = next(staying);
    EXPECT_EQ(second.rfind(R"({"percentage": 30, )", 0), 0u) << "the next tick tells of the change: " << second;
    pollfd more{.fd = fileno(staying), .events = POLLIN, .revents = 0};
    EXPECT_EQ(poll(&more, 1, 1000), 0) << "the tick's health run tells nothing new: " << next(staying);
    kill(stayingId, SIGTERM);
    pclose(staying);
    std::filesystem::remove_all(root);
}

TEST(SnapshotCommand, WritesThePanelAsAPngSayingOnceWhichFontIsMissingOrSaysWhyNot)
{
    const auto config = std::filesystem::path(testing::TempDir()) / "no-fonts.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    const std::string file = testing::TempDir() + "/panel-" + std::to_string(getpid()) + ".png";
    const auto made = runShell("FONTCONFIG_FILE=" + shellWord(config) + " " + shellWord(BATTERY_MONITOR_PATH) + " --snapshot "
                               + file + " --scale 0.25 --appearance dark --root " + fixtureMachine("laptop-charging"));
    EXPECT_EQ(made.exitStatus, 0);
    EXPECT_NE(made.err.find("Inter is not installed (Debian package fonts-inter)"), std::string::npos) << made.err;
    EXPECT_EQ(std::count(made.err.begin(), made.err.end(), '\n'), 2) << made.err;
    std::string header(24, '\0');
    std::ifstream(file, std::ios::binary).read(header.data(), 24);
    EXPECT_EQ(header.substr(1, 3), "PNG");
    const auto bigEndian = [&](std::size_t at) {
        return (unsigned char)header[at] << 24 | (unsigned char)header[at + 1] << 16 | (unsigned char)header[at + 2] << 8
             | (unsigned char)header[at + 3];
    };
    EXPECT_EQ(bigEndian(16), 80u) << "320 points at the smallest scale";
    EXPECT_EQ(bigEndian(20), 120u);
    std::filesystem::remove(file);
    std::filesystem::remove(config);

    const auto refused = run("--snapshot /nonexistent/dir/panel.png --root " + fixtureMachine("empty"));
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("/nonexistent/dir/panel.png"), std::string::npos) << refused.err;
    EXPECT_EQ(std::count(refused.err.begin(), refused.err.end(), '\n'), 1) << refused.err;
}

TEST(CommandLine, WrongArgumentsExitWithStatusTwoAndUsageWhileHelpAndVersionSucceed)
{
    for (const char* arguments : {"--bogus", "--root", "--status=yes", "status", "--snapshot",
                                  "--snapshot x.png --appearance blue", "--snapshot x.png --scale 0.24",
                                  "--snapshot x.png --scale 8.01", "--scale 2", "--status --snapshot x.png",
                                  "--power-source", "--status --power-source=hal"}) {
        SCOPED_TRACE(arguments);
        const auto outcome = run(arguments);
        EXPECT_EQ(outcome.exitStatus, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind("battery-monitor: ", 0), 0u) << outcome.err;
        EXPECT_NE(outcome.err.find("Usage: battery-monitor"), std::string::npos);
    }
    EXPECT_NE(run("--frobnicate").err.find("--frobnicate"), std::string::npos);
    EXPECT_EQ(run("--root " TEST_FIXTURES_DIR "/no-such-machine --status").exitStatus, 2);

    const auto help = run("--help");
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_EQ(help.out.rfind("Usage: battery-monitor", 0), 0u);
    const auto version = run("--version");
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out.rfind("battery-monitor ", 0), 0u);
    EXPECT_EQ(std::count(version.out.begin(), version.out.end(), '\n'), 1);
}

TEST(CommandLine, QtsOwnOptionsAreLeftToQt)
{
    const auto outcome = run("-session 1234abc -style=fusion --platform offscreen --status --root " + fixtureMachine("laptop-charging"));
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.err;
    EXPECT_EQ(outcome.out.rfind("percentage: 72\n", 0), 0u);
    EXPECT_EQ(run("-sessionx 1 --status").exitStatus, 2) << "only Qt's names";
}

} // namespace
