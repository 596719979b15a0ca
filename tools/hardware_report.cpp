#include "hardware_report.h"

#include "platform/linux/host_files.h"
#include "platform/linux/host_name.h"
#include "report_lines.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <regex>
#include <string_view>

namespace profiler {

namespace {

using platform::trimmed;

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

bool containsDigit(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool containsLetter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
}

// What board makers leave in DMI fields they never filled in.
bool isPlaceholder(std::string_view value)
{
    static constexpr std::array<std::string_view, 10> placeholders = {
        "To be filled by O.E.M.", "Default string", "System Product Name", "System Version",
        "Not Specified", "Not Applicable", "None", "Type1ProductConfigId", "0123456789", "x.x",
    };
    return value.empty() || std::any_of(placeholders.begin(), placeholders.end(),
                                        [value](std::string_view p) { return equalsIgnoringCase(value, p); });
}

std::optional<std::string> dmiField(const std::filesystem::path& root, std::string_view field)
{
    auto value = platform::readFirstLine(root / "sys/class/dmi/id" / field);
    if (!value || isPlaceholder(*value))
        return std::nullopt;
    return value;
}

std::optional<std::string> deviceTreeModel(const std::filesystem::path& root)
{
    for (const char* path : {"proc/device-tree/model", "sys/firmware/devicetree/base/model"}) {
        const auto contents = platform::readHostFile(root / path);
        if (!contents)
            continue;
        // Device-tree strings end in a NUL byte.
        const std::string_view model = trimmed(std::string_view(*contents).substr(0, contents->find('\0')));
        if (!model.empty())
            return std::string(model);
    }
    return std::nullopt;
}

// The kind of computer in words, from the CHASSIS its owner set or else the firmware's
// enclosure type (SMBIOS numbering).
std::optional<std::string> chassisName(const std::filesystem::path& root)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> named{{
        {"laptop", "Computer portatile"},
        {"convertible", "Computer portatile"},
        {"desktop", "Computer desktop"},
        {"server", "Server"},
        {"tablet", "Tablet"},
        {"handset", "Telefono"},
        {"watch", "Orologio"},
        {"embedded", "Dispositivo integrato"},
        {"vm", "Macchina virtuale"},
    }};
    std::optional<std::string_view> chassis;
    if (const auto set = platform::readMachineInfo(root, "CHASSIS")) {
        for (const auto& [key, name] : named) {
            if (*set == key)
                chassis = name;
        }
    }
    if (!chassis) {
        switch (platform::readSysfsInteger(root / "sys/class/dmi/id/chassis_type").value_or(0)) {
        case 3: case 4: case 5: case 6: case 7: case 13: case 15: case 16: case 35: case 36:
            chassis = "Computer desktop";
            break;
        case 8: case 9: case 10: case 14: case 31: case 32:
            chassis = "Computer portatile";
            break;
        case 11: case 30:
            chassis = "Tablet";
            break;
        case 17: case 23: case 28: case 29:
            chassis = "Server";
            break;
        default:
            break;
        }
    }
    return chassis ? std::optional<std::string>(*chassis) : std::nullopt;
}

std::optional<std::string> productName(const std::filesystem::path& root)
{
    auto product = dmiField(root, "product_name");
    // Some makers (Lenovo among them) store a machine-type code such as "20XW0055GE" as the
    // product name and the name people know in the version field.
    if (product && product->find(' ') == std::string::npos && containsDigit(*product)) {
        auto version = dmiField(root, "product_version");
        if (version && version->find(' ') != std::string::npos && containsLetter(*version))
            return version;
    }
    return product;
}

// The name people know the machine by, else its board's, else what kind of computer it is.
std::string modelName(const std::filesystem::path& root)
{
    if (auto product = productName(root))
        return *product;
    if (auto model = deviceTreeModel(root))
        return *model;
    if (auto board = dmiField(root, "board_name"))
        return *board;
    return chassisName(root).value_or("Computer");
}

std::string collapsingSpaces(std::string_view text)
{
    std::string collapsed;
    for (const char c : trimmed(text)) {
        const bool blank = c == ' ' || c == '\t';
        if (!blank)
            collapsed += c;
        else if (!collapsed.empty() && collapsed.back() != ' ')
            collapsed += ' ';
    }
    return collapsed;
}

// The processor as a person names it: the kernel's model string without trademark signs,
// generation prefixes, clock speeds, core counts and integrated graphics, which make it too
// long for a badge ("11th Gen Intel(R) Core(TM) i7-1165G7 @ 2.80GHz": "Intel Core i7-1165G7").
std::string conciseChipName(const std::string& name)
{
    static const std::regex noise(
        R"(\((R|r|TM|tm)\)|®|™|\b\d+(st|nd|rd|th) Gen\b|\bCPU\b|\b\d+-Core\b|\bProcessor\b|@.*$|\bwith Radeon.*$|\bw/ Radeon.*$)");
    const std::string concise = collapsingSpaces(std::regex_replace(name, noise, " "));
    return concise.empty() ? name : concise;
}

std::optional<std::string> chipName(const std::filesystem::path& root)
{
    const auto cpuinfo = platform::readHostFile(root / "proc/cpuinfo");
    if (!cpuinfo)
        return std::nullopt;

    // x86 names the processor in "model name"; ARM kernels give the SoC in "Hardware" or the
    // core in "Processor", MIPS uses "cpu model" and PowerPC "cpu".
    constexpr std::array<std::string_view, 5> keys = {"model name", "Hardware", "Processor", "cpu model", "cpu"};
    std::array<std::optional<std::string_view>, keys.size()> found;
    std::string_view rest = *cpuinfo;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view key = trimmed(line.substr(0, colon));
        const std::string_view value = trimmed(line.substr(colon + 1));
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (key == keys[i] && !found[i] && !value.empty())
                found[i] = value;
        }
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        // Some kernels list "Processor : 0" as a number rather than a name.
        if (found[i] && (keys[i] != "Processor" || containsLetter(*found[i])))
            return conciseChipName(collapsingSpaces(*found[i]));
    }
    return std::nullopt;
}

