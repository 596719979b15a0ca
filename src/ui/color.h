#pragma once

#include <QColor>

#include <algorithm>
#include <variant>

namespace ui {

enum class ColorScheme { Light, Dark };

// A colour as views name it: a shade for each appearance, and an opacity multiplier. The named
// shades are tuned for contrast on the panel's light and dark grounds.
class Color {
public:
    static Color primary() { return {QColor(0, 0, 0), QColor(255, 255, 255)}; }
    static Color secondary() { return {QColor(60, 60, 67, 153), QColor(235, 235, 245, 153)}; } // 60 % opaque
    static Color white() { return {QColor(255, 255, 255), QColor(255, 255, 255)}; }
    static Color black() { return {QColor(0, 0, 0), QColor(0, 0, 0)}; }
    static Color clear() { return {QColor(0, 0, 0, 0), QColor(0, 0, 0, 0)}; }
    static Color blue() { return {QColor(0, 122, 255), QColor(10, 132, 255)}; }
    static Color green() { return {QColor(52, 199, 89), QColor(48, 209, 88)}; }
    static Color orange() { return {QColor(255, 149, 0), QColor(255, 159, 10)}; }
    static Color red() { return {QColor(255, 59, 48), QColor(255, 69, 58)}; }
    static Color gray() { return {QColor(142, 142, 147), QColor(142, 142, 147)}; }
    static Color purple() { return {QColor(175, 82, 222), QColor(191, 90, 242)}; }
    static Color srgb(double red, double green, double blue)
    {
        const QColor colour = QColor::fromRgbF(float(red), float(green), float(blue));
        return {colour, colour};
    }

    // This colour with its opacity multiplied by `factor`.
    Color opacity(double factor) const
    {
        Color colour = *this;
        colour.opacity_ *= factor;
        return colour;
    }

    // The concrete colour in an appearance.
    QColor resolve(ColorScheme scheme) const
    {
        QColor colour = scheme == ColorScheme::Dark ? dark_ : light_;
        colour.setAlphaF(float(std::clamp(colour.alphaF() * opacity_, 0.0, 1.0)));
        return colour;
    }

    friend bool operator==(const Color&, const Color&) = default;

private:
    Color(QColor light, QColor dark) : light_(light), dark_(dark) {}

    QColor light_;
    QColor dark_;
    double opacity_ = 1;
};

// A blend from one colour at the top-leading corner to another at the bottom-trailing one.
struct LinearGradient {
    Color start;
    Color end;
    friend bool operator==(const LinearGradient&, const LinearGradient&) = default;
};

// What fills or strokes a shape.
using Paint = std::variant<Color, LinearGradient>;

} // namespace ui
