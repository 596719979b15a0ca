#include "app/panel_content.h"

#include "ui/shape_view.h"
#include "views/battery_popup_view.h"

namespace app {

namespace {

// The ground the panel's translucent cards and tints are drawn over, like a popover's material.
ui::Color popoverGround(ui::ColorScheme scheme)
{
    return scheme == ui::ColorScheme::Dark ? ui::Color::srgb(0.16, 0.16, 0.17) : ui::Color::srgb(0.965, 0.965, 0.97);
}

} // namespace

ui::ViewHost::Body panelContent(std::shared_ptr<monitor::BatteryMonitor> monitor, std::function<void()> terminate)
{
    return [monitor, terminate](ui::ColorScheme scheme) {
        const std::weak_ptr<monitor::BatteryMonitor> weak = monitor;
        return views::BatteryPopupView(*monitor, scheme, terminate,
                                       [weak] {
                                           if (const auto strong = weak.lock())
                                               strong->refresh();
                                       })
            .background(ui::Rectangle().fill(popoverGround(scheme)));
    };
}

} // namespace app
