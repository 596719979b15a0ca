#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct ToolRun {
    int exitStatus = -1;
    std::string output;
    std::string errors;
};

std::string drain(int fd)
{
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return text;
        text.append(buffer, static_cast<std::size_t>(count));
    }
}

// Runs the built tool with `arguments`, describing `root` (the live system when absent).
// The reports are far below a pipe's capacity, so reading after the exit cannot stall the child.
ToolRun runTool(const std::vector<std::string>& arguments, std::optional<std::string> root)
{
    if (root)
        setenv("BATTERY_MONITOR_ROOT", root->c_str(), 1);
    else
        unsetenv("BATTERY_MONITOR_ROOT");
    std::vector<char*> argv{const_cast<char*>(SYSTEM_PROFILER_PATH)};
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int out[2], err[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);

    ToolRun run;
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, SYSTEM_PROFILER_PATH, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    EXPECT_EQ(spawned, 0) << std::strerror(spawned);
    if (spawned == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.output = drain(out[0]);
        run.errors = drain(err[0]);
    }
    close(out[0]);
    close(err[0]);
    return run;
}

std::string machine(const std::string& name)
{
    return (std::filesystem::path(TEST_FIXTURES_DIR) / "machines" / name).string();
}

struct ExpectedReports {
    const char* machine;
    const char* hardware;
    const char* power;
};

class SystemProfilerMachineTest : public testing::TestWithParam<ExpectedReports> {};

TEST_P(SystemProfilerMachineTest, HardwareReport)
{
    const auto run = runTool({"SPHardwareDataType"}, machine(GetParam().machine));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, GetParam().hardware);
    EXPECT_EQ(run.errors, "");
}

TEST_P(SystemProfilerMachineTest, PowerReport)
{
    const auto run = runTool({"SPPowerDataType"}, machine(GetParam().machine));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, GetParam().power);
    EXPECT_EQ(run.errors, "");
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, SystemProfilerMachineTest,
    testing::Values(
        // The DMI product name is a type code; the version holds the name people know.
        ExpectedReports{"laptop-charging",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: ThinkPad X1 Carbon Gen 9\n"
                        "      Chip: 11th Gen Intel(R) Core(TM) i7-1165G7 @ 2.80GHz\n"
                        "      Memory: 16 GB\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n"
                        "          Cycle Count: 412\n"
                        "          Condition: Normal\n"
                        "          Maximum Capacity: 84%\n\n"},
        // charge_* only; health Good outweighs the 75 % capacity.
        ExpectedReports{"laptop-discharging",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: XPS 13 9310\n"
                        "      Chip: 11th Gen Intel(R) Core(TM) i7-1185G7 @ 3.00GHz\n"
                        "      Memory: 32 GB\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n"
                        "          Cycle Count: 803\n"
                        "          Condition: Normal\n"
                        "          Maximum Capacity: 75%\n\n"},
        // BAT1 is shown, not the worn BAT0 nor the mouse that sorts after it.
        ExpectedReports{"two-batteries",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: ThinkPad T480\n"
                        "      Chip: Intel(R) Core(TM) i5-8350U CPU @ 1.70GHz\n"
                        "      Memory: 8 GB\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n"
                        "          Cycle Count: 96\n"
                        "          Condition: Normal\n"
                        "          Maximum Capacity: 94%\n\n"},
        ExpectedReports{"desktop",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: Precision T3600\n"
                        "      Chip: Intel(R) Xeon(R) CPU E5-2680 0 @ 2.70GHz\n"
                        "      Memory: 16 GB\n\n",
                        "Power:\n\n"},
        ExpectedReports{"arm-dead-battery",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: Pine64 PinePhone (1.2)\n"
                        "      Chip: Allwinner sun50i-a64\n"
                        "      Memory: 2 GB\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n"
                        "          Condition: Replace Now\n"
                        "          Maximum Capacity: 50%\n\n"},
        // Nothing readable: headings only, no invented values.
        ExpectedReports{"garbled",
                        "Hardware:\n\n    Hardware Overview:\n\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n\n"},
        ExpectedReports{"empty", "Hardware:\n\n    Hardware Overview:\n\n\n", "Power:\n\n"}),
    [](const auto& info) {
        std::string name = info.param.machine;
        std::erase(name, '-');
        return name;
    });

TEST(SystemProfilerUsageTest, WrongArgumentsExitWithStatusTwo)
{
    const std::vector<std::vector<std::string>> wrongCalls = {
        {}, {"SPHardwareDataType", "SPPowerDataType"}, {"SPDisplaysDataType"}, {"sphardwaredatatype"}, {""}};
    for (const auto& arguments : wrongCalls) {
        const auto run = runTool(arguments, machine("laptop-charging"));
        EXPECT_EQ(run.exitStatus, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(run.output, "");
        EXPECT_NE(run.errors.find("usage"), std::string::npos);
    }
}

TEST(SystemProfilerUsageTest, DescribesTheLiveSystemByDefault)
{
    for (const char* dataType : {"SPHardwareDataType", "SPPowerDataType"}) {
        const auto run = runTool({dataType}, std::nullopt);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_TRUE(run.output.starts_with(std::string(dataType) == "SPPowerDataType" ? "Power:\n" : "Hardware:\n"));
    }
}

} // namespace
