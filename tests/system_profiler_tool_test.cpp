// The profiler stand-in as the monitor runs it, describing machines in folders.
#include "program_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

// Runs the built tool with `arguments`, describing `root` (the live system when absent).
ProgramRun runTool(const std::string& arguments, const std::optional<std::string>& root)
{
    return runShell((root ? "BATTERY_MONITOR_ROOT=" + shellWord(*root) : "env -u BATTERY_MONITOR_ROOT") + " "
                    + shellWord(SYSTEM_PROFILER_PATH) + " " + arguments);
}

std::string report(std::string text, std::string_view indent, std::initializer_list<std::string_view> lines)
{
    for (const auto line : lines)
        ((text += indent) += line) += '\n';
    return text + '\n';
}

std::string hardware(std::initializer_list<std::string_view> lines)
{
    return report("Hardware:\n\n    Hardware Overview:\n\n", "      ", lines);
}

std::string power(std::initializer_list<std::string_view> lines)
{
    return report("Power:\n\n    Battery Information:\n\n      Health Information:\n", "          ", lines);
}

const std::string noBattery = "Power:\n\n";

TEST(SystemProfilerTool, DescribesEachFixtureMachine)
{
    const struct {
        const char* machine;
        std::string hardware;
        std::string power;
    } cases[] = { // the two laptops are read whole by the status command's test
        // BAT1 is shown, not the worn BAT0 nor the mouse that sorts after it.
        {"two-batteries", hardware({"Model Name: ThinkPad T480", "Chip: Intel Core i5-8350U", "Memory: 8 GB"}),
         power({"Cycle Count: 96", "Condition: Normal", "Maximum Capacity: 94%"})},
        {"desktop", hardware({"Model Name: Precision T3600", "Chip: Intel Xeon E5-2680 0", "Memory: 16 GB"}), noBattery},
        {"arm-dead-battery", hardware({"Model Name: Pine64 PinePhone (1.2)", "Chip: Allwinner sun50i-a64", "Memory: 2 GB"}),
         power({"Condition: Replace Now", "Maximum Capacity: 50%"})},
        // Nothing readable: a plain name for the machine, no other invented values.
        {"garbled", hardware({"Model Name: Computer"}), power({})},
        {"empty", hardware({"Model Name: Computer"}), noBattery},
    };
    for (const auto& [machine, hardwareReport, powerReport] : cases) {
        SCOPED_TRACE(machine);
        const std::string root = fixtureMachine(machine);
        for (const auto& [dataType, expected] : {std::pair{"SPHardwareDataType", hardwareReport}, {"SPPowerDataType", powerReport}}) {
            const auto run = runTool(dataType, root);
            EXPECT_EQ(run.exitStatus, 0);
            EXPECT_EQ(run.out, expected);
            EXPECT_EQ(run.err, "");
        }
    }
}

TEST(SystemProfilerTool, NamesTheKindOfComputerWithoutAProductAndJudgesTheBatteryByItsCapacity)
{
    using Files = std::vector<std::pair<std::string, std::string>>;
    const auto battery = [](const char* full, Files more = {}) {
        more.insert(more.end(), {{"sys/class/power_supply/BAT0/type", "Battery\n"},
                                 {"sys/class/power_supply/BAT0/energy_full", full},
                                 {"sys/class/power_supply/BAT0/energy_full_design", "100\n"}});
        return more;
    };
    struct Case {
        Files files;
        const char* dataType;
        std::string out;
    };
    std::vector<Case> cases = {
        {{{"sys/class/dmi/id/product_name", "Default string"}, {"sys/class/dmi/id/board_name", "B450 TOMAHAWK"}},
         "SPHardwareDataType", hardware({"Model Name: B450 TOMAHAWK"})},
        // The owner's word outweighs the firmware's; a word we do not know does not.
        {{{"etc/machine-info", "CHASSIS=vm\n"}, {"sys/class/dmi/id/chassis_type", "9"}}, "SPHardwareDataType",
         hardware({"Model Name: Macchina virtuale"})},
        {{{"etc/machine-info", "CHASSIS=spaceship\n"}, {"sys/class/dmi/id/chassis_type", "10"}}, "SPHardwareDataType",
         hardware({"Model Name: Computer portatile"})},
        {{{"sys/class/dmi/id/chassis_type", "3"}}, "SPHardwareDataType", hardware({"Model Name: Computer desktop"})},
        {{{"sys/class/dmi/id/chassis_type", "2"}}, "SPHardwareDataType", hardware({"Model Name: Computer"})},
        // Without a health reading, 80 % of the design capacity is still normal; zero cycles are a count.
        {battery("80\n", {{"sys/class/power_supply/BAT0/cycle_count", "0\n"}}), "SPPowerDataType",
         power({"Cycle Count: 0", "Condition: Normal", "Maximum Capacity: 80%"})},
        {battery("79\n"), "SPPowerDataType", power({"Condition: Service Recommended", "Maximum Capacity: 79%"})},
    };
    for (const auto& [chassis, name] : {std::pair{"laptop", "Computer portatile"}, {"convertible", "Computer portatile"},
                                        {"desktop", "Computer desktop"}, {"server", "Server"}, {"tablet", "Tablet"},
                                        {"handset", "Telefono"}, {"watch", "Orologio"},
                                        {"embedded", "Dispositivo integrato"}, {"vm", "Macchina virtuale"}})
        cases.push_back({{{"etc/machine-info", "CHASSIS=" + std::string(chassis) + "\n"}}, "SPHardwareDataType",
                         hardware({"Model Name: " + std::string(name)})});
    for (const auto& [files, dataType, out] : cases) {
        SCOPED_TRACE(testing::PrintToString(files));
        const auto root = std::filesystem::path(testing::TempDir()) / ("machine-" + std::to_string(getpid()));
        for (const auto& [path, contents] : files) {
            std::filesystem::create_directories((root / path).parent_path());
            std::ofstream(root / path) << contents;
        }
        EXPECT_EQ(runTool(dataType, root.string()).out, out);
        std::filesystem::remove_all(root);
    }
}

TEST(SystemProfilerTool, WrongArgumentsExitWithStatusTwoAndNoRootMeansTheLiveSystem)
{
    for (const char* arguments : {"", "SPHardwareDataType SPPowerDataType", "SPDisplaysDataType", "sphardwaredatatype", "''"}) {
        SCOPED_TRACE(arguments);
        const auto run = runTool(arguments, fixtureMachine("laptop-charging"));
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage"), std::string::npos);
    }
    for (const char* dataType : {"SPHardwareDataType", "SPPowerDataType"}) {
        const auto live = runTool(dataType, std::nullopt);
        EXPECT_EQ(live.exitStatus, 0);
        EXPECT_EQ(live.out, runTool(dataType, "/").out) << dataType;
        EXPECT_EQ(runTool(dataType, "").out, live.out) << "an empty root is no root";
    }
}

} // namespace
