#include "platform/freedesktop/upower_description.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using platform::PowerSourceDescription;
using namespace std::string_literals;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr qint64 day = 24 * 3600;

// A present laptop battery with `extra` over it.
QVariantMap display(const QVariantMap& extra)
{
    QVariantMap properties{{"Type", 2u}, {"IsPresent", true}};
    for (auto it = extra.begin(); it != extra.end(); ++it)
        properties.insert(it.key(), it.value());
    return properties;
}

TEST(DescribeDisplayDevice, MapsLevelChargingSourceAndTimesLeavingOutWhatIsUnknownOrAbsurd)
{
    const QVariantMap onAc{{"OnBattery", false}};
    const struct {
        QVariantMap display, daemon;
        PowerSourceDescription expected;
    } cases[] = {
        {display({{"Percentage", 72.5}, {"State", 1u}, {"TimeToFull", qint64(1800)}}), onAc,
         {{"Type", "InternalBattery"s}, {"Current Capacity", std::int64_t(73)}, {"Is Charging", true},
          {"Power Source State", "AC Power"s}, {"Time to Full", std::int64_t(1800)}}},
        {display({{"Percentage", 0.49}, {"State", 2u}, {"TimeToEmpty", qint64(600)}}), {{"OnBattery", true}},
         {{"Type", "InternalBattery"s}, {"Current Capacity", std::int64_t(0)}, {"Is Charging", false},
          {"Power Source State", "Battery Power"s}, {"Time to Empty", std::int64_t(600)}}},
        {display({{"Percentage", 99.5}}), {}, {{"Type", "InternalBattery"s}, {"Current Capacity", std::int64_t(100)}}},
        {display({{"Percentage", 180.0}}), {}, {{"Type", "InternalBattery"s}, {"Current Capacity", std::int64_t(100)}}},
        {display({{"Percentage", 40u}}), {}, {{"Type", "InternalBattery"s}, {"Current Capacity", std::int64_t(40)}}},
        // Unknown: NaN, infinite, negative and mistyped values, state 0, times of zero, past a week or negative.
        {display({{"Percentage", nan}, {"State", 0u}, {"TimeToEmpty", qint64(0)}}), {{"OnBattery", 1}},
         {{"Type", "InternalBattery"s}}},
        {display({{"Percentage", -1.0}, {"State", "charging"}, {"TimeToFull", 8 * day}}), {},
         {{"Type", "InternalBattery"s}}},
        {display({{"Percentage", std::numeric_limits<double>::infinity()}, {"State", 1.5}, {"TimeToEmpty", qint64(-5)}}),
         {}, {{"Type", "InternalBattery"s}}},
        {display({{"Percentage", "50"}, {"State", 99u}, {"TimeToFull", "60"}}), {}, {{"Type", "InternalBattery"s}}},
        // The daemon's own warning level, where it judges one.
        {display({{"WarningLevel", 4u}}), {}, {{"Type", "InternalBattery"s}, {"Warning Level", "critical"s}}},
        {display({{"WarningLevel", 1u}}), {}, {{"Type", "InternalBattery"s}, {"Warning Level", "none"s}}},
        {display({{"WarningLevel", 2u}}), {}, {{"Type", "InternalBattery"s}}},
        {display({{"WarningLevel", 9u}}), {}, {{"Type", "InternalBattery"s}}},
    };
    for (const auto& each : cases) {
        auto expected = each.expected;
        expected.emplace("Kind", "battery"s);
        EXPECT_EQ(platform::describeDisplayDevice(each.display, each.daemon), expected) << each.display.keys().join(' ').toStdString();
    }
}

