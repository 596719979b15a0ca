#include "app/status_report.h"

#include "statusbar/battery_symbol.h"

#include <cstdio>
#include <string_view>
#include <variant>
#include <vector>

namespace app {
namespace {

using Value = std::variant<std::int64_t, bool, std::string>;

std::vector<std::pair<std::string_view, Value>> statusFields(const monitor::BatteryMonitor& m)
{
    return {
        {"percentage", m.percentage()},
        {"isCharging", m.isCharging()},
        {"powerSource", m.powerSource()},
        {"deviceName", m.deviceName()},
        {"modelName", m.modelName()},
        {"chipName", m.chipName()},
        {"memorySize", m.memorySize()},
        {"cycleCount", m.cycleCount()},
        {"healthCapacity", m.healthCapacity()},
        {"condition", m.condition()},
        {"symbolName", statusbar::symbolName(m.percentage(), m.isCharging())},
        {"title", statusbar::statusTitle(m.percentage())},
    };
}

void appendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

enum class Notation { Plain, Json };

void appendValue(std::string& out, const Value& value, Notation notation)
{
    std::visit([&]<class T>(const T& v) {
        if constexpr (std::is_same_v<T, std::string>) {
            if (notation == Notation::Json)
                appendJsonString(out, v);
            else
                out += v;
        } else if constexpr (std::is_same_v<T, bool>) {
            out += v ? "true" : "false";
        } else {
            out += std::to_string(v);
        }
    }, value);
}

} // namespace

std::string statusText(const monitor::BatteryMonitor& monitor)
{
    std::string out;
    for (const auto& [name, value] : statusFields(monitor)) {
        out += name;
        out += ": ";
        appendValue(out, value, Notation::Plain);
        out += '\n';
    }
    return out;
}

std::string statusJson(const monitor::BatteryMonitor& monitor)
{
    std::string out = "{";
    for (const auto& [name, value] : statusFields(monitor)) {
        if (out.size() > 1)
            out += ", ";
        appendJsonString(out, name);
        out += ": ";
        appendValue(out, value, Notation::Json);
    }
    out += "}\n";
    return out;
}

} // namespace app
