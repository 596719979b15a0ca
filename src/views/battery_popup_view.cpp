#include "views/battery_popup_view.h"

#include "ui/shape_view.h"
#include "ui/stacks.h"
#include "ui/text.h"
#include "views/circular_progress_ring.h"
#include "views/detail_row_view.h"
#include "views/glass_button_style.h"
#include "views/presentation_rules.h"
#include "views/system_symbols.h"

namespace views {

using namespace ui;

namespace {

View badge(const std::string& text, Color textColor, Color fill, Color border)
{
    return View(Text(text).font({9, FontWeight::Bold, FontDesign::Rounded}).foregroundColor(textColor))
        .padding(edges::horizontal, 6)
        .padding(edges::vertical, 3)
        .background(ZStack({Capsule().fill(fill), Capsule().stroke(border, {1})}));
}

View header(const monitor::BatteryMonitor& m, ColorScheme scheme)
{
    const auto tint = [scheme](double dark, double light) { return schemeTint(scheme, dark, light); };
    return VStack(Alignment::Leading, 5,
                  {
                      HStack(8,
                             {
                                 Text(m.modelName())
                                     .font({17, FontWeight::Bold, FontDesign::Rounded})
                                     .foregroundColor(Color::primary())
                                     .minimumScaleFactor(0.9)
                                     .lineLimit(1),
                                 Spacer(),
                                 // Badges stay whole; the model name gives way (shrinks, then is cut).
                                 HStack(6, {badge(m.chipName(), Color::primary().opacity(0.85), tint(0.08, 0.04), tint(0.12, 0.08)),
                                            badge(m.memorySize(), Color::secondary(), tint(0.05, 0.03), tint(0.08, 0.06))})
                                     .fixedSize(true, false),
                             }),
                      Text(m.deviceName())
                          .font({11, FontWeight::Semibold})
                          .foregroundColor(Color::secondary())
                          .minimumScaleFactor(0.85)
                          .lineLimit(1),
                  })
        .padding(edges::horizontal, 4);
}

// A card's ground: a faint fill and an outline that fades from the top-leading corner.
View cardBackground(double radius, Color fill, Color edge)
{
    return ZStack({RoundedRectangle(radius).fill(fill),
                   RoundedRectangle(radius).stroke(LinearGradient{edge, Color::clear()}, {1})});
}

View mainCard(const monitor::BatteryMonitor& m, ColorScheme scheme)
{
    const bool charging = m.isCharging();
    return HStack(20,
                  {
                      CircularProgressRing(m.percentage(), charging).frame(86, 86),
                      VStack(Alignment::Leading, 5,
                             {
                                 Text(charging ? "In Carica" : "Batteria")
                                     .font({17, FontWeight::Bold, FontDesign::Rounded})
                                     .foregroundColor(charging ? chargingAccentColor() : Color::primary()),
                                 View(Text(statusDescription(charging, m.percentage()))
                                          .font({11, FontWeight::Medium})
                                          .foregroundColor(Color::secondary())
                                          .lineLimit(2))
                                     .fixedSize(false, true),
                             }),
                      Spacer(),
                  })
        .padding(14)
        .background(cardBackground(16, schemeTint(scheme, 0.03, 0.015), schemeTint(scheme, 0.08, 0.05)))
        .shadow(Color::black().opacity(scheme == ColorScheme::Dark ? 0.08 : 0.04), 5, 0, 3);
}

View detailsCard(const monitor::BatteryMonitor& m, ColorScheme scheme)
{
    const View divider = Divider().background(Rectangle().fill(schemeTint(scheme, 0.08, 0.05)));
    return VStack(0,
                  {
                      DetailRowView("powerplug.fill", "Alimentazione", m.powerSource(), Color::blue(), scheme),
                      divider,
                      DetailRowView("heart.text.square.fill", "Capacità Massima", m.healthCapacity(), Color::green(), scheme),
                      divider,
                      DetailRowView("arrow.triangle.2.circlepath", "Cicli di Ricarica", std::to_string(m.cycleCount()),
                                    Color::purple(), scheme),
                      divider,
                      DetailRowView("checkmark.shield.fill", "Stato Salute", m.condition(), conditionColor(m.condition()), scheme),
                  })
        .background(cardBackground(14, schemeTint(scheme, 0.02, 0.01), schemeTint(scheme, 0.06, 0.04)));
}

View buttonLabel(const std::string& symbol, const std::string& word)
{
    return HStack(5, {systemImage(symbol).font({11, FontWeight::Bold}), Text(word).font({11, FontWeight::Bold})});
}

View footer(ColorScheme scheme, std::function<void()> terminate, std::function<void()> refresh)
{
    return HStack(12,
                  {
                      Button(std::move(terminate), buttonLabel("power", "Esci"), GlassButtonStyle(true, scheme)),
                      Spacer(),
                      Button(std::move(refresh), buttonLabel("arrow.clockwise", "Aggiorna"), GlassButtonStyle(false, scheme)),
                  })
        .padding(edges::top, 4);
}

} // namespace

View BatteryPopupView(const monitor::BatteryMonitor& monitor, ColorScheme colorScheme, std::function<void()> terminate,
                      std::function<void()> refresh)
{
    return VStack(14,
                  {
                      header(monitor, colorScheme),
                      mainCard(monitor, colorScheme),
                      detailsCard(monitor, colorScheme),
                      footer(colorScheme, std::move(terminate), std::move(refresh)),
                  })
        .padding(18)
        .frame(320, 480);
}

} // namespace views
