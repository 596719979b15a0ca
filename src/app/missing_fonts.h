#pragma once

#include <string>

namespace app {

// One line per font the panel and the icon are drawn in that this system lacks, naming the
// Debian package to install; empty when all are there. Needs a QGuiApplication.
std::string missingFontsReport();

} // namespace app