std::optional<std::string> memorySize(const std::filesystem::path& root)
{
    const auto meminfo = platform::readHostFile(root / "proc/meminfo");
    if (!meminfo)
        return std::nullopt;
    constexpr std::string_view key = "MemTotal:";
    std::size_t start = 0;
    while (start < meminfo->size() && meminfo->compare(start, key.size(), key) != 0) {
        const std::size_t next = meminfo->find('\n', start);
        start = next == std::string::npos ? meminfo->size() : next + 1;
    }
    if (start >= meminfo->size())
        return std::nullopt;
    std::string_view value = std::string_view(*meminfo).substr(start + key.size());
    value = trimmed(value.substr(0, value.find('\n')));
    constexpr std::string_view unit = " kB";
    if (!value.ends_with(unit))
        return std::nullopt;
    const auto kibibytes = platform::parseSysfsInteger(value.substr(0, value.size() - unit.size()));
    if (!kibibytes || *kibibytes <= 0)
        return std::nullopt;
    // The kernel counts what is left after firmware and kernel reservations, a little under
    // the installed size, so round up to the next whole GiB.
    constexpr std::int64_t kibibytesPerGibibyte = std::int64_t{1} << 20;
    const std::int64_t gibibytes = *kibibytes / kibibytesPerGibibyte + (*kibibytes % kibibytesPerGibibyte != 0);
    return std::to_string(gibibytes) + " GB";
}

} // namespace

std::string hardwareReport(const std::filesystem::path& root)
{
    std::string report = "Hardware:\n\n    Hardware Overview:\n\n";
    constexpr std::string_view indent = "      ";
    appendLabelLine(report, indent, "Model Name", modelName(root));
    if (const auto chip = chipName(root))
        appendLabelLine(report, indent, "Chip", *chip);
    if (const auto memory = memorySize(root))
        appendLabelLine(report, indent, "Memory", *memory);
    report += '\n';
    return report;
}

} // namespace profiler
