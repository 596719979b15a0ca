#include "ui/color.h"

#include <algorithm>

namespace ui {
namespace {

QColor rgb(int red, int green, int blue, double alpha = 1)
{
    QColor colour(red, green, blue);
    colour.setAlphaF(float(alpha));
    return colour;
}

// The shades of the named colours: tuned for contrast on the panel's light and dark grounds.
QColor named(Color::Name name, ColorScheme scheme)
{
    const bool dark = scheme == ColorScheme::Dark;
    switch (name) {
    case Color::Name::Primary: return dark ? rgb(255, 255, 255) : rgb(0, 0, 0);
    case Color::Name::Secondary: return dark ? rgb(235, 235, 245, 0.6) : rgb(60, 60, 67, 0.6);
    case Color::Name::White: return rgb(255, 255, 255);
    case Color::Name::Black: return rgb(0, 0, 0);
    case Color::Name::Clear: return rgb(0, 0, 0, 0);
    case Color::Name::Blue: return dark ? rgb(10, 132, 255) : rgb(0, 122, 255);
    case Color::Name::Green: return dark ? rgb(48, 209, 88) : rgb(52, 199, 89);
    case Color::Name::Orange: return dark ? rgb(255, 159, 10) : rgb(255, 149, 0);
    case Color::Name::Red: return dark ? rgb(255, 69, 58) : rgb(255, 59, 48);
    case Color::Name::Gray: return rgb(142, 142, 147);
    case Color::Name::Purple: return dark ? rgb(191, 90, 242) : rgb(175, 82, 222);
    case Color::Name::Srgb: break;
    }
    return {};
}

} // namespace

Color Color::srgb(double red, double green, double blue, double opacity)
{
    Color colour(Name::Srgb);
    colour.red_ = red;
    colour.green_ = green;
    colour.blue_ = blue;
    colour.opacity_ = opacity;
    return colour;
}

Color Color::opacity(double factor) const
{
    Color colour = *this;
    colour.opacity_ *= factor;
    return colour;
}

QColor Color::resolve(ColorScheme scheme) const
{
    QColor colour = name_ == Name::Srgb ? QColor::fromRgbF(float(red_), float(green_), float(blue_)) : named(name_, scheme);
    colour.setAlphaF(float(std::clamp(colour.alphaF() * opacity_, 0.0, 1.0)));
    return colour;
}

} // namespace ui
