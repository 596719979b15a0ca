#include "platform/linux/sysfs_power_sources.h"

#include "platform/linux/sysfs_power_supply.h"

#include <exception>
#include <optional>
#include <string>

namespace platform {

namespace {

// Whether any adapter is online; no value when no adapter has an `online` to ask.
std::optional<bool> adapterOnline(const std::vector<PowerSupply>& supplies)
{
    std::optional<bool> online;
    for (const auto& supply : supplies) {
        if (supply.kind() != PowerSupplyKind::Adapter)
            continue;
        // A USB-C source offering a programmable voltage reads 2: anything but 0 feeds us.
        if (const auto value = supply.integer("online"))
            online = online.value_or(false) || *value != 0;
    }
    return online;
}

const char* typeName(PowerSupplyKind kind)
{
    switch (kind) {
    case PowerSupplyKind::SystemBattery:
        return "InternalBattery";
    case PowerSupplyKind::DeviceBattery:
        return "DeviceBattery";
    case PowerSupplyKind::Ups:
        return "UPS";
    case PowerSupplyKind::Adapter:
        break;
    }
    return "";
}

std::optional<std::int64_t> currentCapacity(const PowerSupply& supply)
{
    if (const auto capacity = supply.integer("capacity"))
        return *capacity;
    // Some firmware leaves capacity out; the level still follows from what is stored.
    if (const auto amounts = supply.amounts("now", "full"))
        return roundedPercentage(*amounts);
    return std::nullopt;
}

PowerSourceDescription describe(const PowerSupply& supply, std::optional<bool> onAdapter)
{
    PowerSourceDescription description;
    description.emplace("Type", std::string(typeName(supply.kind())));
    if (const auto capacity = currentCapacity(supply))
        description.emplace("Current Capacity", *capacity);

    const auto status = supply.text("status");
    if (status)
        description.emplace("Is Charging", *status == "Charging");

    // Without an adapter to ask (some laptops and phones expose none), the battery's own
    // status tells whether something outside feeds it.
    bool external = false;
    if (onAdapter)
        external = *onAdapter;
    else if (status)
        external = *status == "Charging" || *status == "Full" || *status == "Not charging";
    if (onAdapter || status)
        description.emplace("Power Source State", std::string(external ? "AC Power" : "Battery Power"));
    return description;
}

} // namespace

PowerSourceSnapshot readPowerSources(const std::filesystem::path& root)
{
    PowerSourceSnapshot snapshot;
    try {
        const auto supplies = listPowerSupplies(root);
        const auto onAdapter = adapterOnline(supplies);
        for (const auto& supply : supplies) {
            if (supply.kind() != PowerSupplyKind::Adapter)
                snapshot.push_back(describe(supply, onAdapter));
        }
    } catch (const std::exception&) {
        // Only allocation can fail; a partial snapshot is still a true one.
    }
    return snapshot;
}

} // namespace platform
