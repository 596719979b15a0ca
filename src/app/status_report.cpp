#include "app/status_report.h"

#include "statusbar/battery_symbol.h"
#include "statusbar/status_tool_tip.h"

#include <cstdio>
#include <string_view>
#include <variant>
#include <vector>

namespace app {
namespace {

// A time or level the system may not know, and the peripherals' batteries.
using Unknowable = std::optional<std::int64_t>;
using Peripherals = std::vector<monitor::Peripheral>;
using Value = std::variant<std::int64_t, bool, std::string, Unknowable, Peripherals>;

std::vector<std::pair<std::string_view, Value>> statusFields(const monitor::BatteryMonitor& m, std::string_view source)
{
    const auto& outlook = m.outlook();
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
        {"source", std::string(source)},
        {"timeToEmpty", outlook.timeToEmpty},
        {"timeToFull", outlook.timeToFull},
        {"peripherals", outlook.peripherals},
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

void appendValue(std::string& out, const Value& value, Notation notation);

void appendPeripherals(std::string& out, const Peripherals& peripherals, Notation notation)
{
    if (notation == Notation::Plain) {
        if (peripherals.empty())
            out += "none";
        for (const auto& peripheral : peripherals) {
            if (&peripheral != &peripherals.front())
                out += ", ";
            out += peripheral.name + " (" + peripheral.kind + ") ";
            appendValue(out, peripheral.percentage, notation);
            out += peripheral.percentage ? "%" : "";
        }
        return;
    }
    out += '[';
    for (const auto& peripheral : peripherals) {
        if (&peripheral != &peripherals.front())
            out += ", ";
        out += "{\"name\": ";
        appendJsonString(out, peripheral.name);
        out += ", \"kind\": ";
        appendJsonString(out, peripheral.kind);
        out += ", \"percentage\": ";
        appendValue(out, peripheral.percentage, notation);
        out += '}';
    }
    out += ']';
}

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
        } else if constexpr (std::is_same_v<T, Unknowable>) {
            out += v ? std::to_string(*v) : notation == Notation::Json ? "null" : "unknown";
        } else if constexpr (std::is_same_v<T, Peripherals>) {
            appendPeripherals(out, v, notation);
        } else {
            out += std::to_string(v);
        }
    }, value);
}

} // namespace

std::string statusText(const monitor::BatteryMonitor& monitor, std::string_view source)
{
    std::string out;
    for (const auto& [name, value] : statusFields(monitor, source)) {
        out += name;
        out += ": ";
        appendValue(out, value, Notation::Plain);
        out += '\n';
    }
    return out;
}

std::string statusLine(const monitor::BatteryMonitor& monitor)
{
    std::string line = std::to_string(monitor.percentage()) + '%';
    const auto time = statusbar::timeRemainingText(monitor.outlook(), monitor.isCharging());
    if (!time.empty())
        line += ", " + time;
    else if (monitor.isCharging())
        line += ", in carica";
    return line + '\n';
}

std::string statusJson(const monitor::BatteryMonitor& monitor, std::string_view source)
{
    std::string out = "{";
    for (const auto& [name, value] : statusFields(monitor, source)) {
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
