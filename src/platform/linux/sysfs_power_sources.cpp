#include "platform/linux/sysfs_power_sources.h"

#include "platform/linux/sysfs_power_supply.h"

#include <cmath>
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

// The full capacity a battery's level is a share of, for weighing levels against each other.
std::optional<std::int64_t> fullCapacity(const PowerSupply& supply)
{
    for (const char* attribute : {"energy_full", "charge_full"}) {
        if (const auto full = supply.integer(attribute); full && *full > 0)
            return full;
    }
    return std::nullopt;
}

// The level of several batteries as one: weighted by their full capacities when every battery
// has one, else their plain mean; rounded half up. Batteries without a level are left out.
std::optional<std::int64_t> combinedCapacity(const std::vector<const PowerSupply*>& batteries)
{
    long double weighted = 0, weights = 0, sum = 0;
    int counted = 0;
    bool everyWeighed = true;
    for (const auto* battery : batteries) {
        const auto capacity = currentCapacity(*battery);
        if (!capacity)
            continue;
        const auto full = fullCapacity(*battery);
        everyWeighed = everyWeighed && full;
        weighted += static_cast<long double>(*capacity) * full.value_or(0);
        weights += full.value_or(0);
        sum += *capacity;
        ++counted;
    }
    if (counted == 0)
        return std::nullopt;
    const long double level = everyWeighed && weights > 0 ? weighted / weights : sum / counted;
    return static_cast<std::int64_t>(std::floor(level + 0.5L));
}

// One description for the machine's batteries, or for one peripheral or UPS. Laptops with two
// batteries drain one first: the machine's level is that of both together.
PowerSourceDescription describe(const std::vector<const PowerSupply*>& batteries, std::optional<bool> onAdapter)
{
    PowerSourceDescription description;
    description.emplace("Type", std::string(typeName(batteries.front()->kind())));
    if (const auto capacity = combinedCapacity(batteries))
        description.emplace("Current Capacity", *capacity);

    std::optional<bool> charging;
    bool fedFromOutside = false;
    for (const auto* battery : batteries) {
        if (const auto status = battery->text("status")) {
            charging = charging.value_or(false) || *status == "Charging";
            fedFromOutside = fedFromOutside || *status == "Charging" || *status == "Full" || *status == "Not charging";
        }
    }
    if (charging)
        description.emplace("Is Charging", *charging);

    // Without an adapter to ask (some laptops and phones expose none), the batteries' own
    // status tells whether something outside feeds them.
    if (onAdapter || charging)
        description.emplace("Power Source State",
                            std::string(onAdapter.value_or(fedFromOutside) ? "AC Power" : "Battery Power"));
    return description;
}

} // namespace

PowerSourceSnapshot readPowerSources(const std::filesystem::path& root)
{
    PowerSourceSnapshot snapshot;
    try {
        const auto supplies = listPowerSupplies(root);
        const auto onAdapter = adapterOnline(supplies);
        std::vector<const PowerSupply*> system;
        for (const auto& supply : supplies) {
            if (supply.kind() == PowerSupplyKind::SystemBattery)
                system.push_back(&supply);
        }
        for (const auto& supply : supplies) {
            if (supply.kind() == PowerSupplyKind::Adapter)
                continue;
            if (supply.kind() != PowerSupplyKind::SystemBattery)
                snapshot.push_back(describe({&supply}, onAdapter));
            else if (&supply == system.front()) // the machine's batteries as one, where the first is listed
                snapshot.push_back(describe(system, onAdapter));
        }
    } catch (const std::exception&) {
        // Only allocation can fail; a partial snapshot is still a true one.
    }
    return snapshot;
}

} // namespace platform
