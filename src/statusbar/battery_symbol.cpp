#include "statusbar/battery_symbol.h"

namespace statusbar {

std::string symbolName(std::int64_t percentage, bool isCharging)
{
    if (isCharging)
        return "battery.100.bolt";
    if (percentage > 89)
        return "battery.100";
    if (percentage > 64)
        return "battery.75";
    if (percentage > 34)
        return "battery.50";
    if (percentage > 14)
        return "battery.25";
    return "battery.0";
}

std::string statusTitle(std::int64_t percentage)
{
    return " " + std::to_string(percentage) + "%";
}

} // namespace statusbar
