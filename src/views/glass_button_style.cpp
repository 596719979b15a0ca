#include "views/glass_button_style.h"

#include "ui/shape_view.h"
#include "ui/stacks.h"
#include "ui/view_state.h"

namespace views {

using namespace ui;

namespace {

// Two points wide, clear of the tile's outline and rounded like it.
View focusRing()
{
    constexpr double gap = 3;
    return View(RoundedRectangle(8 + gap).stroke(Color::blue().opacity(0.6), {2})).padding(-gap);
}

} // namespace

ButtonStyle GlassButtonStyle(bool isDestructive, ColorScheme colorScheme)
{
    return [=](View label, bool isPressed, bool showsFocus) {
        const bool dark = colorScheme == ColorScheme::Dark;
        const Color labelColor = isDestructive ? Color::red() : Color::primary();
        const Color tint = isDestructive ? Color::red() : dark ? Color::white() : Color::black();
        // Opacities of the label, the tile's fill and its outline, then the scale: released, pressed.
        struct Look {
            double label, fill, outline, scale;
        };
        const Look released = isDestructive ? Look{0.9, 0.08, 0.14, 1} : dark ? Look{0.9, 0.05, 0.09, 1} : Look{0.9, 0.03, 0.06, 1};
        const Look pressed = isDestructive ? Look{0.7, 0.15, 0.25, 0.96} : dark ? Look{0.7, 0.12, 0.2, 0.96} : Look{0.7, 0.08, 0.12, 0.96};
        const Look& look = isPressed ? pressed : released;

        const auto tile = [=](double fill, double outline) {
            std::vector<View> parts{RoundedRectangle(8).fill(tint.opacity(fill)), RoundedRectangle(8).stroke(tint.opacity(outline), {1})};
            if (showsFocus)
                parts.push_back(focusRing());
            return parts;
        };

        // Every part eases out together when, and only when, the pressed flag changes.
        return Animated(isPressed ? 1 : 0, Animation::easeOut(0.12), {look.label, look.fill, look.outline, look.scale},
                        [=](const std::vector<double>& shown) {
                            return label.foregroundColor(labelColor.opacity(shown[0]))
                                .padding(edges::vertical, 6)
                                .padding(edges::horizontal, 13)
                                .background(ZStack(tile(shown[1], shown[2])))
                                .scaleEffect(shown[3]);
                        });
    };
}

} // namespace views
