#include "power_report.h"

#include "platform/linux/sysfs_power_supply.h"
#include "report_lines.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace profiler {

namespace {

using platform::PowerSupply;
using platform::PowerSupplyKind;

// What the kernel's `health` attribute says about the battery's condition; no value for
// the readings that only describe the moment ("Warm", "Cool") or nothing at all.
std::optional<std::string_view> conditionFromHealth(std::string_view health)
{
    static constexpr std::array<std::string_view, 9> faults = {
        "Overheat",     "Over voltage",          "Unspecified failure", "Cold",
        "Hot",          "Over current",          "Watchdog timer expire", "Safety timer expire",
        "Calibration required",
    };
    if (health == "Good")
        return "Normal";
    if (health == "Dead")
        return "Replace Now";
    if (std::find(faults.begin(), faults.end(), health) != faults.end())
        return "Service Recommended";
    return std::nullopt;
}

} // namespace

std::string powerReport(const std::filesystem::path& root)
{
    std::string report = "Power:\n\n";
    const auto supplies = platform::listPowerSupplies(root);
    const auto battery = std::find_if(supplies.rbegin(), supplies.rend(), [](const PowerSupply& supply) {
        return supply.kind() == PowerSupplyKind::SystemBattery;
    });
    if (battery == supplies.rend())
        return report;

    report += "    Battery Information:\n\n      Health Information:\n";
    constexpr std::string_view indent = "          ";
    if (const auto cycles = battery->integer("cycle_count"); cycles && *cycles >= 0)
        appendLabelLine(report, indent, "Cycle Count", std::to_string(*cycles));

    std::optional<std::int64_t> maximumCapacity;
    if (const auto amounts = battery->amounts("full", "full_design"))
        maximumCapacity = platform::roundedPercentage(*amounts);

    std::optional<std::string_view> condition;
    if (const auto health = battery->text("health"))
        condition = conditionFromHealth(*health);
    if (!condition && maximumCapacity)
        condition = *maximumCapacity >= 80 ? "Normal" : "Service Recommended";
    if (condition)
        appendLabelLine(report, indent, "Condition", *condition);

    if (maximumCapacity)
        appendLabelLine(report, indent, "Maximum Capacity", std::to_string(*maximumCapacity) + "%");
    report += '\n';
    return report;
}

} // namespace profiler
