#pragma once

#include <string>
#include <string_view>

// Readers of our reports find values by looking for a label anywhere in a line, so a value
// must never carry a label of its own, nor break its line.
namespace profiler {

// Appends "<indent><label>: <value>\n", or nothing when the value is empty, is not
// printable text or contains one of the labels readers look for.
void appendLabelLine(std::string& report, std::string_view indent, std::string_view label,
                     std::string_view value);

} // namespace profiler