TEST(DescribeDisplayDevice, NoInternalBatteryWithoutAPresentBattery)
{
    for (const QVariantMap& device : {QVariantMap{{"Type", 2u}, {"IsPresent", false}, {"Percentage", 50.0}},
                                      QVariantMap{{"Type", 3u}, {"IsPresent", true}, {"Percentage", 50.0}},
                                      QVariantMap{{"Type", 0u}, {"IsPresent", false}}, QVariantMap{{"IsPresent", true}},
                                      QVariantMap{{"Type", 2u}}, QVariantMap{{"Type", "2"}, {"IsPresent", true}},
                                      QVariantMap{{"Type", 2u}, {"IsPresent", 1u}}, QVariantMap{}})
        EXPECT_EQ(platform::describeDisplayDevice(device, {{"OnBattery", false}}), std::nullopt);
}

TEST(DescribeDevice, PeripheralsAndUpsesAreNamedAndKindedNeverInternal)
{
    const QString path = QStringLiteral("/org/freedesktop/UPower/devices/mouse_dev_AA_BB");
    const struct {
        QVariantMap device;
        std::optional<PowerSourceDescription> expected;
    } cases[] = {
        {{{"Type", 5u}, {"Model", "MX Master 3"}, {"Vendor", "Logi"}, {"Percentage", 40.0}, {"State", 2u}, {"IsPresent", true}},
         {{{"Type", "DeviceBattery"s}, {"Kind", "mouse"s}, {"Name", "MX Master 3"s}, {"Current Capacity", std::int64_t(40)},
           {"Is Charging", false}}}},
        {{{"Type", 3u}, {"Model", " "}, {"Vendor", "APC"}, {"Percentage", 100.0}, {"State", 4u}, {"TimeToEmpty", qint64(3000)}},
         {{{"Type", "UPS"s}, {"Kind", "ups"s}, {"Name", "APC"s}, {"Current Capacity", std::int64_t(100)},
           {"Is Charging", false}, {"Time to Empty", std::int64_t(3000)}}}},
        {{{"Type", 17u}, {"Percentage", nan}, {"State", 1u}},
         {{{"Type", "DeviceBattery"s}, {"Kind", "headset"s}, {"Name", "mouse_dev_AA_BB"s}, {"Is Charging", true}}}},
        {{{"Type", 2u}, {"PowerSupply", false}, {"Model", 7u}},
         {{{"Type", "DeviceBattery"s}, {"Kind", "battery"s}, {"Name", "mouse_dev_AA_BB"s}}}},
        {{{"Type", 400u}, {"Model", "Gadget"}}, {{{"Type", "DeviceBattery"s}, {"Kind", "other"s}, {"Name", "Gadget"s}}}},
        // Line power, the laptop's own battery, an absent battery, an unknown or mistyped type.
        {{{"Type", 1u}, {"PowerSupply", true}, {"Online", true}}, std::nullopt},
        {{{"Type", 2u}, {"PowerSupply", true}, {"Percentage", 50.0}}, std::nullopt},
        {{{"Type", 2u}, {"Percentage", 50.0}}, std::nullopt},
        {{{"Type", 6u}, {"IsPresent", false}, {"Percentage", 50.0}}, std::nullopt},
        {{{"Type", 0u}, {"Percentage", 50.0}}, std::nullopt},
        {{{"Type", "mouse"}, {"Percentage", 50.0}}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& each : cases)
        EXPECT_EQ(platform::describeDevice(path, each.device), each.expected) << each.device.value("Type").toString().toStdString();
}

TEST(DescribeUPower, TheDisplayDeviceComesFirstAndStandsForTheLaptopsBatteries)
{
    const auto snapshot = platform::describeUPower(
        {{"OnBattery", true}}, display({{"Percentage", 55.0}}),
        {{"/d/line_power_AC", {{"Type", 1u}, {"PowerSupply", true}}},
         {"/d/battery_BAT0", {{"Type", 2u}, {"PowerSupply", true}, {"Percentage", 90.0}}},
         {"/d/keyboard", {{"Type", 6u}, {"Percentage", 10.0}}}});
    ASSERT_EQ(snapshot.size(), 2u);
    EXPECT_EQ(snapshot[0].at("Current Capacity"), platform::PowerSourceValue(std::int64_t(55)));
    EXPECT_EQ(snapshot[1].at("Kind"), platform::PowerSourceValue("keyboard"s));
}

} // namespace
