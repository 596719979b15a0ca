#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The kernel's power supply class: one directory per supply under
// <root>/sys/class/power_supply, one small text file per attribute.
namespace platform {

enum class PowerSupplyKind {
    SystemBattery, // powers the machine itself
    DeviceBattery, // inside a peripheral: mouse, keyboard, headset
    Ups,
    Adapter, // mains, USB, USB-C, wireless and any other source that is not a battery
};

// An amount against its reference, both from the same family of attributes.
struct SupplyAmounts {
    std::int64_t amount = 0;
    std::int64_t reference = 0; // always positive
    bool inEnergy = true;       // µWh from energy_*, else µAh from charge_*
};

class PowerSupply {
public:
    PowerSupply(std::string name, std::filesystem::path directory, PowerSupplyKind kind);

    const std::string& name() const { return name_; }
    PowerSupplyKind kind() const { return kind_; }

    // The attribute's first line, trimmed; no value when the file is missing, unreadable or
    // says nothing.
    std::optional<std::string> text(std::string_view attribute) const;
    std::optional<std::int64_t> integer(std::string_view attribute) const;

    // energy_<amount> against energy_<reference> (µWh), else charge_<amount> against
    // charge_<reference> (µAh). The families are never mixed: the two units only compare
    // through the voltage.
    std::optional<SupplyAmounts> amounts(std::string_view amount, std::string_view reference) const;

private:
    std::string name_;
    std::filesystem::path directory_;
    PowerSupplyKind kind_;
};

// The supplies under `root`, in name order. Entries without a readable type, and system
// batteries that report themselves not present (an empty bay), are left out.
std::vector<PowerSupply> listPowerSupplies(const std::filesystem::path& root);

// `amounts.amount` as a whole percentage of `amounts.reference`, rounded to nearest and
// held within 0..100.
std::int64_t roundedPercentage(const SupplyAmounts& amounts);

} // namespace platform
