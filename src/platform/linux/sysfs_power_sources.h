#pragma once

#include "platform/power_sources.h"

#include <filesystem>
#include <utility>

namespace platform {

// The batteries and UPSes under <root>/sys/class/power_supply, one description each, in
// name order; adapters only decide "Power Source State". Values that cannot be read are
// left out of their description; a machine without the power supply class gives none.
PowerSourceSnapshot readPowerSources(const std::filesystem::path& root);

// The same as a source of power sources. The kernel's files change without telling, so there
// are no change notices: whoever shows them reads again when it refreshes.
class SysfsPowerSources final : public PowerSources {
public:
    explicit SysfsPowerSources(std::filesystem::path root) : root_(std::move(root)) {}

    std::optional<PowerSourceSnapshot> snapshot() override { return readPowerSources(root_); }
    void onChange(ChangeHandler) override {}
    std::string_view name() const override { return "sysfs"; }

private:
    std::filesystem::path root_;
};

} // namespace platform
