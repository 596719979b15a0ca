#include "views/circular_progress_ring.h"

#include "ui/accessibility.h"
#include "ui/shape_view.h"
#include "ui/stacks.h"
#include "ui/text.h"
#include "ui/view_state.h"
#include "views/system_symbols.h"

#include <array>
#include <cstdio>

namespace views {

using namespace ui;

LinearGradient batteryColorGradient(std::int64_t percentage, bool isCharging)
{
    if (isCharging)
        return {Color::srgb(0, 0.75, 0.55), Color::srgb(0, 0.95, 0.75)};
    if (percentage <= 20)
        return {Color::srgb(0.85, 0.15, 0.2), Color::srgb(0.98, 0.35, 0.4)};
    if (percentage <= 50)
        return {Color::srgb(0.9, 0.55, 0.1), Color::srgb(0.98, 0.7, 0.2)};
    return {Color::srgb(0.15, 0.7, 0.3), Color::srgb(0.3, 0.9, 0.45)};
}

namespace {

constexpr StrokeStyle arcStyle{8, Qt::RoundCap};

std::array<double, 3> components(const Color& color)
{
    const QColor resolved = color.resolve(ColorScheme::Light); // sRGB stops follow no appearance
    return {resolved.redF(), resolved.greenF(), resolved.blueF()};
}

View arc(double fraction, const LinearGradient& gradient)
{
    return View(Circle().trim(0, fraction).stroke(gradient, arcStyle));
}

// The arc's end and colours move together on a spring when, and only when, the level changes.
View progressArc(std::int64_t percentage, double fraction, const LinearGradient& gradient)
{
    const auto first = components(gradient.start);
    const auto second = components(gradient.end);
    return Animated(double(percentage), Animation::spring(0.8, 0.8),
                    {fraction, first[0], first[1], first[2], second[0], second[1], second[2]},
                    [](const std::vector<double>& shown) {
                        const LinearGradient moving{Color::srgb(shown[1], shown[2], shown[3]),
                                                    Color::srgb(shown[4], shown[5], shown[6])};
                        return arc(shown[0], moving).rotationEffect(-90);
                    });
}

const Color boltColor = Color::srgb(0, 0.9, 0.7);

// The pulse lives with the bolt: while the bolt shows it moves, and a frame repaints the bolt
// alone; without the bolt nothing moves and the clock rests.
View bolt()
{
    return Stateful("bolt", [](ResolveContext& context) {
        auto& pulse = context.state("pulseScale", AnimatedValue(1.0));
        // The action may outlive the host that keeps the state: it holds the state weakly.
        const std::weak_ptr<ViewStateStore> weakStore = context.store.weak_from_this();
        return View(systemImage("bolt.fill").font({13, FontWeight::Bold}).foregroundColor(boltColor))
            .scaleEffect(pulse.value(context.now))
            .shadow(boltColor.opacity(0.4), 4, 0, 0)
            .onAppear([weakStore, key = context.key("pulseScale")] {
                const auto store = weakStore.lock();
                if (auto* scale = store ? store->find<AnimatedValue>(key) : nullptr) {
                    scale->set(1.2, Animation::easeInOut(0.8).repeatForever(), store->now);
                    store->invalidate();
                }
            });
    });
}

} // namespace

View CircularProgressRing(std::int64_t percentage, bool isCharging)
{
    return Stateful("CircularProgressRing", [=](ResolveContext&) {
        const double fraction = double(percentage) / 100.0;
        const LinearGradient gradient = batteryColorGradient(percentage, isCharging);
        char figure[32];
        std::snprintf(figure, sizeof figure, "%lld%%", static_cast<long long>(percentage));

        // The bolt and the battery stand at different places in the tree, so the bolt appears
        // anew, and pulses again, each time charging starts.
        const View symbol = isCharging ? bolt()
                                       : View(systemImage("battery.100").font({11}).foregroundColor(Color::secondary()))
                                             .padding(edges::bottom, 2);
        const View ring = ZStack({
            Circle().stroke(Color::primary().opacity(0.06), {8}),
            arc(fraction, gradient).blur(5).opacity(0.4).rotationEffect(-90),
            progressArc(percentage, fraction, gradient),
            VStack(0, {symbol,
                       Text(figure).font({20, FontWeight::Bold, FontDesign::Rounded}).foregroundColor(Color::primary())}),
        });
        return accessibilityElement(ring, {AccessibleRole::ProgressBar, "Carica della batteria",
                                           isCharging ? "La batteria si sta caricando." : "", double(percentage)});
    });
}

} // namespace views
