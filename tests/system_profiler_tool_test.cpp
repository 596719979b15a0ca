#include "program_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Runs the built tool with `arguments`, describing `root` (the live system when absent).
ProgramRun runTool(const std::vector<std::string>& arguments, const std::optional<std::string>& root)
{
    if (root)
        return runProgram(SYSTEM_PROFILER_PATH, arguments, {"BATTERY_MONITOR_ROOT=" + *root});
    return runProgram("/usr/bin/env", [&] {
        std::vector<std::string> all = {"-u", "BATTERY_MONITOR_ROOT", SYSTEM_PROFILER_PATH};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return all;
    }());
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
    EXPECT_EQ(run.out, GetParam().hardware);
    EXPECT_EQ(run.err, "");
}

TEST_P(SystemProfilerMachineTest, PowerReport)
{
    const auto run = runTool({"SPPowerDataType"}, machine(GetParam().machine));
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, GetParam().power);
    EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, SystemProfilerMachineTest,
    testing::Values(
        // The DMI product name is a type code; the version holds the name people know.
        ExpectedReports{"laptop-charging",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: ThinkPad X1 Carbon Gen 9\n"
                        "      Chip: Intel Core i7-1165G7\n"
                        "      Memory: 16 GB\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n"
                        "          Cycle Count: 412\n"
                        "          Condition: Normal\n"
                        "          Maximum Capacity: 84%\n\n"},
        // charge_* only; health Good outweighs the 75 % capacity.
        ExpectedReports{"laptop-discharging",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: XPS 13 9310\n"
                        "      Chip: Intel Core i7-1185G7\n"
                        "      Memory: 32 GB\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n"
                        "          Cycle Count: 803\n"
                        "          Condition: Normal\n"
                        "          Maximum Capacity: 75%\n\n"},
        // BAT1 is shown, not the worn BAT0 nor the mouse that sorts after it.
        ExpectedReports{"two-batteries",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: ThinkPad T480\n"
                        "      Chip: Intel Core i5-8350U\n"
                        "      Memory: 8 GB\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n"
                        "          Cycle Count: 96\n"
                        "          Condition: Normal\n"
                        "          Maximum Capacity: 94%\n\n"},
        ExpectedReports{"desktop",
                        "Hardware:\n\n    Hardware Overview:\n\n"
                        "      Model Name: Precision T3600\n"
                        "      Chip: Intel Xeon E5-2680 0\n"
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
        // Nothing readable: a plain name for the machine, no other invented values.
        ExpectedReports{"garbled",
                        "Hardware:\n\n    Hardware Overview:\n\n      Model Name: Computer\n\n",
                        "Power:\n\n    Battery Information:\n\n      Health Information:\n\n"},
        ExpectedReports{"empty", "Hardware:\n\n    Hardware Overview:\n\n      Model Name: Computer\n\n", "Power:\n\n"}),
    [](const auto& info) {
        std::string name = info.param.machine;
        std::erase(name, '-');
        return name;
    });

TEST(SystemProfilerModelTest, WithoutAProductNameTheBoardOrTheKindOfComputer)
{
    using Files = std::vector<std::pair<std::string, std::string>>;
    const std::vector<std::pair<Files, std::string>> cases = {
        {{{"sys/class/dmi/id/product_name", "Default string"}, {"sys/class/dmi/id/board_name", "B450 TOMAHAWK"}},
         "B450 TOMAHAWK"},
        {{{"etc/machine-info", "CHASSIS=vm\n"}, {"sys/class/dmi/id/chassis_type", "9"}}, "Macchina virtuale"},
        {{{"etc/machine-info", "CHASSIS=spaceship\n"}, {"sys/class/dmi/id/chassis_type", "10"}}, "Computer portatile"},
        {{{"sys/class/dmi/id/chassis_type", "3"}}, "Computer desktop"},
        {{{"sys/class/dmi/id/chassis_type", "2"}}, "Computer"},
    };
    for (const auto& [files, model] : cases) {
        const auto root = std::filesystem::path(testing::TempDir()) / "model-fallback";
        for (const auto& [path, contents] : files) {
            std::filesystem::create_directories((root / path).parent_path());
            std::ofstream(root / path) << contents;
        }
        const auto run = runTool({"SPHardwareDataType"}, root.string());
        EXPECT_NE(run.out.find("      Model Name: " + model + "\n"), std::string::npos) << run.out;
        std::filesystem::remove_all(root);
    }
}

TEST(SystemProfilerUsageTest, WrongArgumentsExitWithStatusTwo)
{
    const std::vector<std::vector<std::string>> wrongCalls = {
        {}, {"SPHardwareDataType", "SPPowerDataType"}, {"SPDisplaysDataType"}, {"sphardwaredatatype"}, {""}};
    for (const auto& arguments : wrongCalls) {
        const auto run = runTool(arguments, machine("laptop-charging"));
        EXPECT_EQ(run.exitStatus, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage"), std::string::npos);
    }
}

TEST(SystemProfilerUsageTest, DescribesTheLiveSystemByDefault)
{
    for (const char* dataType : {"SPHardwareDataType", "SPPowerDataType"}) {
        const auto run = runTool({dataType}, std::nullopt);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_TRUE(run.out.starts_with(std::string(dataType) == "SPPowerDataType" ? "Power:\n" : "Hardware:\n"));
    }
}

} // namespace
