#include "platform/linux/sysfs_power_supply.h"

#include "platform/linux/host_files.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <system_error>
#include <utility>

namespace platform {

namespace {

std::optional<std::string> attributeText(const std::filesystem::path& directory,
                                         std::string_view attribute)
{
    auto line = readFirstLine(directory / attribute);
    if (!line || line->empty())
        return std::nullopt;
    return line;
}

std::optional<PowerSupplyKind> classify(const std::filesystem::path& directory)
{
    const auto type = attributeText(directory, "type");
    if (!type)
        return std::nullopt;
    if (*type == "UPS")
        return PowerSupplyKind::Ups;
    if (*type != "Battery")
        return PowerSupplyKind::Adapter;
    if (attributeText(directory, "scope") == "Device")
        return PowerSupplyKind::DeviceBattery;
    // An empty battery bay still shows up, with present at 0.
    if (readSysfsInteger(directory / "present") == 0)
        return std::nullopt;
    return PowerSupplyKind::SystemBattery;
}

std::optional<SupplyAmounts> familyAmounts(const PowerSupply& supply, std::string_view family,
                                           std::string_view amount, std::string_view reference)
{
    const auto attribute = [family](std::string_view suffix) {
        std::string name(family);
        name += '_';
        name += suffix;
        return name;
    };
    const auto part = supply.integer(attribute(amount));
    const auto whole = supply.integer(attribute(reference));
    if (!part || !whole || *part < 0 || *whole <= 0)
        return std::nullopt;
    return SupplyAmounts{*part, *whole, family == "energy"};
}

} // namespace

PowerSupply::PowerSupply(std::string name, std::filesystem::path directory, PowerSupplyKind kind)
    : name_(std::move(name)), directory_(std::move(directory)), kind_(kind)
{
}

std::optional<std::string> PowerSupply::text(std::string_view attribute) const
{
    return attributeText(directory_, attribute);
}

std::optional<std::int64_t> PowerSupply::integer(std::string_view attribute) const
{
    return readSysfsInteger(directory_ / attribute);
}

std::optional<SupplyAmounts> PowerSupply::amounts(std::string_view amount,
                                                  std::string_view reference) const
{
    if (auto energy = familyAmounts(*this, "energy", amount, reference))
        return energy;
    return familyAmounts(*this, "charge", amount, reference);
}

std::vector<PowerSupply> listPowerSupplies(const std::filesystem::path& root)
{
    std::vector<PowerSupply> supplies;
    try {
        const auto classDirectory = root / "sys/class/power_supply";
        std::vector<std::filesystem::path> directories;
        std::error_code error;
        for (std::filesystem::directory_iterator it(classDirectory, error), end; !error && it != end;
             it.increment(error)) {
            // On a live system the entries are symlinks into /sys/devices; is_directory follows them.
            std::error_code statusError;
            if (it->is_directory(statusError))
                directories.push_back(it->path());
        }
        std::sort(directories.begin(), directories.end(),
                  [](const auto& a, const auto& b) { return a.filename().native() < b.filename().native(); });

        for (auto& directory : directories) {
            if (const auto kind = classify(directory))
                supplies.emplace_back(directory.filename().native(), std::move(directory), *kind);
        }
    } catch (const std::exception&) {
        // Only allocation can fail here; what was listed so far is still true.
    }
    return supplies;
}

std::int64_t roundedPercentage(const SupplyAmounts& amounts)
{
    if (amounts.amount <= 0 || amounts.reference <= 0)
        return 0;
    if (amounts.amount >= amounts.reference)
        return 100;
    // Below the reference, amount * 200 + reference stays under 201 * reference, which fits
    // while the reference does not pass a 201st of the 64-bit limit; past that, long double is
    // precise enough for a whole percentage.
    if (amounts.reference <= std::numeric_limits<std::int64_t>::max() / 201)
        return (amounts.amount * 200 + amounts.reference) / (2 * amounts.reference);
    return std::llround(100.0L * static_cast<long double>(amounts.amount) /
                        static_cast<long double>(amounts.reference));
}

} // namespace platform
