#pragma once

#include <QFont>

namespace ui {

enum class FontWeight { Regular, Medium, Semibold, Bold };
enum class FontDesign { Default, Rounded };

// The system font at a pixel size ("points" in views), weight and design.
struct Font {
    double size = 13;
    FontWeight weight = FontWeight::Regular;
    FontDesign design = FontDesign::Default;

    // The Qt font. Unhinted, so its advances scale linearly: text that shrinks to fit is
    // measured at this size and drawn scaled.
    QFont qfont() const;

    friend bool operator==(const Font&, const Font&) = default;
};

} // namespace ui
