#include "views/glass_button_style.h"

#include "ui/shape_view.h"
#include "ui/stacks.h"
#include "ui/view_state.h"

namespace views {

using namespace ui;

ButtonStyle GlassButtonStyle(bool isDestructive, ColorScheme colorScheme)
{
    return [=](View label, bool isPressed) {
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

        // Every part eases out together when, and only when, the pressed flag changes.
        return Animated(isPressed ? 1 : 0, Animation::easeOut(0.12), {look.label, look.fill, look.outline, look.scale},
                        [=](const std::vector<double>& shown) {
                            return label.foregroundColor(labelColor.opacity(shown[0]))
                                .padding(edges::vertical, 6)
                                .padding(edges::horizontal, 13)
                                .background(ZStack({
                                    RoundedRectangle(8).fill(tint.opacity(shown[1])),
                                    RoundedRectangle(8).stroke(tint.opacity(shown[2]), {1}),
                                }))
                                .scaleEffect(shown[3]);
                        });
    };
}

} // namespace views
