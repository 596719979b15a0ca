#pragma once

#include <QColor>

#include <variant>
#include <vector>

namespace ui {

enum class ColorScheme { Light, Dark };

// A colour as views name it: a named colour that follows the appearance, or sRGB components;
// either with an opacity multiplier.
class Color {
public:
    enum class Name { Primary, Secondary, White, Black, Clear, Blue, Green, Orange, Red, Gray, Purple, Srgb };

    static Color primary() { return Color(Name::Primary); }
    static Color secondary() { return Color(Name::Secondary); }
    static Color white() { return Color(Name::White); }
    static Color black() { return Color(Name::Black); }
    static Color clear() { return Color(Name::Clear); }
    static Color blue() { return Color(Name::Blue); }
    static Color green() { return Color(Name::Green); }
    static Color orange() { return Color(Name::Orange); }
    static Color red() { return Color(Name::Red); }
    static Color gray() { return Color(Name::Gray); }
    static Color purple() { return Color(Name::Purple); }
    static Color srgb(double red, double green, double blue, double opacity = 1);

    // This colour with its opacity multiplied by `factor`.
    Color opacity(double factor) const;

    // The concrete colour in an appearance.
    QColor resolve(ColorScheme scheme) const;

    friend bool operator==(const Color&, const Color&) = default;

private:
    explicit Color(Name name) : name_(name) {}

    Name name_;
    double red_ = 0;
    double green_ = 0;
    double blue_ = 0;
    double opacity_ = 1;
};

// Colour stops spread evenly from the top-leading corner to the bottom-trailing one.
struct LinearGradient {
    std::vector<Color> stops;
    friend bool operator==(const LinearGradient&, const LinearGradient&) = default;
};

// What fills or strokes a shape.
using Paint = std::variant<Color, LinearGradient>;

} // namespace ui
