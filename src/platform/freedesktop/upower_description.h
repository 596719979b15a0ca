#pragma once

#include "platform/power_sources.h"

#include <QString>
#include <QVariantMap>

#include <optional>
#include <utility>
#include <vector>

namespace platform {

// UPower's devices in the power sources' keys. The maps are the properties GetAll answers;
// a property that is missing or of an unexpected type counts as unknown.

// The display device, UPower's one level for the machine's batteries, as the internal battery;
// nothing when it is no battery (a desktop, or a UPS as the display device) or not present.
// `daemon` holds the daemon's own properties, for whether the machine runs on battery.
std::optional<PowerSourceDescription> describeDisplayDevice(const QVariantMap& display, const QVariantMap& daemon);

// Any other device with a battery: a UPS or a peripheral. Nothing for line power, for the
// machine's own batteries (the display device stands for them) and for devices without a battery.
std::optional<PowerSourceDescription> describeDevice(const QString& objectPath, const QVariantMap& device);

// The whole snapshot: the display device first, then each device as EnumerateDevices listed it.
PowerSourceSnapshot describeUPower(const QVariantMap& daemon, const QVariantMap& display,
                                   const std::vector<std::pair<QString, QVariantMap>>& devices);

} // namespace platform
