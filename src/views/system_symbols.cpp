#include "views/system_symbols.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string>

namespace views {

namespace {

struct Entry {
    std::string_view name;
    char32_t glyph;
    bool quarterTurn;
};

constexpr Entry entries[] = {
    {"battery.100.bolt", 0xe1a3, true},              // battery_charging_full
    {"battery.100", 0xe1a4, true},                   // battery_full
    {"battery.75", 0xebd4, true},                    // battery_5_bar
    {"battery.50", 0xebdd, true},                    // battery_3_bar
    {"battery.25", 0xebe0, true},                    // battery_2_bar
    {"battery.0", 0xebdc, true},                     // battery_0_bar
    {"bolt.fill", 0xea0b, false},                    // bolt
    {"powerplug.fill", 0xe63c, false},               // power
    {"heart.text.square.fill", 0xeaa2, false},       // monitor_heart
    {"arrow.triangle.2.circlepath", 0xe627, false},  // sync
    {"checkmark.shield.fill", 0xe8e8, false},        // verified_user
    {"power", 0xe8ac, false},                        // power_settings_new
    {"arrow.clockwise", 0xe5d5, false},              // refresh
};

} // namespace

std::optional<ui::Symbol> systemSymbol(std::string_view name)
{
    const auto entry = std::find_if(std::begin(entries), std::end(entries),
                                    [name](const Entry& e) { return e.name == name; });
    if (entry == std::end(entries))
        return std::nullopt;
    // Measuring a glyph's outline is dear and views ask on every render: once per name will do.
    static std::map<std::string_view, ui::Symbol> known;
    if (const auto found = known.find(entry->name); found != known.end())
        return found->second;
    const auto symbol = ui::iconSymbol(entry->glyph, entry->quarterTurn);
    if (symbol)
        known.emplace(entry->name, *symbol);
    return symbol;
}

ui::Image systemImage(std::string_view name)
{
    return ui::Image(systemSymbol(name), std::string(name));
}

} // namespace views
