#include "report_lines.h"

#include "platform/linux/host_files.h"

#include <array>

namespace profiler {

namespace {

constexpr std::array<std::string_view, 6> searchedLabels = {
    "Model Name:", "Chip:", "Memory:", "Cycle Count:", "Maximum Capacity:", "Condition:",
};

bool carriesLabel(std::string_view value)
{
    for (const auto label : searchedLabels) {
        if (value.find(label) != std::string_view::npos)
            return true;
    }
    return false;
}

} // namespace

void appendLabelLine(std::string& report, std::string_view indent, std::string_view label,
                     std::string_view value)
{
    if (value.empty() || !platform::isPrintableText(value) || carriesLabel(value))
        return;
    report += indent;
    report += label;
    report += ": ";
    report += value;
    report += '\n';
}

} // namespace profiler
