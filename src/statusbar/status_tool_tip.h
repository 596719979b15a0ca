#pragma once

#include "monitor/power_outlook.h"

#include <cstdint>
#include <string>

namespace statusbar {

// A span of time as people say it: "35 min", "2 h", "1 h 20 min"; never under a minute.
std::string durationText(std::int64_t seconds);

// How long the battery lasts ("circa 1 h 20 min rimanenti") or takes to fill ("carica completa
// tra 35 min"), whichever applies; empty when not known.
std::string timeRemainingText(const monitor::PowerOutlook& outlook, bool isCharging);

// A peripheral as people call it: "Mouse MX Master", but "Wireless Mouse" as it is.
std::string peripheralName(const monitor::Peripheral& peripheral);

// The lines a tooltip adds under the level: how long the battery lasts or takes to fill, when
// known, then one line per peripheral ("Mouse MX Master: 55%"). Empty when there is nothing.
std::string statusToolTip(const monitor::PowerOutlook& outlook, bool isCharging);

} // namespace statusbar
