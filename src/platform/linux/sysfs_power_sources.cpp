#include "platform/linux/sysfs_power_sources.h"

#include "platform/linux/sysfs_power_supply.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

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

// What a battery holds and how fast that changes, in one family of units: µWh and µW, or µAh
// and µA.
struct Reserve {
    bool inEnergy = true;
    long double now = 0;
    long double full = 0; // where charging stops
    long double rate = 0; // absent or zero when the firmware does not say
};

std::optional<Reserve> reserveOf(const PowerSupply& battery)
{
    const auto held = battery.amounts("now", "full");
    if (!held)
        return std::nullopt;
    // Drivers disagree on the sign of the rate while discharging; its size is what counts.
    const auto size = [&](const char* attribute) {
        const auto value = battery.integer(attribute);
        return value ? std::abs(static_cast<long double>(*value)) : 0.0L;
    };
    long double rate = held->inEnergy ? size("power_now") : size("current_now");
    if (held->inEnergy && rate == 0) // some report the current and the voltage instead
        rate = size("current_now") * size("voltage_now") / 1e6L;
    // A battery kept from charging past a threshold, to spare it, is full at the threshold.
    long double full = held->reference;
    if (const auto end = battery.integer("charge_control_end_threshold"); end && *end > 0 && *end < 100)
        full = full * static_cast<long double>(*end) / 100;
    return Reserve{held->inEnergy, static_cast<long double>(held->amount), full, rate};
}

// Seconds until the batteries are empty, or full when `charging`, from what they hold and the
// present rate; unknown without a rate, or when the batteries count in different units.
std::optional<std::int64_t> secondsLeft(const std::vector<const PowerSupply*>& batteries, bool charging)
{
    long double stored = 0, room = 0, rate = 0;
    std::optional<bool> inEnergy;
    for (const auto* battery : batteries) {
        const auto reserve = reserveOf(*battery);
        if (!reserve || inEnergy.value_or(reserve->inEnergy) != reserve->inEnergy)
            return std::nullopt;
        inEnergy = reserve->inEnergy;
        stored += reserve->now;
        room += std::max(0.0L, reserve->full - reserve->now);
        rate += reserve->rate;
    }
    if (rate <= 0)
        return std::nullopt;
    const long double seconds = (charging ? room : stored) / rate * 3600;
    // Past a week the rate is a firmware's glitch, not a forecast.
    constexpr long double week = 7 * 24 * 3600;
    if (!(seconds >= 1 && seconds <= week))
        return std::nullopt;
    return static_cast<std::int64_t>(std::llround(seconds));
}

// A peripheral's own name, as its driver gives it.
std::string deviceName(const PowerSupply& supply)
{
    for (const char* attribute : {"model_name", "manufacturer"}) {
        if (auto name = supply.text(attribute))
            return *name;
    }
    return supply.name();
}

// The kernel does not say what a peripheral is; its drivers' names and models usually do.
std::string deviceKind(const PowerSupply& supply)
{
    if (supply.kind() == PowerSupplyKind::Ups)
        return "ups";
    if (supply.kind() == PowerSupplyKind::SystemBattery)
        return "battery";
    std::string words = supply.name() + ' ' + supply.text("model_name").value_or("");
    std::transform(words.begin(), words.end(), words.begin(), [](unsigned char c) { return std::tolower(c); });
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 8> hints{{
        {"mouse", "mouse"},
        {"keyboard", "keyboard"},
        {"headset", "headset"},
        {"headphone", "headset"},
        {"controller", "gaming-input"},
        {"gamepad", "gaming-input"},
        {"wacom", "tablet"},
        {"phone", "phone"},
    }};
    for (const auto& [hint, kind] : hints) {
        if (words.find(hint) != std::string::npos)
            return std::string(kind);
    }
    return "other";
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

    const bool discharging = std::any_of(batteries.begin(), batteries.end(),
                                         [](const auto* battery) { return battery->text("status") == "Discharging"; });
    if (charging.value_or(false) || discharging) {
        if (const auto seconds = secondsLeft(batteries, charging.value_or(false)))
            description.emplace(charging.value_or(false) ? "Time to Full" : "Time to Empty", *seconds);
    }
    description.emplace("Kind", deviceKind(*batteries.front()));
    if (batteries.front()->kind() != PowerSupplyKind::SystemBattery)
        description.emplace("Name", deviceName(*batteries.front()));

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
