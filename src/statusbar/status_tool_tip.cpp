#include "statusbar/status_tool_tip.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
#include <utility>

namespace statusbar {
namespace {

std::string_view kindLabel(std::string_view kind)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> labels{{
        {"mouse", "Mouse"},
        {"keyboard", "Tastiera"},
        {"headset", "Cuffie"},
        {"phone", "Telefono"},
        {"tablet", "Tavoletta"},
        {"pen", "Penna"},
        {"gaming-input", "Controller"},
        {"ups", "UPS"},
        {"battery", "Batteria"},
    }};
    for (const auto& [name, label] : labels) {
        if (name == kind)
            return label;
    }
    return "Dispositivo";
}

bool containsWord(std::string_view text, std::string_view word)
{
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

} // namespace

std::string peripheralName(const monitor::Peripheral& peripheral)
{
    const auto label = kindLabel(peripheral.kind);
    if (peripheral.name.empty())
        return std::string(label);
    if (containsWord(peripheral.name, label))
        return peripheral.name;
    return std::string(label) + ' ' + peripheral.name;
}

std::string durationText(std::int64_t seconds)
{
    const std::int64_t minutes = std::max<std::int64_t>(1, (seconds + 30) / 60);
    if (minutes < 60)
        return std::to_string(minutes) + " min";
    const std::string hours = std::to_string(minutes / 60) + " h";
    return minutes % 60 == 0 ? hours : hours + ' ' + std::to_string(minutes % 60) + " min";
}

std::string timeRemainingText(const monitor::PowerOutlook& outlook, bool isCharging)
{
    if (isCharging && outlook.timeToFull)
        return "carica completa tra " + durationText(*outlook.timeToFull);
    if (!isCharging && outlook.timeToEmpty)
        return "circa " + durationText(*outlook.timeToEmpty) + " rimanenti";
    return {};
}

std::string statusToolTip(const monitor::PowerOutlook& outlook, bool isCharging)
{
    std::string lines = timeRemainingText(outlook, isCharging);
    const auto addLine = [&lines](const std::string& line) {
        if (!lines.empty())
            lines += '\n';
        lines += line;
    };
    for (const auto& peripheral : outlook.peripherals) {
        if (peripheral.percentage)
            addLine(peripheralName(peripheral) + ": " + std::to_string(*peripheral.percentage) + '%');
    }
    return lines;
}

} // namespace statusbar
