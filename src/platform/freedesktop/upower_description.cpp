#include "platform/freedesktop/upower_description.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

namespace platform {
namespace {

// UPower's device types, by their number; the machine's own and a peripheral's battery are both 2.
enum DeviceType : std::int64_t { LinePower = 1, Battery = 2, Ups = 3 };
constexpr std::int64_t charging = 1;
// A remaining time past a week is a daemon's guess from a rate near zero, not a time.
constexpr double longestTime = 7 * 24 * 3600;

// UPower's own names for its types, lower case; "other" past the end of the table.
constexpr std::array<const char*, 29> kindNames = {
    "unknown", "line-power", "battery", "ups", "monitor", "mouse", "keyboard", "pda", "phone", "media-player",
    "tablet", "computer", "gaming-input", "pen", "touchpad", "modem", "network", "headset", "speakers",
    "headphones", "video", "other-audio", "remote-control", "printer", "scanner", "camera", "wearable", "toy",
    "bluetooth-generic"};

std::optional<double> number(const QVariantMap& properties, const char* key)
{
    const auto found = properties.find(QLatin1String(key));
    if (found == properties.end())
        return std::nullopt;
    switch (found->metaType().id()) {
    case QMetaType::Double:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return found->toDouble();
    default:
        return std::nullopt;
    }
}

// A whole number, as UPower's enumerations are.
std::optional<std::int64_t> enumeration(const QVariantMap& properties, const char* key)
{
    const auto value = number(properties, key);
    if (!value || !std::isfinite(*value) || std::trunc(*value) != *value || std::abs(*value) > 1e6)
        return std::nullopt;
    return static_cast<std::int64_t>(*value);
}

std::optional<bool> boolean(const QVariantMap& properties, const char* key)
{
    const auto found = properties.find(QLatin1String(key));
    if (found == properties.end() || found->metaType().id() != QMetaType::Bool)
        return std::nullopt;
    return found->toBool();
}

std::optional<QString> text(const QVariantMap& properties, const char* key)
{
    const auto found = properties.find(QLatin1String(key));
    if (found == properties.end() || found->metaType().id() != QMetaType::QString)
        return std::nullopt;
    const QString value = found->toString().trimmed();
    return value.isEmpty() ? std::nullopt : std::optional(value);
}

// Level, charging and times, which every battery carries alike.
void describeCharge(const QVariantMap& device, PowerSourceDescription& description)
{
    // Negative or NaN is a daemon that does not know; above 100 a rounding upstream.
    if (const auto percentage = number(device, "Percentage"); percentage && std::isfinite(*percentage) && *percentage >= 0)
        description.emplace("Current Capacity", static_cast<std::int64_t>(std::min(100.0, std::floor(*percentage + 0.5))));
    // 0 is "unknown"; the daemon's states end at 6.
    if (const auto state = enumeration(device, "State"); state && *state >= 1 && *state <= 6)
        description.emplace("Is Charging", *state == charging);
    for (const auto& [property, key] : {std::pair{"TimeToEmpty", "Time to Empty"}, std::pair{"TimeToFull", "Time to Full"}}) {
        if (const auto seconds = number(device, property); seconds && *seconds > 0 && *seconds < longestTime)
            description.emplace(key, static_cast<std::int64_t>(*seconds));
    }
    // The daemon's verdict by the desktop's own policy; 0 (unknown) and 2 (a UPS discharging)
    // judge nothing.
    static constexpr std::array<const char*, 6> warningLevels = {nullptr, "none", nullptr, "low", "critical", "action"};
    if (const auto level = enumeration(device, "WarningLevel"); level && *level >= 0 && *level < 6 && warningLevels[*level])
        description.emplace("Warning Level", std::string(warningLevels[*level]));
}

std::string kindName(std::int64_t type)
{
    return type >= 0 && type < std::int64_t(kindNames.size()) ? kindNames[type] : "other";
}

} // namespace

std::optional<PowerSourceDescription> describeDisplayDevice(const QVariantMap& display, const QVariantMap& daemon)
{
    if (enumeration(display, "Type") != Battery || boolean(display, "IsPresent") != true)
        return std::nullopt;
    PowerSourceDescription description{{"Type", std::string("InternalBattery")}, {"Kind", std::string("battery")}};
    describeCharge(display, description);
    if (const auto onBattery = boolean(daemon, "OnBattery"))
        description.emplace("Power Source State", std::string(*onBattery ? "Battery Power" : "AC Power"));
    return description;
}

std::optional<PowerSourceDescription> describeDevice(const QString& objectPath, const QVariantMap& device)
{
    const auto type = enumeration(device, "Type");
    if (!type || *type <= LinePower || boolean(device, "IsPresent") == false)
        return std::nullopt;
    if (*type == Battery && boolean(device, "PowerSupply") != false)
        return std::nullopt;

    const QString name = text(device, "Model")
                             .value_or(text(device, "Vendor").value_or(objectPath.section(QLatin1Char('/'), -1)));
    PowerSourceDescription description{{"Type", std::string(*type == Ups ? "UPS" : "DeviceBattery")},
                                       {"Kind", kindName(*type)},
                                       {"Name", name.toStdString()}};
    describeCharge(device, description);
    return description;
}

PowerSourceSnapshot describeUPower(const QVariantMap& daemon, const QVariantMap& display,
                                   const std::vector<std::pair<QString, QVariantMap>>& devices)
{
    PowerSourceSnapshot snapshot;
    if (auto battery = describeDisplayDevice(display, daemon))
        snapshot.push_back(std::move(*battery));
    for (const auto& [path, properties] : devices) {
        if (auto device = describeDevice(path, properties))
            snapshot.push_back(std::move(*device));
    }
    return snapshot;
}

} // namespace platform
